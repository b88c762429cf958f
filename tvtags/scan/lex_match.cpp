// Token-level helpers of the scanners: pushed-back tokens, printable
// token names, bracket matching with conditional balancing, the skipping
// readers and the small character readers.
#include <cstring>

#include "lex_internal.h"
#include "tvt_settings.h"
#include "tvt_tag.h"
#include "wrenlib/fmt.h"

namespace {

struct token_name_t {
    int code;
    const char *name;
};

constexpr token_name_t kTokenNames[] = {
    {260, "&"}, {261, "&="}, {262, "->"}, {263, "&&"}, {264, "::"}, {265, "~"},
    {267, "||"}, {268, "/"}, {269, "/="}, {270, "."}, {271, "="}, {273, "=="},
    {274, ">="}, {275, ">"}, {276, "<="}, {277, "<<"}, {278, "<<="}, {279, "<"},
    {280, "-"}, {281, "-="}, {282, "--"}, {283, "%"}, {284, "%="}, {285, "*"},
    {286, "*="}, {287, "!="}, {288, "!"}, {289, "|"}, {290, "|="}, {291, "+"},
    {292, "+="}, {293, "++"}, {296, ">>"}, {297, ">>="}, {298, "-"}, {299, "+"},
    {300, "^"}, {301, "^="}, {307, "#else"}, {308, "#endif"}, {309, "#elif"},
    {315, "<float>"}, {316, "<int>"}, {318, "<string>"}, {319, "<symbol>"},
    {320, "<typedef>"},
};

const char *builtin_name(int t)
{
    for (const token_name_t &n : kTokenNames)
        if (n.code == t)
            return n.name;
    return nullptr;
}

const char *table_name(const keyword_t *tab, int t, int nest)
{
    if (!tab || nest > 8)
        return nullptr;
    for (int i = 0; tab[i].kw_name; i++) {
        if (tab[i].kw_flags & KW_TABLE) {
            const char *s = table_name(reinterpret_cast<const keyword_t *>(tab[i].kw_name), t, nest + 1);
            if (s)
                return s;
        } else if (tab[i].kw_code == t) {
            return tab[i].kw_name;
        }
    }
    return nullptr;
}

int closer_of(int open)
{
    switch (open) {
    case '(': return ')';
    case '[': return ']';
    case '{': return '}';
    case KEY_BEGIN: return KEY_END;
    default: return 0;
    }
}

inline bool is_open(int t) { return t == '(' || t == '[' || t == '{'; }
inline bool is_close(int t) { return t == ')' || t == ']' || t == '}'; }

void copy_text(dstr_t *to, const dstr_t *from)
{
    if (!to->dl_str)
        dstr_init(to, from->dl_len + 16);
    dstr_clear(to);
    dstr_add_mem(to, from->dl_str, from->dl_len);
}

inline void keep_terminated(dstr_t *d)
{
    if (d->dl_str)
        d->dl_str[d->dl_len] = '\0';
}

} // namespace

extern "C" {

void lex_unget_token(int t)
{
    lex_t &x = lex_ctx;
    if (x.lx_nstack == 2) {
        // The oldest is dropped; its text buffer is reused for the new one.
        lex_pushed_t oldest = x.lx_stack[0];
        x.lx_stack[0] = x.lx_stack[1];
        x.lx_stack[1] = oldest;
        x.lx_nstack = 1;
    }
    lex_pushed_t &p = x.lx_stack[x.lx_nstack++];
    p.lp_token = t;
    p.lp_line = x.lx_tok_line;
    p.lp_column = x.lx_tok_column;
    p.lp_int = x.lx_int;
    p.lp_float = x.lx_float;
    copy_text(&p.lp_text, &x.lx_text);
}

const char *lex_token_text(int t)
{
    thread_local char buf[64];
    const lex_t &x = lex_ctx;
    if (t == TOK_SYMBOL) {
        int n = x.lx_text.dl_str ? x.lx_text.dl_len : 0;
        if (n > 48)
            n = 48;
        wl_snprintf(buf, sizeof buf, "<symbol:%.*s>", n, n ? x.lx_text.dl_str : "");
        return buf;
    }
    if (t >= 256) {
        const char *s = table_name(x.lx_names, t, 0);
        if (!s)
            s = builtin_name(t);
        if (s)
            wl_snprintf(buf, sizeof buf, "%s", s);
        else
            wl_snprintf(buf, sizeof buf, "<token:%d>", t);
        return buf;
    }
    buf[0] = char(t);
    buf[1] = '\0';
    return buf;
}

int lex_match(dstr_t *text, int open)
{
    int close = closer_of(open);
    if (!close)
        return 0;
    lex_t &x = lex_ctx;
    uint32_t saved = x.lx_flags & LEX_MATCHING;
    x.lx_flags |= LEX_MATCHING;
    if (text)
        lex_append_token(text, open);

    int depth = 1;
    int cond = 0, cond_depth = 0;
    // An #else or #elif whose #if lies before the group: the braces of the
    // alternative branches are not counted, so that two variants of one
    // function head do not leave the body open.  Under LEX_FIRST_BRANCH
    // the same holds for conditionals inside the group: only the first
    // branch counts, as branches that each open a brace ("if (a) {" /
    // "#else" / "if (b) {") share the one closing brace after #endif.
    bool alt = false;
    int alt_nest = 0;
    bool first_only = (x.lx_flags & LEX_FIRST_BRANCH) != 0;
    // A bracketed group whose words neither go into a text nor become
    // cross-references is read without looking its words up.
    bool plain = !text && open != KEY_BEGIN && tvt_opt.xref != 1;
    int t;
    for (;;) {
        t = plain ? lex_skip_token() : lex_token();
        if (t == TOK_EOF)
            break;
        if (text)
            lex_append_token(text, t);
        if (t == TOK_HASH_IF) {
            if (alt)
                alt_nest++;
            else if (cond++ == 0)
                cond_depth = depth;
            continue;
        }
        if (t == TOK_HASH_ELSE || t == TOK_HASH_ELIF) {
            if (!alt && (cond == 0 || first_only)) {
                alt = true;
                alt_nest = 0;
            }
            continue;
        }
        if (t == TOK_HASH_ENDIF) {
            if (alt) {
                if (alt_nest > 0)
                    alt_nest--;
                else {
                    alt = false;
                    if (first_only && cond > 0)
                        cond--;  // the #endif of an #if inside the group
                }
            } else if (cond > 0 && --cond == 0 && !first_only) {
                depth = cond_depth;
            }
            continue;
        }
        if (t == TOK_SYMBOL) {
            tag_xref();
            continue;
        }
        if (alt)
            continue;
        if (t == open)
            depth++;
        else if (t == close && --depth == 0)
            break;
    }
    x.lx_flags = (x.lx_flags & ~uint32_t(LEX_MATCHING)) | saved;
    if (text)
        keep_terminated(text);
    return t;
}

int lex_skip_group(int open)
{
    return lex_match(nullptr, open);
}

int lex_skip_to(int t)
{
    for (;;) {
        int u = lex_next();
        if (u == t || u == TOK_EOF)
            return u;
        if (is_open(u) && lex_skip_group(u) == TOK_EOF)
            return TOK_EOF;
    }
}

int lex_skip_to_any(int t, const int *list)
{
    for (;;) {
        int u = lex_next();
        if (u == t || u == TOK_EOF)
            return u;
        for (const int *l = list; l && *l; l++)
            if (*l == u) {
                lex_unget_token(u);
                return u;
            }
        if (is_close(u)) {
            lex_unget_token(u);
            return u;
        }
        if (is_open(u) && lex_skip_group(u) == TOK_EOF)
            return TOK_EOF;
    }
}

int lex_skip_statement(int t1, int t2)
{
    for (;;) {
        int u = lex_next();
        if (u == ';' || u == t1 || u == t2 || u == TOK_HASH_ENDIF || u == TOK_EOF)
            return u;
        if (is_open(u) && lex_skip_group(u) == TOK_EOF)
            return TOK_EOF;
    }
}

int lex_collect_args(dstr_t *text, int have_open)
{
    if (!have_open) {
        int t = lex_next();
        if (t != '(') {
            lex_unget_token(t);
            return 0;
        }
    }
    if (text->dl_str)
        dstr_clear(text);
    else
        dstr_init(text, 64);
    lex_match(text, '(');
    keep_terminated(text);
    return 1;
}

void lex_append_token(dstr_t *text, int t)
{
    if (t <= 0)
        return;
    if (!text->dl_str)
        dstr_init(text, 64);
    if (t < 256) {
        dstr_add_char(text, t);
    } else {
        if (text->dl_len > 0) {
            char last = text->dl_str[text->dl_len - 1];
            if (last != ' ' && last != '\t' && last != '\n' && last != '[' && last != '(')
                dstr_add_char(text, ' ');
        }
        const dstr_t &tt = lex_ctx.lx_text;
        if (tt.dl_len > 0)
            dstr_add_mem(text, tt.dl_str, tt.dl_len);
    }
    keep_terminated(text);
}

int lex_read_delimited(int twice)
{
    int delim = gc();
    text_clear();
    if (delim == 0)
        return 0;
    text_add(delim);
    for (int part = twice ? 2 : 1; part > 0;) {
        int c = gc();
        if (c == 0)
            break;
        text_add(c);
        if (c == '\\') {
            int d = gc();
            if (d == 0)
                break;
            text_add(d);
        } else if (c == delim) {
            part--;
        }
    }
    return KEY_S;
}

int lex_read_upto(int c)
{
    text_clear();
    for (;;) {
        int d = gc();
        if (d == c)
            return c;
        if (d == 0)
            return 0;
        if (d == '\n') {
            ugc(d);
            return '\n';
        }
        text_add(d);
    }
}

int lex_read_word(void)
{
    int c;
    do
        c = gc();
    while (lex_cls(c) & CC_BLANK);
    text_clear();
    if (lex_cls(c) & CC_IDSTART) {
        while (lex_cls(c) & (CC_IDENT | CC_DIGIT)) {
            text_add(c);
            const char *run;
            int n = take_class_run(CC_IDENT | CC_DIGIT, &run);
            text_append(run, n);
            c = gc();
        }
    }
    ugc(c);
    return lex_ctx.lx_text.dl_len;
}

int lex_peek_char(void)
{
    int c;
    do
        c = gc();
    while (lex_cls(c) & CC_BLANK);
    ugc(c);
    return c;
}

} // extern "C"
