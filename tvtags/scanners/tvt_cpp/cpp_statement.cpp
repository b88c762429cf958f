// The statement parser: one statement or declaration at the current level.
// Control statements are stepped over; everything that can declare
// something goes to the declaration, aggregate and typedef parsers.
#include <cstring>

#include "cpp_internal.h"

namespace {

// for/if/switch/while: over the bracketed condition.
int skip_condition()
{
    for (;;) {
        int t = cpp_next();
        if (t == '(') {
            lex_skip_group('(');
            return ')';
        }
        if (t == TOK_EOF)
            return TOK_EOF;
        if (t == ';' || t == '{' || t == '}') {
            cpp_unget(t);
            return ';';
        }
    }
}

// case labels: up to the colon.
int skip_case()
{
    for (;;) {
        int t = cpp_next();
        if (t == ':' || t == TOK_EOF)
            return t;
        if (t == ';' || t == '{' || t == '}') {
            cpp_unget(t);
            return ';';
        }
        if (t == '(' || t == '[')
            lex_skip_group(t);
    }
}

// extern: "extern "C" {" opens a block at the same level; otherwise the
// word is dropped and the declaration read on.
int after_extern(cpp_decl_t &d)
{
    int t = cpp_next();
    if (t == TOK_STRING) {
        int u = cpp_next();
        if (u == '{')
            return '{';
        return cpp_decl(d, u);
    }
    return -t - 1;  // read on with t
}

// Attributes around a namespace's name: [[deprecated]],
// __attribute__((visibility("default"))).
int skip_ns_attrs(int t)
{
    for (;;) {
        if (t == '[') {
            lex_skip_group('[');
            t = cpp_next();
        } else if (t == TOK_SYMBOL && cpp_attr_kind() == 1) {
            t = cpp_next();
            if (t == '(') {
                lex_skip_group('(');
                t = cpp_next();
            }
        } else {
            return t;
        }
    }
}

// namespace N { ... }, namespace a::b { ... }, namespace a::inline v2
// { ... }: each name is tagged, the members stay at this level.  An alias
// (namespace N = M;) declares nothing new.
int name_space(int parent)
{
    int t = skip_ns_attrs(cpp_next());
    bool named = false;
    for (;;) {
        if (t == KEY_INLINE)
            t = cpp_next();
        if (t != TOK_SYMBOL)
            break;
        tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
        named = true;
        t = skip_ns_attrs(cpp_next());
        if (t != TOK_SCOPE)
            break;
        cpp_emit(TT_NAMESPACE, parent, nullptr, nullptr);
        named = false;
        t = cpp_next();
    }
    if (t == '{') {
        if (named)
            cpp_emit(TT_NAMESPACE, parent, nullptr, nullptr);
        return '{';
    }
    if (t == ';' || t == TOK_EOF)
        return t;
    return cpp_skip_to_semi();
}

// using N = T; (also after a template head): a type alias, tagged as a
// typedef would be.  using namespace N; and using B::f; declare nothing.
} // namespace

int cpp_using(cpp_decl_t &d)
{
    int t = cpp_next();
    if (t != TOK_SYMBOL)
        return t == ';' || t == TOK_EOF ? t : cpp_skip_to_semi();
    tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
    t = skip_ns_attrs(cpp_next());
    if (t != TOK_EQUAL)
        return t == ';' || t == TOK_EOF ? t : cpp_skip_to_semi();
    for (;;) {
        t = cpp_next();
        if (t == ';' || t == TOK_EOF)
            break;
        if (t == '}') {
            cpp_unget(t);
            break;
        }
        if (t == '(' || t == '[' || t == '{') {
            lex_match(d.text, t);
            continue;
        }
        d.add(t);
    }
    cpp_emit(TT_TYPEDEF, d.parent, d.type_text(), nullptr);
    return t == TOK_EOF ? int(TOK_EOF) : int(';');
}

namespace {

// package a.b.c; then the rest of the file belongs to it.
int package(int parent)
{
    dstr_t &name = cpp_st.scratch;
    if (!name.dl_str)
        dstr_init(&name, 64);
    dstr_clear(&name);
    bool captured = false;
    int t;
    for (;;) {
        t = cpp_next();
        if (t == TOK_SYMBOL) {
            if (!captured)
                tag_capture(&tag_rec, TAG_CAP_LINE);
            captured = true;
            dstr_add_string(&name, lex_ctx.lx_text.dl_str, lex_ctx.lx_text.dl_len);
        } else if (t == TOK_DOT) {
            dstr_add_char(&name, '.');
        } else {
            break;
        }
    }
    if (t != ';' && t != TOK_EOF)
        t = cpp_skip_to_semi();
    if (!captured)
        return t;
    name.dl_str[name.dl_len] = '\0';
    cpp_set_name(name.dl_str);
    int h = cpp_emit(TT_PACKAGE, parent, nullptr, nullptr);
    while (cpp_statement(h, TT_DATA) != TOK_EOF) {
    }
    return TOK_EOF;
}

// Words of the GNU dialect before a declaration: __attribute__((...)),
// __extension__ and the like.
bool skip_leading_attribute(int t)
{
    if (t != TOK_SYMBOL)
        return false;
    if (cpp_attr_kind() == 1) {
        int u = cpp_next();
        if (u == '(')
            lex_skip_group('(');
        else
            cpp_unget(u);
        return true;
    }
    return cpp_text_is("__extension__");
}

} // namespace

extern "C" int cpp_statement(int parent, int deftype)
{
    cpp_decl_t d(parent, deftype);
    int t = cpp_next();
    for (;;) {
        if (cpp_st.objc) {
            if (t == '@')
                return cpp_objc_at(parent);
            if ((t == TOK_MINUS || t == TOK_PLUS) && lex_ctx.lx_depth == 0)
                return cpp_objc_method(parent);
        }
        switch (t) {
        case TOK_EOF:
            return TOK_EOF;
        case TOK_LT:
            cpp_skip_angle();
            return cpp_decl(d, cpp_next());
        case KEY_BREAK:
        case KEY_CONTINUE:
        case KEY_RETURN:
        case KEY_GOTO:
        case KEY_ASM:
            return cpp_skip_to_semi();
        case KEY_USING:
            return cpp_using(d);
        case KEY_FRIEND:
            return cpp_decl(d, t);
        case KEY_CASE:
            return skip_case();
        case '}':
        case KEY_DO:
        case KEY_ELSE:
            return t;
        case KEY_CONST:
        case KEY_INLINE:
        case KEY_MUTABLE:
        case KEY_STATIC:
            if (t == KEY_STATIC)
                d.is_static = true;
            d.add(t);
            d.ntype++;
            d.prev = PK_QUAL;
            t = cpp_next();
            continue;
        case KEY_DEFAULT:
        case KEY_PRIVATE:
        case KEY_PROTECTED:
        case KEY_PUBLIC: {
            int u = cpp_next();
            if (u != ':')
                cpp_unget(u);
            return ':';
        }
        case KEY_EXTERN: {
            int r = after_extern(d);
            if (r >= 0)
                return r;
            t = -r - 1;
            continue;
        }
        case KEY_FOR:
        case KEY_FOREACH:
        case KEY_IF:
        case KEY_SWITCH:
        case KEY_WHILE:
            return skip_condition();
        case KEY_REGISTER:
            return t;
        case '{':
            // A block of its own; ";" so that enclosing bodies go on.
            return lex_skip_group('{') ? int(';') : int(TOK_EOF);
        case ';':
            return ';';
        case KEY_STRUCT:
        case KEY_CLASS:
        case KEY_UNION:
        case KEY_INTERFACE:
            return cpp_struct(t, d);
        case KEY_ENUM:
            return cpp_enum(d);
        case KEY_PACKAGE:
            return package(parent);
        case KEY_TEMPLATE: {
            int u = cpp_next();
            if (u == TOK_LT)
                cpp_skip_angle();
            else
                cpp_unget(u);
            return TOK_GT;
        }
        case KEY_TYPEDEF:
            return cpp_typedef(d);
        case KEY_NAMESPACE:
            return name_space(parent);
        case TOK_SYMBOL:
            if (skip_leading_attribute(t)) {
                t = cpp_next();
                continue;
            }
            return cpp_decl(d, t);
        default:
            return cpp_decl(d, t);
        }
    }
}
