/* tvtags under the CHK settings of the checked allocator: the help stops
 * the program, and a checked run writes what an unchecked one writes and
 * leaves nothing allocated behind. */
#include <stdlib.h>

#include "e2e_util.h"

using namespace e2e;

namespace {

class CheckedRun : public Tvtags {
  protected:
    ~CheckedRun() override
    {
        unsetenv("CHK");
        unsetenv("CHK_FILE");
    }
    void tree()
    {
        file("a.c", "struct s { int x; };\nint f(void) { return 0; }\n#define M 1\n");
        file("b.cpp", "namespace n { class K { void m(); }; }\nvoid n::K::m() {}\n");
        make_dirs(at("sub"));
        file("sub/c.java", "class J { int g() { return 1; } }\n");
        file("sub/d.py", "def h():\n    pass\nclass P:\n    pass\n");
    }
    result_t checked(const char *chk, const std::vector<std::string> &args)
    {
        setenv("CHK", chk, 1);
        setenv("CHK_FILE", at("chk.dump").c_str(), 1);
        result_t r = run(args);
        unsetenv("CHK");
        return r;
    }
};

TEST_F(CheckedRun, HelpIsPrintedAndTheRunStops)
{
    file("a.c", "int f(void) { return 0; }\n");
    result_t r = checked("-help", {"-ctags", "a.c"});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(0u, r.out.find("CHKALLOC Help\n")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("  -leaks=0                Show memory leaks on exit.\n")) << r.out;
    EXPECT_FALSE(exists(at("tags"))) << "nothing is tagged";
}

TEST_F(CheckedRun, LeakCheckFindsNothingAndTheOutputIsUnchanged)
{
    tree();
    result_t plain = run({"-q", "-o", "plain.tags", "."});
    ASSERT_EQ(0, plain.status) << plain.err;
    // Scanned on the scanning threads and on the main thread alone: what
    // either keeps in its thread's storage is let go before the check.
    for (const char *threads : {"", "0"}) {
        setenv("TVTAGS_THREADS", threads, 1);
        remove(at("checked.tags").c_str());
        result_t r = checked("-leaks -quiet", {"-q", "-o", "checked.tags", "."});
        unsetenv("TVTAGS_THREADS");
        ASSERT_EQ(0, r.status) << r.err;
        EXPECT_NE(std::string::npos, r.out.find("CHK: Performing leak check... (")) << r.out;
        EXPECT_NE(std::string::npos, r.out.find("Leaked memory:   (MLK)        0 bytes, 0 blocks.\r\n"))
            << "threads '" << threads << "': " << r.out;
        EXPECT_NE(std::string::npos, r.out.find("Possibly leaked: (PLK)        0 bytes, 0 blocks.\r\n")) << r.out;
        EXPECT_EQ("", r.err);
        EXPECT_EQ(read_file(at("plain.tags")), read_file(at("checked.tags")));
    }

    // The text form, with guard checks after every operation and filled
    // blocks, comes out the same too.
    result_t text = run({"-q", "-text", "-ctags", "-o", "plain.ctags", "."});
    result_t strict = checked("-tail=1 -fill=0x55 -fill-on-free=0xaa -norealloc -quiet",
                              {"-q", "-text", "-ctags", "-o", "checked.ctags", "."});
    ASSERT_EQ(0, strict.status) << strict.err;
    EXPECT_EQ("", strict.err);
    EXPECT_EQ(read_file(at("plain.ctags")), read_file(at("checked.ctags")));
    EXPECT_NE(std::string::npos, read_file(at("plain.ctags")).find("K\t"));
}

} // namespace
