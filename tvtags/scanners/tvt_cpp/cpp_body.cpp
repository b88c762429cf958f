// Function bodies and the skipping readers of the C-family parsers.  The
// skippers stop at an unmatched "}" and push it back, so that a statement
// cut short never runs past the end of the body or aggregate around it.
#include "cpp_internal.h"
#include "wrenlib/fmt.h"

int cpp_skip_to_semi()
{
    for (;;) {
        int t = cpp_next();
        switch (t) {
        case ';':
            return ';';
        case TOK_EOF:
            return TOK_EOF;
        case '}':
            cpp_unget(t);
            return ';';
        case '(':
        case '[':
        case '{':
            if (lex_skip_group(t) == TOK_EOF)
                return TOK_EOF;
            break;
        default:
            break;
        }
    }
}

int cpp_skip_init(bool in_enum)
{
    for (;;) {
        int t = cpp_next();
        switch (t) {
        case ',':
        case TOK_EOF:
            return t;
        case ';':
            if (!in_enum)
                return t;
            break;
        case '}':
            if (!in_enum)
                cpp_unget(t);
            return '}';
        case '(':
        case '[':
        case '{':
            if (lex_skip_group(t) == TOK_EOF)
                return TOK_EOF;
            break;
        default:
            break;
        }
    }
}

void cpp_skip_angle()
{
    int depth = 1;
    while (depth > 0) {
        int t = cpp_next();
        switch (t) {
        case TOK_EOF:
            return;
        case TOK_LT:
            depth++;
            break;
        case TOK_GT:
            depth--;
            break;
        case TOK_SHR:
            depth -= 2;
            break;
        case '(':
        case '[':
            lex_skip_group(t);
            break;
        case ';':
        case '{':
        case '}':
            cpp_unget(t);
            return;
        default:
            break;
        }
    }
}

namespace {

// Runs a parser on the declaration that starts with t, with directives
// handled as outside a group (LEX_MATCHING off).
int local_type(int parent, int t)
{
    lex_t &x = lex_ctx;
    uint32_t saved = x.lx_flags & LEX_MATCHING;
    x.lx_flags &= ~uint32_t(LEX_MATCHING);
    cpp_decl_t d(parent, TT_LOCAL);
    d.quiet = t != KEY_TYPEDEF && t != KEY_USING;  // "} x;": a local variable
    int r;
    if (t == KEY_TYPEDEF)
        r = cpp_typedef(d);
    else if (t == KEY_USING)
        r = cpp_using(d);
    else if (t == KEY_ENUM)
        r = cpp_enum(d);
    else
        r = cpp_struct(t, d);
    x.lx_flags |= saved;
    return r;
}

// After struct, class, union or enum inside a body: whether a named
// definition follows (a name, then "{", ":" or "final"), the tokens read
// pushed back.
bool defines_type(int kw)
{
    int u = cpp_next();
    if (kw == KEY_ENUM && (u == KEY_CLASS || u == KEY_STRUCT)) {
        cpp_unget(u);
        return true;
    }
    if (u != TOK_SYMBOL) {
        cpp_unget(u);
        return false;  // an anonymous type names nothing to look up
    }
    thread_local char name[TAG_NAME_SIZE];
    wl_strlcpy(name, lex_ctx.lx_text.dl_str, sizeof name);
    int v = cpp_next();
    bool yes = v == '{' || v == ':' || (v == TOK_SYMBOL && cpp_text_is("final"));
    cpp_unget2(TOK_SYMBOL, name, v);
    return yes;
}

// A C++ body with locals off: stepped over like a matched group (the
// first branch of a conditional counts), but the types it declares
// (typedefs, using aliases, local classes and enumerations) are tagged
// with the function as parent, as they name something a reader looks up.
void walk_body(int parent)
{
    lex_t &x = lex_ctx;
    uint32_t saved = x.lx_flags & LEX_MATCHING;
    x.lx_flags |= LEX_MATCHING;
    int depth = 1;
    bool alt = false;  // in an #else or #elif branch
    int alt_nest = 0;
    bool start = true;  // at the start of a statement
    for (;;) {
        int t = lex_token();
        if (t == TOK_EOF)
            break;
        if (t == TOK_HASH_IF) {
            if (alt)
                alt_nest++;
            continue;
        }
        if (t == TOK_HASH_ELSE || t == TOK_HASH_ELIF) {
            if (!alt) {
                alt = true;
                alt_nest = 0;
            }
            continue;
        }
        if (t == TOK_HASH_ENDIF) {
            if (alt && alt_nest-- == 0)
                alt = false;
            continue;
        }
        if (t == TOK_SYMBOL)
            tag_xref();
        if (alt)
            continue;
        bool was_start = start;
        start = t == ';' || t == '{' || t == '}';
        if (t == '{') {
            depth++;
        } else if (t == '}') {
            if (--depth == 0)
                break;
        } else if (t == KEY_TYPEDEF || t == KEY_USING ||
                   (was_start && (t == KEY_STRUCT || t == KEY_CLASS || t == KEY_UNION || t == KEY_ENUM) &&
                    defines_type(t))) {
            if (local_type(parent, t) == TOK_EOF)
                break;
            start = true;
        }
    }
    x.lx_flags = (x.lx_flags & ~uint32_t(LEX_MATCHING)) | saved;
}

} // namespace

void cpp_body(int parent)
{
    // Without locals the body is matched as a whole; the match keeps
    // conditional compilation balanced.
    if (!tvt_opt.locals || cpp_st.nest >= CPP_MAX_NEST) {
        if (cpp_st.cplusplus && cpp_st.nest < CPP_MAX_NEST) {
            cpp_nest_guard_t guard;
            walk_body(parent);
        } else {
            lex_skip_group('{');
        }
        return;
    }
    lex_ctx.lx_depth++;
    for (;;) {
        int r = cpp_statement(parent, TT_LOCAL);
        if (r == '}' || r == TOK_EOF || r == 257)
            break;
    }
    lex_ctx.lx_depth--;
}
