// Runs that must remove little or nothing: a second run, refused
// directories, links into other trees; and runs over trees beyond the
// classic path length and beyond what the progress window keeps.
#include <algorithm>

#include "un_fixture.h"

using Lines = std::vector<std::string>;

namespace {

std::string windows_dir()
{
    char buf[MAX_PATH];
    UINT n = GetWindowsDirectoryA(buf, sizeof buf);
    return std::string(buf, n);
}

} // namespace

TEST_F(UninstallTest, SecondRunReportsWhatIsGoneAndEndsNormally)
{
    install({"tolva.exe", "bin\\a.dll"});
    run_all(winkit::quote_arg(inst()));
    ASSERT_FALSE(tree_exists(inst()));

    std::string text = run_all(winkit::quote_arg(inst()));
    EXPECT_EQ(text, "Removing files...\r\n\r\n"
                    "Failed to opendir(" + inst() + ")\r\n"
                    "File removal completed.\r\n"
                    "Removing Install registry entry...\r\n"
                    "Key " + std::string(kUninstallKey) + " not found.\r\n"
                    "Removing Desktop shortcut...\r\n"
                    "Removing Start Menu shortcut...\r\n");
}

TEST_F(UninstallTest, NoArgumentEndsAtOnce)
{
    ASSERT_TRUE(start(""));
    EXPECT_EQ(wait_exit(), 0u);
    EXPECT_TRUE(key_exists());
    EXPECT_EQ(shortcuts_left(), 5);
}

TEST_F(UninstallTest, DirectoriesThatAreNoInstallationAreRefused)
{
    install({"tolva.exe"});
    std::string other = u_base + "\\other";
    ASSERT_TRUE(tree_make_file(other + "\\letter.txt"));
    ASSERT_TRUE(tree_make_file(u_base + "\\my\\notes.txt"));
    ASSERT_TRUE(tree_make_file(u_base + "\\my dir\\tolva.exe"));
    std::string profiles = u_base.substr(0, u_base.find("\\", 3));  // C:\users

    struct refused_t {
        std::string r_args, r_message;
    };
    const std::string nothing = "; nothing was removed.";
    const refused_t cases[] = {
        {"\"\"", "No installation directory was given" + nothing},
        {"C:\\", "'C:\\' is the root of a drive" + nothing},
        {"C:\\.", "'C:\\' is the root of a drive" + nothing},
        {winkit::quote_arg(windows_dir()),
         "'" + windows_dir() + "' holds Windows, programs or user profiles" + nothing},
        {profiles, "'" + profiles + "' holds Windows, programs or user profiles" + nothing},
        {winkit::quote_arg(other), "'" + other + "' does not hold an installation of Tolva" + nothing},
        {winkit::quote_arg(other + "\\letter.txt"),
         "'" + other + "\\letter.txt' does not hold an installation of Tolva" + nothing},
        // Unquoted, the directory ends at the blank.
        {u_base + "\\my dir", "'" + u_base + "\\my' does not hold an installation of Tolva" + nothing},
    };
    for (const refused_t &c : cases) {
        SCOPED_TRACE(c.r_args);
        ASSERT_TRUE(start(c.r_args));
        std::string title;
        HWND box = ui::wait_any_dialog(u_proc.pid(), &title);
        ASSERT_TRUE(box);
        if (title == kConfirmTitle) {
            ui::click(box, IDNO);
            ADD_FAILURE() << "asked for confirmation instead of refusing";
        } else {
            EXPECT_EQ(title, kNoticeTitle);
            EXPECT_EQ(ui::static_text(box), c.r_message + "\r\n");
            ui::click(box, IDOK);
        }
        EXPECT_EQ(wait_exit(), 2u);
    }
    EXPECT_TRUE(tree_exists(other + "\\letter.txt"));
    EXPECT_TRUE(tree_exists(u_base + "\\my\\notes.txt"));
    EXPECT_TRUE(tree_exists(u_base + "\\my dir\\tolva.exe"));
    EXPECT_TRUE(tree_exists(at("tolva.exe")));
    EXPECT_TRUE(key_exists("\\Parts\\Macros"));
    EXPECT_EQ(shortcuts_left(), 5);
}

TEST_F(UninstallTest, LinksAreRemovedWithoutTouchingWhatTheyPointAt)
{
    // The tree comes from the host-side set-up step (make_links.sh).
    const std::string fix = winkit::win_path(TV_UN_LINKS);
    const std::string dir_link = fix + "\\inst\\bin\\linked";
    const std::string outside = fix + "\\precious";
    if (!tree_exists(dir_link))
        GTEST_SKIP() << "no link fixture at " << fix;
    ASSERT_TRUE(GetFileAttributesA(dir_link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);

    std::string text = run_all(winkit::quote_arg(fix + "\\inst"));
    // Only the installation's own directories were walked.
    EXPECT_EQ(text.find("precious"), std::string::npos) << text;
    EXPECT_EQ(text.find("linked"), std::string::npos) << text;
    // Where the platform cannot open a directory link as the link itself
    // (wine opens the directory it points at), it stays and is reported.
    if (tree_exists(dir_link)) {
        EXPECT_NE(text.find("Error removing file -- error="), std::string::npos) << text;
    } else {
        EXPECT_FALSE(tree_exists(fix + "\\inst")) << text;
    }

    EXPECT_FALSE(key_exists());
    EXPECT_EQ(winkit::read_file(outside + "\\work.txt"), "work\n");
    EXPECT_EQ(winkit::read_file(outside + "\\deeper\\more.txt"), "more\n");
}

TEST_F(UninstallTest, PathsBeyondTheClassicLimitAreRemoved)
{
    // Twelve levels of 40 characters: the deepest names are over 500 long.
    std::string deep;
    for (int i = 0; i < 12; i++)
        deep += std::string(i ? "\\" : "") + "level" + std::to_string(i) + std::string(34, 'x');
    install({"tolva.exe", deep + "\\file.txt", deep + "\\config\\kept.cfg", deep + "\\sub\\gone.txt"});
    ASSERT_GT(at(deep).size(), 520u);
    std::string text = run_all(winkit::quote_arg(inst()));
    EXPECT_FALSE(tree_exists(at(deep + "\\file.txt")));
    EXPECT_FALSE(tree_exists(at(deep + "\\sub")));
    EXPECT_TRUE(tree_exists(at(deep + "\\config\\kept.cfg")));
    EXPECT_FALSE(tree_exists(at("tolva.exe")));
    // The message about the deepest directory is cut at the bound and
    // still ends its line.
    Lines lines = lines_of(text);
    auto it = std::find_if(lines.begin(), lines.end(),
                           [](const std::string &l) { return l.rfind("Removing directory ", 0) == 0; });
    ASSERT_NE(it, lines.end()) << text;
    EXPECT_EQ(it->size(), 511u) << *it;
    EXPECT_EQ(*it, ("Removing directory " + at(deep + "\\sub")).substr(0, 511));
}

TEST_F(UninstallTest, ProgressWindowKeepsTheNewestText)
{
    std::vector<std::string> rels = {"tolva.exe"};
    for (int i = 0; i < 400; i++)
        rels.push_back("d" + std::to_string(1000 + i) + std::string(60, 'n') + "\\");
    install(rels);
    std::string text = run_all(winkit::quote_arg(inst()));
    EXPECT_FALSE(tree_exists(inst()));
    // Over 50000 characters were reported; the window holds the newest
    // ones, at most the bound plus the last message.
    EXPECT_LE(text.size(), 28000u + 513u);
    EXPECT_GE(text.size(), 28000u);
    EXPECT_NE(text.substr(0, 17), "Removing files...");
    EXPECT_EQ(text.substr(text.size() - 63),
              "Removing Desktop shortcut...\r\nRemoving Start Menu shortcut...\r\n");
}

TEST_F(UninstallTest, DebugLogTracesTheRunAndTheDialogSitsTopLeft)
{
    install({"tolva.exe", "x.txt"});
    // Read under the name the program writes it by, which lands wherever
    // the platform puts "/tmp".
    const char *log_name = "/tmp/uninstall.log";
    DeleteFileA(log_name);
    ASSERT_TRUE(start(winkit::quote_arg(inst()), {{"TV_SETUP_DEBUG", "1"}}, u_base));
    ASSERT_TRUE(confirm(true));
    HWND dlg = ui::wait_dialog(u_proc.pid(), kProgressTitle);
    ASSERT_TRUE(dlg);
    RECT wa, r;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
    GetWindowRect(dlg, &r);
    EXPECT_EQ(r.left, wa.left);
    EXPECT_EQ(r.top, wa.top);
    std::string text;
    ASSERT_TRUE(proceed_and_exit(&text));
    EXPECT_EQ(wait_exit(), 0u);

    Lines log = lines_of(winkit::read_file(log_name));
    DeleteFileA(log_name);
    // Each line names the module and a line of it; the message follows.
    Lines msgs;
    for (const auto &l : log) {
        size_t close = l.find("): ");
        ASSERT_TRUE(l.rfind("uninstall(", 0) == 0 && close != std::string::npos && close > 10) << l;
        EXPECT_GT(std::stoi(l.substr(10, close - 10)), 0) << l;
        msgs.push_back(l.substr(close + 3));
    }
    auto pos = [&](const std::string &m) {
        return std::find(msgs.begin(), msgs.end(), m) - msgs.begin();
    };
    const std::string desk = u_base.substr(0, u_base.find("\\", 3)) + "\\All Users\\Desktop\\Tolva.lnk";
    const std::vector<std::string> order = {
        "argv[0]=" + inst(), "ret=6", "Removing: " + at("tolva.exe"), "Removing directory " + inst(),
        "File removal completed.", "here1", "expanded to '" + desk + "'", "link=" + desk,
        "Removing Start Menu shortcut..."};
    for (size_t i = 0; i < order.size(); i++) {
        SCOPED_TRACE(::testing::PrintToString(msgs));
        EXPECT_LT(pos(order[i]), (long)msgs.size()) << order[i];
        if (i > 0) {
            EXPECT_LT(pos(order[i - 1]), pos(order[i])) << order[i];
        }
    }
}
