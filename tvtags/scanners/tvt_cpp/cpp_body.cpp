// Function bodies and the skipping readers of the C-family parsers.  The
// skippers stop at an unmatched "}" and push it back, so that a statement
// cut short never runs past the end of the body or aggregate around it.
#include "cpp_internal.h"

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

void cpp_body(int parent)
{
    // Without locals the body is matched as a whole; the match keeps
    // conditional compilation balanced.
    if (!tvt_opt.locals || cpp_st.nest >= CPP_MAX_NEST) {
        lex_skip_group('{');
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
