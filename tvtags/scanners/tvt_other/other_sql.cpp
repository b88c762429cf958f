// SQL: tables (with their columns), indexes, functions, procedures,
// triggers, rules, views, packages and cursors of the create and declare
// statements, in the common dialects: dollar-quoted bodies are one token,
// [bracketed] names are names, and GO ends a batch.
#include <cstring>
#include <initializer_list>

#include "other_internal.h"
#include "scanners/tvt_scanners.h"

namespace {

const keyword_t kw_sql[] = {
    {"and", TOK_ANDAND, 0},       {"as", KEY_AS, 0},           {"begin", KEY_BEGIN, 0},
    {"body", KEY_BODY, 0},        {"clustered", KEY_CLUSTERED, 0}, {"create", KEY_CREATE, 0},
    {"cursor", KEY_CURSOR, 0},    {"declare", KEY_DECLARE, 0}, {"drop", KEY_DROP, 0},
    {"end", KEY_END, 0},          {"else", KEY_ELSE, 0},       {"exec", KEY_EXEC, 0},
    {"execute", KEY_EXEC, 0},     {"from", KEY_FROM, 0},       {"function", KEY_FUNCTION, 0},
    {"go", KEY_GO, 0},            {"grant", KEY_GRANT, 0},     {"index", KEY_INDEX, 0},
    {"if", KEY_IF, 0},            {"is", KEY_IS, 0},           {"or", TOK_OR, 0},
    {"package", KEY_PACKAGE, 0},  {"procedure", KEY_PROCEDURE, 0}, {"replace", KEY_REPLACE, 0},
    {"return", KEY_RETURN, 0},    {"rule", KEY_RULE, 0},       {"table", KEY_TABLE, 0},
    {"trigger", KEY_TRIGGER, 0},  {"unique", KEY_UNIQUE, 0},   {"view", KEY_VIEW, 0},
    {"order", KEY_ORDER, 0},      {"select", KEY_SELECT, 0},   {"set", KEY_SET, 0},
    {"to", KEY_TO, 0},            {"where", KEY_WHERE, 0},
    {"NULL", TOK_IGNORE, 0},      {"by", TOK_IGNORE, 0},       {"char", TOK_IGNORE, 0},
    {"datetime", TOK_IGNORE, 0},  {"delete", TOK_IGNORE, 0},   {"distinct", TOK_IGNORE, 0},
    {"exists", TOK_IGNORE, 0},    {"group", TOK_IGNORE, 0},    {"in", TOK_IGNORE, 0},
    {"insert", TOK_IGNORE, 0},    {"int", TOK_IGNORE, 0},      {"integer", TOK_IGNORE, 0},
    {"like", TOK_IGNORE, 0},      {"not", TOK_IGNORE, 0},      {"numeric", TOK_IGNORE, 0},
    {"on", TOK_IGNORE, 0},        {"print", TOK_IGNORE, 0},    {"raiserror", TOK_IGNORE, 0},
    {"timestamp", TOK_IGNORE, 0}, {"type", TOK_IGNORE, 0},     {"update", TOK_IGNORE, 0},
    {"varchar", TOK_IGNORE, 0},   KW_END,
};

int sql_token();

lang_desc_t desc_sql = {LANG_SQL, kw_sql, "#@", "#@$", nullptr, nullptr,
                        LEX_DASH_COMMENT | LEX_ASSIGN | LEX_CHAR_CONST | LEX_NOCASE | LEX_DOLLAR_HEX |
                            LEX_NESTED_COMMENT,
                        nullptr, sql_token};

void set_text(const char *s, size_t n)
{
    dstr_t &t = lex_ctx.lx_text;
    dstr_clear(&t);
    dstr_add_mem(&t, s, int(n));
    t.dl_str[t.dl_len] = '\0';
}

// $tag$ ... $tag$ (the tag may be empty) is one string.
int dollar_quoted()
{
    char tag[64];
    size_t n = 0;
    const char *read = lex_ctx.lx_text.dl_str + 1;    // hex digits taken already
    while (*read && n < sizeof tag - 2)
        tag[n++] = *read++;
    int c = lex_getc();
    while (oth_ident(c) && n < sizeof tag - 2) {
        tag[n++] = char(c);
        c = lex_getc();
    }
    if (c != '$') {
        lex_ungetc(c);
        return TOK_SYMBOL;
    }
    tag[n] = '\0';
    // Look for "$" tag "$".
    size_t matched = 0;          // characters of "$tag$" seen in a row
    size_t want = n + 2;
    for (;;) {
        c = lex_getc();
        if (c == 0)
            break;
        char expect = (matched == 0 || matched == want - 1) ? '$' : tag[matched - 1];
        if (c == expect) {
            if (++matched == want)
                break;
        } else {
            matched = c == '$' ? 1 : 0;
        }
    }
    set_text("$$", 2);
    return TOK_STRING;
}

// [name] as one name.
int bracketed()
{
    char name[TAG_NAME_SIZE];
    size_t n = 0;
    for (int c = lex_getc(); c != ']' && c != 0 && c != '\n'; c = lex_getc())
        if (n < sizeof name - 1)
            name[n++] = char(c);
    set_text(name, n);
    return TOK_SYMBOL;
}

int sql_token()
{
    bool fresh = lex_ctx.lx_nstack == 0;
    int t = lex_token();
    if (!fresh)
        return t;
    if (t == TOK_INT && lex_ctx.lx_text.dl_str[0] == '$') {
        int c = lex_getc();
        lex_ungetc(c);
        if (c == '$' || oth_alpha(c))
            return dollar_quoted();
    }
    if (t == '[')
        return bracketed();
    return t;
}

struct sql_state_t {
    int prev;
};

thread_local sql_state_t sq;

bool is_name(int t)
{
    return t == TOK_SYMBOL || t == TOK_STRING;
}

// In a name's place a keyword is a name too ("create function replace").
bool is_word(int t)
{
    return is_name(t) || (t >= 256 && t != TOK_INT && t != TOK_FLOAT && oth_alpha(lex_ctx.lx_text.dl_str[0]));
}

void xref()
{
    if (tvt_opt.xref > 0)
        tag_xref();
}

// A possibly qualified name (schema.name, dbo.name); the last part is
// marked.  Returns the token after it.
int read_name(oth_mark_t *m, int t)
{
    if (t == KEY_IF) {                     // if not exists
        lex_next();
        lex_next();
        t = lex_next();
    }
    if (!is_word(t)) {
        m->set = false;
        return t;
    }
    oth_mark(m);
    for (t = lex_next(); oth_is_dot(t); t = lex_next()) {
        t = lex_next();
        if (!is_word(t))
            return t;
        oth_mark(m);
    }
    return t;
}

bool text_in(std::initializer_list<const char *> words)
{
    for (const char *w : words)
        if (oth_text_is(w))
            return true;
    return false;
}

bool ends_statement(int t)
{
    return t == ';' || t == TOK_EOF || t == KEY_GO || t == KEY_CREATE;
}

void table(int type)
{
    oth_mark_t m;
    int t = read_name(&m, lex_next());
    int h = oth_emit_mark(type, &m, -1, nullptr);
    while (t != '(') {
        if (ends_statement(t) || t == KEY_AS) {
            lex_unget_token(t);
            return;
        }
        t = lex_next();
    }
    bool first = true;
    for (;;) {
        t = lex_next();
        if (t == TOK_EOF || t == ')')
            return;
        if (t == KEY_AS || t == KEY_GO) {
            lex_unget_token(t);
            return;
        }
        if (t == '(') {
            lex_skip_group('(');
        } else if (t == ',') {
            first = true;
        } else if (is_name(t) && first) {
            first = false;
            if (!text_in({"constraint", "primary", "foreign", "check", "exclude"}))
                oth_emit_token(TT_MEMBER, h);
        } else if (t == TOK_SYMBOL) {
            xref();
        } else {
            first = false;
        }
    }
}

int object_type(int kind, int end)
{
    switch (kind) {
    case KEY_FUNCTION: return end == KEY_IS ? TT_FUNCTION : TT_FUNC_PROTOTYPE;
    case KEY_PROCEDURE: return end == KEY_IS ? TT_PROCEDURE : TT_PROC_PROTOTYPE;
    case KEY_RULE: return TT_RULE;
    case KEY_TABLE: return TT_TABLE;
    case KEY_TRIGGER: return TT_TRIGGER;
    case KEY_INDEX: return TT_INDEX;
    default: return TT_FUNCTION;
    }
}

void object(int kind)
{
    oth_mark_t m;
    int t = read_name(&m, lex_next());
    if (!m.set) {
        lex_unget_token(t);
        return;
    }
    dstr_t args{};
    if (t == '(') {
        lex_collect_args(&args, 1);
        t = lex_next();
    }
    while (t != ';' && t != KEY_AS && t != KEY_IS && t != TOK_EOF && t != KEY_GO) {
        if (t == '(')
            lex_skip_group('(');
        t = lex_next();
    }
    oth_emit_mark(object_type(kind, t), &m, -1, args.dl_str);
    if (args.dl_str)
        dstr_free(&args);
    if (t == KEY_GO)
        lex_unget_token(t);
}

void package()
{
    int t = lex_next();
    if (t == KEY_BODY)
        t = lex_next();
    oth_mark_t m;
    lex_unget_token(read_name(&m, t));
    oth_emit_mark(TT_PACKAGE, &m, -1, nullptr);
}

void create()
{
    int t = lex_next();
    while (t == KEY_CLUSTERED || t == KEY_UNIQUE ||
           (t == TOK_SYMBOL && text_in({"nonclustered", "temp", "temporary", "unlogged", "global",
                                        "local", "constraint", "recursive", "trusted",
                                        "procedural", "default", "materialized"})))
        t = lex_next();
    switch (t) {
    case KEY_PACKAGE:
        package();
        return;
    case TOK_OR:
        t = lex_next();
        if (t != KEY_REPLACE)
            lex_unget_token(t);
        sq.prev = KEY_REPLACE;
        return;
    case KEY_TABLE:
    case KEY_INDEX:
        table(t == KEY_TABLE ? TT_TABLE : TT_INDEX);
        return;
    case TOK_EOF:
    case ';':
        return;
    default:
        object(t);
        return;
    }
}

void select_list()
{
    for (;;) {
        int t = lex_next();
        if (ends_statement(t) || t == KEY_FUNCTION || t == KEY_PROCEDURE) {
            if (t != ';')
                lex_unget_token(t);
            return;
        }
        if (t == TOK_SYMBOL)
            xref();
        if (t == KEY_FROM)
            break;
    }
    for (;;) {
        int t = lex_next();
        if (ends_statement(t)) {
            if (t != ';')
                lex_unget_token(t);
            return;
        }
        if (t == TOK_SYMBOL)
            xref();
    }
}

// A bare "function" or "procedure" starts a definition only where a
// statement may start (not in "alter function", "comment on function").
bool definition_may_start(int prev)
{
    return prev != TOK_SYMBOL && prev != TOK_IGNORE && prev != KEY_EXEC && !oth_is_dot(prev) && prev != ',' &&
           prev != KEY_DROP;
}

void step(int t)
{
    int prev = sq.prev;
    sq.prev = t;
    if (oth_is_dot(prev) || prev == ',' || oth_is_dot(t)) {
        if (t == TOK_SYMBOL)
            xref();
        return;
    }
    switch (t) {
    case TOK_SYMBOL:
        xref();
        return;
    case KEY_CREATE:
        create();
        return;
    case KEY_CURSOR:
        if ((t = lex_next()) == TOK_SYMBOL)
            oth_emit_token(TT_CURSOR, -1);
        else
            lex_unget_token(t);
        return;
    case KEY_DECLARE: {
        if ((t = lex_next()) != TOK_SYMBOL) {
            lex_unget_token(t);
            return;
        }
        oth_mark_t m;
        oth_mark(&m);
        if ((t = lex_next()) == KEY_CURSOR)
            oth_emit_mark(TT_CURSOR, &m, -1, nullptr);
        else
            lex_unget_token(t);
        return;
    }
    case KEY_DROP:
        lex_next();
        if ((t = lex_next()) == TOK_SYMBOL)
            xref();
        else
            lex_unget_token(t);
        return;
    case KEY_PACKAGE:               // create or replace package
        if (prev == KEY_REPLACE)
            package();
        return;
    case KEY_FUNCTION:
    case KEY_PROCEDURE:
        if (definition_may_start(prev))
            object(t);
        return;
    case KEY_GRANT:
        for (int i = 0; i < 4 && lex_next() != TOK_EOF; i++) {
        }
        return;
    case KEY_SELECT:
        select_list();
        return;
    case KEY_SET:
        lex_next();
        lex_next();
        return;
    default:
        return;
    }
}

} // namespace

extern "C" int tvt_sql_scan(void)
{
    lex_init(&desc_sql);
    sq = sql_state_t{';'};
    for (int t = lex_next(); t != TOK_EOF; t = lex_next())
        step(t);
    return 0;
}
