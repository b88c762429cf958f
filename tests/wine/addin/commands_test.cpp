// Exec of the add-in's commands: which runs, what Edit and Edit All ask of
// the documents, the editor command line that reaches the stand-in, the
// saves, the log, and argument texts that would not fit or not parse.
#include "addin_fixture.h"

#include <algorithm>

using namespace addin_test;

namespace {

bool contains(const std::vector<std::string> &lines, const std::string &line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Starts of the editor that the add-in's log records.  The log line is
// written before the start, so counting it needs no waiting for a start
// that should not come.
size_t logged_starts()
{
    size_t n = 0;
    for (const std::string &l : addin_log_lines())
        n += l.rfind("launch_tolva: WinExec(", 0) == 0;
    return n;
}

} // namespace

TEST_F(AddinHost, ExecRunsOnlyOurCommandsWithTheDefaultOption)
{
    ASSERT_EQ(connect(1), S_OK);
    h.journal().clear();
    HRESULT hr = E_FAIL;
    EXPECT_FALSE(exec(L"Tvaddin2002.Connect.Edit", 1, &hr));
    EXPECT_EQ(hr, S_OK);
    EXPECT_FALSE(exec(L"Tvaddin2002.Connect.Edit", 2));
    EXPECT_EQ(h.journal(), std::vector<std::string>{});

    EXPECT_TRUE(exec(L"tvaddin2002.connect.EDIT", 0, &hr));
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(h.journal(), std::vector<std::string>{"DTE.ActiveDocument"});

    h.journal().clear();
    EXPECT_TRUE(exec(L"TVADDIN2002.Connect.editall"));
    EXPECT_EQ(h.journal(), (std::vector<std::string>{"DTE.Documents", "Documents.Count"}));

    h.journal().clear();
    EXPECT_FALSE(exec(L"Tvaddin2002.Connect.Edit2"));
    EXPECT_FALSE(exec(L"Tvaddin2002.Connect"));
    EXPECT_EQ(h.journal(), std::vector<std::string>{});
    wait_cmdlines(1);  // the Edit All above started an editor
}

TEST_F(AddinHost, DebugSettingEchoesTheCommandIntoTheGeneralPane)
{
    write_settings({.st_debug = 1});
    ASSERT_EQ(connect(1), S_OK);
    h.journal().clear();
    exec(L"Tvaddin2002.Connect.Other");
    EXPECT_EQ(h.journal(), (std::vector<std::string>{
                               "DTE.Windows",
                               "Windows.Item(\"{34E76E81-EE4A-11D0-AE2E-00A0C90FFFC3}\")",
                               "OutputWindowWindow.Object",
                               "OutputWindow.OutputWindowPanes",
                               "OutputWindowPanes.Item(\"General\")",
                               "OutputWindowPanes.Add(\"General\")",
                               "Pane.OutputString(\"Tvaddin2002.Connect.Other\n\")",
                           }));
    // An existing pane is used as it is.
    panes->returns("Item", pane);
    h.journal().clear();
    exec(L"X");
    EXPECT_EQ(h.calls_to("OutputWindowPanes.Add"), std::vector<std::string>{});
    EXPECT_EQ(h.calls_to("Pane."), std::vector<std::string>{"Pane.OutputString(\"X\n\")"});
}

TEST_F(AddinHost, EditWithoutDocumentStartsNothingAndEditAllWithoutDocumentsStartsEmpty)
{
    write_settings({.st_debug = 1});
    ASSERT_EQ(connect(1), S_OK);
    exec(L"Tvaddin2002.Connect.Edit");
    EXPECT_EQ(logged_starts(), 0u);
    exec(L"Tvaddin2002.Connect.EditAll");
    EXPECT_EQ(logged_starts(), 1u);
    EXPECT_EQ(wait_cmdlines(1), std::vector<std::string>{tolva_prefix()});
}

TEST_F(AddinHost, EditHandsTheActiveDocumentToTheEditor)
{
    write_settings({.st_debug = 1});
    set_documents({{"Doc1", L"C:\\work dir\\main file.c", 12, 5}});
    ASSERT_EQ(connect(1), S_OK);
    h.journal().clear();
    EXPECT_TRUE(exec(L"Tvaddin2002.Connect.Edit"));
    const std::string args = "+12,5 \"C:\\work dir\\main file.c\"";
    EXPECT_EQ(wait_cmdlines(1), std::vector<std::string>{tolva_prefix() + args});
    std::vector<std::string> j = h.journal();
    j.erase(j.begin(), std::find(j.begin(), j.end(), "DTE.ActiveDocument"));
    EXPECT_EQ(j, (std::vector<std::string>{
                               "DTE.ActiveDocument", "Doc1.Selection", "Doc1Selection.ActivePoint",
                               "Doc1Point.Line", "Doc1Point.LineCharOffset", "Doc1.FullName"}));

    std::vector<std::string> log = addin_log_lines();
    EXPECT_TRUE(contains(log, "Cmd=" + args));
    EXPECT_TRUE(contains(log, "launch_tolva: WinExec(" + tolva_prefix() + args + ")"));
    auto h_line = std::find_if(log.begin(), log.end(), [](const std::string &l) {
        return l.rfind("launch_tolva: h=", 0) == 0;
    });
    ASSERT_NE(h_line, log.end());
    char expect[64];
    snprintf(expect, sizeof expect, "launch_tolva: h=%p",
             (void *)GetModuleHandleA(install().in_dll.c_str()));
    EXPECT_EQ(*h_line, expect);
}

TEST_F(AddinHost, EditSavesTheDocumentOnlyWhenAsked)
{
    set_documents({{"Doc1", L"C:\\a.c", 1, 1}});
    ASSERT_EQ(connect(1), S_OK);
    exec(L"Tvaddin2002.Connect.Edit");
    EXPECT_EQ(h.calls_to("Doc1.Save"), std::vector<std::string>{});
    write_settings({.st_ide_save_all = 1});
    exec(L"Tvaddin2002.Connect.Edit");
    EXPECT_EQ(h.calls_to("Doc1.Save"), std::vector<std::string>{"Doc1.Save()"});
    EXPECT_EQ(wait_cmdlines(2).size(), 2u);
}

TEST_F(AddinHost, DocumentWithoutTextSelectionIsLeftAlone)
{
    write_settings({.st_debug = 1, .st_ide_save_all = 1});
    set_documents({{"Form", L"C:\\form.resx", 1, 1, false}});
    ASSERT_EQ(connect(1), S_OK);
    exec(L"Tvaddin2002.Connect.Edit");
    exec(L"Tvaddin2002.Connect.EditAll");
    EXPECT_EQ(h.calls_to("Form.Save"), std::vector<std::string>{});
    EXPECT_EQ(logged_starts(), 1u);  // Edit All's, with no documents
    EXPECT_EQ(wait_cmdlines(1), std::vector<std::string>{tolva_prefix()});
}

TEST_F(AddinHost, EditAllPassesEveryDocumentWithASelectionAndSavesThem)
{
    write_settings({.st_debug = 1, .st_ide_save_all = 1});
    set_documents({{"Doc1", L"C:\\a b\\one.c", 3, 1},
                   {"Doc2", L"C:\\a b\\two.resx", 1, 1, false},
                   {"Doc3", L"C:\\a b\\three.h", 40, 7}});
    ASSERT_EQ(connect(1), S_OK);
    EXPECT_TRUE(exec(L"Tvaddin2002.Connect.EditAll"));
    const std::string args = " +3,1 \"C:\\a b\\one.c\" +40,7 \"C:\\a b\\three.h\"";
    EXPECT_EQ(wait_cmdlines(1), std::vector<std::string>{tolva_prefix() + args});
    EXPECT_EQ(h.calls_to("Documents.Item"),
              (std::vector<std::string>{"Documents.Item(1)", "Documents.Item(2)",
                                        "Documents.Item(3)"}));
    EXPECT_EQ(h.calls_to("Doc1.Save"), std::vector<std::string>{"Doc1.Save()"});
    EXPECT_EQ(h.calls_to("Doc2.Save"), std::vector<std::string>{});
    EXPECT_EQ(h.calls_to("Doc3.Save"), std::vector<std::string>{"Doc3.Save()"});
    EXPECT_TRUE(contains(addin_log_lines(), "EditAll=" + args));
}

TEST_F(AddinHost, PathWithDoubleQuoteNeverReachesTheCommandLine)
{
    write_settings({.st_debug = 1, .st_ide_save_all = 1});
    set_documents({{"Bad", L"C:\\x\\bad\" -evil.c", 2, 2}, {"Good", L"C:\\x\\good.c", 4, 4}});
    ASSERT_EQ(connect(1), S_OK);
    exec(L"Tvaddin2002.Connect.Edit");  // the active one is the bad one
    exec(L"Tvaddin2002.Connect.EditAll");
    EXPECT_EQ(logged_starts(), 1u);
    EXPECT_EQ(wait_cmdlines(1),
              std::vector<std::string>{tolva_prefix() + " +4,4 \"C:\\x\\good.c\""});
    EXPECT_EQ(h.calls_to("Bad.Save"), std::vector<std::string>{});
    std::vector<std::string> log = addin_log_lines();
    EXPECT_TRUE(contains(log, "Edit: path holds a double quote, not passed: C:\\x\\bad\" -evil.c"));
    EXPECT_TRUE(
        contains(log, "EditAll: path holds a double quote, not passed: C:\\x\\bad\" -evil.c"));
}

TEST_F(AddinHost, TooManyDocumentsAreCutAtAWholeItem)
{
    write_settings({.st_debug = 1, .st_ide_save_all = 1});
    std::vector<doc_t> docs;
    const size_t count = 60;
    std::vector<std::string> items;
    for (size_t i = 0; i < count; i++) {
        std::string path = "C:\\projects\\" + std::string(200, 'a' + (char)(i % 26)) + "\\file" +
                           std::to_string(i) + ".c";
        docs.push_back({"D" + std::to_string(i + 1), fakehost::widen(path), (long)i + 1, 1});
        items.push_back(" +" + std::to_string(i + 1) + ",1 \"" + path + "\"");
    }
    set_documents(docs);
    ASSERT_EQ(connect(1), S_OK);
    exec(L"Tvaddin2002.Connect.EditAll");
    std::vector<std::string> lines = wait_cmdlines(1);
    ASSERT_EQ(lines.size(), 1u);
    std::string args = lines[0].substr(tolva_prefix().size());
    // The text holds whole items from the first on, as many as fit into
    // the 10240-byte buffer with its terminator.
    size_t passed = 0;
    std::string expect;
    while (passed < count && expect.size() + items[passed].size() < 10240)
        expect += items[passed++];
    EXPECT_LT(passed, count);
    EXPECT_GT(passed, 30u);
    EXPECT_EQ(args, expect);
    EXPECT_EQ(h.calls_to("D").size() > 0, true);
    size_t saves = 0;
    for (const std::string &l : h.journal())
        saves += l.find(".Save()") != std::string::npos;
    EXPECT_EQ(saves, passed);
    char note[96];
    snprintf(note, sizeof note, "EditAll: argument text full, documents %zu to %zu not passed",
             passed + 1, count);
    EXPECT_TRUE(contains(addin_log_lines(), note));
}

TEST_F(AddinHost, OverlongSinglePathIsRefusedWithALogLine)
{
    write_settings({.st_debug = 1});
    std::string path = "C:\\" + std::string(10300, 'x') + ".c";
    set_documents({{"Long", fakehost::widen(path), 1, 1}});
    ASSERT_EQ(connect(1), S_OK);
    exec(L"Tvaddin2002.Connect.Edit");
    exec(L"Tvaddin2002.Connect.EditAll");
    EXPECT_EQ(logged_starts(), 1u);
    EXPECT_EQ(wait_cmdlines(1), std::vector<std::string>{tolva_prefix()});
    std::vector<std::string> log = addin_log_lines();
    EXPECT_TRUE(contains(log, "Edit: argument text full, not passed: " + path));
    EXPECT_TRUE(contains(log, "EditAll: argument text full, documents 1 to 1 not passed"));
}
