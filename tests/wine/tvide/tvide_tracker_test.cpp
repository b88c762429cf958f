// The tracker on its own: when there is nothing to track, when its library
// is missing, and the watcher's answer to a tracker that fails.
#include <gtest/gtest.h>

#include "tvide_fixture.h"
#include "tvide_res.h"

namespace {

int count_in(const std::string &text, const std::string &what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

TEST(TvideTracker, WithoutAnIdeItEndsAtOnceWithStatusZero)
{
    tvt::install_dir dir("tracker-noide");
    ASSERT_TRUE(dir.ok());
    tvt::tvide_proc tracker;
    ASSERT_TRUE(tracker.start(dir.tvide(), "  -track"));
    ASSERT_TRUE(tracker.wait());
    EXPECT_EQ(0u, tracker.exit_code());
    EXPECT_EQ(0, tvt::tracker_windows());
}

TEST(TvideTracker, AMissingLibraryEndsItWithStatusOneAndTheWatcherDoesNotRetry)
{
    tvt::install_dir dir("tracker-nodll", false);
    ASSERT_TRUE(dir.ok());
    tvt::ide_proc ide;
    ASSERT_TRUE(ide.start(dir.dir(), {}));

    tvt::tvide_proc tracker;
    ASSERT_TRUE(tracker.start(dir.tvide(), "-track"));
    ASSERT_TRUE(tracker.wait());
    EXPECT_EQ(1u, tracker.exit_code());
    EXPECT_NE(std::string::npos, tracker.out().find("Failed to load tvidedll.dll"))
        << tracker.out();

    // The dialog's watcher starts one tracker for this IDE, sees it fail
    // and leaves it at that, instead of starting one every quarter second.
    std::string log_path = "C:\\tmp\\tvide.log";
    size_t before = winkit::read_file(log_path).size();
    tvt::tvide_proc tool;
    ASSERT_TRUE(tool.start(dir.tvide()));
    HWND dlg = tool.wait_dialog();
    ASSERT_TRUE(dlg);
    ASSERT_TRUE(tvt::wait_until([&] {
        return winkit::read_file(log_path).find("tracker ended with status 1", before) !=
               std::string::npos;
    }, 20000));
    Sleep(1500);
    std::string log = winkit::read_file(log_path).substr(before);
    EXPECT_EQ(1, count_in(log, "Found window... path=" + dir.tvide())) << log;
    tvt::press(dlg, IDC_TVIDE_EXIT);
    ASSERT_TRUE(tool.wait());
    EXPECT_EQ(0u, tool.exit_code());
}

TEST(TvideTracker, WithoutTheToolsDialogTheLibraryInTheIdeStaysIdle)
{
    tvt::set_settings(1, 1, 1);
    tvt::install_dir dir("tracker-nodialog");
    ASSERT_TRUE(dir.ok());
    tvt::ide_proc ide;
    tvt::ide_setup setup;
    setup.is_lines = {"template Text", "doc 1 1 - C:\\q.c", "active 0"};
    ASSERT_TRUE(ide.start(dir.dir(), setup));
    tvt::tvide_proc tracker;
    ASSERT_TRUE(tracker.start(dir.tvide(), "-track"));
    ASSERT_TRUE(tvt::wait_until([&] { return ide.control(6) == 1; }, 20000))
        << "the hooks bring the library into the IDE";
    Sleep(500);
    EXPECT_EQ(0, ide.menu_items());
    EXPECT_TRUE(ide.editor_lines().empty());
    ASSERT_TRUE(ide.close());
    ASSERT_TRUE(tracker.wait());
    EXPECT_EQ(0u, tracker.exit_code());
}

TEST(TvideTracker, HooksThatCannotBeSetEndTheCallerWithStatusOne)
{
    tvt::install_dir dir("tracker-nohook");
    ASSERT_TRUE(dir.ok());
    // A thread that does not exist: the first hook already fails.
    std::string cmd = winkit::quote_arg(winkit::win_path(TV_HOOK_CALLER_EXE)) + " " +
                      winkit::quote_arg(dir.file("tvidedll.dll")) + " 0x7ffffff0";
    winkit::run_result r = winkit::run(cmd);
    ASSERT_TRUE(r.rr_finished);
    EXPECT_EQ(1u, r.rr_exit);
    EXPECT_EQ("WH_CALLWNDPROC failed\n", r.rr_out);

    // A module that cannot serve another process's thread: the first hook
    // goes in with the library's own module, the second fails.
    {
        tvt::ide_proc ide;
        ASSERT_TRUE(ide.start(dir.dir(), {}));
        DWORD tid = GetWindowThreadProcessId(ide.main(), nullptr);
        r = winkit::run(winkit::quote_arg(winkit::win_path(TV_HOOK_CALLER_EXE)) + " " +
                        winkit::quote_arg(dir.file("tvidedll.dll")) + " " +
                        std::to_string(tid) + " nomodule");
        ASSERT_TRUE(r.rr_finished);
        EXPECT_EQ(1u, r.rr_exit);
        EXPECT_EQ("WH_GETMSSAGE failed\n", r.rr_out);
    }

    // On its own thread both hooks go in and the entry point returns 0.
    r = winkit::run(winkit::quote_arg(winkit::win_path(TV_HOOK_CALLER_EXE)) + " " +
                    winkit::quote_arg(dir.file("tvidedll.dll")) + " self");
    ASSERT_TRUE(r.rr_finished);
    EXPECT_EQ(0u, r.rr_exit) << r.rr_out;
    EXPECT_EQ(0u, r.rr_out.rfind("returned 0", 0)) << r.rr_out;
}

} // namespace
