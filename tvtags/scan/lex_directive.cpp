// The directive rule: after '#' (LEX_CPP) or '@' (LEX_AT_DIRECTIVE) the
// word is looked up in the descriptor's directive hash, handed to the
// language's directive handler, and the rest of the line consumed.
#include "lex_internal.h"

namespace {

// Skips a quoted run inside a directive line; a newline ends it unclosed.
// Returns false at the end of the line or input (the newline pushed back).
bool skip_quoted(int q)
{
    for (;;) {
        int c = gc();
        if (c == 0)
            return false;
        if (c == q)
            return true;
        if (c == '\n') {
            ugc(c);
            return false;
        }
        if (c == '\\') {
            int d = gc();
            if (d == 0)
                return false;
            // A backslash and newline continue the directive.
        }
    }
}

// The rest of a directive line.  A backslash continues it (carriage
// returns before the newline skipped), and comments and quoted text are
// stepped over so that a "/*" in a string or after "//" cannot swallow the
// following lines, while a block comment spanning lines does not end the
// directive early.  The newline is pushed back.
// The characters that mean something to the loop below; the others are
// stepped over a run at a time.
bool plain_in_directive(unsigned char c)
{
    return c != 0 && c != '\n' && c != '\\' && c != '/' && c != '"' && c != '\'';
}

void skip_directive_rest()
{
    uint32_t f = lex_ctx.lx_flags;
    for (;;) {
        take_run(plain_in_directive);
        int c = gc();
        switch (c) {
        case 0:
            return;
        case '\n':
            ugc(c);
            return;
        case '\\': {
            int d = gc();
            while (d == '\r')
                d = gc();
            if (d != '\n')
                ugc(d);
            break;
        }
        case '/': {
            int d = gc();
            if (d == '*' && (f & (LEX_C_COMMENT | LEX_NESTED_COMMENT))) {
                lex_skip_c_comment((f & LEX_NESTED_COMMENT) != 0);
            } else if (d == '/' && (f & LEX_CPP_COMMENT)) {
                for (;;) {
                    int e = gc();
                    if (e == 0)
                        return;
                    if (e == '\n') {
                        ugc(e);
                        return;
                    }
                }
            } else {
                ugc(d);
            }
            break;
        }
        case '"':
            if (!skip_quoted(c))
                return;
            break;
        case '\'':
            if ((f & LEX_CHAR_CONST) && !skip_quoted(c))
                return;
            break;
        default:
            break;
        }
    }
}

} // namespace

int lex_directive_rule(int deflt)
{
    lex_t &x = lex_ctx;
    lex_read_word();
    const keyword_t *e = lex_find_directive(x.lx_text.dl_str, x.lx_text.dl_len);
    int (*handler)(int) = x.lx_desc ? x.lx_desc->ld_directive : nullptr;

    if (x.lx_flags & LEX_RETURN_COMMENTS)
        return e ? e->kw_code : deflt;
    if (x.lx_flags & LEX_MATCHING) {
        // Inside a matched group the directive comes back as a token for
        // the conditional balancing; its line is no part of the group, so
        // a "#define X {" cannot unbalance the match.  Definitions made
        // there are still reported by the handler.
        if (e && handler && e->kw_code != TOK_HASH_ENDIF)
            handler(e->kw_code);
        skip_directive_rest();
        if (e)
            text_set(e->kw_name);
        return e ? e->kw_code : deflt;
    }
    if (e) {
        int r = handler ? handler(e->kw_code) : 0;
        if (r == 0 || r == 1) {
            text_set(e->kw_name);
            return e->kw_code;
        }
    }
    skip_directive_rest();
    return -1;
}
