// The name helper's light allocation functions: system allocation that
// reports a failure on standard output and hands back null.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include "test_util.h"
#include "wrenlib/chk.h"

namespace {

// Far beyond what any heap grants, on both widths.
const size_t kHuge = SIZE_MAX / 2 + 1;

std::string hex(size_t v)
{
    char buf[32];
    snprintf(buf, sizeof buf, "0x%llx", (unsigned long long)v);
    return buf;
}

} // namespace

TEST(DnsAlloc, BlocksAreUsableAndZeroedWhereAsked)
{
    char *a = static_cast<char *>(chk_alloc(64));
    ASSERT_NE(a, nullptr);
    memset(a, 'x', 64);
    unsigned char *z = static_cast<unsigned char *>(chk_zalloc(256));
    ASSERT_NE(z, nullptr);
    for (int i = 0; i < 256; i++)
        ASSERT_EQ(z[i], 0) << i;
    char *grown = static_cast<char *>(chk_realloc(a, 100000));
    ASSERT_NE(grown, nullptr);
    for (int i = 0; i < 64; i++)
        ASSERT_EQ(grown[i], 'x') << i;
    char *copy = chk_strdup("gethostbyname");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "gethostbyname");
    void *nothing = chk_alloc(0);
    EXPECT_NE(nothing, nullptr) << "a request for nothing is not a failure";
    chk_free(nothing);
    chk_free(copy);
    chk_free(grown);
    chk_free(z);
    chk_free(nullptr);
}

TEST(DnsAlloc, FailuresAreReportedOnStandardOutputAndReturnNull)
{
    struct {
        const char *verb;
        void *(*call)(void *);
    } cases[] = {
        {"allocate", [](void *) { return chk_alloc(kHuge); }},
        {"zallocate", [](void *) { return chk_zalloc(kHuge); }},
        {"reallocate", [](void *old) { return chk_realloc(old, kHuge); }},
    };
    for (const auto &c : cases) {
        char *old = chk_strdup("keep me");
        ASSERT_NE(old, nullptr);
        testing::internal::CaptureStdout();
        void *p = c.call(old);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(p, nullptr) << c.verb;
        EXPECT_EQ(lf(out), std::string("CHK_ALLOC: Failed to ") + c.verb + " memory. Wanted " +
                           hex(kHuge) + " bytes\n");
        // A failed reallocation leaves the old block to its owner.
        EXPECT_STREQ(old, "keep me") << c.verb;
        chk_free(old);
    }
}
