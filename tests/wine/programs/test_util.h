#ifndef TV_TEST_UTIL_H
#define TV_TEST_UTIL_H
// Small helpers shared by the program tests.
#include <string>
#include <vector>

// Console programs write CR LF; the tests compare texts with LF.
inline std::string lf(const std::string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); i++)
        if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n'))
            out += s[i];
    return out;
}

// open + s + close, built by appending: gcc 12 warns wrongly (-Wrestrict)
// about a literal put in front of a temporary string.
inline std::string wrap(const char *open, const std::string &s, const char *close)
{
    std::string out(open);
    out += s;
    out += close;
    return out;
}

// The lines after the first (the stand-in logs its own command line first).
inline std::vector<std::string> after_first(const std::vector<std::string> &lines)
{
    return lines.empty() ? lines : std::vector<std::string>(lines.begin() + 1, lines.end());
}

#endif
