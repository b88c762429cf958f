#ifndef TVTAGS_SCAN_LEX_TESTUTIL_H
#define TVTAGS_SCAN_LEX_TESTUTIL_H
// Test fixture for the lexer: a descriptor with chosen flags and keyword
// table over text in memory.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tvt_lex.h"
#include "tvt_settings.h"

class LexTest : public ::testing::Test {
protected:
    lang_desc_t desc{};
    std::string src;
    tvt_settings_t saved_opt;

    void SetUp() override { saved_opt = tvt_opt; }
    void TearDown() override
    {
        lex_close_file();
        lex_set_error_stream(nullptr);
        lex_set_debug(0);
        lex_release();
        tvt_opt = saved_opt;
    }

    void open(const std::string &s, uint32_t flags, const keyword_t *kw = kw_c, int lang = 11,
              int (*directive)(int) = nullptr, const char *path = "t.c")
    {
        lex_release();  // the previous descriptor's tables
        src = s;
        desc = lang_desc_t{lang, kw, nullptr, nullptr, nullptr, nullptr, flags, directive, nullptr};
        lex_open_string(src.data(), int(src.size()), path);
        lex_init(&desc);
    }

    // Every token up to the end of input.
    std::vector<int> tokens()
    {
        std::vector<int> out;
        for (int t = lex_token(); t != 0 && out.size() < 10000; t = lex_token())
            out.push_back(t);
        return out;
    }

    // Every token's text.
    std::vector<std::string> texts()
    {
        std::vector<std::string> out;
        for (int t = lex_token(); t != 0 && out.size() < 10000; t = lex_token())
            out.push_back(lex_ctx.lx_text.dl_str);
        return out;
    }

    static std::string text() { return lex_ctx.lx_text.dl_str; }
};

// Collects what is written to a temporary stream.
class StreamCapture {
public:
    StreamCapture() : f_(tmpfile()) {}
    ~StreamCapture()
    {
        if (f_)
            fclose(f_);
    }
    FILE *file() { return f_; }
    std::string contents()
    {
        fflush(f_);
        std::string out;
        rewind(f_);
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f_)) > 0)
            out.append(buf, n);
        return out;
    }

private:
    FILE *f_;
};

#endif
