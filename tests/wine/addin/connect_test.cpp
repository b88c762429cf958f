// The host connects and disconnects the add-in: what the add-in asks of
// the host's objects in each connect mode, what it writes to its log and
// the registry, and that it lets go of everything afterwards.
#include "addin_fixture.h"

using namespace addin_test;

namespace {

const std::vector<std::string> kOutputSteps = {
    "DTE.Events",
    "DTE.Windows",
    "Windows.Item(\"{34E76E81-EE4A-11D0-AE2E-00A0C90FFFC3}\")",
    "OutputWindowWindow.Object",
    "OutputWindow.OutputWindowPanes",
};

const std::vector<std::string> kShowBar = {
    "DTE.CommandBars",
    "CommandBars.Item(\"Tvaddin2002\")",
    "OurBar.Visible = true",
};

const std::vector<std::string> kAddCommands = {
    "DTE.Commands",
    "Commands.AddCommandBar(\"Tvaddin2002\", 23, null, 1)",
    "Commands.AddNamedCommand(AddIn, \"Edit\", \"Edit\", \"Load file into Tolva\", true, 59, -, 3)",
    "CmdEdit.AddControl(NewBar, 1)",
    "Commands.AddNamedCommand(AddIn, \"EditAll\", \"Edit All\", "
    "\"Load all files into Tolva and edit them.\", true, 59, -, 3)",
    "CmdEditAll.AddControl(NewBar, 2)",
    "NewBar.Visible = true",
};

const std::vector<std::string> kRemoveCommands = {
    "DTE.Commands",
    "DTE.CommandBars",
    "CommandBars.Item(\"Tools\")",
    "Commands.Item(\"Tvaddin2002.Connect.Edit\", -1)",
    "CmdEdit.Delete()",
    "Commands.Item(\"Tvaddin2002.Connect.EditAll\", -1)",
    "CmdEditAll.Delete()",
    "Commands.Item(\"Tvaddin2002.Connect.Goodbye\", -1)",
    "CmdGoodbye.AddControl(ToolsBar, 1)",
    "CmdGoodbye.Delete()",
    "DTE.CommandBars",
    "CommandBars.Item(\"Tvaddin2002\")",
    "Commands.RemoveCommandBar(OurBar)",
    "OurBar.Delete()",
};

std::vector<std::string> join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> out;
    for (const auto &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// RESET_toolbar under the TvIDE key, or -1 when it is not there.
long reset_toolbar()
{
    DWORD v = 0, size = sizeof v;
    LONG r = RegGetValueA(HKEY_CURRENT_USER, "SOFTWARE\\Quenlock\\TvIDE", "RESET_toolbar",
                          RRF_RT_REG_DWORD, nullptr, &v, &size);
    return r == ERROR_SUCCESS ? (long)v : -1;
}

void set_reset_toolbar(DWORD v)
{
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Quenlock\\TvIDE", 0, nullptr, 0, KEY_SET_VALUE,
                    nullptr, &key, nullptr);
    RegSetValueExA(key, "RESET_toolbar", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&v),
                   sizeof v);
    RegCloseKey(key);
}

using can_unload_t = HRESULT(WINAPI *)();

HRESULT can_unload()
{
    HMODULE m = GetModuleHandleA(install().in_dll.c_str());
    auto fn = m ? reinterpret_cast<can_unload_t>(
                      reinterpret_cast<void *>(GetProcAddress(m, "DllCanUnloadNow")))
                : nullptr;
    return fn ? fn() : E_FAIL;
}

} // namespace

TEST_F(AddinHost, StartupConnectionOnlyShowsTheExistingToolbar)
{
    set_reset_toolbar(7);
    ASSERT_EQ(connect(1), S_OK);
    EXPECT_EQ(h.journal(), join({kOutputSteps, kShowBar}));
    EXPECT_EQ(reset_toolbar(), 7);  // left alone: nothing was set up
}

TEST_F(AddinHost, UiSetupConnectionAddsTheCommandsAndToolbar)
{
    set_reset_toolbar(7);
    ASSERT_EQ(connect(5), S_OK);
    EXPECT_EQ(h.journal(), join({kOutputSteps, kAddCommands, kShowBar}));
    EXPECT_EQ(reset_toolbar(), 0);
}

TEST_F(AddinHost, SetupToolbarRebuildsCommandsInEitherMode)
{
    set_existing_commands(
        {"Tvaddin2002.Connect.Edit", "Tvaddin2002.Connect.EditAll", "Tvaddin2002.Connect.Goodbye"});
    for (long mode : {1L, 5L}) {
        SCOPED_TRACE(mode);
        write_settings({.st_setup_toolbar = 1});
        set_reset_toolbar(7);
        h.journal().clear();
        ASSERT_EQ(connect(mode), S_OK);
        EXPECT_EQ(h.journal(), join({kOutputSteps, kRemoveCommands, kAddCommands, kShowBar}));
        EXPECT_EQ(reset_toolbar(), 0);
        ASSERT_EQ(disconnect(), S_OK);
        EXPECT_EQ(h.held(), std::vector<std::string>{});
    }
}

TEST_F(AddinHost, RemovalOnlyDeletesCommandsThatExist)
{
    write_settings({.st_setup_toolbar = 1});
    set_existing_commands({"Tvaddin2002.Connect.EditAll"});
    ASSERT_EQ(connect(1), S_OK);
    EXPECT_EQ(h.calls_to("CmdEdit"), (std::vector<std::string>{
                                         "CmdEditAll.Delete()", "CmdEdit.AddControl(NewBar, 1)",
                                         "CmdEditAll.AddControl(NewBar, 2)"}));
    EXPECT_EQ(h.calls_to("CmdGoodbye"), std::vector<std::string>{});
}

TEST_F(AddinHost, ExistingToolbarIsNotBuiltTwice)
{
    commands->fails("AddCommandBar", E_INVALIDARG);
    ASSERT_EQ(connect(5), S_OK);
    EXPECT_EQ(h.calls_to("Commands.AddNamedCommand"), std::vector<std::string>{});
    EXPECT_EQ(reset_toolbar(), 0);
}

TEST_F(AddinHost, FailedCommandSetupIsUndoneAndReported)
{
    set_reset_toolbar(7);
    set_existing_commands({"Tvaddin2002.Connect.Edit"});
    commands->on("AddNamedCommand", [](const std::vector<VARIANT> &, VARIANT *) {
        return E_ACCESSDENIED;
    });
    EXPECT_EQ(connect(5), E_ACCESSDENIED);
    // The half-made toolbar goes again, and no toolbar reset is recorded.
    EXPECT_EQ(h.calls_to("Commands.RemoveCommandBar"),
              std::vector<std::string>{"Commands.RemoveCommandBar(OurBar)"});
    EXPECT_EQ(h.calls_to("CmdEdit.Delete"), std::vector<std::string>{"CmdEdit.Delete()"});
    EXPECT_EQ(reset_toolbar(), 7);
    EXPECT_EQ(h.held(), std::vector<std::string>{});
}

TEST_F(AddinHost, MissingOutputWindowOnlySkipsThatStep)
{
    windows->fails("Item", E_INVALIDARG);
    ASSERT_EQ(connect(5), S_OK);
    EXPECT_EQ(h.calls_to("OutputWindow"), std::vector<std::string>{});
    EXPECT_EQ(h.calls_to("NewBar.Visible"), std::vector<std::string>{"NewBar.Visible = true"});
}

TEST_F(AddinHost, DebugLogRecordsSettingsConnectionAndDisconnection)
{
    write_settings({.st_debug = 1, .st_ide_save_all = 0x10});
    ASSERT_EQ(connect(5), S_OK);
    ASSERT_EQ(disconnect(), S_OK);
    EXPECT_EQ(addin_log_lines(), (std::vector<std::string>{
                                     "tvaddin2002.dll version 1.0",
                                     "Registry options:",
                                     "  ADDIN_debug:    00000001",
                                     "  Tolva_save_all: 00000000",
                                     "  IDE_save_all:   00000010",
                                     "  SETUP_toolbar:  00000000",
                                     "In CConnect::OnConnection",
                                     "ConnectMode=5",
                                     "AddCommandsAndCommandBars returns 0",
                                     "CConnect::OnDisconnection called - terminating",
                                     "",
                                 }));
}

TEST_F(AddinHost, OpenLogRecordsEverySettingsRead)
{
    write_settings({.st_debug = 1});
    ASSERT_EQ(connect(1), S_OK);
    // The log is open now; the next read of the settings shows in it.
    clear_settings();
    exec(L"Tvaddin2002.Connect.Unknown");
    {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Quenlock\\TVADDIN", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr);
        DWORD one = 1;
        RegSetValueExA(key, "ADDIN_debug", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&one),
                       sizeof one);
        RegCloseKey(key);
    }
    exec(L"Tvaddin2002.Connect.Unknown");
    std::vector<std::string> lines = addin_log_lines();
    ASSERT_GE(lines.size(), 8u);
    std::vector<std::string> reads(lines.begin() + 8, lines.end());
    EXPECT_EQ(reads, (std::vector<std::string>{
                         "RegOpenKeyEx failed, ret=2",
                         "RegQueryValueEx(ADDIN_debug) 0 4",
                         "RegQueryValueEx(Tolva_save_all) failed, ret=2",
                         "RegQueryValueEx(IDE_save_all) failed, ret=2",
                         "RegQueryValueEx(SETUP_toolbar) failed, ret=2",
                     }));
    // With the key gone the setting kept its value: the pane still got the
    // command name both times.
    EXPECT_EQ(h.calls_to("Pane.OutputString").size(), 2u);
}

TEST_F(AddinHost, DisconnectionReleasesEverythingAndTheDllMayUnload)
{
    write_settings({.st_setup_toolbar = 1});
    ASSERT_EQ(connect(5), S_OK);
    EXPECT_FALSE(h.held().empty());  // connected, the add-in holds the DTE
    EXPECT_EQ(can_unload(), S_FALSE);
    ASSERT_EQ(disconnect(), S_OK);
    EXPECT_EQ(h.held(), std::vector<std::string>{});
    EXPECT_EQ(can_unload(), S_FALSE);  // our add-in object is still alive
    target->Release();
    target = nullptr;
    ext->Release();
    ext = nullptr;
    EXPECT_EQ(can_unload(), S_OK);
}

TEST_F(AddinHost, QueryStatusEnablesEveryCommandWhenNoTextIsWanted)
{
    BSTR name = SysAllocString(L"Tvaddin2002.Connect.Edit");
    VARIANT text;
    VariantInit(&text);
    LONG status = 0;
    EXPECT_EQ(target->QueryStatus(name, 0, &status, &text), S_OK);
    EXPECT_EQ(status, 3);
    status = 0;
    EXPECT_EQ(target->QueryStatus(name, 1, &status, &text), S_OK);
    EXPECT_EQ(status, 0);
    SysFreeString(name);
}

TEST_F(AddinHost, HostMayCallThroughIDispatch)
{
    IDispatch *d = nullptr;
    ASSERT_EQ(ext->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&d)), S_OK);
    LPOLESTR names[1] = {const_cast<LPOLESTR>(L"OnStartupComplete")};
    DISPID id = 0;
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 4);
    // A late-bound call reaches the same operation as the vtable.
    SAFEARRAY *custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_ARRAY | VT_VARIANT | VT_BYREF;
    arg.pparray = &custom;
    DISPPARAMS params{&arg, nullptr, 1, 0};
    EXPECT_EQ(d->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
    LPOLESTR missing[1] = {const_cast<LPOLESTR>(L"NoSuchOperation")};
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, missing, 1, 0, &id), DISP_E_UNKNOWNNAME);
    SafeArrayDestroy(custom);
    d->Release();
    EXPECT_EQ(h.journal(), std::vector<std::string>{});  // the host was not called
}
