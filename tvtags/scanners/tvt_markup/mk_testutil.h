#ifndef TVTAGS_SCANNERS_TVT_MARKUP_MK_TESTUTIL_H
#define TVTAGS_SCANNERS_TVT_MARKUP_MK_TESTUTIL_H
// Runs a markup scanner over text or a file and records what it emits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "scan/tvt_scan.h"
#include "scanners/tvt_scanners.h"

struct mk_seen_t {
    int type;
    std::string name;
    int line;
    int parent;     // index into the recorded tags, -1 for none
    std::string args;
};

inline std::vector<mk_seen_t> &mk_seen()
{
    static std::vector<mk_seen_t> tags;
    return tags;
}

inline int mk_record(int type, tag_rec_t *rec)
{
    mk_seen().push_back({type, rec->tr_name, rec->tr_line, rec->tr_parent, rec->tr_args ? rec->tr_args : ""});
    return int(mk_seen().size()) - 1;
}

class MarkupScan : public ::testing::Test {
protected:
    tvt_settings_t saved_opt;
    std::string src;
    dstr_t errors = {nullptr, 0, 0};

    void SetUp() override
    {
        saved_opt = tvt_opt;
        tvt_opt.binary = 0;
        tvt_opt.debug = 0;
        tvt_opt.xref = -1;
        tvt_opt.filters = nullptr;
        tag_set_text_sink(mk_record);
        dstr_init(&errors, 64);
        lex_set_error_stream(stderr);
        lex_capture_errors(&errors);
        mk_seen().clear();
    }
    void TearDown() override
    {
        tag_set_text_sink(nullptr);
        lex_capture_errors(nullptr);
        lex_close_file();
        dstr_free(&errors);
        tvt_opt = saved_opt;
    }

    const std::vector<mk_seen_t> &scan(int (*entry)(void), const std::string &s, const char *path = "t.txt")
    {
        mk_seen().clear();
        src = s;
        lex_open_string(src.data(), int(src.size()), path);
        EXPECT_EQ(entry(), 0);
        lex_close_file();
        return mk_seen();
    }

    std::string messages() const { return errors.dl_str ? std::string(errors.dl_str, size_t(errors.dl_len)) : ""; }

    // One line per tag: "TYPE name", "<parent" when it has one, and
    // "@line" when asked.
    static std::string dump(bool lines = false)
    {
        std::string out;
        for (const mk_seen_t &t : mk_seen()) {
            out += std::string(tag_type_name(t.type)) + " " + t.name;
            if (t.parent >= 0 && t.parent < int(mk_seen().size()))
                out += "<" + mk_seen()[size_t(t.parent)].name;
            if (lines)
                out += "@" + std::to_string(t.line);
            out += "\n";
        }
        return out;
    }

    static const mk_seen_t *find(const std::string &name)
    {
        for (const mk_seen_t &t : mk_seen())
            if (t.name == name)
                return &t;
        return nullptr;
    }
};

#endif
