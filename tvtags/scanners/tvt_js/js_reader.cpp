// The JavaScript token reader over the shared lexer.  A "/" starts a
// regular expression where an operand is expected (after an operator, an
// opening bracket or a keyword) and is a division after an operand, so
// that "a / b" never swallows the rest of its line; template literals are
// read with their ${...} parts, however nested, so that the braces in them
// count for nothing.
#include <cstring>

#include "js_internal.h"

namespace {

// Templates inside templates deeper than this are read as plain text.
constexpr int kMaxTemplateNest = 32;

struct reader_t {
    int prev = 0;          // the last token returned
    bool prev_operand = false;
    int template_nest = 0;
};

thread_local reader_t rd;

void set_text(const char *s)
{
    dstr_t &t = lex_ctx.lx_text;
    dstr_clear(&t);
    dstr_add_string(&t, s, int(strlen(s)));
    t.dl_str[t.dl_len] = '\0';
}

bool keyword_before_operand()
{
    static const char *const words[] = {"return", "typeof", "instanceof", "in", "of", "new",
                                        "delete", "void", "throw", "case", "do", "else",
                                        "yield", "await", nullptr};
    for (const char *const *w = words; *w; w++)
        if (js_text_is(*w))
            return true;
    return false;
}

// The body of a regular expression after its "/": up to the closing "/"
// outside a character class, or the end of the line.
void read_regex()
{
    bool in_class = false;
    for (;;) {
        int c = lex_getc();
        if (c == 0)
            break;
        if (c == '\n') {
            lex_ungetc(c);
            break;
        }
        if (c == '\\') {
            int d = lex_getc();
            if (d == '\n' || d == 0) {
                if (d)
                    lex_ungetc(d);
                break;
            }
            continue;
        }
        if (c == '[')
            in_class = true;
        else if (c == ']')
            in_class = false;
        else if (c == '/' && !in_class)
            break;
    }
    set_text("/re/");
}

int raw_next();

// After "`": to the closing "`"; each ${ runs tokens to its "}".
void read_template()
{
    rd.template_nest++;
    for (;;) {
        int c = lex_getc();
        if (c == 0 || c == '`')
            break;
        if (c == '\\') {
            lex_getc();
            continue;
        }
        if (c == '$' && rd.template_nest <= kMaxTemplateNest) {
            int d = lex_getc();
            if (d != '{') {
                if (d)
                    lex_ungetc(d);
                continue;
            }
            int depth = 1;
            rd.prev = '{';
            rd.prev_operand = false;
            while (depth > 0) {
                int t = raw_next();
                if (t == TOK_EOF)
                    break;
                if (t == '{')
                    depth++;
                else if (t == '}')
                    depth--;
            }
        }
    }
    rd.template_nest--;
    set_text("`t`");
}

bool operand_end(int t)
{
    switch (t) {
    case TOK_SYMBOL: case TOK_INT: case TOK_FLOAT: case TOK_STRING: case ')': case ']':
    case TOK_INC: case TOK_DEC:
        return true;
    default:
        return t >= 322 && t <= 598 && !keyword_before_operand();
    }
}

int raw_next()
{
    for (;;) {
        int t = lex_token();
        switch (t) {
        case TOK_DIV:
        case TOK_DIV_ASSIGN:
            if (!rd.prev_operand) {
                read_regex();
                t = TOK_STRING;
            }
            break;
        case '`':
            read_template();
            t = TOK_STRING;
            break;
        case TOK_EQUAL: {
            int c = lex_getc();
            if (c == '>') {
                set_text("=>");
                t = TOK_ARROW;
            } else if (c) {
                lex_ungetc(c);
            }
            break;
        }
        case '#':
            if (lex_ctx.lx_tok_line == 1 && lex_ctx.lx_tok_column <= 1) {
                lex_skip_line();  // #!/usr/bin/env node
                continue;
            }
            continue;  // the private name follows
        default:
            break;
        }
        rd.prev = t;
        rd.prev_operand = operand_end(t);
        return t;
    }
}

} // namespace

void js_reset_reader()
{
    rd = reader_t();
}

int js_next()
{
    return raw_next();
}

bool js_is_word(int t)
{
    if (t == TOK_SYMBOL)
        return true;
    if ((t < 322 || t > 598) && t != TOK_IGNORE)
        return false;
    unsigned char c = (unsigned char) lex_ctx.lx_text.dl_str[0];
    return (lex_class_of(c) & CC_IDSTART) != 0;
}

bool js_text_is(const char *s)
{
    return strcmp(lex_ctx.lx_text.dl_str, s) == 0;
}
