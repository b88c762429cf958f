// The skipping readers of the Java family.  They read through the
// family's token reader, so that text blocks, verbatim strings and the
// code boundaries of pages are seen while a body is skipped too; and they
// stop at an unmatched "}" and push it back, so that a declaration cut
// short never runs past the body around it.
#include "java_internal.h"

namespace {

int closer_of(int open)
{
    switch (open) {
    case '(': return ')';
    case '[': return ']';
    default: return '}';
    }
}

// Brackets matched as the shared matcher does: conditional branches of
// C# code keep the count of the branch before them.
int match(int open, dstr_t *text)
{
    int close = closer_of(open);
    lex_t &x = lex_ctx;
    uint32_t saved = x.lx_flags & LEX_MATCHING;
    x.lx_flags |= LEX_MATCHING;
    int depth = 1, cond = 0, cond_depth = 0, alt_nest = 0;
    bool alt = false;
    int t;
    for (;;) {
        t = jv_next();
        if (t == TOK_EOF)
            break;
        if (text)
            lex_append_token(text, t);
        switch (t) {
        case TOK_HASH_IF:
            if (alt)
                alt_nest++;
            else if (cond++ == 0)
                cond_depth = depth;
            continue;
        case TOK_HASH_ELSE:
        case TOK_HASH_ELIF:
            if (!alt && cond == 0) {
                alt = true;
                alt_nest = 0;
            }
            continue;
        case TOK_HASH_ENDIF:
            if (alt) {
                if (alt_nest > 0)
                    alt_nest--;
                else
                    alt = false;
            } else if (cond > 0 && --cond == 0) {
                depth = cond_depth;
            }
            continue;
        case TOK_SYMBOL:
            tag_xref();
            continue;
        default:
            break;
        }
        if (alt)
            continue;
        if (t == open)
            depth++;
        else if (t == close && --depth == 0)
            break;
    }
    x.lx_flags = (x.lx_flags & ~uint32_t(LEX_MATCHING)) | saved;
    if (text && text->dl_str)
        text->dl_str[text->dl_len] = '\0';
    return t;
}

} // namespace

int jv_skip_block()
{
    return match('{', nullptr);
}

int jv_skip_group(int open)
{
    return match(open, nullptr);
}

void jv_skip_angle(dstr_t *text)
{
    if (text)
        lex_append_token(text, TOK_LT);
    int depth = 1;
    while (depth > 0) {
        int t = jv_next();
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
            if (text)
                lex_append_token(text, t);
            match(t, text);
            continue;
        case '@':
            jv_skip_annotation();
            continue;
        case ';':
        case '{':
        case '}':
        case ')':
        case TOK_EQUAL:
            jv_unget(t);
            return;
        default:
            break;
        }
        if (text)
            lex_append_token(text, t);
    }
}

void jv_skip_annotation()
{
    int t = jv_next();
    if (!jv_is_word(t)) {
        jv_unget(t);
        return;
    }
    for (;;) {
        t = jv_next();
        if (t != TOK_DOT)
            break;
        t = jv_next();
        if (!jv_is_word(t))
            break;
    }
    if (t == '(')
        match('(', nullptr);
    else
        jv_unget(t);
}

int jv_skip_to_semi()
{
    for (;;) {
        int t = jv_next();
        switch (t) {
        case ';':
        case TOK_EOF:
            return t;
        case '}':
            jv_unget(t);
            return ';';
        case '(':
        case '[':
        case '{':
            if (match(t, nullptr) == TOK_EOF)
                return TOK_EOF;
            break;
        default:
            break;
        }
    }
}

int jv_skip_init()
{
    // Type arguments in the initialiser ("new HashMap<K, V>()") hold
    // commas that separate no declarators; a "<" right after a word opens
    // them, and anything a type cannot hold closes them again.
    int angle = 0;
    int prev = 0;
    for (;;) {
        int t = jv_next();
        switch (t) {
        case ',':
            if (angle == 0)
                return t;
            break;
        case ';':
        case TOK_EOF:
            return t;
        case '}':
            jv_unget(t);
            return ';';
        case '(':
        case '[':
        case '{':
            if (match(t, nullptr) == TOK_EOF)
                return TOK_EOF;
            angle = 0;
            break;
        case TOK_LT:
            if (jv_is_word(prev) || (angle > 0 && prev == ','))
                angle++;
            else
                angle = 0;
            break;
        case TOK_GT:
            if (angle > 0)
                angle--;
            break;
        case TOK_SHR:
            angle = angle > 2 ? angle - 2 : 0;
            break;
        case TOK_DOT: case '?': case '&': case TOK_AMP: case '@':
            break;
        default:
            if (!jv_is_word(t))
                angle = 0;
            break;
        }
        prev = t;
    }
}

int jv_collect_args(dstr_t *text)
{
    if (!text->dl_str)
        dstr_init(text, 64);
    dstr_clear(text);
    lex_append_token(text, '(');
    int depth = 1;
    int t;
    for (;;) {
        t = jv_next();
        if (t == TOK_EOF)
            break;
        if (t == ';' || (t == '{' && depth == 1) || t == '}') {
            jv_unget(t);
            break;
        }
        if (t == '[' || t == '{') {
            lex_append_token(text, t);
            match(t, text);
            continue;
        }
        lex_append_token(text, t);
        if (t == '(')
            depth++;
        else if (t == ')' && --depth == 0)
            break;
    }
    text->dl_str[text->dl_len] = '\0';
    return t;
}

void jv_body(int parent)
{
    if (!tvt_opt.locals || jv_st.nest >= JV_MAX_NEST) {
        jv_skip_block();
        return;
    }
    jv_nest_guard_t guard;
    lex_ctx.lx_depth++;
    for (;;) {
        int r = jv_statement(parent, TT_LOCAL);
        if (r == '}' || r == TOK_EOF || r == 257)
            break;
    }
    lex_ctx.lx_depth--;
}
