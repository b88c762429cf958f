// File-name helpers, path collapsing and simplification.
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "sys_testutil.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"

namespace {

using wl_test::ChangeDir;
using wl_test::EnvVar;
using wl_test::TempDir;

constexpr bool kDrives = WL_SEP == '\\';

// Takes ownership of a chk-allocated result.
std::string take(char *p) {
    std::string s = p ? p : "<null>";
    chk_free(p);
    return s;
}

// A name written with '/' in the platform's written separator.
std::string S(std::string s) {
    for (char &c : s)
        if (c == '/')
            c = WL_SEP;
    return s;
}

std::string cwd() { return take(wl_getcwd()); }

TEST(FileNameParts, DriveAndNetworkPrefixes) {
    const char *d = "C:x";
    EXPECT_EQ(filename_skip_drive(d), d + 2);
    const char *n = "x:";
    EXPECT_EQ(filename_skip_drive(n), n + 2);
    const char *plain = "abc";
    EXPECT_EQ(filename_skip_drive(plain), plain);
    const char *one = "C";
    EXPECT_EQ(filename_skip_drive(one), one);

    EXPECT_STREQ(filename_skip_network("\\\\srv\\share\\dir\\f"), "dir\\f");
    EXPECT_STREQ(filename_skip_network("//srv/share/f"), "f");
    const char *noshare_sep = "//srv/share";
    EXPECT_EQ(filename_skip_network(noshare_sep), noshare_sep + strlen(noshare_sep));
    const char *root = "/x";
    EXPECT_EQ(filename_skip_network(root), root);
    // Three separators are a root with extra separators, not a server.
    const char *triple = "///x";
    EXPECT_EQ(filename_skip_network(triple), triple);
}

TEST(FileNameParts, SeparatorsAndKinds) {
    const char *p = "a\\b/c";
    EXPECT_EQ(filename_first_sep(p), p + 1);
    EXPECT_EQ(filename_last_sep(p), p + 3);
    EXPECT_EQ(filename_first_sep("abc"), nullptr);
    EXPECT_EQ(filename_last_sep(""), nullptr);

    EXPECT_EQ(is_absolute("/x"), 1);
    EXPECT_EQ(is_absolute("\\x"), 1);
    EXPECT_EQ(is_absolute("x/y"), 0);
    EXPECT_EQ(is_absolute("C:x"), 0);
    EXPECT_EQ(is_absolute("C:\\x"), kDrives ? 1 : 0);
    EXPECT_EQ(is_absolute(""), 0);

    EXPECT_EQ(filename_is_unc("//a"), 1);
    EXPECT_EQ(filename_is_unc("\\/a"), 1);
    EXPECT_EQ(filename_is_unc("/a"), 0);
    EXPECT_EQ(filename_is_unc(""), 0);
}

TEST(FileNameParts, NormaliserWritesThePlatformSeparator) {
    char buf[] = "a/b\\c/";
    EXPECT_EQ(filename_normalise(buf), buf);
    EXPECT_EQ(std::string(buf), S("a/b/c/"));

    char same[] = "x\\y";
    EXPECT_EQ(backslash_to_fwd(same), same);
    EXPECT_STREQ(same, "x\\y");
}

TEST(AppendFilename, JoinsWithOneSeparator) {
    EXPECT_EQ(take(filename_append_filename("dir", "f.c")), S("dir/f.c"));
    EXPECT_EQ(take(filename_append_filename("dir/", "f.c")), S("dir/f.c"));
    EXPECT_EQ(take(filename_append_filename("dir\\", "f.c")), S("dir/f.c"));
    EXPECT_EQ(take(filename_append_filename("a\\b", "c/d")), S("a/b/c/d"));
    EXPECT_EQ(take(filename_append_filename("", "f.c")), "f.c");
    EXPECT_EQ(take(filename_append_filename("dir", "")), "dir");
}

TEST(AppendFilename, AbsoluteAndNetworkNamesStandAlone) {
    EXPECT_EQ(take(filename_append_filename("dir", "/abs/f")), S("/abs/f"));
    EXPECT_EQ(take(filename_append_filename("dir", "\\\\srv\\s")), S("//srv/s"));
    if (kDrives) {
        EXPECT_EQ(take(filename_append_filename("dir", "D:\\f")), "D:\\f");
    } else {
        EXPECT_EQ(take(filename_append_filename("dir", "D:/f")), "dir/D:/f");
    }
}

TEST(AppendFilename, NamesWithBlanksAndQuotesAreQuotedOnce) {
    EXPECT_EQ(take(filename_append_filename("\"my dir\"", "f.c")), S("\"my dir/f.c\""));
    EXPECT_EQ(take(filename_append_filename("my dir", "a\"b\".c")), S("\"my dir/ab.c\""));
    // Blanks alone, or quotes alone, leave the name as it is.
    EXPECT_EQ(take(filename_append_filename("my dir", "f.c")), S("my dir/f.c"));
    EXPECT_EQ(take(filename_append_filename("d", "a\"b")), S("d/a\"b"));
}

TEST(NamePieces, Extensions) {
    EXPECT_STREQ(filename_extension("dir.d/file.tar.gz"), "gz");
    EXPECT_STREQ(filename_extension("file."), "");
    EXPECT_EQ(filename_extension("dir.d/file"), nullptr);
    EXPECT_EQ(filename_extension("dir.d\\file"), nullptr);

    EXPECT_STREQ(file_extension("dir.d/file.c"), ".c");
    EXPECT_STREQ(file_extension("a\\b.x.y"), ".y");
    EXPECT_EQ(file_extension("dir.d/file"), nullptr);
}

TEST(NamePieces, Dirname) {
    EXPECT_EQ(take(wl_dirname("a/b/c")), "a/b");
    EXPECT_EQ(take(wl_dirname("a\\b")), "a");
    EXPECT_EQ(take(wl_dirname("file")), ".");
    EXPECT_EQ(take(wl_dirname("/x")), "/");
    EXPECT_EQ(take(wl_dirname("\\x")), "\\");
    EXPECT_EQ(take(wl_dirname("C:\\x")), kDrives ? "C:\\" : "C:");
}

TEST(NamePieces, Basename) {
    EXPECT_STREQ(wl_basename("a/b/c.txt"), "c.txt");
    EXPECT_STREQ(wl_basename("a\\b"), "b");
    EXPECT_STREQ(wl_basename("c.txt"), "c.txt");
    EXPECT_STREQ(wl_basename("/x"), "x");
    EXPECT_STREQ(wl_basename("/"), "/");
    EXPECT_STREQ(wl_basename("a/b/"), "");
}

TEST(TildeExpansion, ReplacesALeadingTildeWithHome) {
    EnvVar home("HOME", "/home/u");
    EXPECT_EQ(take(tilde_expand("~")), "/home/u");
    EXPECT_EQ(take(tilde_expand("~/x/y")), "/home/u/x/y");
    EXPECT_EQ(take(tilde_expand("~\\x")), "/home/u\\x");
    EXPECT_EQ(take(tilde_expand("~user/x")), "~user/x");
    EXPECT_EQ(take(tilde_expand("a~/b")), "a~/b");
}

TEST(TildeExpansion, UnsetHomeIsEmpty) {
    EnvVar home("HOME", nullptr);
    EXPECT_EQ(take(tilde_expand("~/x")), "/x");
    EXPECT_EQ(take(tilde_expand("~")), "");
}

TEST(WildCollapse, SimplifiesInPlace) {
    struct Case {
        const char *in, *out;
    } cases[] = {
        {"a/./b//c/../d", "a/b/d"},
        {"a/b/.", "a/b"},
        {"a/b/..", "a"},
        {"a/..", "."},
        {"x/y/../../..", ".."},
        {"a/../../b", "../b"},
        {"../../a", "../../a"},
        {"./a/./b", "./a/b"},
        {"a//b///", "a/b/"},
        {"a/./", "a/"},
        {"a\\.\\b\\..\\c", "a\\c"},
        {"", ""},
        {".", "."},
    };
    for (const Case &c : cases) {
        std::string buf = c.in;
        char *p = buf.data();
        EXPECT_EQ(wild_collapse(p), p);
        EXPECT_STREQ(p, c.out) << "input " << c.in;
    }
}

TEST(WildCollapse, NeverClimbsAboveARoot) {
    struct Case {
        const char *in, *out;
    } cases[] = {
        {"/..", "/"},
        {"/../a", "/a"},
        {"///x//y", "/x/y"},
        {"C:/a/../..", "C:/"},
        {"C:a/../b", "C:b"},
        {"//srv/share/a/../b", "//srv/share/b"},
        {"//srv/share/../..", "//srv/share/"},
        {"\\\\srv\\share\\\\x", "\\\\srv\\share\\x"},
    };
    for (const Case &c : cases) {
        std::string buf = c.in;
        wild_collapse(buf.data());
        EXPECT_STREQ(buf.c_str(), c.out) << "input " << c.in;
    }
}

TEST(SimplifyFilename, SpecialNamesAreCopied) {
    EXPECT_EQ(take(simplify_filename("")), "");
    EXPECT_EQ(take(simplify_filename("!cmd a/../b")), "!cmd a/../b");
    EXPECT_EQ(take(simplify_filename("|pipe")), "|pipe");
}

TEST(SimplifyFilename, RelativeNamesJoinTheCurrentDirectory) {
    TempDir tmp;
    ChangeDir in(tmp.path());
    const std::string here = cwd();
    EXPECT_EQ(take(simplify_filename("sub/../f.c")), here + S("/f.c"));
    EXPECT_EQ(take(simplify_filename("./a\\b/")), here + S("/a/b"));
    EXPECT_EQ(take(simplify_filename(".")), here);
}

TEST(SimplifyFilename, TildeNamesStartAtHome) {
    TempDir tmp;
    EnvVar home("HOME", tmp.path().c_str());
    EXPECT_EQ(take(simplify_filename("~/proj/../src/")), tmp.path() + S("/src"));
    EXPECT_EQ(take(simplify_filename("~")), tmp.path());
}

TEST(SimplifyFilename, AbsoluteNamesAreOnlyCollapsed) {
    if (kDrives) {
        EXPECT_EQ(take(simplify_filename("c:/x//y/../z/")), "C:\\x\\z");
        EXPECT_EQ(take(simplify_filename("c:\\")), "C:\\");
        // A network name gets no drive in front.
        EXPECT_EQ(take(simplify_filename("\\\\srv\\share\\a\\..\\b")), "\\\\srv\\share\\b");
    } else {
        EXPECT_EQ(take(simplify_filename("/usr//lib/../include/")), "/usr/include");
        EXPECT_EQ(take(simplify_filename("/")), "/");
        EXPECT_EQ(take(simplify_filename("\\usr\\.\\lib")), "/usr/lib");
        EXPECT_EQ(take(simplify_filename("//srv/share/a/../b")), "//srv/share/b");
    }
}

TEST(SimplifyFilename, DrivesFollowThePlatform) {
    TempDir tmp;
    ChangeDir in(tmp.path());
    const std::string here = cwd();
    if (kDrives) {
        // A root-relative name is on the current drive; a drive-relative one
        // is below that drive's current directory.
        ASSERT_EQ(here[1], ':');
        EXPECT_EQ(take(simplify_filename("\\x\\y")), here.substr(0, 2) + "\\x\\y");
        std::string rel = here.substr(0, 2) + "sub\\..\\f";
        std::string lower = rel;
        lower[0] = static_cast<char>(tolower(lower[0]));
        EXPECT_EQ(take(simplify_filename(lower.c_str())), here + "\\f");
    } else {
        // "c:" is an ordinary part of a name here.
        EXPECT_EQ(take(simplify_filename("c:x/../y")), here + "/y");
        EXPECT_EQ(take(simplify_filename("c:/d")), here + "/c:/d");
    }
}

} // namespace
