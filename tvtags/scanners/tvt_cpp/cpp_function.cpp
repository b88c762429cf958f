// Function declarators: the parameter list, the words after it, and what
// ends the declaration (a prototype, a body, old-style parameter
// declarations or another declarator).
#include "cpp_internal.h"

namespace {

// C++ constructor initialisers after ':': up to the body.
int skip_ctor_init()
{
    int prev = 0;
    for (;;) {
        int u = cpp_next();
        if (u == TOK_EOF || u == ';')
            return u;
        if (u == '{') {
            if (prev == TOK_SYMBOL || prev == TOK_GT) {
                lex_skip_group('{');  // a braced member initialiser
            } else {
                return '{';
            }
        } else if (u == '(') {
            lex_skip_group('(');
        } else if (u == TOK_LT) {
            cpp_skip_angle();
            u = TOK_GT;
        }
        prev = u;
    }
}

bool knr_start(int t)
{
    return t == TOK_SYMBOL || cpp_is_type_kw(t) || cpp_is_qualifier(t) || t == KEY_STRUCT ||
           t == KEY_UNION || t == KEY_ENUM;
}

// A word that, on the line after "NAME(...)", starts a declaration of its
// own: the group was a macro's arguments (DECLARE_THING(x) then
// "void f();"), not a function's parameters.
bool starts_next_line_decl(int t)
{
    if (cpp_is_type_kw(t))
        return true;
    switch (t) {
    case KEY_STATIC: case KEY_INLINE: case KEY_EXTERN: case KEY_MUTABLE: case KEY_STRUCT:
    case KEY_CLASS: case KEY_UNION: case KEY_ENUM: case KEY_TYPEDEF: case KEY_TEMPLATE:
    case KEY_USING: case KEY_NAMESPACE: case KEY_FRIEND: case KEY_PUBLIC: case KEY_PRIVATE:
    case KEY_PROTECTED: case TOK_TILDE:
        return true;
    case TOK_SYMBOL:
        break;
    default:
        return false;
    }
    static const char *const after_params[] = {"noexcept", "override", "final", "throw", "try", "requires"};
    for (const char *w : after_params)
        if (cpp_text_is(w))
            return false;
    // Upper-case words are annotation macros (FOO_NOEXCEPT) more often
    // than types.
    for (const char *p = lex_ctx.lx_text.dl_str; *p; p++)
        if (*p >= 'a' && *p <= 'z')
            return !cpp_text_starts("__");
    return false;
}

} // namespace

// After "name (": the parameter list, then what follows it decides
// between prototype and definition.
int cpp_function_tail(cpp_decl_t &d)
{
    lex_collect_args(&cpp_st.args, 1);
    int close_line = lex_ctx.lx_tok_line;
    int t = cpp_next();
    if (cpp_st.cplusplus && d.name_first && lex_ctx.lx_tok_line > close_line && starts_next_line_decl(t)) {
        d.have_name = false;
        cpp_unget(t);
        return ';';
    }
    return cpp_function_end(d, t);
}

// The rest of a function declarator; t is the token after the list.
int cpp_function_end(cpp_decl_t &d, int t)
{
    dstr_t *args = &cpp_st.args;
    // "virtual int f() const = 0;" is declared like any other method: the
    // words after the list and the "= 0" are stepped over below.
    if (t == '(') {  // a declarator such as (*f(int))(char)
        lex_skip_group('(');
        t = cpp_next();
    }
    // Words between the list and what ends the declaration: C++
    // qualifiers, attributes, annotation macros and their arguments.
    for (;;) {
        if (t == TOK_SYMBOL && d.deftype == TT_TYPEDEF && d.have_name && cpp_st.cplusplus && !cpp_text_starts("__")) {
            // "typedef typename WRAP(T::type) name;": the group belonged
            // to a macro standing for the type, and this word is the name.
            tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
            dstr_clear(args);
            args->dl_str[0] = '\0';
            t = cpp_next();
            continue;
        }
        if (t == TOK_SYMBOL) {
            t = cpp_next();
            if (t == '(') {
                lex_skip_group('(');
                t = cpp_next();
            }
            continue;
        }
        if (t == KEY_CONST || t == KEY_VOLATILE || t == KEY_THROWS) {
            t = cpp_next();
            continue;
        }
        if (t == TOK_PTR) {  // trailing return type
            do
                t = cpp_next();
            while (t != '{' && t != ';' && t != ',' && t != '}' && t != TOK_EOF);
        }
        break;
    }
    if (t == TOK_EQUAL) {  // = 0, = default, = delete
        t = cpp_skip_to_semi();
    } else if (t == ':' && cpp_st.cplusplus) {
        t = skip_ctor_init();
    }

    bool proto = t == ',' || t == ';';
    bool tag = true;
    if (d.name_first && tvt_opt.locals && lex_ctx.lx_depth > 0)
        tag = false;  // a call inside a body
    if (proto && lex_ctx.lx_depth != 0)
        tag = false;  // a prototype inside a block
    int type;
    if (d.deftype == TT_TYPEDEF)
        type = TT_TYPEDEF;
    else if (d.deftype == TT_MEMBER)
        type = TT_METHOD;
    else if (proto)
        type = TT_PROTOTYPE;
    else if (d.is_static)
        type = TT_STATIC_FUNC;
    else
        type = TT_FUNCTION;
    int h = -1;
    if (tag && d.have_name && !d.quiet)
        h = cpp_emit(type, d.parent, d.name_first ? nullptr : d.type_text(), args->dl_str);
    d.have_name = false;

    switch (t) {
    case TOK_EOF:
        return TOK_EOF;
    case ';':
        return ';';
    case ',':
        return CPP_MORE_DECLARATORS;
    case KEY_STRUCT:
    case KEY_CLASS:
    case KEY_UNION:
    case KEY_ENUM:
    case '}':
        cpp_unget(t);
        return ';';
    case '{':
        cpp_body(h);
        return ';';
    default:
        break;
    }
    // Old-style parameter declarations up to the body.
    while (knr_start(t)) {
        for (;;) {
            int u = cpp_next();
            if (u == ';')
                break;
            if (u == TOK_EOF)
                return TOK_EOF;
            if (u == '{') {
                cpp_body(h);
                return ';';
            }
            if (u == '}') {
                cpp_unget(u);
                return ';';
            }
            if (u == '(' || u == '[')
                lex_skip_group(u);
        }
        t = cpp_next();
        if (t == '{') {
            cpp_body(h);
            return ';';
        }
    }
    cpp_unget(t);
    return ';';
}
