// Allocation functions with checking off: blocks, headers, statistics and
// the reports that let the program go on.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "chk_testutil.h"
#include "wrenlib/chk.h"

namespace {

chk_stats_t stats()
{
    chk_stats_t s;
    chk_get_stats(&s);
    return s;
}

uint32_t magic_of(const void *p)
{
    uint32_t m;
    memcpy(&m, static_cast<const char *>(p) - CHK_HEADER_SIZE, sizeof m);
    return m;
}

uint64_t size_of(const void *p)
{
    uint64_t n;
    memcpy(&n, static_cast<const char *>(p) - CHK_HEADER_SIZE + 8, sizeof n);
    return n;
}

bool all_zero(const void *p, size_t n)
{
    const unsigned char *b = static_cast<const unsigned char *>(p);
    return std::all_of(b, b + n, [](unsigned char c) { return c == 0; });
}

TEST(ChkBlocks, HeaderCarriesLiveMagicAndRequestedSize)
{
    void *prev = nullptr;
    for (size_t n : {size_t{0}, size_t{0}, size_t{1}, size_t{15}, size_t{1000}}) {
        void *p = chk_alloc(n);
        ASSERT_NE(p, nullptr);
        EXPECT_NE(p, prev);
        EXPECT_EQ(magic_of(p), CHK_MAGIC_LIVE);
        EXPECT_EQ(size_of(p), n);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(max_align_t), 0u) << n;
        memset(p, 0xAB, n);
        chk_free(prev);
        prev = p;
    }
    chk_free(prev);
}

TEST(ChkBlocks, CallocAndZallocClearTheData)
{
    void *dirty = chk_alloc(4096); // likely reused by the next requests
    memset(dirty, 0x5A, 4096);
    chk_free(dirty);
    void *z = chk_zalloc(4096);
    void *c = chk_calloc(64, 64);
    EXPECT_TRUE(all_zero(z, 4096));
    EXPECT_TRUE(all_zero(c, 4096));
    EXPECT_EQ(size_of(c), 4096u);
    chk_free(z);
    chk_free(c);
}

TEST(ChkBlocks, ReallocKeepsContentAndRecordsNewSize)
{
    char *p = static_cast<char *>(chk_alloc(10));
    memcpy(p, "0123456789", 10);
    p = static_cast<char *>(chk_realloc(p, 100000));
    EXPECT_EQ(memcmp(p, "0123456789", 10), 0);
    EXPECT_EQ(size_of(p), 100000u);
    p = static_cast<char *>(chk_realloc(p, 4));
    EXPECT_EQ(memcmp(p, "0123", 4), 0);
    EXPECT_EQ(size_of(p), 4u);
    EXPECT_EQ(magic_of(p), CHK_MAGIC_LIVE);
    chk_free(p);
}

TEST(ChkBlocks, FreeIgnoresNullAndFreePtrNullsThePointer)
{
    chk_stats_t b = stats();
    chk_free(nullptr);
    chk_free_safe(nullptr);
    chk_free_ptr(nullptr);
    char *p = static_cast<char *>(chk_alloc(32));
    chk_free_ptr(&p);
    EXPECT_EQ(p, nullptr);
    chk_free_ptr(&p);
    chk_stats_t e = stats();
    EXPECT_EQ(e.cs_free, b.cs_free + 1);
    EXPECT_EQ(e.cs_bytes, b.cs_bytes);
}

TEST(ChkStats, EveryCallKindIsCounted)
{
    chk_stats_t b = stats();
    void *a = chk_alloc(100);
    void *c = check_calloc(3, 10, "test", nullptr);
    void *z = chk_zalloc(7);
    char *s = chk_strdup("hello");
    chk_stats_t mid = stats();
    EXPECT_EQ(mid.cs_alloc, b.cs_alloc + 1);
    EXPECT_EQ(mid.cs_calloc, b.cs_calloc + 1);
    EXPECT_EQ(mid.cs_zalloc, b.cs_zalloc + 1);
    EXPECT_EQ(mid.cs_strdup, b.cs_strdup + 1);
    EXPECT_EQ(mid.cs_blocks, b.cs_blocks + 4);
    EXPECT_EQ(mid.cs_bytes, b.cs_bytes + 100 + 30 + 7 + 6);

    a = check_realloc(a, 250, "test", &b);
    chk_stats_t grown = stats();
    EXPECT_EQ(grown.cs_realloc, b.cs_realloc + 1);
    EXPECT_EQ(grown.cs_bytes, mid.cs_bytes + 150);
    EXPECT_EQ(grown.cs_blocks, mid.cs_blocks);

    check_free(a, "test", nullptr);
    chk_free(c);
    chk_free(z);
    chk_free(s);
    chk_stats_t end = stats();
    EXPECT_EQ(end.cs_free, b.cs_free + 4);
    EXPECT_EQ(end.cs_bytes, b.cs_bytes);

    // The largest requests are kept per kind.
    size_t big_alloc = end.cs_largest_alloc + 4097;
    size_t big_realloc = end.cs_largest_realloc + 8193;
    chk_free(chk_realloc(chk_alloc(big_alloc), big_realloc));
    chk_free(chk_alloc(1));
    EXPECT_EQ(stats().cs_largest_alloc, big_alloc);
    EXPECT_EQ(stats().cs_largest_realloc, big_realloc);
}

TEST(ChkStrings, StrdupStrndupAndMakestr)
{
    const char text[] = "tags \x01\xff end";
    char *s = chk_strdup(text);
    EXPECT_STREQ(s, text);
    EXPECT_EQ(size_of(s), sizeof text);
    chk_free(s);
    EXPECT_EQ(chk_strdup(nullptr), nullptr);

    // Exactly n bytes, embedded zeros included, and no terminator.
    char *n = chk_strndup("a\0bcdef", 3);
    EXPECT_EQ(size_of(n), 3u);
    EXPECT_EQ(memcmp(n, "a\0b", 3), 0);
    chk_free(n);

    char *m = chk_makestr("dir", "/", "", "file.c", static_cast<char *>(nullptr));
    EXPECT_STREQ(m, "dir/file.c");
    EXPECT_EQ(size_of(m), 11u);
    chk_free(m);
    char *e = chk_makestr(static_cast<char *>(nullptr));
    EXPECT_STREQ(e, "");
    chk_free(e);
}

TEST(ChkLifecycle, InitIsRepeatableAndCheckingStaysOff)
{
    chk_init();
    chk_init();
    EXPECT_EQ(chk_debugging(), 0);
    chk_stats_t b = stats();
    chk_exit_report();
    EXPECT_EQ(stats().cs_bytes, b.cs_bytes);
}

// The reports write the statistics dump; keep it out of /tmp.
class ChkReports : public ::testing::Test {
protected:
    void TearDown() override
    {
        std::error_code ec; // still open on Windows: left for the system
        std::filesystem::remove(path_, ec);
    }
    /* Runs `what` and returns what it wrote on standard error. */
    template <typename F> std::string stderr_of(F what)
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        what();
        std::string err = testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStdout();
        return err;
    }
    std::string path_ = chk_test::scratch_file("chk_report_dump");
    chk_test::scoped_env dump_{"CHK_FILE", path_.c_str()};
};

TEST_F(ChkReports, ReallocOfNullReportsAndAllocates)
{
    chk_stats_t b{}, e{};
    char *p = nullptr;
    std::string err = stderr_of([&] {
        b = stats();
        p = static_cast<char *>(chk_realloc(nullptr, 40));
        e = stats();
    });
    EXPECT_NE(err.find("CHK_ALLOC: Realloc NULL pointer is same as malloc.\n"), std::string::npos)
        << err;
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(size_of(p), 40u);
    memset(p, 1, 40);
    EXPECT_EQ(e.cs_realloc, b.cs_realloc + 1);
    EXPECT_EQ(e.cs_blocks, b.cs_blocks + 1);
    EXPECT_EQ(e.cs_bytes, b.cs_bytes + 40);
    chk_free(p);
}

TEST_F(ChkReports, WildFreeWithChkflagsReportsAndLeavesTheBlockAlone)
{
    chk_test::scoped_env flags("CHKFLAGS", "1");
    char *foreign = static_cast<char *>(malloc(48));
    ASSERT_NE(foreign, nullptr);
    memset(foreign, 0x21, 48);
    std::string expect = "CHK_ALLOC: Trying to free unallocated memory at " +
                         chk_test::hex_addr(foreign) + "\n";
    std::string err = stderr_of([&] { chk_free(foreign); });
    EXPECT_NE(err.find(expect), std::string::npos) << err;
    // Still the C library's block, untouched: releasing it here would be a
    // double free had the allocator passed it on.
    EXPECT_TRUE(std::all_of(foreign, foreign + 48, [](char c) { return c == 0x21; }));
    free(foreign);
}

// A block of megabytes goes back to the system when it is freed; a second
// free or a realloc of it is reported from the registry without reading
// the pages, which are no longer there.
TEST_F(ChkReports, ReleasedBigBlocksAreReportedWithoutBeingRead)
{
    chk_test::scoped_env flags("CHKFLAGS", "1");
    const size_t size = size_t(3) << 20;
    auto *p = static_cast<char *>(chk_alloc(size));
    ASSERT_NE(p, nullptr);
    memset(p, 0x5a, size);
    chk_free(p);
    std::string err = stderr_of([&] { chk_free(p); });
    EXPECT_NE(err.find("CHK_ALLOC: Trying to free memory at " + chk_test::hex_addr(p) + " which is already free.\n"),
              std::string::npos)
        << err;
    void *q = nullptr;
    err = stderr_of([&] { q = chk_realloc(p, 100); });
    EXPECT_NE(err.find("CHK_ALLOC: Realloc non-alloced memory.\n"), std::string::npos) << err;
    ASSERT_NE(q, nullptr);
    chk_free(q);
}

TEST_F(ChkReports, DoubleFreeWithChkflagsLeavesTheBlockAlone)
{
    chk_test::scoped_env flags("CHKFLAGS", "1");
    // A block still held after its release carries the freed mark.
    alignas(16) unsigned char held[CHK_HEADER_SIZE + 32] = {};
    uint32_t freed = CHK_MAGIC_FREE;
    memcpy(held, &freed, sizeof freed);
    memset(held + CHK_HEADER_SIZE, 0x33, 32);
    void *data = held + CHK_HEADER_SIZE;
    std::string err = stderr_of([&] { chk_free(data); });
    EXPECT_NE(err.find("CHK_ALLOC: Trying to free memory at " + chk_test::hex_addr(data) +
                       " which is already free.\n"),
              std::string::npos)
        << err;
    EXPECT_EQ(magic_of(data), CHK_MAGIC_FREE);
    EXPECT_TRUE(std::all_of(held + CHK_HEADER_SIZE, held + sizeof held,
                            [](unsigned char c) { return c == 0x33; }));
}

} // namespace
