// SlickEdit macros: C declarations with the macro language's own words.
// Event tables and key bindings are passed over, commands are read here
// (their attributes after the argument list are no C), and "typeless" is
// left an identifier, so that the C family's statement parser, which takes
// the rest, reads it as a type's name.
#include "script_tok.h"
#include "scanners/tvt_scanners.h"

namespace {

// The C words and directives, and the macro language's own words.
const keyword_t kw_slick[] = {
    KW_NEST(kw_c),
    {"_command", KEY_COMMAND, 0}, {"def", KEY_DEF, 0}, {"defeventtab", KEY_DEFEVENTTAB, 0},
    KW_END,
};

lang_desc_t desc_slick = {47, kw_slick, nullptr, nullptr, nullptr, nullptr,
                          LEX_CPP | LEX_DOLLAR_IDENT | LEX_CPP_COMMENT | LEX_CHAR_CONST |
                              LEX_NO_ESCAPE | LEX_NESTED_COMMENT,
                          cpp_directive, cpp_token};

// A command: "_command", its result type and name, the argument list,
// the attributes after it (name_info(...)) and the body.
bool on_command()
{
    int t;
    bool named = false;
    for (;;) {
        t = lex_next();
        if (t == TOK_EOF)
            return false;
        if (t == '(')
            break;
        if (t == ';')
            return true;
        if (t == TOK_SYMBOL) {
            script_remember();
            named = true;
        }
    }
    dstr_t args = {nullptr, 0, 0};
    t = lex_collect_args(&args, 1);
    if (named)
        tag_add_text(TT_FUNCTION, -1, nullptr, nullptr, &args);
    else if (args.dl_str)
        dstr_free(&args);
    if (t == TOK_EOF)
        return false;
    static const int stops[] = {'{', 0};
    t = lex_skip_to_any(';', stops);
    if (t == '{') {
        lex_next();
        return lex_skip_group('{') != TOK_EOF;
    }
    if (t == '}')
        lex_next();
    return t != TOK_EOF;
}

// One top-level step; false at the end of input.
bool step()
{
    int t = lex_next();
    switch (t) {
    case TOK_EOF:
        return false;
    case KEY_COMMAND:
        return on_command();
    case KEY_CONST:
    case KEY_INLINE:
    case KEY_STATIC:
    case ';':
    case '}':
    case TOK_HASH_ENDIF:
        return true;
    case KEY_DEFEVENTTAB:
        return lex_next() != TOK_EOF;
    case KEY_DEF:       // def 'key' = command;
        do
            t = lex_next();
        while (t != TOK_EOF && t != ';' && !script_is_assign(t));
        if (t == ';')
            return true;
        return t != TOK_EOF && lex_next() != TOK_EOF;
    case '{':
        return lex_skip_group('{') != TOK_EOF;
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
    cpp_begin_c();
    lex_init(&desc_slick);
    while (step()) {
    }
    return 0;
}

} // extern "C"
