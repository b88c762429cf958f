// The token reader: words and keywords, operators and the comment styles
// that the language flags switch on.
#include <cstring>

#include "lex_internal.h"

namespace {

inline uint32_t flags() { return lex_ctx.lx_flags; }

// A one-character operator or its two-character form when c2 follows.
int op2(int c1, int c2, int t2, int t1)
{
    text_add(c1);
    int d = gc();
    if (d == c2) {
        text_add(d);
        return t2;
    }
    ugc(d);
    return t1;
}

// R, u8R, uR, UR, LR: the words that open a raw string before a quote.
bool is_raw_prefix(const char *w, int n)
{
    if (n < 1 || n > 3 || w[n - 1] != 'R')
        return false;
    if (n == 1)
        return true;
    if (n == 2)
        return w[0] == 'u' || w[0] == 'U' || w[0] == 'L';
    return w[0] == 'u' && w[1] == '8';
}

int read_word(int c)
{
    lex_t &x = lex_ctx;
    if (c == '.') {
        // Language 8 spells some words with a leading dot.
        int d = gc();
        if (d == '.') {
            int e = gc();
            if (e == '.') {
                text_set("...");
                return TOK_ELLIPSIS;
            }
            ugc(e);
            lex_error("Syntax error, ellipsis requires three dots.");
            return -1;
        }
        ugc(d);
    }
    text_add(c);
    for (;;) {
        const char *run;
        int n = take_class_run(CC_IDENT | CC_DIGIT, &run);
        text_append(run, n);
        int d = gc();
        if (!(lex_cls(d) & (CC_IDENT | CC_DIGIT))) {
            ugc(d);
            break;
        }
        text_add(d);
    }
    if ((x.lx_flags & LEX_CXX_LITERALS) && peek1() == '"' && is_raw_prefix(x.lx_text.dl_str, x.lx_text.dl_len)) {
        text_add(gc());
        return lex_scan_raw_string();
    }
    const keyword_t *e = lex_find_keyword(x.lx_text.dl_str, x.lx_text.dl_len);
    return e ? int(e->kw_code) : int(TOK_SYMBOL);
}

// A word inside a group that is skipped with nothing taken from it: no
// one reads its text or its keyword code, so neither is made.  Only the
// words that can open a raw string are told apart, as the string may hold
// anything, a closing brace among it.
int skip_word(int c)
{
    char head[3];   // the first characters: a raw string's prefix has at most three
    int len = 0;
    auto add = [&](const char *from, int k) {
        for (int i = 0; i < k && len + i < 3; i++)
            head[len + i] = from[i];
        len += k;
    };
    char ch = char(c);
    add(&ch, 1);
    for (;;) {
        const char *run;
        int k = take_class_run(CC_IDENT | CC_DIGIT, &run);
        add(run, k);
        int d = gc();
        if (!(lex_cls(d) & (CC_IDENT | CC_DIGIT))) {
            ugc(d);
            break;
        }
        ch = char(d);
        add(&ch, 1);
    }
    if (len <= 3 && (flags() & LEX_CXX_LITERALS) && peek1() == '"' && is_raw_prefix(head, len)) {
        for (int i = 0; i < len; i++)
            text_add(head[i]);
        text_add(gc());
        return lex_scan_raw_string();
    }
    return TOK_SYMBOL;
}

// A comment that runs to the end of the line; its opener is in the text.
// Returned as a token under LEX_RETURN_COMMENTS, else skipped (-1).
int line_comment(int code)
{
    if (!(flags() & LEX_RETURN_COMMENTS)) {
        lex_skip_to_eol();
        return -1;
    }
    for (;;) {
        int c = gc();
        if (c == 0)
            break;
        if (c == '\n') {
            ugc(c);
            break;
        }
        text_add(c);
    }
    return code;
}

// "/*" has been read.
int block_comment(bool nesting)
{
    if (!(flags() & LEX_RETURN_COMMENTS)) {
        lex_skip_c_comment(nesting);
        return -1;
    }
    text_set("/*");
    int level = 1;
    int c = gc();
    while (c) {
        text_add(c);
        int d = gc();
        if (c == '*' && d == '/') {
            text_add(d);
            if (--level == 0)
                break;
            d = gc();
        } else if (nesting && c == '/' && d == '*') {
            text_add(d);
            level++;
            d = gc();
        }
        c = d;
    }
    return TOK_COMMENT;
}

// Nesting Pascal comments: "(*" ... "*)" or "{" ... "}"; the opener is read.
void pascal_comment(bool brace)
{
    int level = 1;
    int c = gc();
    while (c) {
        if (brace) {
            if (c == '{')
                level++;
            else if (c == '}' && --level == 0)
                return;
            c = gc();
            continue;
        }
        int d = gc();
        if (c == '*' && d == ')') {
            if (--level == 0)
                return;
            d = gc();
        } else if (c == '(' && d == '*') {
            level++;
            d = gc();
        }
        c = d;
    }
}

// "<!--" has been read: up to "-->" or "--!>".
void html_comment()
{
    int dashes = 0;
    for (;;) {
        int c = gc();
        if (c == 0)
            return;
        if (c == '-') {
            dashes++;
            continue;
        }
        if (dashes >= 2) {
            if (c == '>')
                return;
            if (c == '!' && peek1() == '>') {
                gc();
                return;
            }
        }
        dashes = 0;
    }
}

int lt_operator()
{
    text_add('<');
    int d = gc();
    if (d == '=') {
        text_add(d);
        return TOK_LE;
    }
    if (d == '<') {
        text_add(d);
        int e = gc();
        if (e == '=') {
            text_add(e);
            return TOK_SHL_ASSIGN;
        }
        ugc(e);
        return TOK_SHL;
    }
    if (d == '%' && (flags() & LEX_ASP)) {
        text_add(d);
        return TOK_ASP_OPEN;
    }
    if (d == '!' && (flags() & LEX_HTML_COMMENT) && peek1() == '-' && peek2() == '-') {
        gc();
        gc();
        if (flags() & LEX_RETURN_COMMENTS) {
            text_set("<!--");
            return TOK_COMMENT;
        }
        html_comment();
        return -1;
    }
    ugc(d);
    return TOK_LT;
}

int gt_operator()
{
    text_add('>');
    if (flags() & LEX_XML)
        return TOK_GT;
    int d = gc();
    if (d == '=') {
        text_add(d);
        return TOK_GE;
    }
    if (d == '>') {
        text_add(d);
        int e = gc();
        if (e == '=') {
            text_add(e);
            return TOK_SHR_ASSIGN;
        }
        ugc(e);
        return TOK_SHR;
    }
    ugc(d);
    return TOK_GT;
}

int slash_operator()
{
    uint32_t f = flags();
    if (f & LEX_SLASH_STRING)
        return lex_scan_string('/');
    int d = gc();
    if (d == '=') {
        text_set("/=");
        return TOK_DIV_ASSIGN;
    }
    if (d == '*' && (f & (LEX_C_COMMENT | LEX_NESTED_COMMENT)))
        return block_comment((f & LEX_NESTED_COMMENT) != 0);
    if (d == '/' && (f & LEX_CPP_COMMENT)) {
        text_set("//");
        return line_comment(TOK_LINE_COMMENT);
    }
    if (d == '>' && (f & LEX_XML)) {
        text_set("/>");
        return TOK_EMPTY_END;
    }
    ugc(d);
    if (f & LEX_REGEX)
        return lex_scan_string('/');
    text_add('/');
    return TOK_DIV;
}

int tick()
{
    uint32_t f = flags();
    if (f & LEX_TICK_KEYWORD) {
        int d = gc();
        if (lex_cls(d) & CC_IDSTART) {
            text_add(d);
            for (;;) {
                int e = gc();
                if (!(lex_cls(e) & (CC_IDENT | CC_DIGIT))) {
                    ugc(e);
                    break;
                }
                text_add(e);
            }
            const keyword_t *k = lex_find_keyword(lex_ctx.lx_text.dl_str, lex_ctx.lx_text.dl_len);
            if (k && (k->kw_flags & KW_TICK))
                return k->kw_code;
            // Not an attribute word: it is consumed, and the tick goes on
            // as below (a character constant keeps the word in its text).
            if (f & LEX_CHAR_CONST)
                return lex_scan_char_const();
            text_set("'");
            return '\'';
        }
        ugc(d);
        text_clear();
    }
    if (f & LEX_CHAR_CONST)
        return lex_scan_char_const();
    text_add('\'');
    return '\'';
}

int dollar()
{
    text_add('$');
    if (!(flags() & LEX_DOLLAR_HEX))
        return '$';
    // Unsigned, so that a run of digits too long for 64 bits wraps
    // instead of overflowing.
    uint64_t v = 0;
    for (;;) {
        int d = gc();
        if (!(lex_cls(d) & CC_HEX)) {
            ugc(d);
            break;
        }
        text_add(d);
        v = v * 16 + uint64_t((d <= '9') ? d - '0' : (d | 0x20) - 'a' + 10);
    }
    lex_ctx.lx_int = int64_t(v);
    return TOK_INT;
}

int backtick()
{
    text_add('`');
    if (lex_ctx.lx_lang != 45)
        return '`';
    int d;
    do
        d = gc();
    while (lex_cls(d) & CC_BLANK);
    while (lex_cls(d) & (CC_IDENT | CC_DIGIT)) {
        text_add(d);
        d = gc();
    }
    ugc(d);
    return TOK_BACKTICK_WORD;
}

// One token from the character c, or -1 when c starts nothing (skipped
// characters, comments) and reading goes on.
int dispatch(int c)
{
    uint32_t f = flags();
    switch (c) {
    case '\n':
        if (f & LEX_NEWLINE) {
            text_add('\n');
            return '\n';
        }
        return -1;
    case 1:
        if (lex_st.in.sccs)
            lex_skip_to_eol();
        return -1;
    case '!':
        if (f & LEX_DASH_COMMENT) {
            lex_skip_to_eol();
            return -1;
        }
        return op2('!', '=', TOK_NE, TOK_NOT);
    case '"':
        return lex_scan_string('"');
    case '#':
        if (f & LEX_HASH_COMMENT) {
            text_add('#');
            return line_comment(TOK_COMMENT);
        }
        if (f & LEX_CPP)
            return lex_directive_rule(TOK_HASH_WORD);
        text_add('#');
        return '#';
    case '$':
        return dollar();
    case '%':
        if (f & LEX_PERCENT_COMMENT) {
            text_add('%');
            return line_comment(TOK_COMMENT);
        }
        if ((f & LEX_ASP) && peek1() == '>') {
            gc();
            text_set("%>");
            return TOK_ASP_CLOSE;
        }
        return op2('%', '=', TOK_MOD_ASSIGN, TOK_MOD);
    case '&': {
        text_add('&');
        int d = gc();
        if (d == '=' || d == '&') {
            text_add(d);
            return d == '=' ? TOK_AND_ASSIGN : TOK_ANDAND;
        }
        ugc(d);
        return TOK_AMP;
    }
    case '\'':
        return tick();
    case '(':
        if ((f & LEX_PASCAL_COMMENT) && peek1() == '*') {
            gc();
            pascal_comment(false);
            return -1;
        }
        text_add(c);
        return c;
    case ')': case ',': case '?': case '[': case ']': case '}':
        text_add(c);
        return c;
    case '*':
        return op2('*', '=', TOK_MUL_ASSIGN, TOK_STAR);
    case '+': {
        text_add('+');
        int d = gc();
        if (d == '=' || d == '+') {
            text_add(d);
            return d == '=' ? TOK_PLUS_ASSIGN : TOK_INC;
        }
        ugc(d);
        return TOK_PLUS;
    }
    case '-': {
        text_add('-');
        int d = gc();
        if (d == '=') {
            text_add(d);
            return TOK_MINUS_ASSIGN;
        }
        if (d == '-') {
            text_add(d);
            if (f & LEX_DASH_COMMENT)
                return line_comment(TOK_LINE_COMMENT);
            return TOK_DEC;
        }
        if (d == '>') {
            text_add(d);
            return TOK_PTR;
        }
        ugc(d);
        return TOK_MINUS;
    }
    case '/':
        return slash_operator();
    case ':': {
        text_add(':');
        int d = gc();
        if (d == ':') {
            text_add(d);
            return TOK_SCOPE;
        }
        if (d == '=' && (f & LEX_ASSIGN)) {
            text_add(d);
            return TOK_ASSIGN;
        }
        ugc(d);
        return ':';
    }
    case ';':
        if (f & LEX_SEMI_COMMENT) {
            lex_skip_to_eol();
            return -1;
        }
        text_add(';');
        return ';';
    case '<':
        return lt_operator();
    case '=': {
        text_add('=');
        int d = gc();
        if (d == '=') {
            text_add(d);
            return TOK_EQEQ;
        }
        if (d == '>' && lex_keyword("=>", KW_OPERATOR) >= 0) {
            text_add(d);
            return TOK_ARROW;
        }
        ugc(d);
        return TOK_EQUAL;
    }
    case '>':
        return gt_operator();
    case '@':
        if (f & LEX_AT_DIRECTIVE)
            return lex_directive_rule(TOK_AT_WORD);
        text_add('@');
        return '@';
    case '^':
        return op2('^', '=', TOK_XOR_ASSIGN, TOK_XOR);
    case '`':
        return backtick();
    case '{':
        if (f & LEX_PASCAL_COMMENT) {
            pascal_comment(true);
            return -1;
        }
        text_add('{');
        return '{';
    case '|': {
        text_add('|');
        int d = gc();
        if (d == '=' || d == '|') {
            text_add(d);
            return d == '=' ? TOK_OR_ASSIGN : TOK_OROR;
        }
        ugc(d);
        return TOK_OR;
    }
    case '~':
        text_add('~');
        return TOK_TILDE;
    default:
        return -1;
    }
}

} // namespace

void lex_skip_c_comment(bool nesting)
{
    int level = 1;
    int c = gc();
    while (c) {
        if (c != '*' && c != '/') {
            // Nothing up to the next '*' (or '/' when nesting) can end or
            // open a comment; a zero byte stops it as it stops gc().
            take_run([nesting](unsigned char d) { return d != '*' && d != 0 && !(nesting && d == '/'); });
            c = gc();
            continue;
        }
        int d = gc();
        if (c == '*' && d == '/') {
            if (--level == 0)
                return;
            d = gc();
        } else if (nesting && c == '/' && d == '*') {
            level++;
            d = gc();
        }
        c = d;
    }
}

namespace {

// The token reader; with plain_words, words come as TOK_SYMBOL without
// their text (see skip_word).
template <bool plain_words> int next_token()
{
    lex_t &x = lex_ctx;
    if (x.lx_nstack > 0) {
        lex_pushed_t &p = x.lx_stack[--x.lx_nstack];
        x.lx_tok_line = p.lp_line;
        x.lx_tok_column = p.lp_column;
        x.lx_int = p.lp_int;
        x.lx_float = p.lp_float;
        text_clear();
        for (int i = 0; i < p.lp_text.dl_len; i++)
            text_add(p.lp_text.dl_str[i]);
        return p.lp_token;
    }
    for (;;) {
        int c = gc();
        while (lex_cls(c) & CC_BLANK) {
            if (x.lx_flags & LEX_SPACE)
                break;
            take_class_run(CC_BLANK);
            c = gc();
        }
        int line = x.lx_lineno, column = x.lx_column;
        LEX_APART(column);   // just stored by the blank run above
        x.lx_tok_line = line;
        x.lx_tok_column = column;
        text_clear();
        if (c == 0)
            return TOK_EOF;
        int t;
        if (lex_cls(c) & CC_BLANK) {
            text_add(c);
            return ' ';
        }
        if (plain_words && (lex_cls(c) & CC_IDSTART)) {
            t = skip_word(c);
        } else if ((lex_cls(c) & CC_IDSTART) || (c == '.' && x.lx_lang == 8)) {
            t = read_word(c);
        } else if ((lex_cls(c) & CC_DIGIT) || c == '.') {
            if (c == '.' && x.lx_lang == 31 && peek1() == '=') {
                gc();
                text_set(".=");
                return TOK_IGNORE;
            }
            t = lex_scan_number(c);
        } else {
            t = dispatch(c);
        }
        if (t >= 0)
            return t;
    }
}

} // namespace

extern "C" int lex_token(void)
{
    return next_token<false>();
}

int lex_skip_token(void)
{
    return next_token<true>();
}
