#ifndef TVTAGS_SCANNERS_TVT_OTHER_OTHER_TESTUTIL_H
#define TVTAGS_SCANNERS_TVT_OTHER_OTHER_TESTUTIL_H
// Runs one of the smaller scanners over text and records what it emits,
// through the recorder the C-family tests use.
#include "../tvt_cpp/cpp_testutil.h"

inline std::vector<seen_tag_t> &other_tags()
{
    return seen_tags();
}

class OtherScan : public CppScan {
protected:
    // The tags as "TYPE name" lines, with "<parent" when there is one.
    std::string scan(const std::string &s, int (*entry)(void), const char *path = "t.src")
    {
        CppScan::scan(s, entry, path);
        return dump();
    }
};

#endif
