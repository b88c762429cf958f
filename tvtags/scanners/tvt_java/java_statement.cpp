// The statement parser of the Java family: one declaration or statement at
// package, namespace, class or block level.  Modifiers and annotations are
// stepped over; declarations go to the class and declaration parsers.
#include <cstring>

#include "java_internal.h"

namespace {

dstr_t &scratch()
{
    dstr_t &s = jv_st.scratch;
    if (!s.dl_str)
        dstr_init(&s, 64);
    dstr_clear(&s);
    s.dl_str[0] = '\0';
    return s;
}

// A dotted name into the scratch text; the first word is captured.
// Returns the token after it; *last is the last token taken.
int dotted_name(dstr_t &name, bool &captured, int *last)
{
    int t, prev = 0;
    for (;;) {
        t = jv_next();
        if (jv_is_word(t) && prev != TOK_SYMBOL) {
            if (!captured)
                tag_capture(&tag_rec, TAG_CAP_LINE);
            captured = true;
            if (name.dl_len < TAG_NAME_SIZE - 1)
                dstr_add_string(&name, lex_ctx.lx_text.dl_str, lex_ctx.lx_text.dl_len);
            t = TOK_SYMBOL;
        } else if (t == TOK_DOT && prev == TOK_SYMBOL) {
            dstr_add_char(&name, '.');
        } else {
            break;
        }
        prev = t;
    }
    if (last)
        *last = prev;
    name.dl_str[name.dl_len] = '\0';
    return t;
}

// import a.b.C; import static a.b.C.m; import a.b.*;
int import(int parent)
{
    int t = jv_next();
    if (t != KEY_STATIC && !(t == TOK_SYMBOL && jv_text_is("module")))
        jv_unget(t);
    dstr_t &name = scratch();
    bool captured = false;
    int last = 0;
    t = dotted_name(name, captured, &last);
    if (t != ';' && t != TOK_EOF)
        t = jv_skip_to_semi();
    if (captured && last == TOK_SYMBOL && (t == ';' || t == TOK_EOF)) {
        jv_set_name(name.dl_str);
        jv_emit(TT_IMPORT, parent, nullptr, nullptr);
    }
    return t;
}

// package a.b; the rest of the file belongs to it.
int package(int parent)
{
    dstr_t &name = scratch();
    bool captured = false;
    int t = dotted_name(name, captured, nullptr);
    if (t != ';' && t != TOK_EOF)
        t = jv_skip_to_semi();
    if (!captured)
        return t;
    jv_set_name(name.dl_str);
    int h = jv_emit(TT_PACKAGE, parent, nullptr, nullptr);
    while (jv_statement(h, TT_DATA) != TOK_EOF) {
    }
    return TOK_EOF;
}

// using A.B; using static A.B; using X = A.B; (a using statement in a
// body is a block of its own).
int csharp_using(int parent)
{
    int t = jv_next();
    if (t == '(')
        return jv_skip_group('(') == TOK_EOF ? int(TOK_EOF) : int(';');
    if (t != KEY_STATIC)
        jv_unget(t);
    for (;;) {
        dstr_t &name = scratch();
        bool captured = false;
        int last = 0;
        t = dotted_name(name, captured, &last);
        if (t == TOK_EQUAL)
            continue;  // the alias: the name it stands for is the import
        if (t == TOK_LT) {
            jv_skip_angle(nullptr);
            t = jv_next();
        }
        if (captured && last == TOK_SYMBOL && (t == ',' || t == ';')) {
            jv_set_name(name.dl_str);
            jv_emit(TT_IMPORT, parent, nullptr, nullptr);
        }
        if (t == ',')
            continue;
        if (t != ';' && t != TOK_EOF)
            t = jv_skip_to_semi();
        return t;
    }
}

// namespace A.B { ... } or the file-scoped namespace A.B; the members
// follow at this level either way.
int csharp_namespace(int parent)
{
    dstr_t &name = scratch();
    bool captured = false;
    int t = dotted_name(name, captured, nullptr);
    if (captured) {
        jv_set_name(name.dl_str);
        jv_emit(TT_NAMESPACE, parent, nullptr, nullptr);
    }
    if (t == '{' || t == ';' || t == TOK_EOF)
        return t == '{' ? ';' : t;
    jv_unget(t);
    return jv_skip_to_semi();
}

// for/if/while/switch/catch/synchronized/using in a body: over the
// bracketed condition.
int skip_condition()
{
    int t = jv_next();
    if (t == '(')
        return jv_skip_group('(') == TOK_EOF ? int(TOK_EOF) : int(';');
    jv_unget(t);
    return ';';
}

// case labels: up to ":" or "->".
int skip_label()
{
    for (;;) {
        int t = jv_next();
        switch (t) {
        case ':':
        case TOK_PTR:
        case TOK_EOF:
            return t == TOK_EOF ? t : ';';
        case ';':
        case '{':
        case '}':
            jv_unget(t);
            return ';';
        case '(':
        case '[':
            jv_skip_group(t);
            break;
        default:
            break;
        }
    }
}

// "@" before a declaration: an annotation, or an annotation type.
int at_sign(int parent)
{
    int t = jv_next();
    if (t == KEY_INTERFACE)
        return jv_class(TT_INTERFACE, parent, false);
    jv_unget(t);
    jv_skip_annotation();
    return -1;
}

bool is_control_word(int t)
{
    switch (t) {
    case KEY_IF: case KEY_FOR: case KEY_WHILE: case KEY_SWITCH: case KEY_CATCH:
    case KEY_SYNCHRONIZED:
        return true;
    default:
        return false;
    }
}

} // namespace

int jv_statement(int parent, int deftype)
{
    bool is_static = false;
    const bool locals = deftype == TT_LOCAL;
    for (;;) {
        int t = jv_next();
        switch (t) {
        case TOK_EOF:
            return TOK_EOF;
        case ';':
        case TOK_NOT:
        case ')':
        case ']':
            return t;
        case '}':
            return '}';
        case '@': {
            int r = at_sign(parent);
            if (r >= 0)
                return r;
            continue;
        }
        case '[':
            if (jv_st.csharp) {  // an attribute
                if (jv_skip_group('[') == TOK_EOF)
                    return TOK_EOF;
                continue;
            }
            return jv_decl(parent, deftype, is_static, t);
        case '{':
            if (locals) {
                jv_body(parent);
                return ';';
            }
            return jv_skip_block() == TOK_EOF ? int(TOK_EOF) : int(';');
        case KEY_STATIC:
            is_static = true;
            continue;
        case KEY_CLASS:
            return jv_class(TT_CLASS, parent, false);
        case KEY_INTERFACE:
            return jv_class(TT_INTERFACE, parent, false);
        case KEY_IMPORT:
            return import(parent);
        case KEY_PACKAGE:
            if (jv_st.nest > 0)
                return jv_decl(parent, deftype, is_static, TOK_SYMBOL);
            return package(parent);
        case KEY_NAMESPACE:
            return csharp_namespace(parent);
        case KEY_USING:
            return csharp_using(parent);
        case KEY_THROWS:
            return jv_skip_to_semi();
        case JV_TOK_LANGUAGE:
            return jv_script_block();
        case KEY_DEFAULT:
            if (locals)
                return skip_label();
            continue;  // a default method of an interface
        case KEY_CASE:
            return skip_label();
        case KEY_RETURN: case KEY_BREAK: case KEY_CONTINUE: case KEY_GOTO:
            return jv_skip_to_semi();
        case KEY_DO: case KEY_ELSE: case KEY_TRY:
            if (locals)
                return ';';
            return jv_skip_to_semi();
        default:
            break;
        }
        if (locals && is_control_word(t))
            return skip_condition();
        if (jv_is_modifier(t))
            continue;
        if (t != TOK_SYMBOL)
            return jv_decl(parent, deftype, is_static, t);
        const char *s = lex_ctx.lx_text.dl_str;
        if (strcmp(s, "enum") == 0)
            return jv_enum(parent);
        if (jv_st.csharp && strcmp(s, "struct") == 0)
            return jv_class(TT_STRUCT, parent, false);
        if (locals) {
            if (strcmp(s, "throw") == 0 || strcmp(s, "yield") == 0 || strcmp(s, "assert") == 0)
                return jv_skip_to_semi();
            if (strcmp(s, "finally") == 0 || strcmp(s, "checked") == 0 || strcmp(s, "unchecked") == 0)
                return ';';
            if (jv_st.csharp && (strcmp(s, "foreach") == 0 || strcmp(s, "lock") == 0 ||
                                 strcmp(s, "fixed") == 0))
                return skip_condition();
        }
        if (strcmp(s, "non") == 0) {
            // non-sealed
            int u = jv_next();
            if (u == TOK_MINUS) {
                int v = jv_next();
                if (v == TOK_SYMBOL && jv_text_is("sealed"))
                    continue;
                jv_unget(v);
            } else {
                jv_unget(u);
            }
            return jv_skip_to_semi();
        }
        return jv_decl(parent, deftype, is_static, t);
    }
}

// <script language="...">: up to the end of the script element, each
// "function name(...)" is a function.
int jv_script_block()
{
    int t;
    do
        t = lex_token();
    while (t != TOK_GT && t != TOK_EOF);
    int prev = 0;
    for (;;) {
        t = lex_token();
        if (t == TOK_EOF || t == TOK_ASP_OPEN)
            break;
        if (prev == TOK_LT && t == TOK_DIV) {
            int u = lex_token();
            if (u == TOK_SYMBOL && jv_text_is("script")) {
                lex_unget_token(u);
                break;
            }
            t = u;
        }
        if (t == TOK_SYMBOL && jv_text_is("function"))
            js_function_reader(-1);
        prev = t;
    }
    if (t == TOK_ASP_OPEN)
        jv_unget(t);
    return ';';
}
