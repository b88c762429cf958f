// Lisp: reads the text as symbols, strings, comments and character
// literals (?x, ?\") so that a quote character written as a literal never
// opens a string, and tags the name after each defining word.
#include <cstring>

#include "script_tok.h"
#include "scanners/tvt_scanners.h"

namespace {

const keyword_t kw_lisp[] = {
    {"defun", KEY_PROCEDURE, 0}, {"define", KEY_MACRO, 0}, {"defmacro", KEY_MACRO, 0},
    {"defsubst", KEY_MACRO, 0}, {"defconst", TOK_DEFINE, 0}, {"defvar", KEY_VAR, 0},
    {"defstruct", KEY_STRUCT, 0}, {"if", KEY_IF, 0},
    {"nil", TOK_IGNORE, 0}, {"list", TOK_IGNORE, 0}, {"require", TOK_IGNORE, 0},
    {"or", TOK_IGNORE, 0}, {"cdr", TOK_IGNORE, 0}, {"cond", TOK_IGNORE, 0},
    {"let", TOK_IGNORE, 0}, {"setq", TOK_IGNORE, 0}, {"eq", TOK_IGNORE, 0},
    {"while", TOK_IGNORE, 0}, {"print", TOK_IGNORE, 0}, {"progn", TOK_IGNORE, 0},
    {"lambda", TOK_IGNORE, 0},
    KW_END,
};

lang_desc_t desc_lisp = {21, kw_lisp, "-", "-", nullptr, nullptr,
                         LEX_SEMI_COMMENT | LEX_MULTILINE_STRING, nullptr, nullptr};

struct def_word_t {
    const char *word;
    int type;
    bool paren_ok;      // a '(' may come before the name
};

// The defining words: the classic ones and their common-library forms.
constexpr def_word_t defs[] = {
    {"defun", TT_FUNCTION, false},       {"cl-defun", TT_FUNCTION, false},
    {"defconst", TT_CONST, false},       {"defvar", TT_DATA, false},
    {"defvar-local", TT_DATA, false},    {"defcustom", TT_DATA, false},
    {"define", TT_MACRO, true},          {"defmacro", TT_MACRO, true},
    {"cl-defmacro", TT_MACRO, true},     {"defsubst", TT_MACRO, true},
    {"cl-defsubst", TT_MACRO, true},     {"defstruct", TT_STRUCT, true},
    {"cl-defstruct", TT_STRUCT, true},
};

thread_local int pending = -1;    // a character read ahead, -1 when none

int next_char()
{
    if (pending >= 0) {
        int c = pending;
        pending = -1;
        return c;
    }
    return lex_getc();
}

bool delimiter(int c)
{
    return c == 0 || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '(' ||
           c == ')' || c == '[' || c == ']' || c == '"' || c == '\'' || c == ';' || c == '`' ||
           c == ',';
}

void skip_string()
{
    for (int c = next_char(); c && c != '"'; c = next_char())
        if (c == '\\' && !next_char())
            return;
}

// A symbol starting with c into the token text; the delimiter after it is
// kept for the next read.
void read_symbol(int c)
{
    dstr_t &t = lex_ctx.lx_text;
    dstr_clear(&t);
    while (!delimiter(c)) {
        if (c == '\\') {
            c = next_char();
            if (!c)
                break;
        }
        if (t.dl_len < TAG_NAME_SIZE)
            dstr_add_char(&t, char(c));
        c = next_char();
    }
    pending = c;
    t.dl_str[t.dl_len] = '\0';
}

// Blanks and comments; the next character that is neither.
int skip_space()
{
    int c = next_char();
    for (;;) {
        while (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f')
            c = next_char();
        if (c != ';')
            return c;
        while (c && c != '\n')
            c = next_char();
    }
}

const def_word_t *def_word(const char *s)
{
    for (const def_word_t &d : defs)
        if (strcmp(s, d.word) == 0)
            return &d;
    return nullptr;
}

// After "(" and a defining word: the name, emitted.
void on_def(const def_word_t &d)
{
    int c = skip_space();
    if (c == '(' && d.paren_ok)
        c = skip_space();
    if (c == '\'')
        c = next_char();
    if (delimiter(c)) {
        pending = c;
        return;
    }
    read_symbol(c);
    script_remember();
    script_emit(d.type, -1);
}

} // namespace

extern "C" {

int tvt_lisp_scan(void)
{
    lex_init(&desc_lisp);
    pending = -1;
    bool after_paren = false;
    for (int c = next_char(); c; c = next_char()) {
        bool paren = false;
        if (c == ';') {
            while (c && c != '\n')
                c = next_char();
        } else if (c == '"') {
            skip_string();
        } else if (c == '?') {
            c = next_char();
            if (c == '\\')
                c = next_char();
            if (!c)
                break;
        } else if (c == '(') {
            paren = true;
        } else if (!delimiter(c)) {
            read_symbol(c);
            const def_word_t *d = after_paren ? def_word(lex_ctx.lx_text.dl_str) : nullptr;
            if (d)
                on_def(*d);
            else
                tag_xref();
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            continue;
        after_paren = paren;
    }
    return 0;
}

} // extern "C"
