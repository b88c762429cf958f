// The class parser of the Java family: classes, interfaces, annotation
// types, records, C# structures, and enumerations with their constants.
// The header is read up to the body; then the members are parsed with the
// type as their parent.
#include <cstring>
#include <vector>

#include "java_internal.h"
#include "wrenlib/fmt.h"

namespace {

// Record components are read before the record is emitted, so their
// records wait here.
std::vector<tag_rec_t> &components()
{
    thread_local std::vector<tag_rec_t> v;
    return v;
}

// A list of dotted type names after extends, implements or ":"; each is
// added to the inheritance list when add is set.  Returns the token after
// the list.
int read_bases(bool add)
{
    char name[TAG_NAME_SIZE];
    name[0] = '\0';
    size_t len = 0;
    auto flush = [&]() {
        if (add && len > 0)
            inh_add(name);
        len = 0;
        name[0] = '\0';
    };
    int prev = 0;
    for (;;) {
        int t = jv_next();
        if (jv_is_word(t) && (prev == 0 || prev == TOK_DOT || prev == ',')) {
            if (jv_st.csharp && jv_text_is("where") && prev != TOK_DOT) {
                flush();
                return t;
            }
            size_t n = size_t(lex_ctx.lx_text.dl_len);
            if (len + n < sizeof name - 1) {
                memcpy(name + len, lex_ctx.lx_text.dl_str, n);
                len += n;
                name[len] = '\0';
            }
            prev = TOK_SYMBOL;
            continue;
        }
        switch (t) {
        case TOK_DOT:
            if (len + 1 < sizeof name - 1) {
                name[len++] = '.';
                name[len] = '\0';
            }
            prev = t;
            continue;
        case ',':
            flush();
            prev = t;
            continue;
        case TOK_LT:
            jv_skip_angle(nullptr);
            continue;
        case '@':
            jv_skip_annotation();
            continue;
        case '(':  // C# record bases with arguments
            jv_skip_group('(');
            continue;
        default:
            flush();
            return t;
        }
    }
}

// (int x, @A List<String> y): the last word before each "," or ")" at
// the top of the list is a component.
int read_components()
{
    components().clear();
    int depth = 1;
    bool have = false;
    tag_rec_t cand = {};
    for (;;) {
        int t = jv_next();
        switch (t) {
        case TOK_EOF:
            return t;
        case '(':
            depth++;
            continue;
        case ')':
            if (--depth > 0)
                continue;
            if (have)
                components().push_back(cand);
            return ')';
        case ',':
            if (depth == 1 && have)
                components().push_back(cand);
            have = false;
            continue;
        case TOK_LT:
            jv_skip_angle(nullptr);
            continue;
        case '@':
            jv_skip_annotation();
            continue;
        case '[':
        case '{':
            jv_skip_group(t);
            continue;
        case TOK_EQUAL:  // a C# default value
            if (have)
                components().push_back(cand);
            have = false;
            depth = jv_skip_init() == ',' ? 1 : depth;
            if (depth == 1)
                continue;
            return t;
        case ';':
        case '}':
            jv_unget(t);
            return t;
        default:
            if (depth == 1 && t == TOK_SYMBOL) {
                tag_capture(&cand, TAG_CAP_LINE | TAG_CAP_NAME);
                have = true;
            }
            continue;
        }
    }
}

// The members between "{" and "}".
int members(int h)
{
    if (jv_st.nest >= JV_MAX_NEST)
        return jv_skip_block();
    jv_nest_guard_t guard;
    tag_level_up();
    lex_ctx.lx_depth++;
    int r;
    do
        r = jv_statement(h, TT_MEMBER);
    while (r != '}' && r != TOK_EOF);
    lex_ctx.lx_depth--;
    tag_level_down();
    return r;
}

void emit_components(int h)
{
    thread_local tag_rec_t saved;
    saved = tag_rec;
    for (const tag_rec_t &c : components()) {
        tag_rec = c;
        jv_emit(TT_MEMBER, h, nullptr, nullptr);
    }
    tag_rec = saved;
    components().clear();
}

} // namespace

int jv_class(int kind, int parent, bool named)
{
    int t;
    if (!named) {
        t = jv_next();
        if (!jv_is_word(t)) {
            jv_unget(t);
            return ';';
        }
        tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
    }
    // A record's components, and the record tag itself, wait for the end
    // of its header; the tag record is kept aside while they are read.
    thread_local tag_rec_t head[JV_MAX_NEST + 4];
    tag_rec_t &me = head[jv_st.nest < JV_MAX_NEST ? jv_st.nest : JV_MAX_NEST];
    me = tag_rec;
    bool have_components = false;
    inh_push();
    for (;;) {
        t = jv_next();
        switch (t) {
        case TOK_LT:
            jv_skip_angle(nullptr);
            continue;
        case '(':
            t = read_components();
            have_components = true;
            if (t == TOK_EOF)
                break;
            continue;
        case KEY_EXTENDS:
        case KEY_IMPLEMENTS:
        case ':':
            t = read_bases(true);
            jv_unget(t);
            continue;
        case KEY_THROWS:
            continue;
        case TOK_SYMBOL:
            if (jv_text_is("permits")) {
                jv_unget(read_bases(false));
                continue;
            }
            if (jv_st.csharp && jv_text_is("where")) {
                // constraints: up to the body
                for (t = jv_next(); t != '{' && t != ';' && t != TOK_EOF && t != '}'; t = jv_next())
                    if (t == '(' || t == '[')
                        jv_skip_group(t);
                jv_unget(t);
                continue;
            }
            break;
        default:
            break;
        }
        break;
    }
    if (t != '{' && !(t == ';' && have_components)) {
        inh_pop(0);
        components().clear();
        if (t == ';' || t == '}')
            jv_unget(t);
        return ';';
    }
    tag_rec = me;
    Head_p bases = inh_current();
    if (bases && ll_first(bases))
        tag_rec.tr_inherit = bases;
    int h = jv_emit(kind, parent, nullptr, nullptr);
    if (have_components)
        emit_components(h);
    int r = t == '{' ? members(h) : ';';
    inh_pop(0);
    return r == TOK_EOF ? int(TOK_EOF) : int(';');
}

int jv_enum(int parent)
{
    int t = jv_next();
    if (t == KEY_CLASS || (t == TOK_SYMBOL && jv_text_is("struct")))
        t = jv_next();  // C++/CLI spellings
    if (!jv_is_word(t)) {
        jv_unget(t);
        return ';';
    }
    tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
    thread_local tag_rec_t head;
    head = tag_rec;
    inh_push();
    t = jv_next();
    if (t == KEY_IMPLEMENTS || t == ':')
        t = read_bases(true);
    if (t != '{') {
        inh_pop(0);
        jv_unget(t);
        return ';';
    }
    tag_rec = head;
    Head_p bases = inh_current();
    if (bases && ll_first(bases))
        tag_rec.tr_inherit = bases;
    int h = jv_emit(TT_ENUM, parent, nullptr, nullptr);
    tag_level_up();
    lex_ctx.lx_depth++;
    // The constants: a name, optional arguments, an optional body, up to
    // "," ; or "}".
    bool at_member = true;
    int r = ';';
    for (;;) {
        t = jv_next();
        if (t == TOK_EOF) {
            r = t;
            break;
        }
        if (t == '}')
            break;
        if (t == ';') {
            // the rest is a class body
            if (jv_st.nest < JV_MAX_NEST) {
                jv_nest_guard_t guard;
                do
                    r = jv_statement(h, TT_MEMBER);
                while (r != '}' && r != TOK_EOF);
            } else {
                r = jv_skip_block();
            }
            break;
        }
        switch (t) {
        case '@':
            jv_skip_annotation();
            continue;
        case '[':
            jv_skip_group('[');
            continue;
        case ',':
            at_member = true;
            continue;
        case '(':
        case '{':
            if (jv_skip_group(t) == TOK_EOF) {
                r = TOK_EOF;
                break;
            }
            continue;
        case TOK_EQUAL:
            // to "," (a "}" is pushed back for the loop)
            if (jv_skip_init() == TOK_EOF) {
                r = TOK_EOF;
                break;
            }
            at_member = true;
            continue;
        default:
            if (jv_is_word(t) && at_member) {
                tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
                jv_emit(TT_ENUM_MEMBER, h, nullptr, nullptr);
                at_member = false;
            }
            continue;
        }
        if (r == TOK_EOF)
            break;
    }
    lex_ctx.lx_depth--;
    tag_level_down();
    inh_pop(0);
    return r == TOK_EOF ? int(TOK_EOF) : int(';');
}
