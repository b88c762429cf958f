// Case-blind comparison, bounded copy and the re-entrant tokenizer.
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wrenlib/fmt.h"

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

TEST(StrCase, FoldsOnlyAsciiLetters)
{
    EXPECT_EQ(wl_strcasecmp("Hello", "hELLO"), 0);
    EXPECT_EQ(wl_strcasecmp("", ""), 0);
    EXPECT_EQ(wl_strcasecmp("ABC", "abd"), 'c' - 'd');
    EXPECT_EQ(wl_strcasecmp("abc", "ab"), 'c');
    EXPECT_EQ(wl_strcasecmp("ab", "abc"), -'c');
    // '[' sits between 'Z' and 'a': folding must put it after the letters.
    EXPECT_EQ(wl_strcasecmp("Z", "["), 'z' - '[');
    EXPECT_NE(wl_strcasecmp("\xc4", "\xe4"), 0);
    EXPECT_GT(wl_strcasecmp("\xe4", "a"), 0) << "bytes compare as unsigned";
}

TEST(StrCase, BoundedComparisonStopsAfterN)
{
    EXPECT_EQ(wl_strncasecmp("FILEname", "filexyz", 4), 0);
    EXPECT_EQ(sign(wl_strncasecmp("FILEname", "filexyz", 5)), -1);
    EXPECT_EQ(wl_strncasecmp("abc", "xyz", 0), 0);
    EXPECT_EQ(wl_strncasecmp("abc", "xyz", -4), 0);
    EXPECT_EQ(wl_strncasecmp("Ab", "aB", 100), 0);
    EXPECT_EQ(wl_strncasecmp("ab", "abc", 3), -'c');
}

TEST(StrLcpy, CopiesAtMostSizeMinusOneAndReturnsSourceLength)
{
    char buf[8];
    memset(buf, '#', sizeof buf);
    EXPECT_EQ(wl_strlcpy(buf, "abcdefghij", 4), 10u);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(buf[4], '#');
    EXPECT_EQ(wl_strlcpy(buf, "xy", sizeof buf), 2u);
    EXPECT_STREQ(buf, "xy");
    memset(buf, '#', sizeof buf);
    EXPECT_EQ(wl_strlcpy(buf, "xy", 0), 2u);
    EXPECT_EQ(buf[0], '#');
    EXPECT_EQ(wl_strlcpy(buf, "1234567", sizeof buf), 7u);
    EXPECT_STREQ(buf, "1234567");
}

std::vector<std::string> tokens(std::string text, const char *delims)
{
    std::vector<std::string> out;
    char *save = nullptr;
    for (char *t = wl_strtok_r(text.data(), delims, &save); t;
         t = wl_strtok_r(nullptr, delims, &save))
        out.push_back(t);
    return out;
}

TEST(StrTok, SplitsOnAnyDelimiterRun)
{
    EXPECT_EQ(tokens("  a,b;;c  ", " ,;"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(tokens("single", ","), (std::vector<std::string>{"single"}));
    EXPECT_TRUE(tokens("", ",").empty());
    EXPECT_TRUE(tokens(",,,", ",").empty());
}

TEST(StrTok, OverwritesDelimiterAndTracksPosition)
{
    char text[] = "key=value=x";
    char *save = nullptr;
    char *t = wl_strtok_r(text, "=", &save);
    EXPECT_EQ(t, text);
    EXPECT_EQ(text[3], '\0');
    EXPECT_EQ(save, text + 4);
    t = wl_strtok_r(nullptr, "=", &save);
    EXPECT_STREQ(t, "value");
    t = wl_strtok_r(nullptr, "=", &save);
    EXPECT_STREQ(t, "x");
    EXPECT_EQ(save, nullptr);
    EXPECT_EQ(wl_strtok_r(nullptr, "=", &save), nullptr);
}

TEST(StrTok, TwoTokenizersDoNotInterfere)
{
    char a[] = "1 2 3";
    char b[] = "x,y";
    char *sa = nullptr, *sb = nullptr;
    EXPECT_STREQ(wl_strtok_r(a, " ", &sa), "1");
    EXPECT_STREQ(wl_strtok_r(b, ",", &sb), "x");
    EXPECT_STREQ(wl_strtok_r(nullptr, " ", &sa), "2");
    EXPECT_STREQ(wl_strtok_r(nullptr, ",", &sb), "y");
    EXPECT_STREQ(wl_strtok_r(nullptr, " ", &sa), "3");
    EXPECT_EQ(wl_strtok_r(nullptr, ",", &sb), nullptr);
}

} // namespace
