/* Which files are scanned, with which language, and the report line; run
 * with the test extension, whose line scanner stands in for the C one. */
#include "e2e_util.h"

#include <cstdlib>
#include <sstream>

#include <unistd.h>

using namespace e2e;

namespace {

class Select : public TvtagsExt {
  protected:
    /* Scans with the given arguments and returns the names of the files
     * that got a report line, in order. */
    std::vector<std::string> scanned(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"-text", "-o", at(".tags")});
        result_t r = run(args);
        EXPECT_EQ(0, r.status) << r.err;
        std::vector<std::string> names;
        std::istringstream lines(r.out);
        for (std::string line; std::getline(lines, line);) {
            size_t sp = line.find(' ');
            if (sp != std::string::npos && line.find(", ") != std::string::npos && line[0] == '/')
                names.push_back(line.substr(0, sp));
        }
        return names;
    }
};

TEST_F(Select, ReportLine)
{
    file("one.c", "fn alpha\n");
    file("two.c", "fn alpha\nfn beta\nref alpha\nref beta\nref gamma\n");
    file("none.c", "nothing here\n");
    file("x.log", "fn alpha\n");
    result_t r = run({"one.c", "two.c", "none.c", "x.log"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(report_line(at("one.c"), "C", "  1 definition") +
              report_line(at("two.c"), "C", "  2 definitions") +
              report_line(at("none.c"), "C", "  0 definitions") +
              report_line(at("x.log"), "Text file", "unsupported - skipped"),
              r.out);

    /* With cross-references on they are counted apart. */
    remove(at("tags").c_str());
    file("three.c", "fn alpha\nref alpha\n");
    r = run({"-xref", "two.c", "three.c"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(report_line(at("two.c"), "C", "  2 definitions + 3 xrefs") +
              report_line(at("three.c"), "C", "  1 definition + 1 xref"),
              r.out);

    /* -q prints no report lines. */
    r = run({"-q", "-force", "two.c"});
    EXPECT_EQ("", r.out);

    /* -noabsolute keeps the name as given. */
    r = run({"-force", "-noabsolute", "./one.c"});
    EXPECT_EQ(report_line("./one.c", "C", "  1 definition"), r.out);
}

TEST_F(Select, TagTypeSwitches)
{
    file("a.c", "fn f1\nfn f2\ncls C1\ndef D1\nvar v1\n");
    auto count = [&](std::vector<std::string> sw) {
        sw.insert(sw.begin(), {"-text", "-o", at(".tags")});
        sw.push_back("a.c");
        result_t r = run(sw);
        EXPECT_EQ(0, r.status) << r.err;
        size_t comma = r.out.find(", ");
        return comma == std::string::npos ? -1 : atoi(r.out.c_str() + comma + 2);
    };
    EXPECT_EQ(5, count({}));
    EXPECT_EQ(3, count({"+FUNCTION", "+CLASS"})) << "the first + starts from nothing";
    EXPECT_EQ(1, count({"-FUNCTION", "-CLASS", "-data"}));

    /* Name filters are wildcards. */
    file("a.c", "fn tmpx\nfn fx\nfn tmpy\nfn gy\n");
    EXPECT_EQ(1, count({"-regexp", "tmp*", "+regexp", "*x"}));
    EXPECT_EQ(2, count({"-regexp", "tmp*"}));
}

TEST_F(Select, LanguageChoice)
{
    file("readme.txt", "fn alpha\n");
    file("plain", "fn alpha\n");
    file("x.pc", "fn alpha\n");
    file("y.PC", "fn alpha\n");
    file("z.C", "fn alpha\n");
    /* Files without a language are skipped silently. */
    result_t r = run({"readme.txt", "plain", "x.pc", "y.PC"});
    EXPECT_EQ("", r.out);
    EXPECT_EQ("", r.err);

    /* A remap applies to the arguments after it, case-sensitively. */
    r = run({"x.pc", "pc=c", "x.pc", "y.PC"});
    EXPECT_EQ(report_line(at("x.pc"), "C", "  1 definition"), r.out);

    /* -l forces the language, by extension or by description. */
    r = run({"-l", "c", "readme.txt", "plain"});
    EXPECT_EQ(report_line(at("readme.txt"), "C", "  1 definition") +
              report_line(at("plain"), "C", "  1 definition"),
              r.out);
    r = run({"-force", "-l", "Perl script", "readme.txt"});
    std::string expected = report_line(at("readme.txt"), "Perl script", "");
    expected.pop_back();
    EXPECT_EQ(0u, r.out.find(expected)) << r.out;

    /* Extensions match without regard to case; the first row wins. */
    r = run({"z.C"});
    EXPECT_EQ(report_line(at("z.C"), "C", "  1 definition"), r.out);
}

TEST_F(Select, SccsNamesAndPatterns)
{
    for (const char *n : {"s.main.c", "p.foo.c", "s.c", "sx.c", "p.ab", "test1.c", "main.c", "main.h"})
        file(n, "fn alpha\n");
    auto got = scanned({"s.main.c", "p.foo.c", "s.c", "sx.c"});
    EXPECT_EQ((std::vector<std::string>{at("s.c"), at("sx.c")}), got);

    got = scanned({"-if", "*.c", "-xf", "test*.c", "test1.c", "main.c", "main.h"});
    EXPECT_EQ((std::vector<std::string>{at("main.c")}), got);

    /* Several alternatives in one pattern. */
    got = scanned({"-xf", "main.*;s*", "test1.c", "main.c", "sx.c"});
    EXPECT_EQ((std::vector<std::string>{at("test1.c")}), got);
}

TEST_F(Select, DirectoryWalk)
{
    make_dirs(at("top/sub/deep"));
    make_dirs(at("top/marked/inner"));
    make_dirs(at("top/skipme"));
    make_dirs(at("top/.hidden"));
    write_file(at("top/.notags"), "");
    write_file(at("top/b.c"), "fn b\n");
    write_file(at("top/a.c"), "fn a\n");
    write_file(at("top/.dot.c"), "fn dot\n");
    write_file(at("top/sub/c.c"), "fn c\n");
    write_file(at("top/sub/deep/d.c"), "fn d\n");
    write_file(at("top/marked/.notags"), "");
    write_file(at("top/marked/e.c"), "fn e\n");
    write_file(at("top/marked/inner/f.c"), "fn f\n");
    write_file(at("top/skipme/g.c"), "fn g\n");
    write_file(at("top/.hidden/h.c"), "fn h\n");

    /* The named directory is walked even though it holds ".notags"; its
     * subdirectories are not when they do. */
    auto got = scanned({"-xd", "skip*", "top"});
    EXPECT_EQ((std::vector<std::string>{at("top/a.c"), at("top/b.c"), at("top/sub/c.c"), at("top/sub/deep/d.c")}),
              got);

    /* Named directly, neither the exclusion nor the marker applies, and
     * the walk goes on into unmarked subdirectories. */
    got = scanned({"top/skipme", "top/marked"});
    EXPECT_EQ((std::vector<std::string>{at("top/skipme/g.c"), at("top/marked/e.c"), at("top/marked/inner/f.c")}),
              got);
}

TEST_F(Select, LinksToDirectoriesAreNotFollowedInsideATree)
{
    make_dirs(at("tree/a"));
    make_dirs(at("elsewhere"));
    write_file(at("tree/a/x.c"), "fn x\n");
    write_file(at("elsewhere/y.c"), "fn y\n");
    ASSERT_EQ(0, symlink("..", at("tree/a/up").c_str()));
    ASSERT_EQ(0, symlink(".", at("tree/a/self").c_str()));
    ASSERT_EQ(0, symlink(at("elsewhere").c_str(), at("tree/out").c_str()));
    ASSERT_EQ(0, symlink("x.c", at("tree/a/link.c").c_str()));
    /* Loops of links end, each file is seen once, the walk stays in the
     * tree, and a link to a file is still a file. */
    EXPECT_EQ((std::vector<std::string>{at("tree/a/link.c"), at("tree/a/x.c")}), scanned({"tree"}));
    /* A link named on the command line is walked. */
    EXPECT_EQ((std::vector<std::string>{at("tree/out/y.c")}), scanned({"tree/out"}));
}

TEST_F(Select, EachDirectoryIsWalkedOnce)
{
    make_dirs(at("tree/sub"));
    write_file(at("tree/sub/x.c"), "fn x\n");
    write_file(at("tree/y.c"), "fn y\n");
    ASSERT_EQ(0, symlink(at("tree/sub").c_str(), at("alias").c_str()));
    /* The same tree by two names, and a link named beside the tree it
     * points into: each directory's files come once, under the name that
     * reached it first. */
    EXPECT_EQ((std::vector<std::string>{at("tree/sub/x.c"), at("tree/y.c")}),
              scanned({"tree", "tree/../tree", "alias"}));
    EXPECT_EQ((std::vector<std::string>{at("alias/x.c"), at("tree/y.c")}), scanned({"alias", "tree"}));
}

TEST_F(Select, ListFiles)
{
    make_dirs(at("src"));
    file("src/a.c", "fn a\n");
    file("src/b.c", "fn b\n");
    file("list", "src/a.c\r\n\n\nsrc/b.c\n");
    auto got = scanned({"-I", "list"});
    EXPECT_EQ((std::vector<std::string>{at("src/a.c"), at("src/b.c")}), got);

    /* A line of 511 characters is one name. */
    std::string dir = "d" + std::string(200, 'x') + "/" + std::string(200, 'y') + "/";
    std::string name = dir + std::string(511 - dir.size() - 2, 'z') + ".c";
    ASSERT_EQ(511u, name.size());
    make_dirs(at(dir));
    file(name, "fn long\n");
    file("list2", name + "\n");
    got = scanned({"-I", "list2"});
    EXPECT_EQ((std::vector<std::string>{at(name)}), got);
}

TEST_F(Select, SwitchValues)
{
    file("a.c", "fn alpha\nwarn here\n");
    /* -nod is -d: the "no" is dropped and single letters take no value. */
    result_t r = run({"-nod", "a.c"});
    EXPECT_NE(std::string::npos, r.out.find("FUNCTION ln=1 alpha")) << r.out;
    r = run({"-force", "a.c"});
    EXPECT_EQ(std::string::npos, r.out.find("FUNCTION ln=1 alpha")) << r.out;

    /* Scanner diagnostics go to the -e file. */
    EXPECT_NE(std::string::npos, r.err.find("scanner warning")) << r.err;
    r = run({"-force", "-e", "errs", "a.c"});
    EXPECT_EQ(std::string::npos, r.err.find("scanner warning")) << r.err;
    EXPECT_NE(std::string::npos, read_file(at("errs")).find(":2: scanner warning")) << read_file(at("errs"));
}

TEST_F(Select, FaultInScanner)
{
    file("ok.c", "fn alpha\n");
    file("boom.c", "fn alpha\ncrash\n");
    result_t r = run({"ok.c", "boom.c"});
    EXPECT_NE(0, r.signal) << "the handler aborts the process";
    EXPECT_NE(std::string::npos,
              r.out.find("\nProgram error SIGSEGV received whilst processing:\nFile: " + at("boom.c") + "\n"))
        << r.out;
}

} // namespace

namespace {

/* Where the extension library is looked for: beside the program found
 * through PATH, or in ../etc from there; without it .c files have only the
 * built-in scanner. */
class Extension : public Tvtags {
  protected:
    void SetUp() override { file("a.c", "fn only_the_test_scanner_knows_this\n"); }
    bool loaded(const result_t &r) { return r.out == report_line(at("a.c"), "C", "  1 definition"); }
};

TEST_F(Extension, FoundBesideTheProgram)
{
    std::string exe = install("p1/bin/tvtags", "p1/etc/tvtags.so");
    EXPECT_TRUE(loaded(run_as(exe, exe, "", {"-force", "a.c"}))) << "../etc beside the program";

    exe = install("p2/tvtags", "p2/tvtags.so");
    result_t r = run_as(exe, "tvtags", "/nonexistent:" + at("p2"), {"-force", "a.c"});
    EXPECT_TRUE(loaded(r)) << "found through PATH: " << r.out << r.err;

    exe = install("p3/tvtags", "");
    r = run_as(exe, exe, "", {"-force", "a.c"});
    EXPECT_EQ(0, r.status);
    EXPECT_FALSE(loaded(r)) << "no library, no test scanner";
}

} // namespace
