// The debugging mode, seen from outside: a small program runs under CHK
// settings and its reports are compared with the texts they must have.
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include <gtest/gtest.h>

#include "chk_probe_util.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CHK_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CHK_TEST_ASAN 1
#endif

namespace {

using chk_test::has;
using chk_test::probe_addr;
using chk_test::run_probe;

std::string plus(const std::string &hex, long delta)
{
    unsigned long long v = strtoull(hex.c_str(), nullptr, 16);
    char buf[32];
    snprintf(buf, sizeof buf, "0x%08llx", v + static_cast<unsigned long long>(delta));
    return buf;
}

// ---------------------------------------------------------------- guard bytes

TEST(ChkGuard, OneBytePastTheEndIsReportedAndStops)
{
    auto r = run_probe({"overrun", "0"}, {{"CHK", "-tail=1"}});
    std::string a = probe_addr(r, "block");
    EXPECT_TRUE(r.aborted) << r.err;
    for (const std::string &text : {r.err, r.dump}) {
        EXPECT_TRUE(has(text, "\n*** Overwritten past end of malloc() area.\n    Blk: 0  ID=")) << text;
        EXPECT_TRUE(has(text, "  Address=" + a + "\n")) << text;
        EXPECT_TRUE(has(text, "\n    Starts at: " + a)) << text;
        EXPECT_TRUE(has(text, "\n    Ends at:   " + plus(a, 13))) << text;
        EXPECT_TRUE(has(text, "\n    Size:      13 (0xd)")) << text;
        EXPECT_TRUE(has(text, "\n    Modified 1 byte at: " + plus(a, 13) + " - 0 bytes past end")) << text;
        EXPECT_TRUE(has(text, "\n    Block allocated PC:")) << text;
        EXPECT_TRUE(has(text, "    Allocated from:\n         <No stack collected since -depth:0 in effect>\n"))
            << text;
    }
    EXPECT_TRUE(has(r.err, "CHK_ALLOC: 1 memory corruption\n")) << r.err;
}

TEST(ChkGuard, GuardAreaCoversAlignmentPaddingAndTheGuardOption)
{
    // 13 bytes at alignment 4: 3 bytes of padding and a guard of 0 + 1
    // rounded to 4, so offsets 13 to 19 are watched.
    auto distant = run_probe({"overrun", "6"}, {{"CHK", "-tail=1"}, {"CHKFLAGS", "1"}});
    std::string a = probe_addr(distant, "block");
    EXPECT_TRUE(has(distant.err, "\n    Modified 1 byte at: " + plus(a, 19) + " - 6 bytes past end")) << distant.err;
    EXPECT_EQ(distant.status, 0); // CHKFLAGS: reported, not fatal

    auto wider = run_probe({"overrun", "7"}, {{"CHK", "-tail=1 -guard=8"}, {"CHKFLAGS", "1"}});
    EXPECT_TRUE(has(wider.err, "7 bytes past end")) << wider.err;

    // No check before "skip" allocations have been made.
    auto skipped = run_probe({"overrun", "0"}, {{"CHK", "-tail=1 -skip=100000"}});
    EXPECT_EQ(skipped.status, 0) << skipped.err;
}

TEST(ChkGuard, WritesBeyondTheGuardAreaAreNotSeen)
{
#ifdef CHK_TEST_ASAN
    GTEST_SKIP() << "the write lands past the end of the system block, which the sanitizer stops first";
#endif
    auto beyond = run_probe({"overrun", "7"}, {{"CHK", "-tail=1"}});
    EXPECT_EQ(beyond.status, 0);
    EXPECT_FALSE(has(beyond.err, "Overwritten")) << beyond.err;
}

// --------------------------------------------------------------- double frees

TEST(ChkDoubleFree, BlockStillQueuedIsReportedWithItsHistory)
{
    auto r = run_probe({"double_free", "24", "5", "3"}, {{"CHK", "-tail=1000"}});
    std::string a = probe_addr(r, "block");
    EXPECT_TRUE(r.aborted);
    EXPECT_TRUE(has(r.err, "CHK_ALLOC: Trying to free memory at " + a + " which is already free.\n")) << r.err;
    EXPECT_TRUE(has(r.dump, "*** Trying to free memory at " + a + " which is already free.\n\n    Current free id#"))
        << r.dump;
    EXPECT_TRUE(has(r.dump, " (6 free()'s ago)\n    There have been 3 calls to malloc() since that free()\n"))
        << r.dump;
    EXPECT_TRUE(has(r.dump, "\n    Current stack:\n")) << r.dump;
    EXPECT_TRUE(has(r.dump, "\n    Allocated from:\n")) << r.dump;
}

TEST(ChkDoubleFree, BlockReleasedFromTheQueueIsStillKnown)
{
    auto r = run_probe({"double_free", "24", "150"}, {{"CHK", "-tail=1000"}});
    std::string a = probe_addr(r, "block");
    EXPECT_TRUE(r.aborted);
    EXPECT_TRUE(has(r.err, "CHK_ALLOC: Trying to free memory at " + a + " which is already free.\n")) << r.err;
    EXPECT_TRUE(has(r.dump, "    Freed more than 100 free()'s ago\n")) << r.dump;

    auto shorter = run_probe({"double_free", "24", "20"}, {{"CHK", "-tail=1000 -free_queue_length=10"}});
    EXPECT_TRUE(has(shorter.dump, "    Freed more than 10 free()'s ago\n")) << shorter.dump;
}

TEST(ChkDoubleFree, PlainModeReportsSmallAndBigBlocksWithoutReadingThem)
{
    for (const char *size : {"24", "0x100000"}) {
        SCOPED_TRACE(size);
        auto r = run_probe({"double_free", size, "0"}, {});
        std::string a = probe_addr(r, "block");
        EXPECT_TRUE(r.aborted) << r.err;
        EXPECT_FALSE(r.crashed);
        EXPECT_TRUE(has(r.err, "CHK_ALLOC: Trying to free memory at " + a + " which is already free.\n")) << r.err;
    }
    // A big block stays known long after it went back to the system.
    auto late = run_probe({"double_free", "0x100000", "500"}, {{"CHKFLAGS", "1"}});
    EXPECT_EQ(late.status, 0);
    EXPECT_TRUE(has(late.err, "which is already free.")) << late.err;
}

TEST(ChkDoubleFree, ErrorHookRunsAndAbortOptionDecides)
{
    auto hooked = run_probe({"hook"}, {});
    std::string a = probe_addr(hooked, "block");
    EXPECT_TRUE(has(hooked.out, "hook: Trying to free memory at " + a + " which is already free.\n"))
        << hooked.out;
    EXPECT_TRUE(hooked.aborted);

    auto goes_on = run_probe({"double_free", "24", "0"}, {{"CHK", "-tail=1000 -abort=0"}});
    EXPECT_EQ(goes_on.status, 0);
    EXPECT_TRUE(has(goes_on.err, "which is already free.")) << goes_on.err;
}

// ----------------------------------------------------------------- wild frees

TEST(ChkWildFree, ForeignMemoryIsReportedAndLeftAlone)
{
    for (const char *chk : {"", "-tail=1"}) {
        SCOPED_TRACE(chk);
        auto strict = run_probe({"wild_free"}, {{"CHK", chk}});
        std::string a = probe_addr(strict, "block");
        EXPECT_TRUE(strict.aborted);
        EXPECT_TRUE(has(strict.err, "CHK_ALLOC: Trying to free unallocated memory at " + a + "\n")) << strict.err;

        // Going on, the C library still owns the block: the program frees it
        // itself, which would fail had the allocator released it too.
        auto lenient = run_probe({"wild_free"}, {{"CHK", chk}, {"CHKFLAGS", "1"}});
        EXPECT_EQ(lenient.status, 0) << lenient.err;
        EXPECT_TRUE(has(lenient.out, "survived\n")) << lenient.out;
        EXPECT_TRUE(has(lenient.err, "Trying to free unallocated memory at ")) << lenient.err;
    }
    auto r = run_probe({"wild_free"}, {{"CHK", "-tail=1"}, {"CHKFLAGS", "1"}});
    EXPECT_TRUE(has(r.dump, "*** Trying to free unallocated memory at ")) << r.dump;
}

// ---------------------------------------------------------------------- leaks

TEST(ChkLeaks, UnreferencedBlocksAreLeakedAndMiddlePointersPossiblyLeaked)
{
    auto r = run_probe({"leaks"}, {{"CHK", "-leaks"}});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string a = probe_addr(r, "a"), c = probe_addr(r, "c");
    EXPECT_TRUE(has(r.out, "\nCHK: Performing leak check... (128 bytes in 3 blocks)\n")) << r.out;
    EXPECT_TRUE(has(r.out, "CHK: Leak check   0% done.")) << r.out;
    EXPECT_TRUE(has(r.out, "..DONE\n")) << r.out;
    for (const std::string &text : {r.out, r.dump}) {
        EXPECT_TRUE(has(text, "\n\n------ Memory blocks leaked -------------------\n\n")) << text;
        EXPECT_TRUE(has(text, "Leaked memory:   (MLK)       64 bytes, 1 blocks.\n")) << text;
        EXPECT_TRUE(has(text, "Possibly leaked: (PLK)       24 bytes, 1 blocks.\n")) << text;
        EXPECT_TRUE(has(text, "                            128 bytes allocated in total\n")) << text;
        EXPECT_TRUE(has(text, "                              3 blocks allocated in total\n")) << text;
        EXPECT_TRUE(has(text, ": Addr: " + a.substr(2) + "  End: " + plus(a, 64).substr(2) +
                                  "  Size: 000040  Flags:\n"))
            << text;
        EXPECT_TRUE(has(text, "\n\n------ Possible memory blocks leaked -------------------\n\n")) << text;
        EXPECT_TRUE(has(text, ": Addr: " + c.substr(2) + "  End: " + plus(c, 24).substr(2) +
                                  "  Size: 000018  Flags: REF_MIDDLE\n"))
            << text;
        EXPECT_TRUE(has(text, "Leak checking finished.\n")) << text;
    }
    EXPECT_FALSE(has(r.out, probe_addr(r, "b").substr(2) + "  End:")) << r.out; // referenced
    EXPECT_TRUE(has(r.out, "Time to compute leaks: ")) << r.out;
}

// ------------------------------------------------------------------- settings

TEST(ChkSettings, HelpListsEveryOptionAndExitsWithOne)
{
    auto r = run_probe({"env"}, {{"CHK", "-help"}});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind("CHKALLOC Help\nYou can set multiple options using the CHK environment variable\n", 0),
              0u)
        << r.out;
    EXPECT_TRUE(has(r.out, "you to quickly switch from one set of settings to another.\n")) << r.out;
    EXPECT_TRUE(has(r.out, "Options settings:\n  -abort=1                If non-zero then abort on any error or "
                           "portability\n                          issue.\n"))
        << r.out;
    EXPECT_TRUE(has(r.out, "  -fill-on-free=-1        When memory is filled")) << r.out;
    EXPECT_TRUE(has(r.out, "  -free_queue_length=100  How many chunks of memory to keep in the free queue.\n"))
        << r.out;
    EXPECT_TRUE(has(r.out, "  -help=1                 List chkalloc help information\n")) << r.out;
    EXPECT_TRUE(has(r.out, "  -mmap=0                 [0|1|2] Use mem mapped pages for better error checking.\n"
                           "                          Slower and users more memory.\n"
                           "                          0 - disable\n"))
        << r.out;
    EXPECT_TRUE(has(r.out, "  -zero_free=1            If arg is 1 then warn on call to free(0).\n")) << r.out;
    EXPECT_TRUE(has(r.out, "Environment variables:\nCHK           Collection of flags from above list.\n"
                           "CHK_FILE      Name of file for memory dumps\n"))
        << r.out;
    EXPECT_FALSE(has(r.out, "CHK='")) << r.out; // stopped before the program ran
}

TEST(ChkSettings, BannerIndirectionAndTheEnvironmentForChildren)
{
    auto plain = run_probe({"env"}, {{"CHK", "-tail=1000"}});
    EXPECT_TRUE(has(plain.err, "CHKALLOC: PID#")) << plain.err;
    EXPECT_TRUE(has(plain.err, " ** NOTE ** Memory checking enabled\nCHKALLOC: Running: ")) << plain.err;
    EXPECT_TRUE(has(plain.err, "chk_probe")) << plain.err;
    EXPECT_TRUE(has(plain.err, "\nCHKALLOC: Options: -tail=1000\n\n")) << plain.err;
#ifdef _WIN32
    const char *emptied = "CHK='(unset)' debugging=1\n"; // an empty value removes the variable there
#else
    const char *emptied = "CHK='' debugging=1\n";
#endif
    EXPECT_TRUE(has(plain.out, emptied)) << plain.out; // children run unchecked

    auto passed = run_probe({"env"}, {{"CHK", "-tail=1000 -pass"}});
    EXPECT_TRUE(has(passed.out, "CHK='-tail=1000 -pass' debugging=1\n")) << passed.out;

    auto named = run_probe({"env"}, {{"CHK", "CHK1"}, {"CHK1", "-quiet -fill=1"}});
    EXPECT_TRUE(has(named.out, "debugging=1\n")) << named.out;
    EXPECT_FALSE(has(named.err, "CHKALLOC:")) << named.err;

    auto cchk = run_probe({"env"}, {{"CCHK", "-tail=1000 -quiet"}});
    EXPECT_TRUE(has(cchk.out, "CHK='(unset)' debugging=1\n")) << cchk.out; // CCHK implies pass

    auto off = run_probe({"env"}, {{"CHK", ""}});
    EXPECT_TRUE(has(off.out, "debugging=0\n")) << off.out;
    EXPECT_EQ(off.err, "");

    // Settings that turn nothing on leave the plain mode in place.
    auto inert = run_probe({"env"}, {{"CHK", "-quiet -bogus -dump=10"}});
    EXPECT_TRUE(has(inert.out, "debugging=0\n")) << inert.out;
}

TEST(ChkSettings, ExitDumpListsLiveBlocksWithTheirContents)
{
    auto r = run_probe({"exit_dump"}, {{"CHK", "CHK1"}, {"CHK1", "-exit=1 -quiet"}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.err, "\nApplication is terminating. Generating chkalloc dump...\n")) << r.err;
    const std::string &d = r.dump;
    EXPECT_EQ(d.rfind("======================================\nProgram: ", 0), 0u) << d;
    EXPECT_TRUE(has(d, "\nPID:     ")) << d;
    EXPECT_TRUE(has(d, "\nStarted: ")) << d;
    EXPECT_TRUE(has(d, "\nDate:    ")) << d;
    EXPECT_TRUE(has(d, "\nElapsed: 00:00:0")) << d;
    EXPECT_TRUE(has(d, "\nCHK:     -exit=1 -quiet\nCHK1:      \"-exit=1 -quiet\"\n\n\n**** CHK_ALLOC: *************\n"))
        << d;
    EXPECT_TRUE(has(d, "\nNext ID:                  ")) << d;
    EXPECT_TRUE(has(d, "\n#strdup:                  1\n")) << d;
    std::string big = probe_addr(r, "big").substr(2), blk = probe_addr(r, "block").substr(2),
                str = probe_addr(r, "strdup").substr(2);
    // Newest first.
    size_t at_big = d.find(" 0000012c @" + big + " chk_alloc()");
    size_t at_blk = d.find(" 00000014 @" + blk + " chk_alloc()");
    size_t at_str = d.find(" 0000000b @" + str + " chk_strdup");
    ASSERT_NE(at_big, std::string::npos) << d;
    ASSERT_NE(at_blk, std::string::npos) << d;
    ASSERT_NE(at_str, std::string::npos) << d;
    EXPECT_LT(at_big, at_blk);
    EXPECT_LT(at_blk, at_str);
    EXPECT_TRUE(has(d, "   0: ID=")) << d;
    EXPECT_TRUE(has(d, "0000:  4142 4344 4546 4748 494a 4b4c 4d4e 4f50   ABCDEFGHIJKLMNOP\n0010:  5152 5354 "))
        << d;
    EXPECT_TRUE(has(d, "strdup = 'hello dump'\n")) << d;
    EXPECT_TRUE(has(d, "    Allocated from:\n")) << d;

    auto sorted = run_probe({"exit_dump"}, {{"CHK", "-exit=1 -sort -quiet -dump=4"}});
    const std::string &s = sorted.dump;
    size_t s_blk = s.find(" 00000014 @");
    EXPECT_LT(s.find(" 0000000b @"), s_blk) << s;
    EXPECT_LT(s_blk, s.find(" 0000012c @")) << s;
    EXPECT_TRUE(has(s, "0000:  4142 4344 ")) << s;
    EXPECT_FALSE(has(s, "0000:  4142 4344 4546")) << s; // only "dump" bytes
}

// ------------------------------------------------------- filling and resizing

TEST(ChkFill, FillOnAllocGrowthAndFree)
{
    auto r = run_probe({"fill"}, {{"CHK", "-fill=0x41 -fill-on-free=0x5a"}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "fill 41 41\ngrown 00 41\nfreed 5a 5a\n")) << r.out;

    auto k = run_probe({"fill"}, {{"CHK", "-fill=1k"}}); // 1024 as a byte is 0
    EXPECT_TRUE(has(k.out, "fill 00 00\n")) << k.out;
}

TEST(ChkFill, NoreallocAlwaysMovesTheBlock)
{
    auto moved = run_probe({"realloc"}, {{"CHK", "-norealloc"}});
    EXPECT_TRUE(has(moved.out, "moved 0123456789abcdef\n")) << moved.out;
    auto zero = run_probe({"realloc"}, {{"CHK", "-norealloc=no -tail=1000"}});
    EXPECT_TRUE(has(zero.out, " 0123456789abcdef\n")) << zero.out;
}

// -------------------------------------------------- traces, logs and streams

TEST(ChkTrace, TraceBitsAndMallocLog)
{
    auto r = run_probe({"ops"}, {{"CHK", "-trace=7 -quiet"}});
    EXPECT_TRUE(has(r.out, "ALLOC:  24\n")) << r.out;
    EXPECT_TRUE(has(r.out, "REALLOC:  24 -> 48\n")) << r.out;
    EXPECT_TRUE(has(r.out, "FREE:  48\n")) << r.out;
    EXPECT_TRUE(has(r.out, "ALLOC:  15\n")) << r.out;

    auto log = run_probe({"ops"}, {{"CHK", "-malloc_log -quiet"}});
    // The log writes addresses without leading zeros.
    auto bare = [&](const char *label) {
        char buf[32];
        snprintf(buf, sizeof buf, "0x%llx", strtoull(probe_addr(log, label).c_str(), nullptr, 16));
        return std::string(buf);
    };
    std::string a = bare("block"), g = bare("grown"), c = bare("calloc");
    EXPECT_TRUE(has(log.out, " malloc(24) := " + a + "\n")) << log.out;
    EXPECT_TRUE(has(log.out, " realloc(" + a + ", 48) := " + g + "\n")) << log.out;
    EXPECT_TRUE(has(log.out, " free(" + g + ")\n")) << log.out;
    EXPECT_TRUE(has(log.out, " calloc(3, 5) := " + c + "\n")) << log.out;
    EXPECT_FALSE(has(log.out, " malloc(15)")) << log.out;
    // Each line starts with seconds and microseconds.
    size_t at = log.out.find(" malloc(24)");
    size_t line = log.out.rfind('\n', at);
    std::string stamp = log.out.substr(line + 1, at - line - 1);
    EXPECT_EQ(stamp.size() - stamp.find('.'), 7u) << stamp;
}

TEST(ChkTrace, RequestStreamRecordsEveryOperation)
{
    std::string file = chk_test::test_file("stream");
    auto r = run_probe({"ops"}, {{"CHK", "-quiet -stream=" + file}});
    std::string s = chk_test::read_file(file);
    std::error_code ec;
    std::filesystem::remove(file, ec);
    ASSERT_EQ(s.rfind("chklog 1.0 4\n", 0), 0u) << s;
    std::string body = s.substr(13);
    const size_t rec = 28 + 40;
    ASSERT_EQ(body.size() % rec, 0u);
    auto u16 = [&](size_t i, size_t off) {
        return (unsigned char)body[i * rec + off] | ((unsigned char)body[i * rec + off + 1] << 8);
    };
    auto u32 = [&](size_t i, size_t off) {
        unsigned long v = 0;
        for (int k = 3; k >= 0; k--)
            v = (v << 8) | (unsigned char)body[i * rec + off + size_t(k)];
        return v;
    };
    std::string ops;
    for (size_t i = 0; i < body.size() / rec; i++)
        ops += char('0' + u16(i, 0));
    EXPECT_EQ(ops, "01235015") << "alloc, resize, free, calloc, free";
    EXPECT_EQ(u16(0, 4), 10);
    EXPECT_EQ(u32(0, 24), 24u);
    unsigned long long a = strtoull(probe_addr(r, "block").c_str(), nullptr, 16);
    EXPECT_EQ(u32(1, 16), static_cast<unsigned long>(a & 0xFFFFFFFFu));
    EXPECT_EQ(u32(3, 20), static_cast<unsigned long>(a & 0xFFFFFFFFu)); // old address of the resize
}

// --------------------------------------------------------------- size limits

TEST(ChkLimits, MaxSizeMaxAllocAndMonAlloc)
{
    auto size = run_probe({"limits"}, {{"CHK", "-max_size=1k -quiet"}, {"CHKFLAGS", "1"}});
    EXPECT_TRUE(has(size.err, "CHK_ALLOC: Tried to alloc an oversize block of size 2000, max allowed 1024\n"))
        << size.err;
    EXPECT_TRUE(has(size.out, "survived\n"));
    auto stops = run_probe({"limits"}, {{"CHK", "-max_size=1k -quiet"}});
    EXPECT_TRUE(stops.aborted);

    auto total = run_probe({"limits"}, {{"CHK", "-max_alloc=1k -quiet"}, {"CHKFLAGS", "1"}});
    EXPECT_TRUE(has(total.err, "CHK_ALLOC: Tried to alloc block of size 2000, already allcoated 1200 bytes.\n"
                               "This exceeds the max allowed for all blocks of 1024\n"))
        << total.err;

    auto mon = run_probe({"limits"}, {{"CHK", "-mon_alloc=0x400 -quiet"}});
    EXPECT_TRUE(has(mon.out, "Allocating big block: 2000 bytes\n")) << mon.out;
    EXPECT_FALSE(has(mon.out, "Allocating big block: 600")) << mon.out;
    EXPECT_EQ(mon.status, 0);
}

TEST(ChkLimits, ZeroSizedRequestsAndFreeOfNull)
{
    auto zero = run_probe({"zero"}, {{"CHK", "-zero -quiet"}});
    EXPECT_TRUE(has(zero.err, "CHK_ALLOC: Attempt to allocate 0 byte block\n")) << zero.err;
    EXPECT_TRUE(has(zero.out, "zero done\n"));
    auto fatal = run_probe({"zero"}, {{"CHK", "-zero_abort -quiet"}});
    EXPECT_TRUE(fatal.aborted);
    auto quiet = run_probe({"zero"}, {{"CHK", "-tail=1000 -quiet"}});
    EXPECT_EQ(quiet.err, "");

    auto null_free = run_probe({"ops"}, {{"CHK", "-zero_free=2 -quiet"}});
    EXPECT_TRUE(has(null_free.err, "CHK_ALLOC: Attempting to free NULL pointer\n")) << null_free.err;
    EXPECT_TRUE(null_free.aborted);
    auto ignored = run_probe({"ops"}, {{"CHK", "-tail=1000 -quiet"}});
    EXPECT_EQ(ignored.status, 0);
    EXPECT_EQ(ignored.err, "");
}

// -------------------------------------------------------- page-mapped blocks

TEST(ChkPages, GuardPagesStopStrayAccesses)
{
    auto fine = run_probe({"pages", "0"}, {{"CHK", "-mmap=1 -quiet"}});
    EXPECT_EQ(fine.status, 0) << fine.err;
    EXPECT_TRUE(has(fine.out, "inside ok\noutside ok\n")) << fine.out;

    auto past = run_probe({"pages", "1"}, {{"CHK", "-mmap=1 -quiet"}});
    EXPECT_TRUE(has(past.out, "inside ok\n"));
    EXPECT_FALSE(has(past.out, "outside ok")) << past.out;
    EXPECT_TRUE(past.aborted || past.crashed);
#ifndef _WIN32
    EXPECT_TRUE(has(past.err, "Forcing a core dump...\n")) << past.err;
#endif

    auto before = run_probe({"pages", "-1"}, {{"CHK", "-mmap=2 -quiet"}});
    EXPECT_FALSE(has(before.out, "outside ok")) << before.out;
    // Mode 1 guards the end only.
    auto end_only = run_probe({"pages", "-1"}, {{"CHK", "-mmap=1 -quiet"}});
    EXPECT_TRUE(has(end_only.out, "outside ok\n")) << end_only.out;
}

// ---------------------------------------------------- threads and monitoring

TEST(ChkThreads, TwoThreadsUnderFullChecking)
{
    auto r = run_probe({"threads"}, {{"CHK", "-tail=50 -fill=7 -fill-on-free=9 -quiet -exit=2"}});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(has(r.out, "bytes even\n")) << r.out;
    auto plain = run_probe({"threads"}, {});
    EXPECT_TRUE(has(plain.out, "bytes even\n")) << plain.out;
}

TEST(ChkThreads, LeakMonitorReportsGrowth)
{
    auto r = run_probe({"monitor"}, {{"CHK", "-leak_monitor -quiet"}});
    EXPECT_TRUE(has(r.out, "00:00:00 LEAKMON: ")) << r.out;
    EXPECT_TRUE(has(r.out, " bytes allocated\n")) << r.out;
}

} // namespace
