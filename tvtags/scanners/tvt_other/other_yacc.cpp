// Yacc and Bison grammars: the name of every rule.  The declarations
// before the first "%%" are passed over line by line; the rules are read
// as tokens, with actions skipped as brace groups, up to the next "%%".
// A rule ends at its ";", or where the next "name:" starts one (the ";" is
// optional).
#include <cstring>

#include "other_internal.h"
#include "scanners/tvt_scanners.h"

namespace {

lang_desc_t desc_yacc = {LANG_YACC, nullptr, nullptr, nullptr, nullptr, nullptr,
                         LEX_CPP | LEX_C_COMMENT | LEX_CPP_COMMENT | LEX_CHAR_CONST, cpp_directive,
                         nullptr};

bool skip_declarations()
{
    while (lex_read_line() >= 0)
        if (lex_ctx.lx_line[0] == '%' && lex_ctx.lx_line[1] == '%')
            return true;
    return false;
}

// After a "%": true at the "%%" that ends the rules (or at the end).
bool ends_rules()
{
    int t = lex_next();
    if (t == TOK_MOD || t == TOK_MOD_ASSIGN || t == TOK_EOF)
        return true;
    lex_unget_token(t);
    return false;
}

// Reads a name and what follows; a rule starts when it is ":".
bool rule_start(int t, oth_mark_t *m)
{
    if (t != TOK_SYMBOL)
        return false;
    oth_mark(m);
    int u = lex_next();
    if (u == '[') {                // a named reference: name[alias]:
        lex_skip_group('[');
        u = lex_next();
    }
    if (u == ':')
        return true;
    lex_unget_token(u);
    return false;
}

} // namespace

extern "C" int tvt_yacc_scan(void)
{
    lex_init(&desc_yacc);
    if (!skip_declarations())
        return 0;
    for (int t = lex_next(); t != TOK_EOF; t = lex_next()) {
        if (t == TOK_MOD) {
            if (ends_rules())
                break;
            continue;
        }
        if (t == '{') {
            lex_skip_group('{');
            continue;
        }
        oth_mark_t m;
        if (rule_start(t, &m)) {
            oth_emit_mark(TT_DEFINE, &m, -1, nullptr);
        }
    }
    return 0;
}
