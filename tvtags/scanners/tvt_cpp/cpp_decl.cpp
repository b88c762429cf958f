// The declaration parser: collects the type words of a declaration, takes
// the identifier that turns out to be declared as its name, and emits each
// declarator as a variable, member, typedef, prototype or function.
#include <cstring>

#include "cpp_internal.h"
#include "wrenlib/fmt.h"

namespace {

// A statement that declares nothing (an expression, a call): skipped.
int abandon(cpp_decl_t &d)
{
    d.have_name = false;
    return cpp_skip_to_semi();
}

// The candidate name was a type or a macro after all: it joins the text.
void demote(cpp_decl_t &d)
{
    if (!d.have_name)
        return;
    d.add_text(tag_rec.tr_name);
    d.have_name = false;
    d.ntype++;
    d.prev = PK_QUAL;  // a typedef name or a macro: not sure to be a type
}

void take_name(cpp_decl_t &d)
{
    demote(d);
    d.name_first = d.ntype == 0 && d.text->dl_len == 0;
    d.firm = d.prev == PK_TYPE;
    tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
    d.have_name = true;
    if (!d.based) {
        d.base_len = d.text->dl_len;
        d.based = true;
    }
}

void next_declarator(cpp_decl_t &d)
{
    d.have_name = false;
    d.name_first = false;
    if (d.based && d.base_len <= d.text->dl_len)
        d.text->dl_len = d.base_len;
    d.text->dl_str[d.text->dl_len] = '\0';
    d.prev = PK_TYPE;
}

// A declarator without parameter list: variable, member, typedef, local.
void emit_plain(cpp_decl_t &d)
{
    if (!d.have_name)
        return;
    d.have_name = false;
    if (d.ntype == 0 || d.quiet)
        return;  // "x = 1;", "x;": nothing declared
    int type = d.deftype;
    if (type == TT_DATA && d.is_static)
        type = TT_STATIC_VAR;
    cpp_emit(type, d.parent, d.type_text(), nullptr);
}

// "A::B::f", "A::~A": the qualified name continues after "::".
// Returns the token after it.
int qualified(cpp_decl_t &d)
{
    char prefix[TAG_NAME_SIZE];
    for (;;) {
        int u = cpp_next();
        bool tilde = false;
        if (u == KEY_TEMPLATE)  // "A::template B<T>"
            u = cpp_next();
        if (u == TOK_TILDE) {
            tilde = true;
            u = cpp_next();
        }
        if (u != TOK_SYMBOL) {
            // "A::*p" and the like: A:: belongs to the type.
            demote(d);
            d.add_text("::");
            return u;
        }
        wl_snprintf(prefix, sizeof prefix, "%s::%s", tag_rec.tr_name, tilde ? "~" : "");
        tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
        char joined[TAG_NAME_SIZE];
        wl_snprintf(joined, sizeof joined, "%s%s", prefix, tag_rec.tr_name);
        cpp_set_name(joined);
        int t = cpp_next();
        if (t == TOK_LT && cpp_st.cplusplus) {
            cpp_skip_angle();
            t = cpp_next();
        }
        if (t != TOK_SCOPE)
            return t;
    }
}

// "(" with no name yet: a declarator in parentheses such as "(*name)" or
// "(*name[4])".  The last identifier in it is the name.
void paren_declarator(cpp_decl_t &d)
{
    int depth = 1;
    for (;;) {
        int u = cpp_next();
        switch (u) {
        case TOK_EOF:
            return;
        case '(':
            if (d.have_name) {
                // "(*get(void))(int)": a function returning a pointer;
                // its own parameters are these.
                lex_collect_args(&cpp_st.args, 1);
                d.inner_params = true;
            } else {
                depth++;
            }
            break;
        case ')':
            if (--depth == 0)
                return;
            break;
        case '[':
        case '{':
            lex_skip_group(u);
            break;
        case ';':
        case '}':
            cpp_unget(u);
            return;
        case TOK_SYMBOL:
            if (cpp_attr_kind() == 1) {
                int v = cpp_next();
                if (v == '(')
                    lex_skip_group('(');
                else
                    cpp_unget(v);
            } else if (!cpp_is_special()) {
                d.prev = PK_TYPE;
                take_name(d);
            }
            break;
        default:
            break;
        }
    }
}

constexpr int kReadOn = -3;

// Whether a group read as text looks like a parameter list rather than
// the arguments of an annotation macro: "()", "(void)", "(u8 a, u8 b)",
// "(struct x *p)" against "(8)", "(\".text\")", "(1, 2)".
bool looks_like_params(const char *s)
{
    if (strcmp(s, "()") == 0 || strchr(s, '*') || strstr(s, "..."))
        return true;
    for (const char *p = s; p[0] && p[1] && p[2]; p++) {
        bool word_end = (p[0] >= 'a' && p[0] <= 'z') || (p[0] >= 'A' && p[0] <= 'Z') ||
                        (p[0] >= '0' && p[0] <= '9') || p[0] == '_';
        bool word_start = (p[2] >= 'a' && p[2] <= 'z') || (p[2] >= 'A' && p[2] <= 'Z') || p[2] == '_';
        if (word_end && p[1] == ' ' && word_start)
            return true;  // two words in a row: a type and a name
    }
    return strstr(s, "void") != nullptr;
}

// A "__" word right after a name that followed a type: an annotation
// ("int x __read_mostly;", "long y __aligned(8);"), or the real name after
// a qualifier macro ("void notrace __foo(int a) {").  Returns kReadOn with
// the next token in d.pending, or a parser result.
int after_name_word(cpp_decl_t &d, int t)
{
    thread_local tag_rec_t word;
    (void)t;
    tag_capture(&word, TAG_CAP_LINE | TAG_CAP_NAME);
    int u = cpp_next();
    if (u == ';' || u == ',' || u == TOK_EQUAL || u == '[' || u == ':') {
        d.pending = u;
        return kReadOn;
    }
    if (u != '(') {
        // Not an annotation: the word is the name.
        demote(d);
        tag_rec = word;
        d.have_name = true;
        d.name_first = false;
        d.firm = false;
        d.pending = u;
        return kReadOn;
    }
    dstr_t *args = &cpp_st.args;
    lex_collect_args(args, 1);
    int v = cpp_next();
    bool annotation = (v == ';' || v == ',' || v == TOK_EQUAL) && !looks_like_params(args->dl_str);
    if (annotation) {
        d.pending = v;
        return kReadOn;
    }
    demote(d);
    tag_rec = word;
    d.have_name = true;
    d.name_first = false;
    return cpp_function_end(d, v);
}

// C++ words that C code uses as names ("void *private;" in a header).
bool cxx_word(int t)
{
    switch (t) {
    case KEY_NEW: case KEY_DELETE: case KEY_THIS: case KEY_PRIVATE: case KEY_PROTECTED:
    case KEY_PUBLIC: case KEY_TEMPLATE: case KEY_NAMESPACE: case KEY_FRIEND: case KEY_TRY:
    case KEY_CATCH: case KEY_USING: case KEY_OVERLOAD:
        return true;
    default:
        return false;
    }
}

// A word standing alone before what starts a statement of its own.
bool bare_macro_before(const cpp_decl_t &d, int t)
{
    if (!d.have_name || !d.name_first)
        return false;
    if (t == '@' && cpp_st.objc)
        return true;
    return cpp_st.cplusplus && (t == KEY_PUBLIC || t == KEY_PRIVATE || t == KEY_PROTECTED ||
                                t == KEY_TEMPLATE || t == KEY_NAMESPACE || t == KEY_USING);
}

bool ends_declarator(int t)
{
    return t == ';' || t == ',' || t == '[' || t == TOK_EQUAL || t == ')' || t == ':' || t == '(';
}

} // namespace

int cpp_decl(cpp_decl_t &d, int t)
{
    for (;;) {
        switch (t) {
        case TOK_EOF:
            return TOK_EOF;
        case TOK_SYMBOL: {
            int kind = cpp_attr_kind();
            if (kind == 1) {
                int u = cpp_next();
                if (u == '(') {
                    lex_skip_group('(');
                    u = cpp_next();
                }
                t = u;
                continue;
            }
            if (kind == 2) {
                // typeof(x): a type with its group.
                demote(d);
                d.add(t);
                int u = cpp_next();
                if (u == '(') {
                    lex_match(d.text, '(');
                    u = cpp_next();
                }
                d.ntype++;
                d.prev = PK_TYPE;
                t = u;
                continue;
            }
            if (cpp_is_special()) {
                if (d.have_name) {
                    // "int f PROTO((int))": the group is f's list.
                    t = cpp_next();
                    continue;
                }
                // "DL_EXPORT(int) f(void)": part of the type.
                d.add(t);
                d.ntype++;
                int u = cpp_next();
                if (u == '(') {
                    lex_match(d.text, '(');
                    u = cpp_next();
                }
                t = u;
                continue;
            }
            if (d.have_name && d.firm && cpp_text_starts("__") && strncmp(tag_rec.tr_name, "__", 2) != 0) {
                int r = after_name_word(d, t);
                if (r == CPP_MORE_DECLARATORS) {
                    next_declarator(d);
                    t = cpp_next();
                    continue;
                }
                if (r != kReadOn)
                    return r;
                t = d.pending;
                continue;
            }
            take_name(d);
            t = cpp_next();
            continue;
        }
        case TOK_TILDE: {
            int u = cpp_next();
            if (u != TOK_SYMBOL) {
                t = u;
                continue;
            }
            take_name(d);
            char name[TAG_NAME_SIZE];
            wl_snprintf(name, sizeof name, "~%s", tag_rec.tr_name);
            cpp_set_name(name);
            t = cpp_next();
            continue;
        }
        case TOK_SCOPE:
            t = d.have_name ? qualified(d) : cpp_next();
            continue;
        case TOK_LT:
            // Template arguments, and the lightweight generics and
            // protocol lists of Objective-C (NSArray<NSString *> *a).
            if (!cpp_st.cplusplus && !cpp_st.objc)
                return abandon(d);
            cpp_skip_angle();
            t = cpp_next();
            continue;
        case '(':
            if (d.have_name) {
                // "u64 (*fn)(void)": the candidate was the type of a
                // declarator in parentheses.
                int u = cpp_next();
                if (u == TOK_STAR || u == TOK_XOR || u == TOK_AMP) {
                    demote(d);
                    d.inner_params = false;
                    paren_declarator(d);
                    t = cpp_next();
                    if (d.inner_params && d.have_name) {
                        int r = cpp_function_end(d, t);
                        if (r != CPP_MORE_DECLARATORS)
                            return r;
                        next_declarator(d);
                        t = cpp_next();
                        continue;
                    }
                    if (t == '(' && d.have_name) {
                        lex_skip_group('(');
                        t = cpp_next();
                    }
                    continue;
                }
                cpp_unget(u);
                int r = cpp_function_tail(d);
                if (r != CPP_MORE_DECLARATORS)
                    return r;
                next_declarator(d);
                t = cpp_next();
                continue;
            }
            if (d.ntype == 0 && d.text->dl_len == 0)
                return abandon(d);
            d.inner_params = false;
            paren_declarator(d);
            t = cpp_next();
            if (d.inner_params && d.have_name) {
                int r = cpp_function_end(d, t);
                if (r != CPP_MORE_DECLARATORS)
                    return r;
                next_declarator(d);
                t = cpp_next();
                continue;
            }
            if (t == '(' && d.have_name) {
                lex_skip_group('(');  // the pointed-to function's parameters
                t = cpp_next();
            }
            continue;
        case '[':
            lex_match(d.text, '[');
            t = cpp_next();
            continue;
        case TOK_EQUAL:
        case ':': {
            if (t == ':' && !(d.have_name && d.ntype > 0)) {
                if (d.ntype > 0)
                    return cpp_skip_to_semi();  // an unnamed bit-field
                d.have_name = false;
                return ':';  // a label
            }
            emit_plain(d);
            int u = cpp_skip_init(false);
            if (u == ',') {
                next_declarator(d);
                t = cpp_next();
                continue;
            }
            return u == TOK_EOF ? int(TOK_EOF) : int(';');
        }
        case ',':
            emit_plain(d);
            next_declarator(d);
            t = cpp_next();
            continue;
        case ';':
            emit_plain(d);
            return ';';
        case '{':
            if (d.have_name) {  // a braced initialiser
                lex_skip_group('{');
                t = cpp_next();
                continue;
            }
            return lex_skip_group('{') ? int(';') : int(TOK_EOF);
        case '}':
            cpp_unget(t);
            d.have_name = false;
            return ';';
        case KEY_STRUCT:
        case KEY_UNION:
        case KEY_CLASS:
            demote(d);
            return cpp_struct(t, d);
        case KEY_ENUM:
            demote(d);
            return cpp_enum(d);
        case KEY_TYPEDEF:
            d.deftype = TT_TYPEDEF;
            t = cpp_next();
            continue;
        case KEY_FRIEND: {
            // friend class X; declares nothing here.  An inline friend
            // definition is a function of the enclosing namespace.
            demote(d);
            int u = cpp_next();
            if (u == KEY_CLASS || u == KEY_STRUCT || u == KEY_UNION)
                return abandon(d);
            d.parent = -1;
            if (d.deftype == TT_MEMBER)
                d.deftype = TT_DATA;
            d.ntype++;
            d.prev = PK_QUAL;
            t = u;
            continue;
        }
        case KEY_ASM: {
            int u = cpp_next();
            while (u == KEY_VOLATILE || u == KEY_GOTO)
                u = cpp_next();
            if (u == '(') {
                lex_skip_group('(');
                u = cpp_next();
            }
            t = u;
            continue;
        }
        case TOK_STAR:
        case TOK_AMP:
        case TOK_ANDAND:
        case TOK_XOR:
            demote(d);
            d.add(t);
            d.prev = PK_TYPE;
            t = cpp_next();
            continue;
        default:
            if (cpp_is_type_kw(t) || cpp_is_qualifier(t)) {
                demote(d);
                if (t == KEY_STATIC)
                    d.is_static = true;
                d.add(t);
                d.ntype++;
                d.prev = cpp_is_type_kw(t) ? PK_TYPE : PK_QUAL;
                t = cpp_next();
                continue;
            }
            if (bare_macro_before(d, t)) {
                // "Q_OBJECT" then "public:", a macro line before
                // "@interface": the word was a macro on a line of its own.
                d.have_name = false;
                cpp_unget(t);
                return ';';
            }
            if (cpp_st.cplusplus && cxx_word(t) && d.prev == PK_TYPE && !d.have_name) {
                take_name(d);
                int u = cpp_next();
                if (ends_declarator(u)) {
                    t = u;
                    continue;
                }
                d.have_name = false;
                cpp_unget(u);
            }
            return abandon(d);
        }
    }
}
