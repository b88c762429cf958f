// Passing over a routine's statements, which is most of a Pascal file, a
// character at a time: only comments, strings and the words that open or
// close a block matter there, so the full token reader is not needed.
#include "pascal_internal.h"

namespace {

int lower(int c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// After "{" or "(*": to the matching close; both kinds nest.
void skip_comment(bool brace)
{
    int depth = 1;
    int c = lex_getc();
    while (c) {
        if (brace) {
            if (c == '{')
                depth++;
            else if (c == '}' && --depth == 0)
                return;
            c = lex_getc();
            continue;
        }
        int d = lex_getc();
        if (c == '(' && d == '*') {
            depth++;
            d = lex_getc();
        } else if (c == '*' && d == ')') {
            if (--depth == 0)
                return;
            d = lex_getc();
        }
        c = d;
    }
}

void skip_line()
{
    for (int c = lex_getc(); c && c != '\n'; c = lex_getc()) {
    }
}

void skip_string()
{
    for (int c = lex_getc(); c && c != '\'' && c != '\n'; c = lex_getc()) {
    }
}

// The word starting with c, lower-cased into w (cut at its size); returns
// the character after it.
int read_word(int c, char *w, int size)
{
    int n = 0;
    while (oth_ident(c)) {
        if (n < size - 1)
            w[n++] = char(lower(c));
        c = lex_getc();
    }
    w[n] = '\0';
    return c;
}

bool is(const char *w, const char *k)
{
    for (; *w && *w == *k; w++, k++) {
    }
    return *w == *k;
}

int skip_chars(int depth)
{
    int c = lex_getc();
    while (c) {
        if (c == '{') {
            skip_comment(true);
        } else if (c == '(') {
            int d = lex_getc();
            if (d == '*') {
                skip_comment(false);
            } else {
                c = d;
                continue;
            }
        } else if (c == '/') {
            int d = lex_getc();
            if (d == '/') {
                skip_line();
            } else {
                c = d;
                continue;
            }
        } else if (c == '\'') {
            skip_string();
        } else if (oth_ident(c)) {
            char w[8];
            c = read_word(c, w, sizeof w);
            if (is(w, "end")) {
                if (--depth == 0) {
                    lex_ungetc(c);
                    return 0;
                }
            } else if (is(w, "begin") || is(w, "case") || is(w, "try") || is(w, "asm")) {
                depth++;
            }
            continue;
        }
        c = lex_getc();
    }
    return 0;
}

} // namespace

void pas_skip_block()
{
    if (lex_ctx.lx_nstack > 0) {
        // Tokens already read ahead come first: count them as tokens.
        int depth = 1;
        while (lex_ctx.lx_nstack > 0) {
            int t = lex_next();
            if (t == KEY_END && --depth == 0)
                return;
            if (t == KEY_BEGIN || t == KEY_CASE || t == KEY_TRY || (t == TOK_SYMBOL && oth_text_is("asm")))
                depth++;
        }
        skip_chars(depth);
        return;
    }
    skip_chars(1);
}
