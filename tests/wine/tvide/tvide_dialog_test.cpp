// The tool's dialog, driven from outside by its control identifiers: the
// check boxes and the settings behind them, OK, About, Exit and cancel, and
// the single running copy.
#include <gtest/gtest.h>

#include "tvide_fixture.h"
#include "tvide_res.h"

namespace {

using tvt::kSettingsKey;
using tvt::reg_dword;

struct dialog_run {
    explicit dialog_run(const char *tag) : dr_dir(tag) {}
    HWND start()
    {
        tvt::reg_delete(tvt::kToolsKey);
        return dr_dir.ok() && dr_tool.start(dr_dir.tvide()) ? dr_tool.wait_dialog() : nullptr;
    }
    // Ends the program through a control of its dialog; its status, or
    // 999 when it did not end.
    DWORD end_with(HWND dlg, int id)
    {
        if (GetDlgItem(dlg, id))
            tvt::press(dlg, id);
        else
            tvt::command(dlg, id);
        return dr_tool.wait() ? dr_tool.exit_code() : 999;
    }
    tvt::install_dir dr_dir;
    tvt::tvide_proc dr_tool;
};

TEST(TvideDialog, CheckBoxesShowAndWriteTheSettings)
{
    tvt::set_settings(7, 0, 1);
    dialog_run run("dialog-settings");
    HWND dlg = run.start();
    ASSERT_TRUE(dlg);
    RECT r{};
    ASSERT_TRUE(GetWindowRect(dlg, &r));
    EXPECT_EQ(100, r.left);
    EXPECT_EQ(150, r.top);
    EXPECT_FALSE(tvt::is_checked(dlg, IDC_TVIDE_SAVE_ALL));
    EXPECT_TRUE(tvt::is_checked(dlg, IDC_TVIDE_IDE_SAVE));

    tvt::press(dlg, IDC_TVIDE_SAVE_ALL);
    EXPECT_TRUE(tvt::wait_until([] { return reg_dword(kSettingsKey, "Tolva_save_all") == 1u; },
                                5000));
    EXPECT_EQ(1u, reg_dword(kSettingsKey, "IDE_save_all"));
    EXPECT_EQ(7u, reg_dword(kSettingsKey, "Tolva_load_all")) << "written back unchanged";

    tvt::press(dlg, IDC_TVIDE_IDE_SAVE);
    EXPECT_TRUE(tvt::wait_until([] { return reg_dword(kSettingsKey, "IDE_save_all") == 0u; },
                                5000));
    EXPECT_EQ(1u, reg_dword(kSettingsKey, "Tolva_save_all"));
    EXPECT_EQ(0u, run.end_with(dlg, IDC_TVIDE_EXIT));
}

TEST(TvideDialog, WithoutSettingsBothOptionsAreOnAndOkWritesThem)
{
    tvt::reg_delete(kSettingsKey);
    dialog_run run("dialog-defaults");
    HWND dlg = run.start();
    ASSERT_TRUE(dlg);
    EXPECT_TRUE(tvt::is_checked(dlg, IDC_TVIDE_SAVE_ALL));
    EXPECT_TRUE(tvt::is_checked(dlg, IDC_TVIDE_IDE_SAVE));
    tvt::press(dlg, IDC_TVIDE_OK);
    EXPECT_TRUE(tvt::wait_until([&] { return IsIconic(dlg) != 0; }, 5000)) << "OK minimises";
    EXPECT_EQ(1u, reg_dword(kSettingsKey, "Tolva_load_all"));
    EXPECT_EQ(1u, reg_dword(kSettingsKey, "Tolva_save_all"));
    EXPECT_EQ(1u, reg_dword(kSettingsKey, "IDE_save_all"));
    EXPECT_EQ(0u, run.end_with(dlg, IDC_TVIDE_CANCEL));
}

TEST(TvideDialog, ASecondStartBringsTheFirstDialogBackAndEnds)
{
    dialog_run first("dialog-single");
    HWND dlg = first.start();
    ASSERT_TRUE(dlg);
    tvt::press(dlg, IDC_TVIDE_OK);
    ASSERT_TRUE(tvt::wait_until([&] { return IsIconic(dlg) != 0; }, 5000));

    tvt::tvide_proc second;
    ASSERT_TRUE(second.start(first.dr_dir.tvide()));
    ASSERT_TRUE(second.wait());
    EXPECT_EQ(0u, second.exit_code());
    EXPECT_EQ(std::string::npos, second.out().find("RegOpenKeyEx")) << "no second registration";
    EXPECT_TRUE(tvt::wait_until([&] { return !IsIconic(dlg); }, 5000)) << "restored";
    EXPECT_TRUE(IsWindow(dlg));

    // Closing the window ends the program too.
    PostMessageA(dlg, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.dr_tool.wait());
    EXPECT_EQ(0u, first.dr_tool.exit_code());
}

TEST(TvideDialog, AboutShowsItsDialogUntilAnyButton)
{
    dialog_run run("dialog-about");
    HWND dlg = run.start();
    ASSERT_TRUE(dlg);
    tvt::press(dlg, IDC_TVIDE_ABOUT);
    HWND about = nullptr;
    ASSERT_TRUE(tvt::wait_until([&] {
        return (about = tvt::find_dialog(run.dr_tool.pid(), "About TvIDE")) != nullptr;
    }, 10000));
    EXPECT_EQ("Ok", tvt::window_text(GetDlgItem(about, IDC_TVIDE_ABOUT_OK)));
    EXPECT_EQ("TvIDE is a tool which is used to monitor Tolva and the MSDEV Integrated "
              "Development Environment.\n\nBy default, each tool will automatically save "
              "modified files to ensure that a consistent view of the files is seen.",
              tvt::longest_static(about));
    tvt::press(about, IDC_TVIDE_ABOUT_OK);
    EXPECT_TRUE(tvt::wait_until([&] { return !IsWindow(about); }, 5000));
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_EQ(0u, run.end_with(dlg, IDC_TVIDE_EXIT));
}

} // namespace
