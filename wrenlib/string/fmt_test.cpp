// The formatter: conversions checked against the C library where the two
// agree by design, and the library's own rules where they differ.
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "wrenlib/fmt.h"

namespace {

template <typename... A> std::string ours(const char *fmt, A... args)
{
    char buf[2048];
    int n = wl_snprintf(buf, sizeof buf, fmt, args...);
    EXPECT_EQ(n, static_cast<int>(strlen(buf))) << fmt;
    return buf;
}

template <typename... A> std::string theirs(const char *fmt, A... args)
{
    char buf[2048];
    snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

#define EXPECT_LIKE_C(fmt, ...) EXPECT_EQ(ours(fmt, __VA_ARGS__), theirs(fmt, __VA_ARGS__)) << fmt

TEST(FmtIntegers, MatchTheCLibrary)
{
    const char *formats[] = {"%d",    "%5d",    "%-5d|", "%05d",  "%+d",   "%+5d", "%.3d",
                             "%8.3d", "%-8.3d|", "%+05d", "%.0d|", "%u",    "%10u", "%x",
                             "%X",    "%o",     "%08x",  "%-8X|", "%.4x",  "%3o"};
    const int values[] = {0, 1, -1, 42, -42, 255, 4096, INT_MAX, INT_MIN};
    for (const char *f : formats)
        for (int v : values)
            EXPECT_LIKE_C(f, v);
}

TEST(FmtIntegers, LengthModifiersSelectArgumentWidth)
{
    const long longs[] = {0L, -7L, LONG_MAX, LONG_MIN};
    for (long v : longs) {
        EXPECT_LIKE_C("%ld", v);
        EXPECT_LIKE_C("%lx", static_cast<unsigned long>(v));
    }
    const long long wide[] = {0LL, -1LL, LLONG_MAX, LLONG_MIN, 0x123456789ALL};
    for (long long v : wide) {
        EXPECT_LIKE_C("%lld", v);
        EXPECT_LIKE_C("%20lld|", v);
        EXPECT_LIKE_C("%llu", static_cast<unsigned long long>(v));
        EXPECT_LIKE_C("%llX", static_cast<unsigned long long>(v));
        // Any number of l beyond one still means 64 bits.
        EXPECT_EQ(ours("%llld", v), theirs("%lld", v));
    }
    // The upper-case letters: decimal and octal as the lower-case ones,
    // upper-case hex digits.
    EXPECT_EQ(ours("%D %U %O %X %x", -12, 12u, 8u, 0xABCDEFu, 0xABCDEFu),
              "-12 12 10 ABCDEF abcdef");
    EXPECT_EQ(ours("%lld %llU", -5LL, 5ULL), "-5 5");
}

TEST(FmtIntegers, StarTakesWidthAndPrecisionFromArguments)
{
    EXPECT_LIKE_C("%*d|", 6, 42);
    EXPECT_LIKE_C("%*d|", -6, 42);
    EXPECT_LIKE_C("%.*d|", 4, 42);
    EXPECT_LIKE_C("%.*d|", -1, 42);
    EXPECT_LIKE_C("%*.*d|", 8, 3, -5);
    EXPECT_LIKE_C("%-*s|", 7, "ab");
}

TEST(FmtIntegers, PointerIsPrintedInHex)
{
    int x = 0;
    char expect[32];
    snprintf(expect, sizeof expect, "%llx",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(&x)));
    EXPECT_EQ(ours("%p", static_cast<void *>(&x)), expect);
    EXPECT_EQ(ours("%p", static_cast<void *>(nullptr)), "0");
}

TEST(FmtText, CharactersAndStrings)
{
    EXPECT_LIKE_C("[%c]", 'q');
    EXPECT_LIKE_C("[%3c]", 'q');
    EXPECT_LIKE_C("[%-3c]", 'q');
    for (const char *f : {"[%s]", "[%.2s]", "[%6s]", "[%-6s]", "[%6.1s]", "[%.0s]", "[%.10s]"})
        EXPECT_LIKE_C(f, "tags");
    EXPECT_EQ(ours("[%s]", static_cast<const char *>(nullptr)), "[(null)]");
}

TEST(FmtText, PrecisionBoundsTheBytesRead)
{
    const char unterminated[3] = {'x', 'y', 'z'};
    EXPECT_EQ(ours("%.3s", unterminated), "xyz");
    EXPECT_EQ(ours("%.2s", unterminated), "xy");
}

TEST(FmtText, PercentAndUnknownConversions)
{
    EXPECT_EQ(ours("100%%"), "100%");
    // An unknown letter prints nothing and takes no argument.
    EXPECT_EQ(ours("a%qb%d", 5), "ab5");
    EXPECT_EQ(ours("[%zu]", 3), "[u]");
    EXPECT_EQ(ours("%5k|"), "|");
    EXPECT_EQ(ours("end%"), "end");
    EXPECT_EQ(ours("%E%F%G|", 1.0, 2.0, 3.0), "|");
}

TEST(FmtFloat, FixedMatchesTheCLibrary)
{
    const char *formats[] = {"%f", "%.2f", "%10.3f", "%-10.1f|", "%+f", "%010.2f", "%.0f", "%.9f"};
    const double values[] = {0.0, 1.5, -2.25, 1e10, 123456.789, 1e-7, 0.125, 2.5, -1e300};
    for (const char *f : formats)
        for (double v : values)
            EXPECT_LIKE_C(f, v);
}

TEST(FmtFloat, ExponentLetterPrintsFixedNotation)
{
    const double values[] = {0.0, 1234.5678, -0.001, 6.02e23};
    for (double v : values) {
        EXPECT_EQ(ours("%e", v), theirs("%f", v));
        EXPECT_EQ(ours("%.3e", v), theirs("%.3f", v));
        EXPECT_EQ(ours("%12.1e|", v), theirs("%12.1f|", v));
    }
}

TEST(FmtFloat, GeneralIsTheShortestForm)
{
#ifndef _WIN32 // the mingw runtime's own %g drops the width in places
    const char *formats[] = {"%g", "%.3g", "%10g|", "%.0g", "%-12g|", "%+g", "%.10g", "%012g"};
    const double values[] = {0.0,    100000.0, 1e6,   1e-5,   0.0001, 123.456,
                             1e300, -3.5,     0.1,   2.0 / 3, 1e-300, 999999.5};
    for (const char *f : formats)
        for (double v : values)
            EXPECT_LIKE_C(f, v);
#endif
    EXPECT_EQ(ours("%g|%g|%g|%g", 100000.0, 1e6, 1e-4, 1e-5), "100000|1e+06|0.0001|1e-05");
    EXPECT_EQ(ours("%10g|%-8g|%+g", 100000.0, 2.5, 3.0), "    100000|2.5     |+3");
    EXPECT_EQ(ours("%.3g|%.0g|%.10g", 123.456, 0.5, 2.0 / 3), "123|0.5|0.6666666667");
    EXPECT_EQ(ours("%012g|%g", -3.5, 1e300), "-000000003.5|1e+300");
}

TEST(FmtFloat, LargePrecisionIsNotCut)
{
    EXPECT_LIKE_C("%.400f", 1.0 / 3);
    EXPECT_LIKE_C("%.700f", 1e300);
    EXPECT_LIKE_C("%.500g", 0.1);
}

TEST(FmtBounded, CutsAtSizeAndAlwaysTerminates)
{
    char buf[8];
    memset(buf, '#', sizeof buf);
    EXPECT_EQ(wl_snprintf(buf, 4, "%s", "abcdef"), 3);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(buf[4], '#') << "stored beyond the given size";

    EXPECT_EQ(wl_snprintf(buf, 7, "abc%s", "def"), 6);
    EXPECT_STREQ(buf, "abcdef");
    EXPECT_EQ(wl_snprintf(buf, 6, "%d", -123456), 5);
    EXPECT_STREQ(buf, "-1234");
    EXPECT_EQ(wl_snprintf(buf, 1, "abc"), 0);
    EXPECT_STREQ(buf, "");

    memset(buf, '#', sizeof buf);
    EXPECT_EQ(wl_snprintf(buf, 0, "abc"), 0);
    EXPECT_EQ(buf[0], '#');
    EXPECT_EQ(wl_snprintf(nullptr, 0, "abc"), 0);
}

int via_vsnprintf(char *buf, size_t size, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int n = wl_vsnprintf(buf, size, fmt, ap);
    va_end(ap);
    return n;
}

TEST(FmtBounded, VariableArgumentFormAndUnboundedForm)
{
    char buf[64];
    EXPECT_EQ(via_vsnprintf(buf, sizeof buf, "%s=%d", "n", 12), 4);
    EXPECT_STREQ(buf, "n=12");
    EXPECT_EQ(via_vsnprintf(buf, 3, "%s=%d", "n", 12), 2);
    EXPECT_STREQ(buf, "n=");

    std::string big(300, 'w');
    char wide[400];
    EXPECT_EQ(wl_sprintf(wide, "<%s>%5d", big.c_str(), 7), 307);
    EXPECT_EQ(std::string(wide), "<" + big + ">    7");
}

TEST(FmtPrint, StreamGetsTheWholeTextAndTheCount)
{
    std::string path = (std::filesystem::temp_directory_path() / "wl_fmt_stream.txt").string();
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(wl_fprintf(f, "%s:%d: %s\n", "a.c", 12, "bad"), 12);
    std::string long_text(5000, 'L'); // beyond the formatter's stack buffer
    EXPECT_EQ(wl_fprintf(f, "[%3000s][%s]", "x", long_text.c_str()), 3002 + 5002);
    fclose(f);
    std::ifstream in(path, std::ios::binary);
    std::ostringstream got;
    got << in.rdbuf();
    in.close();
    std::filesystem::remove(path);
    EXPECT_EQ(got.str(), "a.c:12: bad\n[" + std::string(2999, ' ') + "x][" + long_text + "]");
    EXPECT_EQ(wl_fprintf(nullptr, "x"), -1);
}

TEST(FmtPrint, StandardOutput)
{
    testing::internal::CaptureStdout();
    int n = wl_printf("list 0x%08lx: Length now %d\n", 0xABCUL, 501);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "list 0x00000abc: Length now 501\n");
    EXPECT_EQ(n, static_cast<int>(out.size()));
}

} // namespace
