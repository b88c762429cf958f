// The whole chain as a user runs it: the tool starts, finds the IDE and
// starts its tracker; the tracker hooks the IDE's thread, Windows loads the
// library into the IDE stand-in, the menu item appears, and choosing it
// starts the editor stand-in with the documents.
#include <gtest/gtest.h>

#include <algorithm>

#include "tvide_fixture.h"
#include "tvide_res.h"
#include "tvidedll.h"

namespace {

using tvt::ide_setup;

// One session: an installation, the IDE, the tool and its tracker.
struct session {
    explicit session(const char *tag) : s_dir(tag) {}

    // Starts the IDE, then the tool, and waits for the tracker.
    ::testing::AssertionResult start(const ide_setup &setup)
    {
        if (!s_dir.ok())
            return ::testing::AssertionFailure() << "no installation directory";
        // The tool needs the IDE's Tools key to register itself.
        tvt::reg_delete(tvt::kToolsKey);
        tvt::reg_set_dword(tvt::kToolsKey, "NumTools", 0);
        if (!s_ide.start(s_dir.dir(), setup))
            return ::testing::AssertionFailure() << "the IDE stand-in did not start";
        if (!s_tool.start(s_dir.tvide()) || !(s_tool_dialog = s_tool.wait_dialog()))
            return ::testing::AssertionFailure() << "the tool's dialog did not come";
        if (!s_tracker.wait_found())
            return ::testing::AssertionFailure() << "no tracker";
        return ::testing::AssertionSuccess();
    }

    bool wait_menu(int items, int timeout_ms = 20000)
    {
        return tvt::wait_until([&] { return s_ide.menu_items() == items; }, timeout_ms);
    }

    // Chooses "&Tolva!" from the keyboard, as Alt+T does: the menu posts
    // the command to the IDE's main window.
    void choose_menu_item()
    {
        PostMessageA(s_ide.main(), WM_SYSCOMMAND, SC_KEYMENU, 't');
    }

    bool wait_editor_starts(size_t count, int timeout_ms = 20000)
    {
        return tvt::wait_until([&] { return s_ide.editor_lines().size() >= count; }, timeout_ms);
    }

    bool wait_log(const std::string &line, int timeout_ms = 20000)
    {
        return tvt::wait_until([&] {
            auto log = s_ide.log();
            return std::find(log.begin(), log.end(), line) != log.end();
        }, timeout_ms);
    }

    std::string editor_cmd(const std::string &items) const
    {
        return s_dir.editor() + " " + items;
    }

    // The IDE becomes the foreground window again after the user was in
    // the tool's dialog: Windows deactivates it, then activates it with
    // WM_ACTIVATE.  The IDE's answer to the control message, which comes
    // after those, tells when each step has begun.
    ::testing::AssertionResult activate_ide()
    {
        SetForegroundWindow(s_tool_dialog);
        if (!tvt::wait_until([&] { return s_ide.control(5) == 0; }, 5000))
            return ::testing::AssertionFailure() << "the IDE stays active";
        SetForegroundWindow(s_ide.main());
        if (!tvt::wait_until([&] { return s_ide.control(5) == 1; }, 5000))
            return ::testing::AssertionFailure() << "the IDE does not become active";
        return ::testing::AssertionSuccess();
    }

    ~session()
    {
        if (::testing::Test::HasFailure()) {
            for (const std::string &l : s_ide.log())
                printf("  ide log: %s\n", l.c_str());
            printf("  library log:\n%s\n", winkit::read_file("C:\\tmp\\tvidedll.log").c_str());
        }
        s_ide.close();
    }

    tvt::install_dir s_dir;
    tvt::ide_proc s_ide;
    tvt::tvide_proc s_tool;
    tvt::tracker_ref s_tracker;
    HWND s_tool_dialog = nullptr;
};

// Index of the first log line equal to `line`, or -1.
int find_line(const std::vector<std::string> &log, const std::string &line)
{
    auto it = std::find(log.begin(), log.end(), line);
    return it == log.end() ? -1 : (int)(it - log.begin());
}

TEST(TvideChain, MenuItemHandsOverTextDocumentsSavingModifiedOnesFirst)
{
    tvt::set_settings(1, 0, 1);
    ide_setup setup;
    setup.is_lines = {
        "template Text",
        "doc 12 5 m C:\\proj\\a.cpp",    // 0: active and modified
        "doc 3 1 - C:\\proj\\b.h",       // 1
        "doc 7 2 o C:\\proj\\c.cpp",     // 2: its view is in no MDI child frame
        "doc 4 4 n C:\\proj\\d.txt",     // 3: no view
        "doc 8 8 m C:\\proj\\g.cpp",     // 4: modified, not active: stays unsaved
        "template Text Files",
        "doc 1 1 - C:\\proj\\e.cpp",     // 5: not exactly "Text"
        "template Resource",
        "doc 1 1 - C:\\proj\\f.rc",      // 6
        "template Text",
        "doc 9 9 - C:\\proj\\h.cpp",     // 7: a second text template
        "active 0",
    };
    session s("chain-menu");
    ASSERT_TRUE(s.start(setup));
    ASSERT_TRUE(s.wait_menu(1)) << "no menu item";
    s.s_ide.control(0, 1);
    const std::string items = "+12,5 \"C:\\proj\\a.cpp\" +3,1 \"C:\\proj\\b.h\" "
                              "+9,9 \"C:\\proj\\h.cpp\" ";

    // The library hands the documents over once when it arrives.
    ASSERT_TRUE(s.wait_editor_starts(1));
    auto log = s.s_ide.log();
    EXPECT_EQ(s.editor_cmd(items), s.s_ide.editor_lines().at(0));
    EXPECT_NE(-1, find_line(log, "ide: module tvidedll.dll"));
    EXPECT_NE(-1, find_line(log, "ide: menu &Tolva!"));
    int saved = find_line(log, "ide: save C:\\proj\\a.cpp");
    EXPECT_NE(-1, saved);
    EXPECT_LT(saved, find_line(log, "cmdline: " + s.editor_cmd(items)));
    EXPECT_EQ(1, s.s_ide.control(2)) << "g.cpp stays modified";

    // The user edits a.cpp again and chooses the item.
    s.s_ide.control(3, 0);
    s.choose_menu_item();
    ASSERT_TRUE(s.wait_editor_starts(2));
    ASSERT_TRUE(s.wait_log("ide: command " + std::to_string(TVIDE_MENU_ID)));
    log = s.s_ide.log();
    EXPECT_EQ(s.editor_cmd(items), s.s_ide.editor_lines().at(1));
    int first_start = find_line(log, "cmdline: " + s.editor_cmd(items));
    auto after_first = log.begin() + first_start + 1;
    auto second_save = std::find(after_first, log.end(), "ide: save C:\\proj\\a.cpp");
    auto second_start = std::find(after_first, log.end(), "cmdline: " + s.editor_cmd(items));
    EXPECT_TRUE(second_save < second_start) << "saved before the editor starts";
    EXPECT_EQ(1, s.s_ide.control(2));

    // The IDE rebuilds its menu bar: the item comes back, once.
    s.s_ide.control(1);
    EXPECT_TRUE(s.wait_menu(1, 5000));
    Sleep(600);
    EXPECT_EQ(1, s.s_ide.menu_items());

    // Closing the IDE ends the tracker with status 0.
    ASSERT_TRUE(s.s_ide.close());
    DWORD status = 99;
    ASSERT_TRUE(s.s_tracker.wait_end(&status));
    EXPECT_EQ(0u, status);
}

TEST(TvideChain, TheWatcherTracksAnIdeStartedLaterAndAgainAfterARestart)
{
    tvt::set_settings(1, 0, 0);
    tvt::install_dir dir("chain-later");
    ASSERT_TRUE(dir.ok());
    tvt::tvide_proc tool;
    ASSERT_TRUE(tool.start(dir.tvide()));
    HWND dlg = tool.wait_dialog();
    ASSERT_TRUE(dlg);
    Sleep(600);
    EXPECT_EQ(0, tvt::tracker_windows()) << "no IDE, no tracker";

    for (int round = 0; round < 2; round++) {
        SCOPED_TRACE("IDE start " + std::to_string(round + 1));
        tvt::ide_proc ide;
        ASSERT_TRUE(ide.start(dir.dir(), {}));
        tvt::tracker_ref tracker;
        ASSERT_TRUE(tracker.wait_found());
        EXPECT_TRUE(tvt::wait_until([&] { return ide.menu_items() == 1; }, 20000));
        EXPECT_EQ(1, tvt::tracker_windows());
        ASSERT_TRUE(ide.close());
        DWORD status = 99;
        ASSERT_TRUE(tracker.wait_end(&status));
        EXPECT_EQ(0u, status);
    }
    tvt::press(dlg, IDC_TVIDE_EXIT);
    ASSERT_TRUE(tool.wait());
    EXPECT_EQ(0u, tool.exit_code());
}

TEST(TvideChain, ForTheSecondIdeKindNoMenuItemButActivationAsksTheEditorToSave)
{
    tvt::set_settings(1, 1, 0);
    ide_setup setup;
    setup.is_title = "Microsoft Visual C++ - [work]";
    setup.is_lines = {"template Text", "doc 2 3 - C:\\w\\main.c", "active 0"};
    session s("chain-kind1");
    ASSERT_TRUE(s.start(setup));
    // The library arrives and hands over the active document ...
    ASSERT_TRUE(s.wait_editor_starts(1));
    EXPECT_EQ(s.editor_cmd("+2,3 \"C:\\w\\main.c\" "), s.s_ide.editor_lines().at(0));
    // ... but puts no item on this IDE's menu bar.
    Sleep(500);
    EXPECT_EQ(0, s.s_ide.menu_items());

    // The editor started above owns the instance window: activating the
    // IDE asks it to save, naming the IDE's process.
    const std::string want = "Tolva_edit: wParam=1 lParam=" + std::to_string(s.s_ide.pid());
    ASSERT_TRUE(s.activate_ide());
    ASSERT_TRUE(s.wait_log(want, 10000));

    // The setting is read at each activation: off, nothing is sent; on
    // again, the request comes again.
    auto count = [&] {
        auto log = s.s_ide.log();
        return std::count(log.begin(), log.end(), want);
    };
    tvt::reg_set_dword(tvt::kSettingsKey, "Tolva_save_all", 0);
    ASSERT_TRUE(s.activate_ide());
    tvt::reg_set_dword(tvt::kSettingsKey, "Tolva_save_all", 1);
    ASSERT_TRUE(s.activate_ide());
    EXPECT_TRUE(tvt::wait_until([&] { return count() >= 2; }, 10000));
    Sleep(300);
    EXPECT_EQ(2, count()) << "a request came with the setting off";
}

TEST(TvideChain, WithoutIdeSaveAllOnlyTheActiveDocumentGoesAndAFailedSaveKeepsItBack)
{
    tvt::set_settings(1, 0, 0);
    ide_setup setup;
    setup.is_lines = {
        "template Text",
        "doc 4 7 - C:\\p\\b.h",            // 0: active
        "doc 1 1 mr C:\\p\\locked.cpp",    // 1: modified, cannot be saved
        "doc 5 6 - C:\\p\\x.cpp",          // 2
        "active 0",
    };
    session s("chain-active");
    ASSERT_TRUE(s.start(setup));
    ASSERT_TRUE(s.wait_menu(1));
    ASSERT_TRUE(s.wait_editor_starts(1));
    EXPECT_EQ(s.editor_cmd("+4,7 \"C:\\p\\b.h\" "), s.s_ide.editor_lines().at(0));

    s.s_ide.control(4, 1);
    s.choose_menu_item();
    ASSERT_TRUE(s.wait_log("ide: save refused C:\\p\\locked.cpp"));
    // The next choice starts the second editor: the refused one started none.
    s.s_ide.control(4, 2);
    s.choose_menu_item();
    ASSERT_TRUE(s.wait_editor_starts(2));
    // Each choice starts one editor, though the IDE looks at every message
    // before it takes it.
    Sleep(1000);
    auto lines = s.s_ide.editor_lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(s.editor_cmd("+5,6 \"C:\\p\\x.cpp\" "), lines[1]);

    // Nothing posts WM_ACTIVATE in a healthy IDE; with TVIDE_DEBUG set the
    // library says so when one comes from the queue.
    PostMessageA(s.s_ide.main(), WM_ACTIVATE, 0x12, 0x34);
    HWND box = nullptr;
    ASSERT_TRUE(tvt::wait_until([&] {
        return (box = tvt::find_dialog(s.s_ide.pid(), "TVIDEDLL: Hello!")) != nullptr;
    }, 10000));
    char want[160];
    unsigned main = (unsigned)(UINT_PTR)s.s_ide.main();
    snprintf(want, sizeof want,
             "GETMSG: WM_INITDIALOG code=0 WM_ACTIVATE wparam:12 lparam:34 Target: %x  Actual: %x",
             main, main);
    EXPECT_EQ(want, tvt::longest_static(box));
    tvt::press(box, IDOK);
    EXPECT_TRUE(tvt::wait_until([&] { return !IsWindow(box); }, 5000));
}

TEST(TvideChain, DocumentsThatWouldPassTheBoundAreLeftOutAndTheOthersStillGo)
{
    tvt::set_settings(1, 0, 1);
    // An item of a document at line 1, column 1 is its path and 8 bytes.
    const std::string a = "C:\\a.cpp";
    const std::string long1 = "C:\\" + std::string(1997, 'l');
    const std::string long2 = "C:\\" + std::string(2097, 'm');
    // b fills the text to 4095 bytes: with its NUL, exactly the bound.
    const size_t b_len = 4095 - (a.size() + 8) - (long1.size() + 8) - 8;
    const std::string b = "C:\\" + std::string(b_len - 3, 'b');
    auto item = [](const std::string &p) { return "+1,1 \"" + p + "\" "; };
    ASSERT_EQ(4095u, item(a).size() + item(long1).size() + item(b).size());

    ide_setup setup;
    setup.is_lines = {"template Text", "doc 1 1 - " + a, "doc 1 1 - " + long1,
                      "doc 1 1 - " + long2, "doc 1 1 - " + b};
    session s("chain-bound");
    ASSERT_TRUE(s.start(setup));
    ASSERT_TRUE(s.wait_editor_starts(1));
    EXPECT_EQ(s.editor_cmd(item(a) + item(long1) + item(b)), s.s_ide.editor_lines().at(0));
}

TEST(TvideChain, AnIdeWithoutAnApplicationObjectRefusesTheLibrary)
{
    tvt::set_settings(1, 0, 1);
    ide_setup setup;
    setup.is_lines = {"noapp", "template Text", "doc 1 1 - C:\\n.c", "active 0"};
    const std::string lib_log = "C:\\tmp\\tvidedll.log";
    size_t before = winkit::read_file(lib_log).size();
    session s("chain-noapp");
    ASSERT_TRUE(s.start(setup));
    ASSERT_TRUE(tvt::wait_until([&] {
        return winkit::read_file(lib_log).find("AfxGetApp: returns zero", before) !=
               std::string::npos;
    }, 20000));
    Sleep(500);
    EXPECT_EQ(0, s.s_ide.menu_items());
    EXPECT_TRUE(s.s_ide.editor_lines().empty());
}

} // namespace
