// Pascal and Object Pascal: the unit, the units it uses, functions and
// procedures (prototypes in the interface section), and the declarations
// of type sections (records and classes with their members).
#include <initializer_list>

#include "pascal_internal.h"
#include "scanners/tvt_scanners.h"

constinit thread_local pas_state_t pas_st{};

namespace {

const keyword_t kw_pascal[] = {
    {"array", KEY_ARRAY, 0},       {"begin", KEY_BEGIN, 0},
    {"body", KEY_BODY, 0},         {"boolean", KEY_BOOL, 0},
    {"case", KEY_CASE, 0},         {"class", KEY_CLASS, 0},
    {"constant", KEY_CONSTANT, 0}, {"else", KEY_ELSE, 0},
    {"end", KEY_END, 0},           {"except", KEY_EXCEPT, 0},
    {"finally", KEY_FINALLY, 0},   {"finalization", KEY_FINALIZATION, 0},
    {"for", KEY_FOR, 0},           {"function", KEY_FUNCTION, 0},
    {"if", KEY_IF, 0},             {"implementation", KEY_IMPLEMENTATION, 0},
    {"integer", KEY_INTEGER, 0},   {"interface", KEY_INTERFACE, 0},
    {"is", KEY_IS, 0},             {"label", KEY_LABEL, 0},
    {"library", KEY_LIBRARY, 0},   {"package", KEY_PACKAGE, 0},
    {"private", KEY_PRIVATE, 0},   {"procedure", KEY_PROCEDURE, 0},
    {"public", KEY_PUBLIC, 0},     {"real", KEY_REAL, 0},
    {"record", KEY_RECORD, 0},     {"return", KEY_RETURN, 0},
    {"then", KEY_THEN, 0},         {"try", KEY_TRY, 0},
    {"type", KEY_TYPE, 0},         {"unit", KEY_UNIT, 0},
    {"uses", KEY_USES, 0},         {"var", KEY_VAR, 0},
    {"while", KEY_WHILE, 0},       KW_END,
};

lang_desc_t desc_pascal = {LANG_PASCAL, kw_pascal, nullptr, nullptr, nullptr, nullptr,
                           LEX_CPP_COMMENT | LEX_ASSIGN | LEX_CHAR_CONST | LEX_PASCAL_COMMENT |
                               LEX_NOCASE | LEX_DOLLAR_HEX | LEX_NO_ESCAPE,
                           cpp_directive, nullptr};

bool text_in(std::initializer_list<const char *> words)
{
    for (const char *w : words)
        if (oth_text_is(w))
            return true;
    return false;
}

void unit()
{
    int t = lex_next();
    if (t != TOK_SYMBOL) {
        lex_unget_token(t);
        return;
    }
    pas_st.unit = oth_emit_token(TT_PACKAGE, -1);
    lex_skip_to(';');
}

void uses()
{
    for (;;) {
        int t = lex_next();
        if (t == ';' || t == TOK_EOF)
            return;
        if (t != TOK_SYMBOL)
            continue;
        if (oth_text_is("in")) {     // uses A in 'a.pas'
            lex_next();
            continue;
        }
        oth_emit_token(TT_IMPORT, -1);
    }
}

bool ends_type_section(int t)
{
    if (t == KEY_VAR || t == KEY_LABEL || t == KEY_BEGIN || t == KEY_FUNCTION || t == KEY_PROCEDURE)
        return true;
    return t == TOK_SYMBOL && text_in({"const", "resourcestring", "threadvar", "initialization",
                                       "exports", "constructor", "destructor", "operator"});
}

void step(int t)
{
    if (ends_type_section(t))
        pas_st.in_types = false;
    switch (t) {
    case KEY_BEGIN:
    case KEY_FINALLY:
        pas_skip_block();
        return;
    case KEY_INTERFACE:
        pas_st.section = PAS_INTERFACE;
        pas_st.in_types = false;
        return;
    case KEY_IMPLEMENTATION:
        pas_st.section = PAS_IMPLEMENTATION;
        pas_st.in_types = false;
        return;
    case KEY_FINALIZATION:
        pas_st.section = PAS_FINALIZATION;
        pas_st.in_types = false;
        return;
    case KEY_FUNCTION:
        pas_routine(TT_FUNCTION, pas_st.unit, false);
        return;
    case KEY_PROCEDURE:
        pas_routine(TT_PROCEDURE, pas_st.unit, false);
        return;
    case KEY_TYPE:
        pas_st.in_types = true;
        return;
    case KEY_UNIT:
        unit();
        return;
    case KEY_USES:
        uses();
        return;
    case TOK_SYMBOL:
        if (text_in({"constructor", "destructor"})) {
            pas_routine(TT_PROCEDURE, pas_st.unit, false);
        } else if (oth_text_is("asm")) {
            pas_skip_block();
        } else if (pas_st.in_types) {
            if (oth_text_is("generic") && (t = lex_next()) != TOK_SYMBOL) {
                lex_unget_token(t);
                return;
            }
            pas_declaration(pas_st.unit);
        }
        return;
    default:
        return;
    }
}

} // namespace

bool pas_is_directive()
{
    return text_in({"virtual", "override", "abstract", "overload", "reintroduce", "inline",
                    "static", "dynamic", "message", "cdecl", "stdcall", "register", "pascal",
                    "safecall", "export", "deprecated", "platform", "final", "experimental",
                    "default", "nodefault", "stored", "forward", "external", "assembler",
                    "unimplemented", "varargs", "local", "compilerproc", "internproc",
                    "iocheck", "noreturn", "winapi", "sealed"});
}

bool pas_skip_generic()
{
    int depth = 1;
    for (;;) {
        int t = lex_next();
        if (t == TOK_EOF || t == ';')
            return false;
        if (t == TOK_LT)
            depth++;
        else if (t == TOK_GT || t == TOK_GE || t == TOK_SHR) {
            depth -= t == TOK_SHR ? 2 : 1;
            if (depth <= 0)
                return t == TOK_GE;
        }
    }
}

void pas_routine(int type, int parent, bool member)
{
    int t = lex_next();
    while (t != TOK_SYMBOL && t != TOK_EOF && t != ';' && t != '(')
        t = lex_next();
    if (t != TOK_SYMBOL) {
        lex_unget_token(t);
        return;
    }
    oth_mark_t m;
    oth_mark(&m);
    for (t = lex_next();; t = lex_next()) {
        if (t == TOK_LT) {
            pas_skip_generic();
            continue;
        }
        if (!oth_is_dot(t))
            break;
        if ((t = lex_next()) != TOK_SYMBOL)
            break;
        oth_mark(&m);
    }
    int kind = member ? TT_MEMBER : type;
    if (t == '(') {
        dstr_t args{};
        lex_collect_args(&args, 1);
        oth_emit_mark(kind, &m, parent, args.dl_str);
        dstr_free(&args);
    } else if (t == ':') {
        lex_skip_to(';');
        bool proto = pas_st.section == PAS_INTERFACE || pas_st.section == PAS_FINALIZATION;
        oth_emit_mark(member ? TT_MEMBER : proto ? TT_PROTOTYPE : type, &m, parent, nullptr);
        t = lex_next();
        lex_unget_token(t);
        return;
    } else {
        lex_unget_token(t);
        oth_emit_mark(kind, &m, parent, nullptr);
    }
}

extern "C" int tvt_pascal_scan(void)
{
    lex_init(&desc_pascal);
    pas_st = pas_state_t{-1, PAS_NONE, false};
    for (int t = lex_next(); t != TOK_EOF; t = lex_next())
        step(t);
    return 0;
}
