// Structures, unions, classes and enumerations, and typedefs of them.  A
// definition is tagged with its members as children; a use of the type
// ("struct foo *p") goes on as a declaration of that type.
#include <cstring>

#include "cpp_internal.h"
#include "wrenlib/fmt.h"

namespace {

// Attribute words after the keyword, and after a body the annotation
// macros of the "__" family ("} __packed;", "} __aligned(8) x;").
int skip_attrs(int t, bool after_body)
{
    for (;;) {
        if (t != TOK_SYMBOL)
            return t;
        if (cpp_attr_kind() == 1 || (after_body && cpp_text_starts("__"))) {
            int u = cpp_next();
            if (u == '(') {
                lex_skip_group('(');
                u = cpp_next();
            }
            t = u;
            continue;
        }
        return t;
    }
}

// The base list after "class D :", up to the body or the end.
int read_bases()
{
    char name[TAG_NAME_SIZE];
    name[0] = '\0';
    auto flush = [&name]() {
        if (name[0])
            inh_add(name);
        name[0] = '\0';
    };
    bool after_scope = false;
    for (;;) {
        int t = cpp_next();
        switch (t) {
        case '{':
        case ';':
        case TOK_EOF:
        case '}':
            flush();
            return t;
        case ',':
            flush();
            break;
        case KEY_PUBLIC:
        case KEY_PRIVATE:
        case KEY_PROTECTED:
            break;
        case TOK_SCOPE:
            wl_strlcpy(name + strlen(name), "::", sizeof name - strlen(name));
            after_scope = true;
            break;
        case TOK_SYMBOL:
            if (cpp_text_is("virtual"))
                break;
            if (!after_scope)
                flush();
            wl_strlcpy(name + strlen(name), lex_ctx.lx_text.dl_str, sizeof name - strlen(name));
            after_scope = false;
            break;
        case TOK_LT:
            cpp_skip_angle();
            break;
        case '(':
            lex_skip_group('(');
            break;
        default:
            break;
        }
    }
}

// Tokens of a qualified or specialised aggregate name after its first
// word: "A::B", "X<int>".
int name_rest(int t)
{
    for (;;) {
        if (t == TOK_SCOPE) {
            int u = cpp_next();
            if (u != TOK_SYMBOL)
                return u;
            char joined[TAG_NAME_SIZE];
            wl_snprintf(joined, sizeof joined, "%s::%s", tag_rec.tr_name, lex_ctx.lx_text.dl_str);
            tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
            cpp_set_name(joined);
            t = cpp_next();
            continue;
        }
        if (t == TOK_LT && cpp_st.cplusplus) {
            cpp_skip_angle();
            t = cpp_next();
            continue;
        }
        return t;
    }
}

// The declarators after a body: "} s, *p;".
int after_body(cpp_decl_t &d)
{
    if (cpp_st.dlang)
        return ';';  // D's aggregates end with their body
    d.ntype++;
    d.prev = PK_TYPE;
    int t = skip_attrs(cpp_next(), true);
    if (t == ';')
        return ';';
    return cpp_decl(d, t);
}

// The type is used, not defined: "struct foo *p;", "struct foo f(void)".
int use_of_type(cpp_decl_t &d, int t)
{
    d.add_text(tag_rec.tr_name);
    d.ntype++;
    d.prev = PK_TYPE;
    if (t == ';')
        return ';';  // a forward declaration
    return cpp_decl(d, t);
}

} // namespace

int cpp_struct(int kw, cpp_decl_t &d)
{
    if (cpp_st.nest >= CPP_MAX_NEST)
        return cpp_skip_to_semi();
    cpp_nest_guard_t guard;
    int type = kw == KEY_UNION ? TT_UNION : kw == KEY_CLASS ? TT_CLASS : kw == KEY_INTERFACE ? TT_INTERFACE : TT_STRUCT;
    d.add_text(kw == KEY_UNION ? "union" : kw == KEY_CLASS ? "class" : kw == KEY_INTERFACE ? "interface" : "struct");
    int t = skip_attrs(cpp_next(), false);
    bool named = false;
    if (t == '{') {
        cpp_anon_name(false);
    } else if (t == TOK_SYMBOL) {
        tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
        named = true;
        t = name_rest(cpp_next());
        if (t == TOK_SYMBOL && cpp_st.cplusplus && cpp_text_is("final"))
            t = cpp_next();
        if (t == TOK_SYMBOL) {
            // "class EXPORT Foo {": the second word names it; otherwise
            // the second word is a declarator of the type.
            thread_local tag_rec_t second;
            tag_capture(&second, TAG_CAP_LINE | TAG_CAP_NAME);
            int u = cpp_next();
            if (u == TOK_SYMBOL && cpp_st.cplusplus && cpp_text_is("final"))
                u = cpp_next();
            if (u == '{' || u == ':') {
                tag_rec = second;
                t = u;
            } else {
                cpp_unget2(TOK_SYMBOL, second.tr_name, u);
                return use_of_type(d, cpp_next());
            }
        }
    } else {
        return cpp_decl(d, t);
    }

    bool bases = false;
    if (t == ':' && named) {
        inh_push();
        bases = true;
        t = read_bases();
    }
    if (t != '{') {
        if (bases)
            inh_pop(0);
        return use_of_type(d, t);
    }

    if (bases)
        tag_rec.tr_inherit = inh_current();
    int h = cpp_emit(type, d.parent, nullptr, nullptr);
    d.add_text(tag_rec.tr_name);
    tag_level_up();
    int r;
    do
        r = cpp_statement(h, TT_MEMBER);
    while (r != '}' && r != TOK_EOF);
    tag_level_down();
    if (bases)
        inh_pop(0);
    if (r == TOK_EOF)
        return TOK_EOF;
    return after_body(d);
}

int cpp_enum(cpp_decl_t &d)
{
    if (cpp_st.nest >= CPP_MAX_NEST)
        return cpp_skip_to_semi();
    cpp_nest_guard_t guard;
    d.add_text("enum");
    int t = skip_attrs(cpp_next(), false);
    if (t == KEY_CLASS || t == KEY_STRUCT)
        t = skip_attrs(cpp_next(), false);
    bool named = false;
    if (t == TOK_SYMBOL) {
        tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
        named = true;
        t = name_rest(cpp_next());
    }
    if (t == ':') {  // the underlying type
        do
            t = cpp_next();
        while (t != '{' && t != ';' && t != '}' && t != TOK_EOF);
    }
    if (t != '{') {
        if (!named)
            return cpp_decl(d, t);
        return use_of_type(d, t);
    }
    if (!named)
        cpp_anon_name(true);
    int h = cpp_emit(TT_ENUM, d.parent, nullptr, nullptr);
    d.add_text(tag_rec.tr_name);
    for (;;) {
        t = cpp_next();
        if (t == '}')
            break;
        if (t == TOK_EOF)
            return TOK_EOF;
        if (t != TOK_SYMBOL) {
            if (t == '(' || t == '[' || t == '{')
                lex_skip_group(t);
            continue;
        }
        if (cpp_attr_kind() == 1) {
            int u = cpp_next();
            if (u == '(')
                lex_skip_group('(');
            else
                cpp_unget(u);
            continue;
        }
        tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
        cpp_emit(TT_ENUM_MEMBER, h, nullptr, nullptr);
        t = cpp_next();
        if (t != ',' && t != '}')
            t = cpp_skip_init(true);  // an initialiser or annotations
        if (t == '}')
            break;
        if (t == TOK_EOF)
            return TOK_EOF;
    }
    return after_body(d);
}

int cpp_typedef(cpp_decl_t &d)
{
    d.deftype = TT_TYPEDEF;
    int t = cpp_next();
    while (t == TOK_SYMBOL && cpp_attr_kind() == 1) {
        int u = cpp_next();
        if (u == '(') {
            lex_skip_group('(');
            u = cpp_next();
        }
        t = u;
    }
    if (t == KEY_STRUCT || t == KEY_CLASS || t == KEY_UNION)
        return cpp_struct(t, d);
    if (t == KEY_ENUM)
        return cpp_enum(d);
    return cpp_decl(d, t);
}
