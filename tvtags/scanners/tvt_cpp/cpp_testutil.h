#ifndef TVTAGS_SCANNERS_TVT_CPP_CPP_TESTUTIL_H
#define TVTAGS_SCANNERS_TVT_CPP_CPP_TESTUTIL_H
// Runs a C-family scanner over text and records what it emits through the
// text sink.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "scan/tvt_scan.h"
#include "scanners/tvt_scanners.h"

struct seen_tag_t {
    int type;
    std::string name;
    int line;
    int parent;            // index into the recorded tags, -1 for none
    std::string type_text;
    std::string args;
    std::vector<std::string> inherit;
    std::string line_text;
    int start_column;      // where the name starts, 0-based
    uint32_t flags;
};

inline std::vector<seen_tag_t> &seen_tags()
{
    static std::vector<seen_tag_t> tags;
    return tags;
}

inline int record_tag(int type, tag_rec_t *rec)
{
    seen_tag_t t{type, rec->tr_name, rec->tr_line, rec->tr_parent,
                 rec->tr_type ? rec->tr_type : "", rec->tr_args ? rec->tr_args : "", {},
                 rec->tr_line_text, rec->tr_column - int(strlen(rec->tr_name)), rec->tr_flags};
    if (rec->tr_inherit)
        for (List_p lp = ll_first(rec->tr_inherit); lp; lp = ll_next(lp))
            t.inherit.push_back(static_cast<const char *>(ll_elem(lp)));
    seen_tags().push_back(t);
    return int(seen_tags().size()) - 1;
}

inline void set_env(const char *name, const char *value)
{
#ifdef _WIN32
    std::string s = std::string(name) + "=" + (value ? value : "");
    _putenv(s.c_str());
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

class CppScan : public ::testing::Test {
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
        tag_set_text_sink(record_tag);
        seen_tags().clear();
    }
    void TearDown() override
    {
        tag_set_text_sink(nullptr);
        lex_close_file();
        tvt_opt = saved_opt;
    }

    const std::vector<seen_tag_t> &scan(const std::string &s, int (*entry)(void) = tvt_c_scan,
                                        const char *path = "t.c")
    {
        seen_tags().clear();
        src = s;
        lex_open_string(src.data(), int(src.size()), path);
        EXPECT_EQ(entry(), 0);
        return seen_tags();
    }

    // One line per tag: "TYPE name" and "<parent" when it has one;
    // anonymous names lose their number, which runs over the whole run.
    static std::string dump()
    {
        std::string out;
        for (const seen_tag_t &t : seen_tags()) {
            std::string name = t.name.rfind("anon#", 0) == 0 ? "anon" : t.name;
            out += std::string(tag_type_name(t.type)) + " " + name;
            if (t.parent >= 0 && t.parent < int(seen_tags().size())) {
                const std::string &p = seen_tags()[size_t(t.parent)].name;
                out += "<" + (p.rfind("anon#", 0) == 0 ? std::string("anon") : p);
            }
            out += "\n";
        }
        return out;
    }

    static const seen_tag_t *find(const std::string &name)
    {
        for (const seen_tag_t &t : seen_tags())
            if (t.name == name)
                return &t;
        return nullptr;
    }
};

#endif
