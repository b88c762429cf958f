// Matlab and Octave function files: a token scanner that tags the name
// of each "function", whatever its result list.
#include "script_tok.h"
#include "scanners/tvt_scanners.h"

namespace {

const keyword_t kw_matlab[] = {
    {"function", KEY_FUNCTION, 0}, {"end", KEY_END, 0},
    KW_END,
};

// Octave's # comments read as comments too: '#' has no other use.
lang_desc_t desc_matlab = {26, kw_matlab, "-", "-", nullptr, nullptr,
                           LEX_PERCENT_COMMENT | LEX_MULTILINE_STRING | LEX_HASH_COMMENT, nullptr,
                           nullptr};

void on_function()
{
    int t = lex_next();
    if (t == '[') {
        if (!script_skip_past_assign())
            return;
        t = lex_next();
    } else {
        if (!script_is_word(t))
            return;
        script_remember();
        t = lex_next();
        if (!script_is_assign(t)) {
            lex_unget_token(t);
            script_emit(TT_FUNCTION, -1);
            return;
        }
        t = lex_next();
    }
    if (!script_is_word(t))
        return;
    script_remember();
    script_emit(TT_FUNCTION, -1);
}

} // namespace

extern "C" {

int tvt_matlab_scan(void)
{
    lex_init(&desc_matlab);
    for (int t = lex_next(); t != TOK_EOF; t = lex_next()) {
        if (t == TOK_SYMBOL)
            tag_xref();
        else if (t == KEY_FUNCTION)
            on_function();
    }
    return 0;
}

} // extern "C"
