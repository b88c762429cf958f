// Objective-C: classes and protocols after '@', and methods after '-' or
// '+' both inside them and at file level.
#include <cstring>

#include "cpp_internal.h"

namespace {

enum { OBJC_INTERFACE, OBJC_IMPLEMENTATION, OBJC_PROTOCOL };

bool is_one_of(const char *const *words)
{
    for (; *words; words++)
        if (cpp_text_is(*words))
            return true;
    return false;
}

// Inside a class: '@' words that belong to it.  Returns 1 to go on, 0 at
// "@end", -1 when the word starts something else (pushed back).
int class_at_word(int h)
{
    static const char *const skip_statement[] = {"synthesize", "dynamic", "selector", "encode", nullptr};
    static const char *const starts_other[] = {"interface", "implementation", "protocol", "class", nullptr};
    int v = cpp_next();
    if (v != TOK_SYMBOL) {
        if (v == TOK_EOF)
            return 0;
        return 1;
    }
    if (cpp_text_is("end"))
        return 0;
    if (cpp_text_is("property")) {
        int w = cpp_next();
        if (w == '(')
            lex_skip_group('(');
        else
            cpp_unget(w);
        cpp_statement(h, TT_MEMBER);
        return 1;
    }
    if (is_one_of(skip_statement)) {
        cpp_skip_to_semi();
        return 1;
    }
    if (is_one_of(starts_other)) {
        cpp_unget2('@', "@", v);
        return -1;
    }
    return 1;  // @optional, @required, @public, @private, ...
}

int objc_class(int parent, int kind)
{
    int t = cpp_next();
    if (t != TOK_SYMBOL) {
        cpp_unget(t);
        return ';';
    }
    tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
    int line = lex_ctx.lx_tok_line;
    // The rest of the head line: superclass, category, protocols.
    int u;
    for (;;) {
        u = cpp_next();
        if (u == TOK_EOF)
            return TOK_EOF;
        if (lex_ctx.lx_tok_line != line || u == '{' || u == '@' || u == TOK_MINUS || u == TOK_PLUS ||
            u == ';')
            break;
        if (u == '(')
            lex_skip_group('(');
        else if (u == TOK_LT)
            cpp_skip_angle();
    }
    if (u == ';')
        return ';';  // a forward declaration
    int h = cpp_emit(kind == OBJC_PROTOCOL ? TT_INTERFACE : TT_CLASS, parent, nullptr, nullptr);
    cpp_unget(u);
    for (;;) {
        u = cpp_next();
        switch (u) {
        case TOK_EOF:
            return TOK_EOF;
        case '@': {
            int r = class_at_word(h);
            if (r <= 0)
                return ';';
            break;
        }
        case TOK_MINUS:
        case TOK_PLUS:
            if (cpp_objc_method(h) == TOK_EOF)
                return TOK_EOF;
            break;
        case '{':
            lex_skip_group('{');  // instance variables
            break;
        case '}':
            break;
        default:
            cpp_unget(u);
            if (cpp_statement(h, TT_MEMBER) == TOK_EOF)
                return TOK_EOF;
            break;
        }
    }
}

} // namespace

int cpp_objc_at(int parent)
{
    int t = cpp_next();
    if (t != TOK_SYMBOL) {
        if (t == '}' || t == TOK_EOF)
            cpp_unget(t);
        return t == TOK_EOF ? int(TOK_EOF) : int(';');
    }
    if (cpp_text_is("class"))
        return cpp_skip_to_semi();
    if (cpp_text_is("interface"))
        return objc_class(parent, OBJC_INTERFACE);
    if (cpp_text_is("implementation"))
        return objc_class(parent, OBJC_IMPLEMENTATION);
    if (cpp_text_is("protocol"))
        return objc_class(parent, OBJC_PROTOCOL);
    return ';';
}

int cpp_objc_method(int parent)
{
    cpp_decl_t d(parent, TT_METHOD);
    int t = cpp_next();
    if (t == '(') {
        lex_match(d.text, '(');
        // The result type without its parentheses.
        dstr_t *s = d.text;
        if (s->dl_len >= 2 && s->dl_str[s->dl_len - 1] == ')') {
            memmove(s->dl_str, s->dl_str + 1, size_t(s->dl_len - 2));
            s->dl_len -= 2;
            s->dl_str[s->dl_len] = '\0';
        }
        t = cpp_next();
    }
    if (t != TOK_SYMBOL) {
        cpp_unget(t);
        return ';';
    }
    tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
    int h = cpp_emit(TT_METHOD, parent, d.type_text(), nullptr);
    for (;;) {
        int u = cpp_next();
        switch (u) {
        case ';':
            return ';';
        case TOK_EOF:
            return TOK_EOF;
        case '{':
            cpp_body(h);
            return ';';
        case '}':
        case '@':
            cpp_unget(u);
            return ';';
        case '(':
        case '[':
            lex_skip_group(u);
            break;
        default:
            break;
        }
    }
}
