// The editor stand-in itself: the other tests trust its log, so it must
// record exactly what reaches it and go away when asked.
#include <windows.h>
#include <ddeml.h>

#include <gtest/gtest.h>

#include "test_paths.h"
#include "test_util.h"

using winkit::standin;
using winkit::temp_dir;

namespace {

// A plain DDE client, independent of ddepost.
struct dde_client {
    DWORD inst = 0;
    HSZ service = nullptr, topic = nullptr;
    HCONV conv = nullptr;

    bool connect(const char *svc, const char *top)
    {
        if (DdeInitializeA(&inst, nullptr, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
            return false;
        service = DdeCreateStringHandleA(inst, svc, CP_WINANSI);
        topic = DdeCreateStringHandleA(inst, top, CP_WINANSI);
        conv = DdeConnect(inst, service, topic, nullptr);
        return conv != nullptr;
    }
    bool execute(const std::string &text)
    {
        HDDEDATA r = DdeClientTransaction((LPBYTE)text.c_str(), (DWORD)text.size() + 1, conv,
                                          nullptr, CF_TEXT, XTYP_EXECUTE, 5000, nullptr);
        return r != nullptr;
    }
    ~dde_client()
    {
        if (conv)
            DdeDisconnect(conv);
        if (service)
            DdeFreeStringHandle(inst, service);
        if (topic)
            DdeFreeStringHandle(inst, topic);
        if (inst)
            DdeUninitialize(inst);
    }
};

bool wait_exit(HANDLE proc, DWORD ms)
{
    return WaitForSingleObject(proc, ms) == WAIT_OBJECT_0;
}

} // namespace

TEST(Standin, LogsCommandLineDdeAndMessagesInOrder)
{
    temp_dir dir("standin");
    standin ed(standin_exe());
    ASSERT_TRUE(ed.start(dir.file("tolva.log"), "+3,4 \"C:\\x y\\a.c\""));

    {
        dde_client dde;
        ASSERT_TRUE(dde.connect("Tolva", "COMMAND"));
        EXPECT_TRUE(dde.execute("edit__file \"one\""));
        EXPECT_TRUE(dde.execute("goto_line 7"));
    }
    HWND main_wnd = FindWindowA("Tolva_WNDCLASS", nullptr);
    HWND inst_wnd = FindWindowA("Tolva_INSTANCE_WNDCLASS", nullptr);
    ASSERT_NE(main_wnd, nullptr);
    ASSERT_NE(inst_wnd, nullptr);
    UINT msg = RegisterWindowMessageA("Tolva_edit");
    SendMessageA(main_wnd, msg, 1, 0);
    SendMessageA(inst_wnd, msg, 1, (LPARAM)GetCurrentProcessId());

    EXPECT_TRUE(ed.stop());
    auto lines = ed.log_lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], wrap("cmdline: \"", standin_exe(), "\" +3,4 \"C:\\x y\\a.c\""));
    EXPECT_EQ(lines[1], "dde: edit__file \"one\"");
    EXPECT_EQ(lines[2], "dde: goto_line 7");
    EXPECT_EQ(lines[3], "Tolva_edit: wParam=1 lParam=0");
    EXPECT_EQ(lines[4], "Tolva_edit: wParam=1 lParam=" + std::to_string(GetCurrentProcessId()));
}

TEST(Standin, RefusesOtherTopicsAndExitsOnItsCommand)
{
    temp_dir dir("standin");
    standin ed(standin_exe());
    ASSERT_TRUE(ed.start(dir.file("tolva.log")));
    {
        dde_client other;
        EXPECT_FALSE(other.connect("Tolva", "SYSTEMX"));
    }
    HANDLE proc = OpenProcess(SYNCHRONIZE, FALSE, ed.pid());
    ASSERT_NE(proc, nullptr);
    {
        dde_client dde;
        ASSERT_TRUE(dde.connect("Tolva", "command"));  // topic names ignore case
        dde.execute("tolva_standin_exit");
    }
    EXPECT_TRUE(wait_exit(proc, 10000));
    CloseHandle(proc);
    auto lines = ed.log_lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "dde: tolva_standin_exit");
    EXPECT_EQ(FindWindowA("Tolva_WNDCLASS", nullptr), nullptr);
}

TEST(Standin, SecondSingleInstanceOnlyLogsAndLeaves)
{
    temp_dir dir("standin");
    standin first(standin_exe());
    ASSERT_TRUE(first.start(dir.file("tolva.log")));

    // Started the way the IDE integrations start the editor.
    winkit::child_options opts;
    opts.co_pipes = false;
    opts.co_env = {{"TOLVA_LOG", dir.file("tolva.log")}};
    winkit::child second;
    ASSERT_TRUE(second.start(wrap("\"", standin_exe(), "\" -single_inst +1,1 \"b.c\""), opts));
    EXPECT_TRUE(second.wait(10000));
    EXPECT_EQ(second.exit_code(), 0u);

    EXPECT_TRUE(first.stop());
    auto lines = first.log_lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], wrap("cmdline: \"", standin_exe(), "\" -single_inst +1,1 \"b.c\""));
}
