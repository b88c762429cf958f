// SlickEdit macros: C declarations with the macro language's own words.
// Event tables and key bindings are passed over; "typeless" reads as a
// type name and "_command" as a qualifier, and the rest goes to the C
// family's statement parser.
#include <cstring>

#include "script_tok.h"
#include "scanners/tvt_scanners.h"

namespace {

const keyword_t kw_slick[] = {
    {"asm", KEY_ASM, 0}, {"auto", KEY_AUTO, 0}, {"bool", KEY_BOOL, 0}, {"break", KEY_BREAK, 0},
    {"case", KEY_CASE, 0}, {"char", KEY_CHAR, 0}, {"const", KEY_CONST, 0},
    {"continue", KEY_CONTINUE, 0}, {"default", KEY_DEFAULT, 0}, {"do", KEY_DO, 0},
    {"double", KEY_DOUBLE, 0}, {"else", KEY_ELSE, 0}, {"enum", KEY_ENUM, 0},
    {"extern", KEY_EXTERN, 0}, {"float", KEY_FLOAT, 0}, {"for", KEY_FOR, 0},
    {"goto", KEY_GOTO, 0}, {"if", KEY_IF, 0}, {"int", KEY_INT, 0}, {"long", KEY_LONG, 0},
    {"register", KEY_REGISTER, 0}, {"return", KEY_RETURN, 0}, {"short", KEY_SHORT, 0},
    {"signed", KEY_SIGNED, 0}, {"sizeof", KEY_SIZEOF, 0}, {"static", KEY_STATIC, 0},
    {"struct", KEY_STRUCT, 0}, {"switch", KEY_SWITCH, 0}, {"typedef", KEY_TYPEDEF, 0},
    {"union", KEY_UNION, 0}, {"unsigned", KEY_UNSIGNED, 0}, {"void", KEY_VOID, 0},
    {"volatile", KEY_VOLATILE, 0}, {"while", KEY_WHILE, 0},
    {"_command", KEY_COMMAND, 0}, {"def", KEY_DEF, 0}, {"defeventtab", KEY_DEFEVENTTAB, 0},
    {"typeless", KEY_TYPELESS, 0},
    KW_END,
};

lang_desc_t desc_slick = {47, kw_slick, nullptr, nullptr, nullptr, nullptr,
                          LEX_CPP | LEX_DOLLAR_IDENT | LEX_CPP_COMMENT | LEX_CHAR_CONST |
                              LEX_NO_ESCAPE | LEX_NESTED_COMMENT,
                          cpp_directive, cpp_token};

void unget_as_name(const char *word)
{
    dstr_t &t = lex_ctx.lx_text;
    dstr_clear(&t);
    dstr_add_string(&t, word, int(strlen(word)));
    t.dl_str[t.dl_len] = '\0';
    lex_unget_token(TOK_SYMBOL);
}

// One top-level step; false at the end of input.
bool step()
{
    int t = lex_next();
    switch (t) {
    case TOK_EOF:
        return false;
    case KEY_COMMAND:
    case ';':
    case '}':
    case TOK_HASH_ENDIF:
        return true;
    case KEY_DEFEVENTTAB:
        return lex_next() != TOK_EOF;
    case KEY_DEF:
        if (lex_skip_to('=') == TOK_EOF)
            return false;
        return lex_next() != TOK_EOF;
    case '{':
        return lex_skip_group('{') != TOK_EOF;
    case KEY_TYPELESS:
        unget_as_name("typeless");
        break;
    default:
        lex_unget_token(t);
        break;
    }
    return cpp_statement(-1, TT_DATA) != TOK_EOF;
}

} // namespace

extern "C" {

int tvt_slick_scan(void)
{
    lex_init(&desc_slick);
    while (step()) {
    }
    return 0;
}

} // extern "C"
