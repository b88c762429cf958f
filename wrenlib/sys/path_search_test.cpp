// Finding a program along a PATH-style list.
#include <string>

#include <gtest/gtest.h>

#include "sys_testutil.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"

namespace {

using wl_test::ChangeDir;
using wl_test::EnvVar;
using wl_test::TempDir;

std::string take(char *p) {
    std::string s = p ? p : "<null>";
    chk_free(p);
    return s;
}

std::string search(const std::string &list, const char *program) {
    return take(path_search(list.c_str(), program));
}

class PathSearch : public ::testing::Test {
protected:
    void SetUp() override {
        tmp.write("bin1/other");
        tmp.write("bin2/tool");
        tmp.write("bin3/tool");
        tmp.write("bin4/runme.exe");
        tmp.write("bin5/cmdy.com");
        tmp.mkdir("bin6/tool");          // a directory is never the program
        tmp.write("blank dir/spaced");
    }
    TempDir tmp;
};

TEST_F(PathSearch, TakesTheFirstDirectoryThatHoldsIt) {
    const std::string list = tmp.at("missing") + ";" + tmp.at("bin1") + ";" + tmp.at("bin2") + ";" + tmp.at("bin3");
    EXPECT_EQ(search(list, "tool"), tmp.at("bin2/tool"));
    EXPECT_EQ(search(list, "nothing"), "<null>");
    EXPECT_EQ(search(tmp.at("bin6") + ";" + tmp.at("bin3"), "tool"), tmp.at("bin3/tool"));
}

TEST_F(PathSearch, TriesTheRunnableExtensions) {
    EXPECT_EQ(search(tmp.at("bin4"), "runme"), tmp.at("bin4/runme.exe"));
    EXPECT_EQ(search(tmp.at("bin5"), "cmdy"), tmp.at("bin5/cmdy.com"));
    EXPECT_EQ(search(tmp.at("bin4"), "runme.exe"), tmp.at("bin4/runme.exe"));
}

TEST_F(PathSearch, EntriesLoseQuotesAndEmptyMeansHere) {
    EXPECT_EQ(search("\"" + tmp.at("blank dir") + "\"", "spaced"), tmp.at("blank dir/spaced"));
    ChangeDir in(tmp.at("bin2"));
    // The current directory is searched as "." and the "./" is dropped.
    EXPECT_EQ(search(";" + tmp.at("bin3"), "tool"), "tool");
    EXPECT_EQ(search(tmp.at("bin1") + ";", "tool"), "tool");
}

TEST_F(PathSearch, TildeEntriesStartAtHome) {
    EnvVar home("HOME", tmp.path().c_str());
    EXPECT_EQ(search(std::string("~") + WL_SEP + "bin3", "tool"), tmp.at("bin3/tool"));
}

TEST_F(PathSearch, ColonSeparatesOnPosix) {
    const std::string list = tmp.at("bin1") + ":" + tmp.at("bin3");
    if (WL_SEP == '/') {
        EXPECT_EQ(search(list, "tool"), tmp.at("bin3/tool"));
    } else {
        EXPECT_EQ(search(list, "tool"), "<null>");   // "C:\..." holds a colon
    }
}

TEST_F(PathSearch, NamesWithASeparatorAreNotSearched) {
    EXPECT_EQ(search(tmp.at("bin3"), tmp.at("bin2/tool").c_str()), tmp.at("bin2/tool"));
    EXPECT_EQ(search("", tmp.at("bin4/runme").c_str()), tmp.at("bin4/runme.exe"));
    ChangeDir in(tmp.path());
    const std::string here = take(wl_getcwd());
    EXPECT_EQ(search(tmp.at("bin3"), "./bin2/tool"), wl_test::TempDir::join(here, "bin2/tool"));
    EXPECT_EQ(search(tmp.at("bin3"), "././bin1/../bin2/tool"), wl_test::TempDir::join(here, "bin2/tool"));
    EXPECT_EQ(search(tmp.at("bin3"), "bin1/tool"), "<null>");
}

} // namespace
