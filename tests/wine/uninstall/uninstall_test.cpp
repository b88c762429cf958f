// The uninstaller run through its real dialogs: what is removed and what
// stays, what the progress window says, and in which order.
#include <algorithm>
#include <set>

#include "un_fixture.h"

using Lines = std::vector<std::string>;

namespace {

const Lines kTail = {"File removal completed.", "Removing Install registry entry...",
                     "Removing Desktop shortcut...", "Removing Start Menu shortcut..."};

// The "Removing directory" lines between the fixed head and tail.
Lines dir_lines(const Lines &lines)
{
    Lines out;
    for (const auto &l : lines)
        if (l.rfind("Removing directory ", 0) == 0)
            out.push_back(l.substr(19));
    return out;
}

bool ends_with(const Lines &lines, const Lines &tail)
{
    return lines.size() >= tail.size() && std::equal(tail.begin(), tail.end(), lines.end() - tail.size());
}

} // namespace

TEST_F(UninstallTest, YesRemovesAllButConfigDirectoriesAtAnyDepth)
{
    install({"tolva.exe", "readme.txt", "bin\\tvtags.exe", "bin\\config\\keep.ini", "config\\user.cfg",
             "config\\sub\\more.cfg", "macros\\deep\\er\\x.e", "macros\\deep\\er\\CONFIG\\k.txt",
             "docs\\"});
    std::string text = run_all(winkit::quote_arg(inst()));

    for (const char *kept : {"config\\user.cfg", "config\\sub\\more.cfg", "bin\\config\\keep.ini",
                             "macros\\deep\\er\\CONFIG\\k.txt"})
        EXPECT_TRUE(tree_exists(at(kept))) << kept;
    for (const char *gone : {"tolva.exe", "readme.txt", "bin\\tvtags.exe", "macros\\deep\\er\\x.e", "docs"})
        EXPECT_FALSE(tree_exists(at(gone))) << gone;
    EXPECT_EQ(winkit::read_file(at("config\\user.cfg")), "data of config\\user.cfg");
    EXPECT_FALSE(key_exists());
    EXPECT_EQ(shortcuts_left(), 0);

    // Each directory is reported once, below ones before the ones above.
    Lines lines = lines_of(text);
    ASSERT_GE(lines.size(), 2u + kTail.size()) << text;
    EXPECT_EQ(text.substr(0, 21), "Removing files...\r\n\r\n");
    EXPECT_TRUE(ends_with(lines, kTail)) << text;
    Lines dirs = dir_lines(lines);
    EXPECT_EQ(lines.size(), 2 + dirs.size() + kTail.size()) << text;
    std::set<std::string> want;
    for (const char *d : {"bin", "config", "docs", "macros", "macros\\deep", "macros\\deep\\er"})
        if (std::string(d) != "config")
            want.insert(at(d));
    want.insert(inst());
    EXPECT_EQ(std::set<std::string>(dirs.begin(), dirs.end()), want) << text;
    for (size_t i = 0; i < dirs.size(); i++)
        for (size_t j = i + 1; j < dirs.size(); j++)
            EXPECT_NE(dirs[j].rfind(dirs[i] + "\\", 0), 0u) << dirs[i] << " before " << dirs[j];
    ASSERT_FALSE(dirs.empty());
    EXPECT_EQ(dirs.back(), inst());
}

TEST_F(UninstallTest, NoRemovesNothing)
{
    install({"tolva.exe", "bin\\a.dll"});
    ASSERT_TRUE(start(winkit::quote_arg(inst())));
    ASSERT_TRUE(confirm(false));
    EXPECT_EQ(wait_exit(), 0u);
    EXPECT_TRUE(tree_exists(at("tolva.exe")));
    EXPECT_TRUE(tree_exists(at("bin\\a.dll")));
    EXPECT_TRUE(key_exists("\\Parts\\Core"));
    EXPECT_EQ(shortcuts_left(), 5);
}

TEST_F(UninstallTest, ConfirmationAndProgressDialogAreAsShipped)
{
    install({"tolva.exe"});
    ASSERT_TRUE(start(winkit::quote_arg(inst())));
    HWND box = ui::wait_dialog(u_proc.pid(), kConfirmTitle);
    ASSERT_TRUE(box);
    EXPECT_EQ(ui::static_text(box),
              "This will remove Tolva from your computer. Press <Yes> to proceed,\r\n"
              "or <Cancel> to abort the removal.\r\n\r\n"
              "When removing Tolva, all installed files will be deleted, but your\r\n"
              "configuration directory will be left in tact, in case you decide\r\n"
              "to reinstall the software.\r\n");
    EXPECT_TRUE(GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO));
    ASSERT_TRUE(ui::click(box, IDYES));

    HWND dlg = ui::wait_dialog(u_proc.pid(), kProgressTitle);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(ui::text_of(GetDlgItem(dlg, 103)), "Removing files...\r\n\r\n");
    HWND edit = GetDlgItem(dlg, 103);
    EXPECT_EQ(ui::class_of(edit), "Edit");
    LONG style = GetWindowLongA(edit, GWL_STYLE);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_EQ(ui::class_of(GetDlgItem(dlg, 101)), "Static");
    EXPECT_EQ(ui::text_of(GetDlgItem(dlg, 1)), "Proceed");
    EXPECT_EQ(ui::text_of(GetDlgItem(dlg, 2)), "Exit");

    // Centred on the work area.
    RECT wa, r;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0));
    ASSERT_TRUE(GetWindowRect(dlg, &r));
    EXPECT_NEAR((r.left + r.right) / 2, (wa.left + wa.right) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, (wa.top + wa.bottom) / 2, 1);

    // Proceed goes grey once pressed; Exit ends the program normally.
    ASSERT_TRUE(ui::click(dlg, 1));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, 1)));
    ASSERT_TRUE(ui::click(dlg, 2));
    EXPECT_EQ(wait_exit(), 0u);

    // The program carries the dialog and the icon as resources.
    HMODULE m = LoadLibraryExA(uninstall_exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(m);
    EXPECT_TRUE(FindResourceA(m, MAKEINTRESOURCEA(1000), MAKEINTRESOURCEA(5)));   // RT_DIALOG
    EXPECT_TRUE(FindResourceA(m, "TOLVA", MAKEINTRESOURCEA(14)));                  // RT_GROUP_ICON
    // (Wine answers WM_GETICON only inside the window's own process, so
    // the icon is checked as the resource the dialog loads.)
    HICON icon = (HICON)LoadImageA(m, "Tolva", IMAGE_ICON, 32, 32, 0);
    EXPECT_TRUE(icon);
    if (icon)
        DestroyIcon(icon);
    FreeLibrary(m);
}

TEST_F(UninstallTest, FileThatCannotGoStopsItsDirectoriesButNotTheRest)
{
    struct held_t {
        const char *h_what;
        int h_error;
    };
    for (held_t held : {held_t{"open", 32}, held_t{"read-only", 5}}) {
        SCOPED_TRACE(held.h_what);
        install({"tolva.exe", "lib\\inner\\held.dat", "config\\c.cfg"});
        HANDLE h = INVALID_HANDLE_VALUE;
        if (std::string(held.h_what) == "open")
            h = CreateFileA(at("lib\\inner\\held.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
        else
            SetFileAttributesA(at("lib\\inner\\held.dat").c_str(), FILE_ATTRIBUTE_READONLY);
        std::string text = run_all(winkit::quote_arg(inst()));
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        SetFileAttributesA(at("lib\\inner\\held.dat").c_str(), FILE_ATTRIBUTE_NORMAL);

        EXPECT_TRUE(tree_exists(at("lib\\inner\\held.dat")));
        EXPECT_TRUE(tree_exists(at("config\\c.cfg")));
        Lines lines = lines_of(text);
        EXPECT_NE(std::find(lines.begin(), lines.end(),
                            "Error removing file -- error=" + std::to_string(held.h_error)),
                  lines.end())
            << text;
        // Neither the directory of the file nor any above it was reported.
        for (const auto &d : dir_lines(lines))
            EXPECT_TRUE(d != inst() && d != at("lib") && d != at("lib\\inner")) << d;
        EXPECT_TRUE(ends_with(lines, kTail)) << text;
        EXPECT_FALSE(key_exists());
        EXPECT_EQ(shortcuts_left(), 0);
        // Set up again for the next kind.
        tree_clear(inst());
        prepare();
    }
}
