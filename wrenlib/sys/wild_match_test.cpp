// The wildcard matcher: its rules one by one, then a comparison with a
// regular-expression model over many generated patterns and names.
#include <ctype.h>

#include <random>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "wrenlib/files.h"

namespace {

TEST(WildMatch, StarsAndQuestionMarks) {
    EXPECT_EQ(wild_match("main.c", "*.c", 0), 1);
    EXPECT_EQ(wild_match("Main.C", "*.c", 0), 1);
    EXPECT_EQ(wild_match("main.cc", "*.c", 0), 0);
    EXPECT_EQ(wild_match("abc", "a*", 0), 1);
    EXPECT_EQ(wild_match("a", "a*", 0), 1);
    EXPECT_EQ(wild_match("abcbd", "a*b*d", 0), 1);
    EXPECT_EQ(wild_match("abcbe", "a*b*d", 0), 0);
    EXPECT_EQ(wild_match("x.tar.gz", "*.*.gz", 0), 1);
    EXPECT_EQ(wild_match("abc", "a?c", 0), 1);
    EXPECT_EQ(wild_match("ac", "a?c", 0), 0);
    EXPECT_EQ(wild_match("ab", "???", 0), 0);
    EXPECT_EQ(wild_match("", "*", 0), 1);
    EXPECT_EQ(wild_match("", "", 0), 1);
    EXPECT_EQ(wild_match("a", "", 0), 0);
    EXPECT_EQ(wild_match("abc", "ab", 0), 0);   // the whole name must be used
    EXPECT_EQ(wild_match("a/b", "a*", 0), 1);   // separators are ordinary here
}

TEST(WildMatch, LeadingStarHidesDotNames) {
    EXPECT_EQ(wild_match(".profile", "*", 0), 0);
    EXPECT_EQ(wild_match(".profile", "*", WILD_DOTS), 1);
    EXPECT_EQ(wild_match(".profile", "*file", 0), 0);
    EXPECT_EQ(wild_match(".profile", ".*", 0), 1);
    EXPECT_EQ(wild_match(".profile", "?profile", 0), 1);
    EXPECT_EQ(wild_match("a.profile", "*", 0), 1);
    // Only a star at the very start of a pattern is restricted.
    EXPECT_EQ(wild_match(".x", "{*,y}", 0), 1);
    EXPECT_EQ(wild_match(".x", "y;*", 0), 0);
    EXPECT_EQ(wild_match(".x", "y;*", WILD_DOTS), 1);
}

TEST(WildMatch, Sets) {
    EXPECT_EQ(wild_match("a.c", "*.[ch]", 0), 1);
    EXPECT_EQ(wild_match("a.H", "*.[ch]", 0), 1);
    EXPECT_EQ(wild_match("a.o", "*.[ch]", 0), 0);
    EXPECT_EQ(wild_match("m", "[a-z]", 0), 1);
    EXPECT_EQ(wild_match("M", "[a-z]", 0), 1);
    EXPECT_EQ(wild_match("m", "[A-Z]", 0), 1);
    EXPECT_EQ(wild_match("5", "[a-z]", 0), 0);
    EXPECT_EQ(wild_match("7", "[0-5x]", 0), 0);
    EXPECT_EQ(wild_match("x", "[0-5x]", 0), 1);
    EXPECT_EQ(wild_match("b.txt", "[^a-c]*", 0), 0);
    EXPECT_EQ(wild_match("d.txt", "[^a-c]*", 0), 1);
    EXPECT_EQ(wild_match("a.c", "*.[^o]", 0), 1);
    EXPECT_EQ(wild_match("a.o", "*.[^o]", 0), 0);
    // A negated set still needs a character to consume.
    EXPECT_EQ(wild_match("a.", "*.[^o]", 0), 0);
    EXPECT_EQ(wild_match("", "[a]", 0), 0);
    // An unclosed set is an ordinary '['.
    EXPECT_EQ(wild_match("[ab", "[ab", 0), 1);
    EXPECT_EQ(wild_match("a", "[ab", 0), 0);
    // Braces inside a set are characters of the set.
    EXPECT_EQ(wild_match("{", "[{}]", 0), 1);
}

TEST(WildMatch, Alternatives) {
    EXPECT_EQ(wild_match("a.c", "*.{c,h}", 0), 1);
    EXPECT_EQ(wild_match("a.h", "*.{c,h}", 0), 1);
    EXPECT_EQ(wild_match("a.o", "*.{c,h}", 0), 0);
    EXPECT_EQ(wild_match("a.cpp", "*.{c,cpp}", 0), 1);
    EXPECT_EQ(wild_match("x.hpp", "*.{c,{h,c}pp}", 0), 1);
    EXPECT_EQ(wild_match("x.cpp", "*.{c,{h,c}pp}", 0), 1);
    EXPECT_EQ(wild_match("x.pp", "*.{c,{h,c}pp}", 0), 0);
    EXPECT_EQ(wild_match("ab", "a{,b}", 0), 1);
    EXPECT_EQ(wild_match("a", "a{,b}", 0), 1);
    EXPECT_EQ(wild_match("a1z", "a{[0-9],x}z", 0), 1);
    EXPECT_EQ(wild_match("a,z", "a{[,],x}z", 0), 1);
    // The text after the group must still match.
    EXPECT_EQ(wild_match("xay", "x{a,b}y", 0), 1);
    EXPECT_EQ(wild_match("xa", "x{a,b}y", 0), 0);
    // An unclosed group is ordinary text.
    EXPECT_EQ(wild_match("{a", "{a", 0), 1);
    EXPECT_EQ(wild_match("a,b", "a,b", 0), 1);
}

TEST(WildMatch, PatternLists) {
    EXPECT_EQ(wild_match("a.h", "*.c;*.h", 0), 1);
    EXPECT_EQ(wild_match("a.c", "*.c;*.h", 0), 1);
    EXPECT_EQ(wild_match("a.o", "*.c;*.h", 0), 0);
    EXPECT_EQ(wild_match("a", ";a", 0), 1);
    EXPECT_EQ(wild_match("", "x;", 0), 1);   // an empty piece matches the empty name
}

TEST(WildMatch, LongNamesWithManyStars) {
    std::string name(2000, 'a');
    EXPECT_EQ(wild_match(name.c_str(), "*a*a*a*", 0), 1);
    EXPECT_EQ(wild_match(name.c_str(), "*a*a*b", 0), 0);
    name += ".c";
    EXPECT_EQ(wild_match(name.c_str(), "*.c", 0), 1);
}

TEST(WildMatch, StarsInsideRepeatedAlternativesStayPolynomial) {
    // A search that retries every split of the name among the stars takes
    // exponential time here; twenty groups would never finish.
    std::string pattern;
    for (int i = 0; i < 20; i++)
        pattern += "{*a,*b}";
    const std::string name = "abababababababababababababababab";
    EXPECT_EQ(wild_match(name.c_str(), (pattern + "c").c_str(), 0), 0);
    EXPECT_EQ(wild_match((name + "c").c_str(), (pattern + "c").c_str(), 0), 1);
    EXPECT_EQ(wild_match(name.c_str(), pattern.c_str(), 0), 1);
    EXPECT_EQ(wild_match("abc", (pattern + "c").c_str(), 0), 0); // each group needs a letter
    EXPECT_EQ(wild_match("xyzzy", "{*a,*b}{*a,*b}{*a,*b}{*a,*b}{*a,*b}{*a,*b}c", 0), 0);
    // A long pattern takes allocated tables instead of the stack.
    const std::string long_pattern = std::string(599, '?') + "{q,r}";
    EXPECT_EQ(wild_match(std::string(600, 'q').c_str(), long_pattern.c_str(), 0), 1);
    EXPECT_EQ(wild_match(std::string(599, 'q').c_str(), long_pattern.c_str(), 0), 0);
}

// The model: the same language written as an ECMAScript regular expression.
std::string to_regex(const std::string &p, size_t &i, bool in_group) {
    std::string out;
    while (i < p.size()) {
        char c = p[i];
        if (in_group && (c == ',' || c == '}'))
            return out;
        if (c == '*') {
            out += ".*";
        } else if (c == '?') {
            out += ".";
        } else if (c == '[') {
            size_t j = p.find(']', i + 1);
            out += "[";
            size_t k = i + 1;
            if (p[k] == '^') {
                out += "^";
                ++k;
            }
            for (; k < j; ++k) {
                const bool alnum = isalnum(static_cast<unsigned char>(p[k])) != 0;
                if (alnum || (p[k] == '-' && k > i + 1 && k + 1 < j))
                    out += p[k];
                else
                    out += std::string("\\") + p[k];
            }
            out += "]";
            i = j;
        } else if (c == '{') {
            ++i;
            out += "(?:";
            for (;;) {
                out += to_regex(p, i, true);
                if (p[i] == '}')
                    break;
                out += "|";
                ++i;
            }
            out += ")";
        } else if (isalnum(static_cast<unsigned char>(c))) {
            out += c;
        } else {
            out += std::string("\\") + c;
        }
        ++i;
    }
    return out;
}

bool model(const std::string &name, const std::string &pattern, int flags) {
    if (!pattern.empty() && pattern[0] == '*' && !name.empty() && name[0] == '.' && !(flags & WILD_DOTS))
        return false;
    size_t i = 0;
    std::regex re(to_regex(pattern, i, false), std::regex::icase | std::regex::ECMAScript);
    return std::regex_match(name, re);
}

std::string random_pattern(std::mt19937 &g, int depth) {
    static const char *const atoms[] = {"a", "b", "B", ".", "*", "?", "[ab]", "[^a]", "[a-b]", "[^.b]"};
    std::string out;
    const int n = static_cast<int>(g() % 5);
    for (int k = 0; k < n; ++k) {
        if (depth < 2 && g() % 6 == 0) {
            out += "{";
            const int alts = 1 + static_cast<int>(g() % 3);
            for (int a = 0; a < alts; ++a) {
                if (a)
                    out += ",";
                out += random_pattern(g, depth + 1);
            }
            out += "}";
        } else {
            out += atoms[g() % (sizeof atoms / sizeof atoms[0])];
        }
    }
    return out;
}

TEST(WildMatch, AgreesWithARegularExpressionModel) {
    std::mt19937 g(12345);
    const char alphabet[] = "abAB.";
    int matches = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string pattern = random_pattern(g, 0);
        std::string name;
        const int len = static_cast<int>(g() % 6);
        for (int k = 0; k < len; ++k)
            name += alphabet[g() % 5];
        const int flags = (g() % 2) ? WILD_DOTS : 0;
        const bool expected = model(name, pattern, flags);
        matches += expected;
        ASSERT_EQ(wild_match(name.c_str(), pattern.c_str(), flags), expected ? 1 : 0)
            << "name '" << name << "' pattern '" << pattern << "' flags " << flags;
    }
    // The generator must exercise both outcomes to mean anything.
    EXPECT_GT(matches, 300);
    EXPECT_LT(matches, 2700);
}

} // namespace
