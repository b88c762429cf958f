// PV-Wave: a token scanner that tags each function and procedure by the
// word after its keyword.
#include "script_tok.h"
#include "scanners/tvt_scanners.h"
#include "wrenlib/fmt.h"

namespace {

const keyword_t kw_pvwave[] = {
    {"begin", KEY_BEGIN, 0}, {"case", KEY_CASE, 0}, {"else", KEY_ELSE, 0},
    {"end", KEY_END, 0}, {"for", KEY_FOR, 0}, {"function", KEY_FUNCTION, 0},
    {"if", KEY_IF, 0}, {"pro", KEY_PROCEDURE, 0}, {"procedure", KEY_PROCEDURE, 0},
    {"return", KEY_RETURN, 0}, {"then", KEY_THEN, 0},
    KW_END,
};

lang_desc_t desc_pvwave = {33, kw_pvwave, nullptr, nullptr, nullptr, nullptr,
                           LEX_NOCASE | LEX_SEMI_COMMENT, cpp_directive, nullptr};

int next()
{
    int t = lex_next();
    if (tvt_opt.debug && t != TOK_EOF)
        wl_printf("Parsing %s\n", lex_token_text(t));
    return t;
}

} // namespace

extern "C" {

int tvt_pvwave_scan(void)
{
    lex_init(&desc_pvwave);
    for (int t = next(); t != TOK_EOF; t = next()) {
        if (t != KEY_FUNCTION && t != KEY_PROCEDURE)
            continue;
        int type = t == KEY_FUNCTION ? TT_FUNCTION : TT_PROCEDURE;
        if (next() == TOK_EOF)
            break;
        script_remember();
        if (next() == TOK_EOF)
            break;      // cut short by the end of the file
        script_emit(type, -1);
    }
    return 0;
}

} // extern "C"
