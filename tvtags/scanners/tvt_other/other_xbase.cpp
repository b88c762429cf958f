// xBase: functions and procedures, with their parameter lists.
#include "other_internal.h"
#include "scanners/tvt_scanners.h"

namespace {

const keyword_t kw_xbase[] = {
    {"case", KEY_CASE, 0},         {"continue", KEY_CONTINUE, 0}, {"do", KEY_FOR, 0},
    {"else", KEY_ELSE, 0},         {"elseif", KEY_ELSEIF, 0},     {"external", KEY_EXTERN, 0},
    {"export", KEY_EXPORT, 0},     {"for", KEY_FOR, 0},           {"function", KEY_FUNCTION, 0},
    {"goto", KEY_GOTO, 0},         {"if", KEY_IF, 0},             {"label", KEY_LABEL, 0},
    {"local", KEY_LOCAL, 0},       {"otherwise", KEY_DEFAULT, 0}, {"procedure", KEY_PROCEDURE, 0},
    {"public", KEY_PUBLIC, 0},     {"return", KEY_RETURN, 0},     {"select", KEY_SELECT, 0},
    {"static", KEY_STATIC, 0},     {"while", KEY_WHILE, 0},       KW_END,
};

lang_desc_t desc_xbase = {LANG_XBASE, kw_xbase, nullptr, nullptr, nullptr, nullptr,
                          LEX_CPP | LEX_DASH_COMMENT | LEX_ASSIGN | LEX_CHAR_CONST | LEX_NOCASE,
                          nullptr, nullptr};

bool is_modifier(int t)
{
    return t == KEY_EXPORT || t == KEY_LOCAL || t == KEY_PUBLIC || t == KEY_STATIC;
}

void routine(int type)
{
    int t = lex_next();
    if (t != TOK_SYMBOL) {
        lex_unget_token(t);
        return;
    }
    oth_mark_t m;
    oth_mark(&m);
    t = lex_next();
    if (t != '(') {
        lex_unget_token(t);
        oth_emit_mark(type, &m, -1, nullptr);
        return;
    }
    dstr_t args{};
    lex_collect_args(&args, 1);
    oth_emit_mark(type, &m, -1, args.dl_str);
    dstr_free(&args);
}

} // namespace

extern "C" int tvt_xbase_scan(void)
{
    lex_init(&desc_xbase);
    for (int t = lex_next(); t != TOK_EOF; t = lex_next()) {
        while (is_modifier(t))
            t = lex_next();
        if (t == KEY_FUNCTION)
            routine(TT_FUNCTION);
        else if (t == KEY_PROCEDURE)
            routine(TT_PROCEDURE);
    }
    return 0;
}
