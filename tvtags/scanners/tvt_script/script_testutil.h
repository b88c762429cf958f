#ifndef TVTAGS_SCANNERS_TVT_SCRIPT_SCRIPT_TESTUTIL_H
#define TVTAGS_SCANNERS_TVT_SCRIPT_SCRIPT_TESTUTIL_H
// Runs a scripting-language scanner over text and records what it emits,
// through the recorder the C-family tests use.
#include "../tvt_cpp/cpp_testutil.h"

inline std::vector<seen_tag_t> &script_tags()
{
    return seen_tags();
}

class ScriptScan : public CppScan {
protected:
    // The tags of one scan, one line each: "TYPE name" and "<parent" when
    // the tag has one.
    std::string scan(int (*entry)(void), const std::string &s, const char *path = "t.txt")
    {
        CppScan::scan(s, entry, path);
        return dump();
    }
};

#endif
