// TIP info files: elements and entities with their nested declarations,
// the functions of function blocks with their argument texts, and
// attributes, which may name a stored attribute list.
#include <cstring>
#include <string>
#include <vector>

#include "mk_internal.h"

namespace {

const keyword_t kw_tip[] = {
    {"attribute", KEY_ATTRIBUTE, 0}, {"attribute_list", KEY_ATTR_WORD, 0},
    {"element", KEY_ELEMENT, 0},     {"entity", KEY_ENTITY, 0},
    {"entry", KEY_ENTRY, 0},         {"function", KEY_FUNCTION, 0},
    {"private", KEY_PRIVATE, 0},     KW_END,
};

lang_desc_t desc_tip = {LANG_TIP, kw_tip, nullptr, nullptr, nullptr, nullptr,
                        LEX_CPP | LEX_C_COMMENT | LEX_CPP_COMMENT, nullptr, nullptr};

constexpr int kMaxNest = 64;

struct tip_attr_t {
    std::string name;
    int line;
};

struct tip_list_t {
    std::string name;
    std::vector<tip_attr_t> attrs;
};

struct tip_state_t {
    std::vector<tip_list_t> lists;   // the attribute lists of the file
    int nest = 0;
};

thread_local tip_state_t st;

bool is_name(int t) { return t == TOK_SYMBOL || t == TOK_STRING || t >= KEY_ABSTRACT; }

int emit(int type, int parent)
{
    tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME | TAG_CAP_UNQUOTE);
    tag_rec.tr_parent = parent;
    TAG_TRACE(type, &tag_rec);
    return tag_add(type, &tag_rec);
}

std::string token_word()
{
    const dstr_t &t = lex_ctx.lx_text;
    std::string s(t.dl_str ? t.dl_str : "", t.dl_str ? strnlen(t.dl_str, size_t(t.dl_len)) : 0);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = s.substr(1, s.size() - 2);
    return s;
}

void declarations(int parent);

// After "element" or "entity".
void named_block(int type, int parent)
{
    int t = lex_next();
    if (!is_name(t)) {
        lex_unget_token(t);
        return;
    }
    int h = emit(type, parent);
    t = lex_next();
    if (t == '{') {
        if (st.nest < kMaxNest) {
            st.nest++;
            declarations(h);
            st.nest--;
        } else {
            lex_skip_group('{');
        }
        return;
    }
    for (; t != TOK_EOF && t != ';' && t != '}'; t = lex_next())
        if (t == TOK_SYMBOL)
            emit(type, parent);
    if (t == '}')
        lex_unget_token(t);
}

void attribute_list()
{
    if (lex_next() != TOK_SYMBOL)
        return;
    tip_list_t list{token_word(), {}};
    if (lex_next() != '{')
        return;
    int t;
    for (t = lex_next(); t != TOK_EOF && t != '}'; t = lex_next())
        if (t == TOK_SYMBOL || t == TOK_STRING)
            list.attrs.push_back({token_word(), lex_ctx.lx_lineno});
    st.lists.push_back(std::move(list));
}

void insert_list(int parent)
{
    if (lex_next() != TOK_SYMBOL)
        return;
    std::string name = token_word();
    for (const tip_list_t &l : st.lists)
        if (l.name == name) {
            for (const tip_attr_t &a : l.attrs) {
                tag_capture(&tag_rec, TAG_CAP_LINE);
                mk_set_name(&tag_rec, a.name.data(), int(a.name.size()));
                tag_rec.tr_line = a.line;
                tag_rec.tr_parent = parent;
                TAG_TRACE(TT_ATTRIBUTE, &tag_rec);
                tag_add(TT_ATTRIBUTE, &tag_rec);
            }
            return;
        }
    lex_error("tags:tip: Cannot locate attribute list %s", name.c_str());
}

void attributes(int parent)
{
    for (int t = lex_next(); t != TOK_EOF && t != ';' && t != '}'; t = lex_next()) {
        if (t == '*' || t == TOK_STAR)
            insert_list(parent);
        else if (t == TOK_SYMBOL || t == TOK_STRING)
            emit(TT_ATTRIBUTE, parent);
    }
}

// One statement of a function block: its first word is the function, the
// rest its argument text.
void function_statement(int parent)
{
    tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME | TAG_CAP_UNQUOTE);
    tag_rec_t at = tag_rec;
    dstr_t args;
    dstr_init(&args, 64);
    int t;
    for (t = lex_next(); t != TOK_EOF && t != ';' && t != '}'; t = lex_next()) {
        if (args.dl_len > 0)
            dstr_add_char(&args, ' ');
        if (t < 256) {
            dstr_add_char(&args, t);
        } else {
            const dstr_t &x = lex_ctx.lx_text;
            if (x.dl_str)
                dstr_add_mem(&args, x.dl_str, int(strnlen(x.dl_str, size_t(x.dl_len))));
        }
    }
    if (t == '}')
        lex_unget_token(t);
    tag_rec = at;
    tag_rec.tr_parent = parent;
    tag_add_text(TT_FUNCTION, parent, nullptr, nullptr, &args);
}

void function_block(int parent)
{
    lex_next();     // the block's name, not a tag of its own
    lex_next();     // its opening brace
    for (int t = lex_next(); t != TOK_EOF && t != '}'; t = lex_next()) {
        if (t == KEY_ENTRY || t == ';')
            continue;
        if (t == KEY_ENTITY)
            named_block(TT_ENTITY, parent);
        else
            function_statement(parent);
    }
}

void declaration(int t, int parent)
{
    switch (t) {
    case KEY_ATTR_WORD: attribute_list(); break;
    case KEY_ELEMENT: named_block(TT_ELEMENT, parent); break;
    case KEY_ENTITY: named_block(TT_ENTITY, parent); break;
    case KEY_FUNCTION: function_block(parent); break;
    case KEY_ATTRIBUTE: attributes(parent); break;
    default: break;
    }
}

void declarations(int parent)
{
    for (int t = lex_next(); t != TOK_EOF && t != '}'; t = lex_next())
        declaration(t, parent);
}

} // namespace

extern "C" int tvt_tip_scan(void)
{
    lex_init(&desc_tip);
    st.lists.clear();
    st.nest = 0;
    for (int t = lex_next(); t != TOK_EOF; t = lex_next())
        declaration(t, -1);
    st.lists.clear();
    st.lists.shrink_to_fit();
    return 0;
}
