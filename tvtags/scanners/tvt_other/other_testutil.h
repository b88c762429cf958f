#ifndef TVTAGS_SCANNERS_TVT_OTHER_OTHER_TESTUTIL_H
#define TVTAGS_SCANNERS_TVT_OTHER_OTHER_TESTUTIL_H
// Runs one of the smaller scanners over text and records what it emits
// through the text sink, as "TYPE name" lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "scan/tvt_scan.h"
#include "scanners/tvt_scanners.h"

struct other_tag_t {
    int type;
    std::string name;
    int line;
    int parent;
    std::string args;
    uint32_t flags;
    int start_column;
};

inline std::vector<other_tag_t> &other_tags()
{
    static std::vector<other_tag_t> tags;
    return tags;
}

inline int other_record(int type, tag_rec_t *rec)
{
    other_tags().push_back({type, rec->tr_name, rec->tr_line, rec->tr_parent,
                            rec->tr_args ? rec->tr_args : "", rec->tr_flags,
                            rec->tr_column - int(strlen(rec->tr_name))});
    return int(other_tags().size()) - 1;
}

class OtherScan : public ::testing::Test {
protected:
    tvt_settings_t saved_opt;
    std::string src;

    void SetUp() override
    {
        saved_opt = tvt_opt;
        tvt_opt.binary = 0;
        tvt_opt.debug = 0;
        tvt_opt.xref = -1;
        tvt_opt.filters = nullptr;
        tag_set_text_sink(other_record);
        other_tags().clear();
    }
    void TearDown() override
    {
        tag_set_text_sink(nullptr);
        lex_close_file();
        tvt_opt = saved_opt;
    }

    // The tags as "TYPE name" lines, with "<parent" when there is one.
    std::string scan(const std::string &s, int (*entry)(void), const char *path = "t.src")
    {
        other_tags().clear();
        src = s;
        lex_open_string(src.data(), int(src.size()), path);
        EXPECT_EQ(entry(), 0);
        std::string out;
        for (const other_tag_t &t : other_tags()) {
            out += std::string(tag_type_name(t.type)) + " " + t.name;
            if (t.parent >= 0 && t.parent < int(other_tags().size()))
                out += "<" + other_tags()[size_t(t.parent)].name;
            out += "\n";
        }
        return out;
    }

    static const other_tag_t *find(const std::string &name)
    {
        for (const other_tag_t &t : other_tags())
            if (t.name == name)
                return &t;
        return nullptr;
    }
};

#endif
