// CHILL: modules, procedures and processes, each named by the label in
// front of its keyword ("name: MODULE").
#include "other_internal.h"
#include "scanners/tvt_scanners.h"

namespace {

const keyword_t kw_chill[] = {
    {"MODULE", KEY_MODULE, 0}, {"PROC", KEY_PROCEDURE, 0}, {"PROCESS", KEY_PROCESS, 0},
    KW_END,
};

lang_desc_t desc_chill = {LANG_CHILL, kw_chill, nullptr, nullptr, nullptr, nullptr,
                          LEX_C_COMMENT | LEX_CPP_COMMENT | LEX_ASSIGN | LEX_NOCASE, nullptr, nullptr};

} // namespace

extern "C" int tvt_chill_scan(void)
{
    lex_init(&desc_chill);
    for (int t = lex_next(); t != TOK_EOF; t = lex_next()) {
        if (t != TOK_SYMBOL)
            continue;
        oth_mark_t m;
        oth_mark(&m);
        int u = lex_next();
        if (u != ':') {
            lex_unget_token(u);
            continue;
        }
        int k = lex_next();
        if (k == KEY_MODULE) {
            // The module's body follows at once: its first statement is
            // not passed over.
            oth_emit_mark(TT_MODULE, &m, -1, nullptr);
            continue;
        }
        if (k == KEY_PROCEDURE)
            oth_emit_mark(TT_FUNCTION, &m, -1, nullptr);
        else if (k == KEY_PROCESS)
            oth_emit_mark(TT_PROCESS, &m, -1, nullptr);
        else
            lex_unget_token(k);
        if (k == KEY_PROCEDURE || k == KEY_PROCESS)
            lex_skip_to(';');
    }
    return 0;
}
