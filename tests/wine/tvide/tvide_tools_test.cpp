// The editor's entry in the IDE's Tools menu, as the tool writes it on
// start: every value of the entry, the count, and the rewrite of an entry
// of ours in place.
#include <gtest/gtest.h>

#include "tvide_fixture.h"
#include "tvide_res.h"

namespace {

using tvt::kToolsKey;
using tvt::reg_dword;
using tvt::reg_string;

std::string at(const char *pattern, int index)
{
    char name[64];
    snprintf(name, sizeof name, pattern, index);
    return name;
}

// Runs the tool until its dialog shows, then ends it with Exit; returns
// what it printed.
std::string run_tool(const tvt::install_dir &dir)
{
    tvt::tvide_proc tool;
    if (!tool.start(dir.tvide()))
        return "<no start>";
    HWND dlg = tool.wait_dialog();
    if (!dlg)
        return "<no dialog>";
    tvt::press(dlg, IDC_TVIDE_EXIT);
    if (!tool.wait() || tool.exit_code() != 0)
        return "<no clean exit>";
    return tool.out();
}

void expect_our_entry(int i, const tvt::install_dir &dir)
{
    SCOPED_TRACE("entry " + std::to_string(i));
    EXPECT_EQ(0u, reg_dword(kToolsKey, at("AskArgument#%d", i)));
    EXPECT_EQ(0u, reg_dword(kToolsKey, at("CloseWindow#%d", i)));
    EXPECT_EQ("+$(CurLine).$(CurCol) $(FilePath)",
              reg_string(kToolsKey, at("DefaultArguments#%d", i)));
    EXPECT_EQ("tolva-dialogname", reg_string(kToolsKey, at("DialogName#%d", i)));
    EXPECT_EQ(1u, reg_dword(kToolsKey, at("GUITool#%d", i)));
    EXPECT_EQ("$(FileDir)", reg_string(kToolsKey, at("InitialDirectory#%d", i)));
    EXPECT_EQ("&Tolva Edit", reg_string(kToolsKey, at("MenuName#%d", i)));
    EXPECT_EQ(1u, reg_dword(kToolsKey, at("OutputRedirect#%d", i)));
    EXPECT_EQ("\"" + dir.editor() + "\"", reg_string(kToolsKey, at("PathName#%d", i)));
    EXPECT_EQ(0u, reg_dword(kToolsKey, at("ReloadNoPrompt#%d", i)));
    EXPECT_EQ(0u, reg_dword(kToolsKey, at("UseSearchPath#%d", i)));
}

void add_foreign_tool(int i, const char *dialog_name)
{
    tvt::reg_set_string(kToolsKey, at("DialogName#%d", i), dialog_name);
    tvt::reg_set_string(kToolsKey, at("MenuName#%d", i), "&Other");
    tvt::reg_set_string(kToolsKey, at("PathName#%d", i), "other.exe");
}

TEST(TvideTools, AnEntryIsAppendedOnceAndRewrittenInPlaceOnTheNextStart)
{
    tvt::install_dir dir("tools-append");
    ASSERT_TRUE(dir.ok());
    tvt::reg_delete(kToolsKey);
    tvt::reg_set_dword(kToolsKey, "NumTools", 2);
    add_foreign_tool(0, "grep-dialog");
    add_foreign_tool(1, "Tolva-but-not-ours");   // the test is case-sensitive

    std::string out = run_tool(dir);
    EXPECT_NE(std::string::npos, out.find("Number of tools: 2 0x2")) << out;
    EXPECT_NE(std::string::npos, out.find("Updating MenuName#2 : &Tolva Edit")) << out;
    EXPECT_NE(std::string::npos, out.find("Updating NumTools : 0x3")) << out;
    EXPECT_EQ(3u, reg_dword(kToolsKey, "NumTools"));
    expect_our_entry(2, dir);
    EXPECT_EQ("grep-dialog", reg_string(kToolsKey, "DialogName#0"));
    EXPECT_EQ("other.exe", reg_string(kToolsKey, "PathName#1"));

    // Started again, it finds its entry and leaves the count alone.
    out = run_tool(dir);
    EXPECT_NE(std::string::npos,
              out.find("Tolva entry (#2) in registry is not ok - replacing.")) << out;
    EXPECT_EQ(3u, reg_dword(kToolsKey, "NumTools"));
    EXPECT_FALSE(reg_string(kToolsKey, "DialogName#3"));
    expect_our_entry(2, dir);
}

TEST(TvideTools, AStaleEntryOfOursIsRewrittenWhereItIs)
{
    tvt::install_dir dir("tools-rewrite");
    ASSERT_TRUE(dir.ok());
    tvt::reg_delete(kToolsKey);
    tvt::reg_set_dword(kToolsKey, "NumTools", 3);
    add_foreign_tool(0, "grep-dialog");
    add_foreign_tool(1, "tolva-from-an-old-install");
    tvt::reg_set_dword(kToolsKey, "GUITool#1", 0);
    add_foreign_tool(2, "tolva-second");   // only the first one is ours

    std::string out = run_tool(dir);
    EXPECT_NE(std::string::npos,
              out.find("Tolva entry (#1) in registry is not ok - replacing.")) << out;
    EXPECT_EQ(3u, reg_dword(kToolsKey, "NumTools"));
    expect_our_entry(1, dir);
    EXPECT_EQ("tolva-second", reg_string(kToolsKey, "DialogName#2"));
    EXPECT_EQ("grep-dialog", reg_string(kToolsKey, "DialogName#0"));
}

TEST(TvideTools, WithoutTheIdesKeyOrItsCountNothingIsWritten)
{
    tvt::install_dir dir("tools-missing");
    ASSERT_TRUE(dir.ok());
    tvt::reg_delete(kToolsKey);
    std::string out = run_tool(dir);
    EXPECT_NE(std::string::npos, out.find("RegOpenKeyEx failed")) << out;
    EXPECT_FALSE(reg_dword(kToolsKey, "NumTools"));

    tvt::reg_set_string(kToolsKey, "Other", "x");
    out = run_tool(dir);
    EXPECT_NE(std::string::npos, out.find("QueryValue failed")) << out;
    EXPECT_FALSE(reg_string(kToolsKey, "DialogName#0"));

    // A damaged count is not walked value by value.
    tvt::reg_set_dword(kToolsKey, "NumTools", 0x7fffffff);
    out = run_tool(dir);
    EXPECT_NE(std::string::npos, out.find("NumTools out of range")) << out;
    EXPECT_EQ(0x7fffffffu, reg_dword(kToolsKey, "NumTools"));
    EXPECT_FALSE(reg_string(kToolsKey, "DialogName#2147483647"));
    tvt::reg_delete(kToolsKey);
}

} // namespace
