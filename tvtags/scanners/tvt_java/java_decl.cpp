// The declaration parser of the Java family.  Tokens are collected as the
// type text until the declared name shows itself: the last word before
// "(", "=", ",", ";" or "{".  A parameter list makes a method; an
// initialiser is skipped; each declarator of a field list is a tag of its
// own.  A word that follows no type is no declaration (a call or an
// assignment in a body, a scriptlet's statement in a page).
#include <cstring>

#include "java_internal.h"

namespace {

struct decl_t {
    int parent;
    int deftype;
    bool is_static;
    dstr_t *text;
    bool have_name = false;
    bool after_dot = false;  // the name continues a qualified name
    int units = 0;           // type words and qualified names seen
    int units_before = 0;    // ... before the name's own
    int base_len = -1;       // type text shared by the declarators

    void add(int t) { lex_append_token(text, t); }
    void add_word(const char *s)
    {
        if (text->dl_len > 0) {
            char c = text->dl_str[text->dl_len - 1];
            if (c != ' ' && c != '.' && c != '(' && c != '[' && c != '<')
                dstr_add_char(text, ' ');
        }
        dstr_add_string(text, s, int(strlen(s)));
        text->dl_str[text->dl_len] = '\0';
    }
    // The candidate was part of the type after all.
    void demote()
    {
        if (!have_name)
            return;
        add_word(tag_rec.tr_name);
        have_name = false;
    }
    void take(bool dot)
    {
        demote();
        tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
        have_name = true;
        after_dot = dot;
        if (!dot)
            units++;
        units_before = units - 1;
        if (base_len < 0 && !dot)
            base_len = text->dl_len;
    }
    bool declares() const { return have_name && !after_dot && units_before > 0; }
    int plain_type() const
    {
        if (deftype == TT_DATA && is_static)
            return TT_STATIC_VAR;
        return deftype;
    }
    void emit_plain()
    {
        if (declares())
            jv_emit(plain_type(), parent, text->dl_str, nullptr);
        have_name = false;
    }
    void next_declarator()
    {
        have_name = false;
        if (base_len >= 0 && base_len <= text->dl_len)
            text->dl_len = base_len;
        text->dl_str[text->dl_len] = '\0';
        units = units_before;
    }
};

bool csharp_arrow()
{
    if (!jv_st.csharp || jv_peek_char() != '>')
        return false;
    jv_next();
    return true;
}

// After "name (": the parameters, then what follows them up to the body
// or the ";".
int method(decl_t &d)
{
    dstr_t *args = &jv_st.args;
    int t = jv_collect_args(args);
    bool is_method = d.deftype != TT_LOCAL && d.have_name &&
                     (d.after_dot ? jv_st.csharp && d.units_before > 0
                                  : d.units_before > 0 || d.deftype == TT_MEMBER);
    if (!is_method || t == TOK_EOF) {
        if (t == TOK_EOF)
            return t;
        return jv_skip_to_semi();
    }
    for (;;) {
        t = jv_next();
        switch (t) {
        case '{': {
            int h = jv_emit(TT_METHOD, d.parent, d.text->dl_str, args->dl_str);
            jv_body(h);
            return ';';
        }
        case ';':
        case TOK_EOF:
            jv_emit(TT_METHOD, d.parent, d.text->dl_str, args->dl_str);
            return t;
        case '}':
            jv_unget(t);
            jv_emit(TT_METHOD, d.parent, d.text->dl_str, args->dl_str);
            return ';';
        case TOK_EQUAL:
        case KEY_DEFAULT:
            // an expression body, or an annotation element's default
            csharp_arrow();
            jv_emit(TT_METHOD, d.parent, d.text->dl_str, args->dl_str);
            return jv_skip_to_semi();
        case '(':
        case '[':
            if (jv_skip_group(t) == TOK_EOF)
                return TOK_EOF;
            break;
        default:
            break;  // throws, where, ": base(...)"
        }
    }
}

// C#: "Type Name { get; set; } = init;"
int property(decl_t &d)
{
    jv_emit(TT_PROPERTY, d.parent, d.text->dl_str, nullptr);
    if (jv_skip_block() == TOK_EOF)
        return TOK_EOF;
    int t = jv_next();
    if (t == TOK_EQUAL)
        return jv_skip_to_semi();
    jv_unget(t);
    return ';';
}

} // namespace

int jv_decl(int parent, int deftype, bool is_static, int t)
{
    int level = jv_st.nest < JV_MAX_NEST ? jv_st.nest : JV_MAX_NEST;
    dstr_t *text = &jv_st.texts[level];
    if (!text->dl_str)
        dstr_init(text, 128);
    dstr_clear(text);
    text->dl_str[0] = '\0';
    decl_t d{parent, deftype, is_static, text};
    jv_nest_guard_t guard;
    int prev = 0;
    for (;; prev = t, t = jv_next()) {
        if (t == TOK_SYMBOL) {
            if (d.units == 0 && !d.have_name && jv_text_is("record")) {
                // record Name(...): a class with components
                d.take(false);
                int u = jv_next();
                if (u == TOK_SYMBOL) {
                    d.take(false);
                    int v = jv_next();
                    if (v == '(' || v == TOK_LT) {
                        jv_unget(v);
                        return jv_class(TT_CLASS, parent, true);
                    }
                    prev = u;
                    t = v;
                    // "record" was a type name: fall through with v
                } else {
                    prev = TOK_SYMBOL;
                    t = u;
                }
                goto other;
            }
            d.take(prev == TOK_DOT);
            continue;
        }
        if (jv_is_type_kw(t)) {
            d.demote();
            d.add(t);
            d.units++;
            continue;
        }
        if (t == KEY_OPERATOR && jv_st.csharp) {
            // operator +, operator ==, implicit operator int
            d.demote();
            t = jv_next();
            if (t == TOK_EOF)
                return t;
            d.take(false);
            continue;
        }
    other:
        switch (t) {
        case TOK_EOF:
            return t;
        case TOK_DOT:
            d.demote();
            d.add(t);
            continue;
        case TOK_LT: {
            // type arguments; in C# after a method's name, its type
            // parameters
            bool had = d.have_name;
            int before = d.text->dl_len;
            d.demote();
            jv_skip_angle(d.text);
            int u = jv_next();
            if (had && u == '(' && jv_st.csharp) {
                d.text->dl_len = before;
                d.text->dl_str[before] = '\0';
                d.have_name = true;
            }
            jv_unget(u);
            continue;
        }
        case '[':
            d.add(t);
            if (jv_skip_group('[') == TOK_EOF)
                return TOK_EOF;
            d.add(']');
            continue;
        case '@':
            jv_skip_annotation();
            continue;
        case '?':
        case TOK_STAR:
        case TOK_TILDE:
            if (t != TOK_TILDE)
                d.add(t);
            continue;
        case '(':
            if (!d.have_name) {
                if (d.units > 0 || d.deftype == TT_LOCAL)
                    return jv_skip_to_semi();
                // a C# tuple type
                if (jv_collect_args(&jv_st.scratch) == TOK_EOF)
                    return TOK_EOF;
                d.add_word(jv_st.scratch.dl_str);
                d.units++;
                continue;
            }
            return method(d);
        case TOK_EQUAL:
            if (!d.have_name)
                return jv_skip_to_semi();
            if (csharp_arrow()) {
                if (d.declares())
                    jv_emit(TT_PROPERTY, d.parent, d.text->dl_str, nullptr);
                return jv_skip_to_semi();
            }
            d.emit_plain();
            t = jv_skip_init();
            if (t != ',')
                return t;
            d.next_declarator();
            continue;
        case ',':
            if (!d.have_name)
                return jv_skip_to_semi();
            d.emit_plain();
            d.next_declarator();
            continue;
        case ';':
            d.emit_plain();
            return t;
        case '{':
            if (d.declares() && jv_st.csharp)
                return property(d);
            if (d.have_name && !d.after_dot && d.units_before == 0 && deftype == TT_MEMBER) {
                // a record's compact constructor
                int h = jv_emit(TT_METHOD, d.parent, nullptr, nullptr);
                jv_body(h);
                return ';';
            }
            return jv_skip_block() == TOK_EOF ? int(TOK_EOF) : int(';');
        case '}':
            jv_unget(t);
            return ';';
        default:
            if (jv_is_modifier(t) || t == KEY_FINAL)
                continue;
            if (jv_is_word(t)) {
                // a keyword that is a name here ("String" in a page)
                d.take(prev == TOK_DOT);
                continue;
            }
            d.have_name = false;
            return jv_skip_to_semi();
        }
    }
}
