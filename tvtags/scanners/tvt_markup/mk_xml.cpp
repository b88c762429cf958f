// XML: elements as entities nested under their parents, their attributes,
// and the members of a compiler-generated documentation file, which
// starts <?xml?> <doc> <assembly> <name>, by their kinds.
#include <cstring>

#include "mk_internal.h"

namespace {

lang_desc_t desc_xml = {LANG_XML, nullptr, nullptr, nullptr, nullptr, nullptr,
                        LEX_CHAR_CONST | LEX_HTML_COMMENT | LEX_XML, nullptr, nullptr};

// Deeper elements are tagged with the parent at this depth, so that the
// parent stack stays bounded.
constexpr int kMaxDepth = 256;

struct member_kind_t {
    char letter;
    int type;
};

// P (properties) is not among the kinds the first readers of these files
// knew, but the compilers write it for every property; it is kept.
constexpr member_kind_t kMemberKinds[] = {
    {'N', TT_NAMESPACE}, {'T', TT_TYPEDEF}, {'F', TT_FIELD},    {'M', TT_METHOD},
    {'E', TT_EVENT},     {'!', TT_ERROR},   {'P', TT_PROPERTY},
};

struct xml_state_t {
    int parents[kMaxDepth];
    int depth = 0;
    int count = 0;        // tag names read so far
    bool doc = false;     // documentation mode
};

thread_local xml_state_t st;

bool name_char(int c)
{
    return mk_alnum(c) || c == '_' || c == '-' || c == '.' || c == ':' || c >= 0x80;
}

// A name starting with c; the character after it is pushed back.
void read_name(int c, mk_text_t &name)
{
    name.reset(TAG_NAME_SIZE - 1);
    while (c != 0 && name_char(c)) {
        name.add(c);
        c = lex_getc();
    }
    lex_ungetc(c);
}

bool same_word(const char *a, const char *b)
{
    for (; *a && *b; a++, b++)
        if ((*a | 0x20) != (*b | 0x20))
            return false;
    return *a == *b;
}

// Every tag name read advances the counter that recognises the opening of
// a documentation file.  Returns the name's number.
int count_tag(const char *name)
{
    int n = st.count;
    if (st.count < 1000)
        st.count++;
    if (n <= 1 && same_word(name, "doc"))
        st.doc = true;
    else if ((n == 2 && !same_word(name, "assembly")) || (n == 3 && !same_word(name, "name")))
        st.doc = false;
    return n;
}

int current_parent()
{
    int d = st.depth < kMaxDepth ? st.depth : kMaxDepth;
    return d > 0 ? st.parents[d - 1] : -1;
}

int emit(int type, const char *name, int len, int parent)
{
    tag_capture(&tag_rec, TAG_CAP_LINE);
    mk_set_name(&tag_rec, name, len);
    tag_rec.tr_parent = parent;
    TAG_TRACE(type, &tag_rec);
    return tag_add(type, &tag_rec);
}

void record_member(const mk_text_t &value)
{
    if (value.len < 3)
        return;
    for (const member_kind_t &k : kMemberKinds)
        if (value.buf[0] == k.letter) {
            emit(k.type, value.buf + 2, value.len - 2, -1);
            return;
        }
}

// A quoted attribute value; kept in `keep` when given.
void read_value(mk_text_t *keep, bool *quoted)
{
    int c = mk_skip_blanks();
    *quoted = c == '"';
    if (c == '"' || c == '\'') {
        for (int d = lex_getc(); d != 0 && d != c; d = lex_getc())
            if (keep)
                keep->add(d);
        return;
    }
    while (c != 0 && !mk_blank(c) && c != '>' && c != '/' && c != '?') {
        if (keep)
            keep->add(c);
        c = lex_getc();
    }
    lex_ungetc(c);
}

// The attributes of a tag up to its end.  Returns '>' for a tag that
// opens an element, '/' for one closed by "/>" or "?>", 0 at the end of
// input.
int read_attributes(int owner, bool member)
{
    mk_text_t name, value;
    for (;;) {
        int c = mk_skip_blanks();
        if (c == 0 || c == '>')
            return c;
        if (c == '/' || c == '?') {
            int d = lex_getc();
            if (d == '>')
                return '/';
            lex_ungetc(d);
            continue;
        }
        if (!name_char(c))
            continue;
        read_name(c, name);
        if (owner >= 0 && !st.doc)
            emit(TT_ATTRIBUTE, name.buf, name.len, owner);
        c = mk_skip_blanks();
        if (c != '=') {
            lex_ungetc(c);
            continue;
        }
        bool keep = member && same_word(name.buf, "name");
        value.reset(mk_text_t::kMax - 1);
        bool quoted = false;
        read_value(keep ? &value : nullptr, &quoted);
        if (keep && quoted)
            record_member(value);
    }
}

// After "<!": a comment, a CDATA section, or a declaration whose internal
// subset in brackets may hold '>'.
void markup_declaration()
{
    int c = lex_getc();
    if (c == '-') {
        if (lex_getc() == '-') {
            mk_skip_past_text("-->");
            return;
        }
    } else if (c == '[') {
        mk_skip_past_text("]]>");
        return;
    }
    int brackets = 0;
    for (; c != 0; c = lex_getc()) {
        if (c == '[')
            brackets++;
        else if (c == ']' && brackets > 0)
            brackets--;
        else if (c == '>' && brackets == 0)
            return;
        else if ((c == '"' || c == '\'') && !mk_skip_past(c))
            return;
    }
}

void start_tag(int c)
{
    mk_text_t name;
    read_name(c, name);
    int n = count_tag(name.buf);
    int parent = current_parent();
    int self = -1;
    if (!st.doc)
        self = emit(TT_ENTITY, name.buf, name.len, parent);
    bool member = st.doc && n > 3 && same_word(name.buf, "member");
    if (read_attributes(self, member) == '>') {
        if (st.depth < kMaxDepth)
            st.parents[st.depth] = self;
        st.depth++;
    }
}

void one_tag()
{
    int c = lex_getc();
    mk_text_t name;
    if (c == '!') {
        markup_declaration();
    } else if (c == '/') {
        read_name(lex_getc(), name);
        count_tag(name.buf);
        mk_skip_tag_rest();
        if (st.depth > 0)
            st.depth--;
    } else if (c == '?') {
        read_name(lex_getc(), name);
        count_tag(name.buf);
        read_attributes(current_parent(), false);
    } else if (mk_alpha(c) || c == '_' || c == ':' || c >= 0x80) {
        start_tag(c);
    } else {
        lex_ungetc(c);
    }
}

} // namespace

extern "C" int tvt_xml_scan(void)
{
    lex_init(&desc_xml);
    lex_set_class(':', CC_IDSTART | CC_IDENT);
    st.depth = 0;
    st.count = 0;
    st.doc = false;
    while (mk_skip_past('<'))
        one_tag();
    return 0;
}
