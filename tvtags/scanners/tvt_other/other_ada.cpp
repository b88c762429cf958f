// Ada: packages (each part of a dotted name, nested under the one before),
// subprograms, types and subtypes, and constants.  Bodies after "begin"
// are passed over up to their own "end", counting the constructs that
// close with an "end" of their own (if, case, loop, select, record, do).
#include "other_internal.h"
#include "scanners/tvt_scanners.h"

namespace {

constexpr uint16_t kAttr = KW_TICK;

const keyword_t kw_ada[] = {
    {"access", KEY_ATTR_WORD, kAttr}, {"address", KEY_ATTR_WORD, kAttr},
    {"base", KEY_ATTR_WORD, kAttr},   {"class", KEY_ATTR_WORD, kAttr},
    {"first", KEY_ATTR_WORD, kAttr},  {"image", KEY_ATTR_WORD, kAttr},
    {"last", KEY_ATTR_WORD, kAttr},   {"length", KEY_ATTR_WORD, kAttr},
    {"max", KEY_ATTR_WORD, kAttr},    {"min", KEY_ATTR_WORD, kAttr},
    {"pos", KEY_ATTR_WORD, kAttr},    {"pred", KEY_ATTR_WORD, kAttr},
    {"range", KEY_ATTR_WORD, kAttr},  {"size", KEY_ATTR_WORD, kAttr},
    {"succ", KEY_ATTR_WORD, kAttr},   {"val", KEY_ATTR_WORD, kAttr},
    {"value", KEY_ATTR_WORD, kAttr},
    {"begin", KEY_BEGIN, 0},          {"body", KEY_BODY, 0},
    {"case", KEY_CASE, 0},            {"constant", KEY_CONSTANT, 0},
    {"else", KEY_ELSE, 0},            {"end", KEY_END, 0},
    {"for", KEY_FOR, 0},              {"function", KEY_FUNCTION, 0},
    {"if", KEY_IF, 0},                {"integer", KEY_INTEGER, 0},
    {"is", KEY_IS, 0},                {"library", KEY_LIBRARY, 0},
    {"package", KEY_PACKAGE, 0},      {"procedure", KEY_PROCEDURE, 0},
    {"real", KEY_REAL, 0},            {"record", KEY_RECORD, 0},
    {"return", KEY_RETURN, 0},        {"type", KEY_TYPE, 0},
    {"subtype", KEY_TYPE, 0},         {"then", KEY_THEN, 0},
    {"unit", KEY_UNIT, 0},            {"uses", KEY_USES, 0},
    {"var", KEY_VAR, 0},              {"while", KEY_WHILE, 0},
    {"with", KEY_WITH, 0},            KW_END,
};

int ada_token();

lang_desc_t desc_ada = {LANG_ADA, kw_ada, nullptr, nullptr, nullptr, nullptr,
                        LEX_DASH_COMMENT | LEX_ASSIGN | LEX_CHAR_CONST | LEX_NOCASE | LEX_DOLLAR_HEX |
                            LEX_TICK_KEYWORD,
                        cpp_directive, ada_token};

// A tick right after a name starts an attribute, not a character literal.
int ada_token()
{
    bool fresh = lex_ctx.lx_nstack == 0;
    int t = lex_token();
    if (t == TOK_SYMBOL && fresh) {
        int c = lex_getc();
        if (c != '\'')
            lex_ungetc(c);
    }
    return t;
}

// Groups are skipped through the token reader above, so that a tick in
// them ("X'Access") is read as it is outside.
int skip_group()
{
    int depth = 1;
    for (;;) {
        int t = lex_next();
        if (t == TOK_EOF)
            return t;
        if (t == '(')
            depth++;
        else if (t == ')' && --depth == 0)
            return t;
    }
}

int skip_to(int want)
{
    for (;;) {
        int t = lex_next();
        if (t == want || t == TOK_EOF)
            return t;
        if (t == '(')
            skip_group();
    }
}

bool text_in(const char *const *words, size_t n)
{
    for (size_t i = 0; i < n; i++)
        if (oth_text_is(words[i]))
            return true;
    return false;
}

bool opens_block(int t)
{
    static const char *const words[] = {"loop", "select", "do"};
    return t == KEY_BEGIN || t == KEY_CASE || t == KEY_IF || t == KEY_RECORD ||
           (t == TOK_SYMBOL && text_in(words, 3));
}

// From after "begin" to the matching "end" and its ";".
void skip_body()
{
    int depth = 1;
    for (;;) {
        int t = lex_next();
        if (t == TOK_EOF)
            return;
        if (t == '(') {
            skip_group();
        } else if (t == KEY_END) {
            int u = lex_next();
            static const char *const closers[] = {"loop", "select"};
            bool own = u == KEY_IF || u == KEY_CASE || u == KEY_RECORD || u == KEY_RETURN ||
                       (u == TOK_SYMBOL && text_in(closers, 2));
            if (!own)
                lex_unget_token(u);
            if (--depth == 0) {
                skip_to(';');
                return;
            }
        } else if (opens_block(t)) {
            depth++;
        }
    }
}

// Attribute words (First, Length, Image...) also name subprograms and types.
bool is_name(int t)
{
    return t == TOK_SYMBOL || t == KEY_ATTR_WORD;
}

void package()
{
    int t = lex_next();
    if (t == KEY_BODY)
        t = lex_next();
    int parent = -1;
    while (is_name(t)) {
        parent = oth_emit_token(TT_PACKAGE, parent);
        t = lex_next();
        if (!oth_is_dot(t))
            break;
        t = lex_next();
    }
    lex_unget_token(t);
}

void subprogram(int type)
{
    int t = lex_next();
    while (!is_name(t) && t != TOK_STRING && t != TOK_EOF && t != ';')
        t = lex_next();
    if (!is_name(t) && t != TOK_STRING)
        return;
    oth_mark_t m;
    oth_mark(&m);
    for (t = lex_next(); oth_is_dot(t); t = lex_next()) {
        t = lex_next();
        if (!is_name(t) && t != TOK_STRING)
            break;
        oth_mark(&m);
    }
    if (t == '(')
        skip_group();
    else
        lex_unget_token(t);
    oth_emit_mark(type, &m, -1, nullptr);
}

void declaration(int type)
{
    int t = lex_next();
    if (!is_name(t))
        return;
    oth_mark_t m;
    oth_mark(&m);
    oth_emit_mark(type, &m, -1, nullptr);
    t = lex_next();
    if (t == '(') {
        skip_group();
        t = lex_next();
    }
    if (t == KEY_IS || oth_is_equal(t))
        skip_to(';');
    else if (t != ';')
        lex_unget_token(t);
}

} // namespace

extern "C" int tvt_ada_scan(void)
{
    lex_init(&desc_ada);
    oth_mark_t last{};
    int prev = 0, prev2 = 0;
    bool after_use = false, after_access = false;
    for (int t = lex_next(); t != TOK_EOF; prev2 = prev, prev = t, t = lex_next()) {
        switch (t) {
        case KEY_BEGIN:
            skip_body();
            break;
        case KEY_CONSTANT:
            // "Name : constant T := V;" names the constant before the colon.
            if (prev == ':' && prev2 == TOK_SYMBOL)
                oth_emit_mark(TT_CONST, &last, -1, nullptr);
            skip_to(';');
            break;
        case KEY_TYPE:
            if (after_use)
                skip_to(';');
            else
                declaration(TT_TYPEDEF);
            break;
        case KEY_FUNCTION:
        case KEY_PROCEDURE:
            if (!after_access)
                subprogram(t == KEY_FUNCTION ? TT_FUNCTION : TT_PROCEDURE);
            break;
        case KEY_PACKAGE:
            package();
            break;
        case KEY_UNIT:
            skip_to(';');
            break;
        case TOK_SYMBOL:
            oth_mark(&last);
            break;
        default:
            break;
        }
        after_use = t == TOK_SYMBOL && oth_text_is("use");
        after_access = t == KEY_ATTR_WORD && oth_text_is("access");
        if (t == KEY_BEGIN || t == KEY_CONSTANT || t == KEY_TYPE || t == KEY_UNIT)
            prev = prev2 = ';';
    }
    return 0;
}
