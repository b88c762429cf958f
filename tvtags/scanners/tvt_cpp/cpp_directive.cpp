// The C directive handler: macros and included files become tags; the
// lexer consumes the rest of each directive line.
#include <cstring>

#include "cpp_internal.h"

namespace {

// Result codes for the lexer's directive rule.
constexpr int kReturnToken = 1;  // hand the directive back as a token
constexpr int kSkipLine = 2;     // consume the rest of the line

// The parameter list of a function-like macro, "(" already read, up to
// ")" on the logical line (a backslash continues it or keeps the next
// character).
void read_macro_params(dstr_t *out)
{
    dstr_clear(out);
    dstr_add_char(out, '(');
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
            while (d == '\r')
                d = lex_getc();
            if (d == '\n' || d == 0)
                continue;
            dstr_add_char(out, d);
            continue;
        }
        if (c == '\r')
            continue;
        dstr_add_char(out, c);
        if (c == ')')
            break;
    }
    out->dl_str[out->dl_len] = '\0';
}

int define()
{
    if (lex_read_word() == 0)
        return kSkipLine;
    thread_local tag_rec_t saved;
    saved = tag_rec;
    tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
    // Only a parenthesis right after the name opens a parameter list;
    // "#define X (1 + 2)" is an object-like macro.
    int c = lex_getc();
    if (c == '(') {
        dstr_t *args = &cpp_st.scratch;
        if (!args->dl_str)
            dstr_init(args, 64);
        read_macro_params(args);
        cpp_emit(TT_DEFINE, -1, nullptr, args->dl_str);
    } else {
        lex_ungetc(c);
        cpp_emit(TT_DEFINE, -1, nullptr, nullptr);
    }
    tag_rec = saved;
    return kSkipLine;
}

int include()
{
    int c = lex_peek_char();
    if (c == '\n' || c == 0)
        return kSkipLine;
    if (c != '"' && c != '<')
        return kSkipLine;
    lex_getc();
    if (lex_read_upto(c == '"' ? '"' : '>') == '\n' && lex_ctx.lx_text.dl_len == 0)
        return kSkipLine;
    thread_local tag_rec_t saved;
    saved = tag_rec;
    tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
    cpp_emit(TT_FILE, -1, nullptr, nullptr);
    tag_rec = saved;
    return kSkipLine;
}

// The rest of the current line, the newline left for the lexer.
void rest_of_line()
{
    for (;;) {
        int c = lex_getc();
        if (c == 0)
            return;
        if (c == '\n') {
            lex_ungetc(c);
            return;
        }
    }
}

// Whether the condition of the "#if" at hand is a plain 0.
bool if_zero()
{
    if (!cpp_text_is("if") || lex_peek_char() != '0')
        return false;
    lex_getc();
    int c = lex_getc();
    lex_ungetc(c);
    return c == 0 || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '/';
}

// "#if 0": the lines up to the matching #else, #elif or #endif are no
// code, whatever their braces; a branch after it is read as usual.
void skip_if_zero()
{
    rest_of_line();
    int nest = 0;
    for (;;) {
        int c = lex_getc();
        if (c == 0)
            return;
        if (c != '#') {
            if (c != '\n' && c != ' ' && c != '\t' && c != '\r')
                rest_of_line();
            continue;
        }
        if (lex_read_word() == 0) {
            rest_of_line();
            continue;
        }
        if (cpp_text_starts("if")) {
            nest++;
        } else if (cpp_text_is("endif")) {
            if (nest-- == 0) {
                rest_of_line();
                return;
            }
        } else if (nest == 0 && (cpp_text_is("else") || cpp_text_is("elif"))) {
            rest_of_line();
            return;
        }
        rest_of_line();
    }
}

} // namespace

extern "C" int cpp_directive(int code)
{
    switch (code) {
    case TOK_DEFINE:
        return define();
    case TOK_INCLUDE:
        return include();
    case TOK_HASH_ENDIF:
        return kReturnToken;
    case TOK_HASH_IF:
        if ((lex_ctx.lx_flags & LEX_FIRST_BRANCH) && if_zero())
            skip_if_zero();
        return kSkipLine;
    default:
        return kSkipLine;
    }
}
