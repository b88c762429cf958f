#ifndef TVTAGS_SCANNERS_TVT_SCRIPT_SCRIPT_TESTUTIL_H
#define TVTAGS_SCANNERS_TVT_SCRIPT_SCRIPT_TESTUTIL_H
// Runs a scripting-language scanner over text and records what it emits
// through the text sink.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "scan/tvt_scan.h"
#include "scanners/tvt_scanners.h"

struct script_tag_t {
    int type;
    std::string name;
    int line;
    int parent;            // index into the recorded tags, -1 for none
    std::string args;
    std::string line_text;
    int start_column;
};

inline std::vector<script_tag_t> &script_tags()
{
    static std::vector<script_tag_t> tags;
    return tags;
}

inline int script_record(int type, tag_rec_t *rec)
{
    script_tags().push_back({type, rec->tr_name, rec->tr_line, rec->tr_parent,
                             rec->tr_args ? rec->tr_args : "", rec->tr_line_text,
                             rec->tr_column - int(strlen(rec->tr_name))});
    return int(script_tags().size()) - 1;
}

class ScriptScan : public ::testing::Test {
protected:
    tvt_settings_t saved_opt;
    std::string src;

    void SetUp() override
    {
        saved_opt = tvt_opt;
        tvt_opt.binary = 0;
        tvt_opt.locals = 0;
        tvt_opt.debug = 0;
        tvt_opt.xref = -1;
        tvt_opt.filters = nullptr;
        tag_set_text_sink(script_record);
        script_tags().clear();
    }
    void TearDown() override
    {
        tag_set_text_sink(nullptr);
        lex_close_file();
        tvt_opt = saved_opt;
    }

    // The tags of one scan, one line each: "TYPE name" and "<parent" when
    // the tag has one.
    std::string scan(int (*entry)(void), const std::string &s, const char *path = "t.txt")
    {
        script_tags().clear();
        src = s;
        lex_open_string(src.data(), int(src.size()), path);
        EXPECT_EQ(entry(), 0);
        std::string out;
        for (const script_tag_t &t : script_tags()) {
            out += std::string(tag_type_name(t.type)) + " " + t.name;
            if (t.parent >= 0 && t.parent < int(script_tags().size()))
                out += "<" + script_tags()[size_t(t.parent)].name;
            out += "\n";
        }
        return out;
    }

    static const script_tag_t *find(const std::string &name)
    {
        for (const script_tag_t &t : script_tags())
            if (t.name == name)
                return &t;
        return nullptr;
    }
};

#endif
