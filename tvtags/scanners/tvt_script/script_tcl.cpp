// Tcl: a token scanner that tags every "proc" command.  The tokens that
// touch each other after "proc" make one name (a.b-c); of a namespace path
// (::ns::name) the last part is the name.
#include <cstring>

#include "script_tok.h"
#include "scanners/tvt_scanners.h"

namespace {

const keyword_t kw_tcl[] = {
    {"append", KEY_APPEND, 0}, {"lappend", KEY_APPEND, 0}, {"break", KEY_BREAK, 0},
    {"case", KEY_CASE, 0}, {"catch", KEY_CATCH, 0}, {"continue", KEY_CONTINUE, 0},
    {"decr", KEY_DECR, 0}, {"default", KEY_DEFAULT, 0}, {"else", KEY_ELSE, 0},
    {"elseif", KEY_ELSEIF, 0}, {"expr", KEY_EXPR, 0}, {"exec", KEY_EXEC, 0},
    {"for", KEY_FOR, 0}, {"foreach", KEY_FOREACH, 0}, {"global", KEY_GLOBAL, 0},
    {"if", KEY_IF, 0}, {"incr", KEY_INCR, 0}, {"namespace", KEY_NAMESPACE, 0},
    {"proc", KEY_PROCEDURE, 0}, {"puts", KEY_PUTS, 0}, {"set", KEY_SET, 0},
    {"switch", KEY_SWITCH, 0}, {"while", KEY_WHILE, 0},
    KW_END,
};

lang_desc_t desc_tcl = {41, kw_tcl, nullptr, nullptr, nullptr, nullptr,
                        LEX_HASH_COMMENT | LEX_LINE_CONT, nullptr, nullptr};

// Tokens that can continue a name when nothing separates them.
bool name_piece(int t)
{
    return script_is_word(t) || t == TOK_SCOPE || t == TOK_INT || t == '.' || t == TOK_DOT ||
           t == '-' || t == TOK_MINUS || t == ':' || t == '+' || t == '_';
}

void on_proc()
{
    int t = lex_next();
    if (!name_piece(t))
        return;
    script_remember();
    char name[TAG_NAME_SIZE];
    size_t n = 0;
    for (;;) {
        const char *w = script_is_word(t) || t == TOK_INT ? lex_ctx.lx_text.dl_str : lex_token_text(t);
        size_t k = strlen(w);
        if (n + k >= sizeof name)
            break;
        memcpy(name + n, w, k);
        n += k;
        int line = lex_ctx.lx_lineno;
        int end = lex_ctx.lx_column;
        t = lex_next();
        if (!name_piece(t) || lex_ctx.lx_tok_line != line || lex_ctx.lx_tok_column != end + 1) {
            lex_unget_token(t);
            break;
        }
        tag_rec.tr_column = lex_ctx.lx_column;
    }
    name[n] = '\0';
    // A namespace path leads to the name: ::tk::dialog::Done is "Done".
    const char *last = name;
    for (const char *p = strstr(name, "::"); p; p = strstr(p + 2, "::"))
        last = p + 2;
    memcpy(tag_rec.tr_name, last, strlen(last) + 1);
    script_emit(TT_PROCEDURE, -1);
}

} // namespace

extern "C" {

int tvt_tcl_scan(void)
{
    lex_init(&desc_tcl);
    int prev = '\n';
    int prev_line = 0;
    for (int t = lex_next(); t != TOK_EOF; t = lex_next()) {
        // A command word opens its line or follows a brace, bracket or ';'.
        bool command = lex_ctx.lx_tok_line != prev_line || prev == '{' || prev == '[' || prev == ';';
        prev = t;
        prev_line = lex_ctx.lx_tok_line;
        if (t == TOK_SYMBOL)
            tag_xref();
        else if (t == KEY_PROCEDURE && command)
            on_proc();
    }
    return 0;
}

} // extern "C"
