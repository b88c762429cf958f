// IDL: a token scanner that tags procedures and functions (a method
// "pro shape::draw" by its own name) and skips begin/end and case blocks,
// so nothing inside a block is taken for a definition.
#include "script_tok.h"
#include "scanners/tvt_scanners.h"
#include "wrenlib/fmt.h"

namespace {

const keyword_t kw_idl[] = {
    {"begin", KEY_BEGIN, 0}, {"case", KEY_CASE, 0}, {"else", KEY_ELSE, 0},
    {"end", KEY_END, 0}, {"endcase", KEY_ENDCASE, 0}, {"endelse", KEY_ENDELSE, 0},
    {"endfor", KEY_ENDFOR, 0}, {"endif", KEY_ENDIF, 0}, {"endwhile", KEY_ENDWHILE, 0},
    {"for", KEY_FOR, 0}, {"function", KEY_FUNCTION, 0}, {"if", KEY_IF, 0},
    {"of", KEY_OF, 0}, {"pro", KEY_PROCEDURE, 0}, {"return", KEY_RETURN, 0},
    {"type", KEY_TYPE, 0}, {"then", KEY_THEN, 0},
    KW_END,
};

lang_desc_t desc_idl = {19, kw_idl, nullptr, nullptr, nullptr, nullptr,
                        LEX_CHAR_CONST | LEX_NOCASE | LEX_SEMI_COMMENT | LEX_NO_ESCAPE, cpp_directive,
                        nullptr};

int next()
{
    int t = lex_next();
    if (tvt_opt.debug && t != TOK_EOF)
        wl_printf("Parsing %s\n", lex_token_text(t));
    return t;
}

bool ends_block(int t)
{
    return t == KEY_END || t == KEY_ENDCASE || t == KEY_ENDELSE || t == KEY_ENDWHILE ||
           t == KEY_ENDFOR || t == KEY_ENDIF;
}

void skip_begin()
{
    int depth = 1;
    while (depth > 0) {
        int t = next();
        if (t == TOK_EOF)
            return;
        if (t == KEY_BEGIN || t == KEY_CASE)
            depth++;
        else if (ends_block(t))
            depth--;
    }
}

void skip_case()
{
    int t;
    do
        t = next();
    while (t != KEY_OF && t != TOK_EOF);
    int count = 0;
    while (t != TOK_EOF && count >= 0) {
        t = next();
        if (t == KEY_CASE)
            count++;
        else if (t == KEY_ENDCASE)
            count--;
    }
}

void on_routine(int type)
{
    int t;
    do
        t = next();
    while (t != TOK_SYMBOL && t != TOK_EOF);
    if (t == TOK_EOF)
        return;
    script_remember();
    for (;;) {
        t = next();
        if (t != TOK_SCOPE)
            break;
        t = next();
        if (t != TOK_SYMBOL)
            break;
        script_remember();
    }
    lex_unget_token(t);
    script_emit(type, -1);
}

} // namespace

extern "C" {

int tvt_idl_scan(void)
{
    lex_init(&desc_idl);
    for (int t = next(); t != TOK_EOF; t = next()) {
        if (t == KEY_BEGIN)
            skip_begin();
        else if (t == KEY_CASE)
            skip_case();
        else if (t == KEY_FUNCTION)
            on_routine(TT_FUNCTION);
        else if (t == KEY_PROCEDURE)
            on_routine(TT_PROCEDURE);
    }
    return 0;
}

} // extern "C"
