// Wildcard expansion over a scratch tree.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sys_testutil.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"

namespace {

using wl_test::ChangeDir;
using wl_test::EnvVar;
using wl_test::TempDir;

struct Found {
    std::string name;
    wl_stat_t st;
};

std::vector<Found> expand(const std::string &pattern, int flags) {
    wild_entry_t *r = wild_expand(pattern.c_str(), flags);
    std::vector<Found> out;
    for (wild_entry_t *e = r; e->we_name; ++e) {
        EXPECT_EQ(e->we_capacity, static_cast<int>(std::string(e->we_name).size()) + 1);
        out.push_back({e->we_name, e->we_stat});
    }
    wild_free(r);
    return out;
}

std::vector<std::string> names(const std::string &pattern, int flags) {
    std::vector<std::string> out;
    for (const Found &f : expand(pattern, flags))
        out.push_back(f.name);
    return out;
}

std::string S(std::string s) {
    for (char &c : s)
        if (c == '/')
            c = WL_SEP;
    return s;
}

std::vector<std::string> SV(std::vector<std::string> v) {
    for (std::string &s : v)
        s = S(s);
    return v;
}

bool is_dir(const wl_stat_t &st) { return (st.st_mode & 0xF000u) == WL_S_IFDIR; }

// A small tree: files of mixed case, a hidden file and directory, nesting.
class WildExpand : public ::testing::Test {
protected:
    void SetUp() override {
        wild_set_limits(0, 0);
        tmp.write("a.c", "alpha");
        tmp.write("B.c", "bravo!");
        tmp.write("b.h");
        tmp.write(".hidden.c");
        tmp.write("notes.txt");
        tmp.write("sub/x.c");
        tmp.write("sub/deep/y.c");
        tmp.write("sub/deep/z.txt");
        tmp.write("Zdir/w.c");
        tmp.write(".git/h.c");
        tmp.mkdir("empty");
        in.emplace(tmp.path());
    }
    void TearDown() override {
        in.reset();
        wild_set_limits(0, 0);
    }
    TempDir tmp;
    std::optional<ChangeDir> in;
};

TEST_F(WildExpand, RelativePatternsGiveSortedRelativeNames) {
    EXPECT_EQ(names("*.c", 0), (std::vector<std::string>{"B.c", "a.c"}));
    EXPECT_EQ(names("*.C", 0), (std::vector<std::string>{"B.c", "a.c"}));
    EXPECT_EQ(names("?.[ch]", 0), (std::vector<std::string>{"B.c", "a.c", "b.h"}));
    EXPECT_EQ(names("*.{h,txt}", 0), (std::vector<std::string>{"b.h", "notes.txt"}));
    EXPECT_EQ(names("sub/*.c", 0), SV({"sub/x.c"}));
    EXPECT_EQ(names("sub\\*\\*.c", 0), SV({"sub/deep/y.c"}));
}

TEST_F(WildExpand, DotNamesNeedTheFlag) {
    EXPECT_EQ(names("*.c", WILD_DOTS), (std::vector<std::string>{".hidden.c", "B.c", "a.c"}));
    // "." and ".." are never results.
    EXPECT_EQ(names(".*", 0), (std::vector<std::string>{".git", ".hidden.c"}));
}

TEST_F(WildExpand, SortOrders) {
    EXPECT_EQ(names("*", 0),
              (std::vector<std::string>{"B.c", "Zdir", "a.c", "b.h", "empty", "notes.txt", "sub"}));
    EXPECT_EQ(names("*", WILD_SORT_NOCASE),
              (std::vector<std::string>{"a.c", "B.c", "b.h", "empty", "notes.txt", "sub", "Zdir"}));
    EXPECT_EQ(names("*", WILD_DIRS_FIRST),
              (std::vector<std::string>{"Zdir", "empty", "sub", "B.c", "a.c", "b.h", "notes.txt"}));
    EXPECT_EQ(names("*", WILD_DIRS_FIRST | WILD_SORT_NOCASE),
              (std::vector<std::string>{"empty", "sub", "Zdir", "a.c", "B.c", "b.h", "notes.txt"}));
    std::vector<std::string> unsorted = names("*", WILD_NOSORT);
    std::sort(unsorted.begin(), unsorted.end());
    EXPECT_EQ(unsorted, names("*", 0));
}

TEST_F(WildExpand, KindsAreFilteredByFlags) {
    EXPECT_EQ(names("*", WILD_FILES), (std::vector<std::string>{"B.c", "a.c", "b.h", "notes.txt"}));
    EXPECT_EQ(names("*", WILD_DIRS), (std::vector<std::string>{"Zdir", "empty", "sub"}));
    EXPECT_EQ(names("*", WILD_FILES | WILD_DIRS).size(), 7u);
}

TEST_F(WildExpand, ListingCanKeepEveryDirectory) {
    EXPECT_EQ(names("*.c", WILD_ALLDIRS),
              (std::vector<std::string>{"B.c", "Zdir", "a.c", "empty", "sub"}));
    EXPECT_EQ(names("*.c", WILD_ALLDIRS | WILD_DOTS),
              (std::vector<std::string>{".git", ".hidden.c", "B.c", "Zdir", "a.c", "empty", "sub"}));
}

TEST_F(WildExpand, StatusComesWithEachName) {
    for (const Found &f : expand("*", 0)) {
        wl_stat_t direct;
        ASSERT_EQ(wl_stat(f.name.c_str(), &direct), 0) << f.name;
        EXPECT_EQ(f.st.st_mode, direct.st_mode) << f.name;
        EXPECT_EQ(f.st.st_size, direct.st_size) << f.name;
        EXPECT_EQ(f.st.st_mtime_s, direct.st_mtime_s) << f.name;
        EXPECT_EQ(is_dir(f.st), f.name == "Zdir" || f.name == "empty" || f.name == "sub") << f.name;
    }
    std::vector<Found> b = expand("B.[c]", 0);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].name, "B.c");
    EXPECT_EQ(b[0].st.st_size, 6);
}

TEST_F(WildExpand, AbsolutePatternsKeepTheirRoot) {
    const std::string base = tmp.path() + WL_SEP;
    EXPECT_EQ(names(base + "*.h", 0), (std::vector<std::string>{base + "b.h"}));
    EXPECT_EQ(names(tmp.path() + "/sub/*/y.?", 0), (std::vector<std::string>{base + S("sub/deep/y.c")}));
}

TEST_F(WildExpand, DriveRelativePatternsKeepTheirDrive) {
    if (WL_SEP != '\\')
        GTEST_SKIP() << "names have no drives here";
    char *cwd = wl_getcwd();
    const std::string drive(cwd, 2);
    chk_free(cwd);
    EXPECT_EQ(names(drive + "*.h", 0), (std::vector<std::string>{drive + "b.h"}));
    EXPECT_EQ(names(drive + "sub\\*.c", 0), (std::vector<std::string>{drive + "sub\\x.c"}));
}

TEST_F(WildExpand, DoubleStarWalksEveryDirectoryBelow) {
    EXPECT_EQ(names("**/*.c", 0), SV({"B.c", "Zdir/w.c", "a.c", "sub/deep/y.c", "sub/x.c"}));
    EXPECT_EQ(names("sub/**", WILD_DIRS), SV({"sub", "sub/deep"}));
    EXPECT_EQ(names("**/*.txt", 0), SV({"notes.txt", "sub/deep/z.txt"}));
    // Hidden directories are walked only with the flag.
    EXPECT_EQ(names("**/h.c", WILD_DOTS), SV({".git/h.c"}));
}

TEST_F(WildExpand, LiteralComponentsFollowWildcards) {
    EXPECT_EQ(names("*/x.c", 0), SV({"sub/x.c"}));
    EXPECT_EQ(names("*/deep/y.c", 0), SV({"sub/deep/y.c"}));
    EXPECT_TRUE(names("*/nothing", 0).empty());
}

TEST_F(WildExpand, VariableComponents) {
    EnvVar v("WL_SYS_TEST_DIR", "sub");
    EXPECT_EQ(names("$WL_SYS_TEST_DIR/*.c", 0), SV({"sub/x.c"}));
    EnvVar deep("WL_SYS_TEST_DEEP", "sub/deep");
    EXPECT_EQ(names("$WL_SYS_TEST_DEEP/*.txt", 0), SV({"sub/deep/z.txt"}));
    EXPECT_TRUE(names("$WL_SYS_TEST_UNSET_VAR/*.c", 0).empty());
    // Without wildcards the value is put in as well, the rest left as given.
    EXPECT_EQ(names("$WL_SYS_TEST_DIR/x.c", 0), (std::vector<std::string>{"sub/x.c"}));
}

TEST_F(WildExpand, NamesWithoutWildcardsComeBackAsGiven) {
    std::vector<Found> missing = expand("no/such//file", 0);
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_EQ(missing[0].name, "no/such//file");
    EXPECT_EQ(missing[0].st.st_mode, 0u);
    EXPECT_EQ(missing[0].st.st_size, 0);

    std::vector<Found> dir = expand("sub", WILD_FILES);   // kinds are not filtered
    ASSERT_EQ(dir.size(), 1u);
    EXPECT_TRUE(is_dir(dir[0].st));

    EXPECT_EQ(names("|sort *.c", 0), (std::vector<std::string>{"|sort *.c"}));
    EXPECT_EQ(names("!cmd", 0), (std::vector<std::string>{"!cmd"}));
}

TEST_F(WildExpand, TildeStartsAtHome) {
    EnvVar home("HOME", (tmp.path() + S("/sub")).c_str());
    EXPECT_EQ(names("~/*.c", 0), (std::vector<std::string>{tmp.path() + S("/sub/x.c")}));
}

TEST_F(WildExpand, UnreadableOrMissingDirectoriesGiveNothing) {
    EXPECT_TRUE(names("missing/*.c", 0).empty());
    EXPECT_TRUE(names("a.c/*", 0).empty());
    EXPECT_TRUE(names("empty/*", 0).empty());
}

TEST_F(WildExpand, CountLimitStopsQuietly) {
    wild_set_limits(0, 2);
    EXPECT_EQ(names("*", 0).size(), 2u);
    EXPECT_EQ(names("*", WILD_NOSORT).size(), 2u);
    wild_set_limits(0, 0);
    EXPECT_EQ(names("*", 0).size(), 7u);

    EnvVar count("TV_WILD_LIMIT_MAX_COUNT", "3");
    EnvVar time("TV_WILD_LIMIT_TIMEOUT", "100");
    wild_read_limits();
    EXPECT_EQ(names("*", 0).size(), 3u);
}

TEST_F(WildExpand, TimeLimitKeepsWhatIsFoundInTime) {
    wild_set_limits(1, 0);
    EXPECT_EQ(names("*", 0).size(), 7u);
}

} // namespace
