// The installed add-in and the host stand-in's object model.
#include "addin_fixture.h"

#include <algorithm>
#include <memory>

using fakehost::object;

namespace addin_test {

namespace {

constexpr const char *kSettingsKey = "SOFTWARE\\Quenlock\\TVADDIN";

struct installation_t {
    std::unique_ptr<winkit::temp_dir> is_temp;
    install_t is_paths;
    std::unique_ptr<winkit::standin> is_editor;
};

installation_t g_inst;

bool copy_to(const char *from, const std::string &to)
{
    return CopyFileA(winkit::win_path(from).c_str(), to.c_str(), FALSE) != 0;
}

// Sets up the installation once, before the first test, and takes it down
// after the last.
class addin_environment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        g_inst.is_temp = std::make_unique<winkit::temp_dir>("addin");
        install_t &p = g_inst.is_paths;
        p.in_dir = g_inst.is_temp->file("add in");
        ASSERT_TRUE(CreateDirectoryA(p.in_dir.c_str(), nullptr));
        p.in_dll = p.in_dir + "\\tvaddin2002.dll";
        p.in_tolva = p.in_dir + "\\tolva.exe";
        p.in_tolva_log = g_inst.is_temp->file("tolva.log");
        ASSERT_TRUE(copy_to(TV_ADDIN_DLL, p.in_dll));
        ASSERT_TRUE(copy_to(TV_STANDIN_EXE, p.in_tolva));
        // The add-in's log, "/tmp/addin.log", is read back by the same name;
        // wine takes it for the machine's /tmp, Windows for \tmp of the
        // current drive, which must then exist.
        ASSERT_TRUE(SetCurrentDirectoryA(g_inst.is_temp->path().c_str()));
        CreateDirectoryA("/tmp", nullptr);
        // Editors that the add-in starts log where the running one does.
        SetEnvironmentVariableA("TOLVA_LOG", p.in_tolva_log.c_str());
        // And should one of them find no editor running and stay, it goes
        // when this program ends.
        SetEnvironmentVariableA("TOLVA_PARENT_PID", std::to_string(GetCurrentProcessId()).c_str());
        SetEnvironmentVariableA("TVADDIN_DEBUG", nullptr);
        g_inst.is_editor = std::make_unique<winkit::standin>(p.in_tolva);
        ASSERT_TRUE(g_inst.is_editor->start(p.in_tolva_log));
        ASSERT_EQ(regsvr32(false), 0u);
    }
    void TearDown() override
    {
        regsvr32(true);
        clear_settings();
        if (g_inst.is_editor) {
            EXPECT_TRUE(g_inst.is_editor->stop());
        }
        g_inst.is_editor.reset();
        CoUninitialize();
        SetCurrentDirectoryA("\\");
        g_inst.is_temp.reset();
    }
};

const ::testing::Environment *const g_env =
    ::testing::AddGlobalTestEnvironment(new addin_environment);

object *item_of(const std::map<std::string, object *> &items, const VARIANT &index)
{
    if (index.vt != VT_BSTR)
        return nullptr;
    auto it = items.find(fakehost::narrow(index.bstrVal));
    return it == items.end() ? nullptr : it->second;
}

HRESULT give(object *o, VARIANT *r)
{
    if (!o)
        return E_INVALIDARG;  // what the host answers for an unknown item
    r->vt = VT_DISPATCH;
    r->pdispVal = o;
    o->AddRef();
    return S_OK;
}

} // namespace

const install_t &install()
{
    return g_inst.is_paths;
}

DWORD regsvr32(bool unregister)
{
    std::string cmd = std::string("regsvr32.exe /s ") + (unregister ? "/u " : "") +
                      winkit::quote_arg(install().in_dll);
    winkit::run_result r = winkit::run(cmd, "", {}, 30000);
    return r.rr_finished ? r.rr_exit : 0xffffffffu;
}

std::string addin_log_path()
{
    return "/tmp/addin.log";
}

std::vector<std::string> addin_log_lines()
{
    return winkit::split_lines(winkit::read_file(addin_log_path()));
}

std::vector<std::string> tolva_lines()
{
    return winkit::split_lines(winkit::read_file(install().in_tolva_log));
}

void write_settings(const settings_t &s)
{
    clear_settings();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::pair<const char *, DWORD> values[] = {{"ADDIN_debug", s.st_debug},
                                                     {"Tolva_save_all", s.st_tolva_save_all},
                                                     {"IDE_save_all", s.st_ide_save_all},
                                                     {"SETUP_toolbar", s.st_setup_toolbar}};
    for (const auto &[name, value] : values)
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                       sizeof value);
    RegCloseKey(key);
}

void clear_settings()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
}

void AddinHost::SetUp()
{
    // The add-in keeps what it last read when the key is missing, so every
    // test states all four settings.
    write_settings(settings_t{});
    DeleteFileA(addin_log_path().c_str());
    cmdlines_before = 0;
    for (const std::string &l : tolva_lines())
        cmdlines_before += l.rfind("cmdline: ", 0) == 0;

    dte = h.make("DTE");
    addin_obj = h.make("AddIn");
    events = h.make("Events");
    windows = h.make("Windows");
    out_window = h.make("OutputWindowWindow");
    output = h.make("OutputWindow");
    panes = h.make("OutputWindowPanes");
    pane = h.make("Pane");
    commands = h.make("Commands");
    bars = h.make("CommandBars");
    tools = h.make("ToolsBar");
    bar = h.make("OurBar");
    new_bar = h.make("NewBar");
    documents = h.make("Documents");

    dte->returns("Events", events);
    dte->returns("Windows", windows);
    dte->returns("Commands", commands);
    dte->returns("CommandBars", bars);
    dte->returns("Documents", documents);
    dte->returns("ActiveDocument", (object *)nullptr);
    documents->returns("Count", 0L);
    windows->returns("Item", out_window);
    out_window->returns("Object", output);
    output->returns("OutputWindowPanes", panes);
    panes->fails("Item", E_INVALIDARG);
    panes->returns("Add", pane);
    pane->returns("OutputString", 0L);

    commands->returns("AddCommandBar", new_bar);
    object *edit = h.make("CmdEdit"), *edit_all = h.make("CmdEditAll");
    object *control = h.make("Control");
    for (object *c : {edit, edit_all}) {
        c->returns("AddControl", control);
        c->returns("Delete", 0L);
    }
    commands->on("AddNamedCommand", [edit, edit_all](const std::vector<VARIANT> &a, VARIANT *r) {
        bool all = a.size() > 1 && a[1].vt == VT_BSTR && std::wstring(a[1].bstrVal) == L"EditAll";
        return give(all ? edit_all : edit, r);
    });
    object *goodbye = h.make("CmdGoodbye");
    goodbye->returns("AddControl", control);
    goodbye->returns("Delete", 0L);
    std::map<std::string, object *> by_name = {{"Tvaddin2002.Connect.Edit", edit},
                                               {"Tvaddin2002.Connect.EditAll", edit_all},
                                               {"Tvaddin2002.Connect.Goodbye", goodbye}};
    commands->on("Item", [this, by_name](const std::vector<VARIANT> &a, VARIANT *r) {
        object *o = a.empty() ? nullptr : item_of(by_name, a[0]);
        bool exists = o && std::find(existing_commands.begin(), existing_commands.end(),
                                     o == nullptr ? "" : fakehost::narrow(a[0].bstrVal)) !=
                               existing_commands.end();
        return give(exists ? o : nullptr, r);
    });
    commands->returns("RemoveCommandBar", 0L);
    std::map<std::string, object *> bar_names = {{"Tools", tools}, {"Tvaddin2002", bar}};
    bars->on("Item", [bar_names](const std::vector<VARIANT> &a, VARIANT *r) {
        return give(a.empty() ? nullptr : item_of(bar_names, a[0]), r);
    });
    for (object *b : {bar, new_bar}) {
        b->returns("Visible", 0L);
        b->returns("Delete", 0L);
    }

    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(L"tvaddin2002.Connect", &clsid), S_OK);
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDTExtensibility2,
                               reinterpret_cast<void **>(&ext)),
              S_OK);
    ASSERT_EQ(ext->QueryInterface(IID_IDTCommandTarget, reinterpret_cast<void **>(&target)), S_OK);
}

void AddinHost::TearDown()
{
    if (connected)
        disconnect();
    if (target)
        target->Release();
    if (ext)
        ext->Release();
    target = nullptr;
    ext = nullptr;
    // Whatever the test did, the add-in must have let go of every host
    // object once it is disconnected and released.
    EXPECT_EQ(h.held(), std::vector<std::string>{});
    clear_settings();
}

void AddinHost::remake_with_echoes()
{
    // The flag is taken when the add-in object is made.
    target->Release();
    ext->Release();
    target = nullptr;
    ext = nullptr;
    SetEnvironmentVariableA("TVADDIN_DEBUG", "1");
    CLSID clsid{};
    CLSIDFromProgID(L"tvaddin2002.Connect", &clsid);
    HRESULT made = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDTExtensibility2,
                                    reinterpret_cast<void **>(&ext));
    SetEnvironmentVariableA("TVADDIN_DEBUG", nullptr);
    ASSERT_EQ(made, S_OK);
    ASSERT_EQ(ext->QueryInterface(IID_IDTCommandTarget, reinterpret_cast<void **>(&target)), S_OK);
}

HRESULT AddinHost::connect(long mode)
{
    SAFEARRAY *custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    HRESULT hr = ext->OnConnection(dte, mode, addin_obj, &custom);
    SafeArrayDestroy(custom);
    connected = true;
    return hr;
}

HRESULT AddinHost::disconnect()
{
    SAFEARRAY *custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    HRESULT hr = ext->OnDisconnection(0, &custom);
    SafeArrayDestroy(custom);
    connected = false;
    return hr;
}

bool AddinHost::exec(const wchar_t *name, long option, HRESULT *hr)
{
    BSTR b = SysAllocString(name);
    VARIANT in, out;
    VariantInit(&in);
    VariantInit(&out);
    VARIANT_BOOL handled = VARIANT_TRUE;  // the add-in must set it either way
    HRESULT r = target->Exec(b, option, &in, &out, &handled);
    SysFreeString(b);
    if (hr)
        *hr = r;
    return handled == VARIANT_TRUE;
}

void AddinHost::set_documents(const std::vector<doc_t> &docs, bool active)
{
    std::vector<object *> made;
    for (const doc_t &d : docs) {
        object *doc = h.make(d.dc_name);
        doc->returns("FullName", d.dc_path);
        doc->returns("Save", 1L);
        if (d.dc_selection) {
            object *sel = h.make(d.dc_name + "Selection");
            object *point = h.make(d.dc_name + "Point");
            doc->returns("Selection", sel);
            sel->returns("ActivePoint", point);
            point->returns("Line", d.dc_line);
            point->returns("LineCharOffset", d.dc_column);
        } else {
            doc->returns("Selection", (object *)nullptr);
        }
        made.push_back(doc);
    }
    documents->returns("Count", (long)made.size());
    documents->on("Item", [made](const std::vector<VARIANT> &a, VARIANT *r) {
        long i = !a.empty() && a[0].vt == VT_I4 ? a[0].lVal : 0;
        return give(i >= 1 && i <= (long)made.size() ? made[i - 1] : nullptr, r);
    });
    dte->returns("ActiveDocument", active && !made.empty() ? made[0] : (object *)nullptr);
}

void AddinHost::set_existing_commands(const std::vector<std::string> &names)
{
    existing_commands = names;
}

std::vector<std::string> AddinHost::wait_cmdlines(size_t n, int timeout_ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<std::string> lines;
        size_t seen = 0;
        for (const std::string &l : tolva_lines())
            if (l.rfind("cmdline: ", 0) == 0 && seen++ >= cmdlines_before)
                lines.push_back(l.substr(9));
        if (lines.size() >= n || (int)(GetTickCount() - start) > timeout_ms)
            return lines;
        Sleep(20);
    }
}

std::string AddinHost::tolva_prefix() const
{
    return "\"" + install().in_tolva + "\" -single_inst ";
}

} // namespace addin_test
