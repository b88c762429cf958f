// HTML and Miva: the file as the top parent, anchors with their labels and
// text, headers under the header of the level above, lists and tables as
// nested levels, applets, forms, frames, scripts and Miva functions.
#include <cstdio>
#include <cstring>

#include "mk_html_tag.h"

namespace {

const keyword_t kw_html[] = {
    {"applet", KEY_APPLET, 0}, {"a", KEY_A, 0},         {"center", KEY_CENTER, 0},
    {"dl", KEY_LIST, 0},       {"form", KEY_FORM, 0},   {"frame", KEY_FRAME, 0},
    {"h1", KEY_H1, 0},         {"h2", KEY_H2, 0},       {"h3", KEY_H3, 0},
    {"h4", KEY_H4, 0},         {"h5", KEY_H5, 0},       {"h6", KEY_H6, 0},
    {"h7", KEY_H7, 0},         {"h8", KEY_H8, 0},       {"h9", KEY_H9, 0},
    {"head", KEY_HEAD, 0},     {"href", KEY_HREF, 0},   {"list", KEY_LIST, 0},
    {"ul", KEY_LIST, 0},       {"name", KEY_NAME, 0},   {"object", KEY_OBJECT, 0},
    {"script", KEY_SCRIPT, 0}, {"table", KEY_TABLE, 0}, {"tr", KEY_TR, 0},
    KW_END,
};

const keyword_t kw_miva[] = {
    {"mvfunction", KEY_FUNCTION, 0},
    {"name", KEY_NAME, 0},
    KW_END,
};

lang_desc_t desc_html = {LANG_HTML, kw_html, nullptr, nullptr, nullptr, nullptr,
                         LEX_NOCASE | LEX_HTML_COMMENT, nullptr, nullptr};
lang_desc_t desc_miva = {LANG_MIVA, kw_miva, nullptr, nullptr, nullptr, nullptr,
                         LEX_NOCASE | LEX_HTML_COMMENT, nullptr, nullptr};

// Lists and tables nested deeper than this stay at the level they are in,
// so that no document can exhaust the stack.
constexpr int kMaxDepth = 64;
constexpr int kTextMax = 127;

struct html_state_t {
    html_tag_t tag;        // the tag at hand
    html_tag_t pending;    // a tag that ended an anchor's text, handled next
    bool have_pending = false;
    mk_text_t text;
};

thread_local html_state_t st;

int emit(int type, const tag_rec_t &at, const char *name, int parent)
{
    tag_rec = at;
    mk_set_name(&tag_rec, name, int(strlen(name)));
    tag_rec.tr_parent = parent;
    TAG_TRACE(type, &tag_rec);
    return tag_add(type, &tag_rec);
}

// The next tag of the level; false at the end of input.
bool next_tag(html_tag_t &t)
{
    if (st.have_pending) {
        st.have_pending = false;
        t = st.pending;
        return true;
    }
    for (;;) {
        if (!mk_skip_past('<'))
            return false;
        html_read_tag(t);
        if (t.kind == HK_EOF)
            return false;
        if (t.kind != HK_TEXT)
            return true;
    }
}

void emit_name_label(const html_tag_t &t, int parent)
{
    char name[mk_text_t::kMax + 16];
    if (t.has_name)
        snprintf(name, sizeof name, "NAME=\"%s\"", t.name.buf);
    else
        snprintf(name, sizeof name, "HREF=\"%s\"", t.href.buf);
    emit(TT_LABEL, t.rec, name, parent);
}

// Whether a tag met inside an anchor's text ends it and is handled after
// the anchor: an unclosed anchor must not swallow the headers, lists and
// anchors that follow it.
bool ends_anchor_text(const html_tag_t &t)
{
    if (t.kind == HK_OPEN)
        return t.code == KEY_A || html_header_level(t.code) || t.code == KEY_LIST || t.code == KEY_TABLE;
    return t.kind == HK_CLOSE && (html_header_level(t.code) || t.code == KEY_LIST || t.code == KEY_TABLE);
}

// Collects a header's (header > 0) or an anchor's text into st.text.
void read_text(int header, int parent)
{
    mk_text_t &x = st.text;
    x.reset(kTextMax);
    html_tag_t inner;
    for (int c = lex_getc(); c != 0; c = lex_getc()) {
        if (c == '<') {
            html_read_tag(inner);
            if (inner.kind == HK_EOF)
                break;
            if (inner.kind != HK_TEXT) {
                if (header) {
                    int level = html_header_level(inner.code);
                    if (inner.kind == HK_CLOSE && level)
                        break;
                    if (inner.kind == HK_OPEN && level) {
                        x.cap = mk_text_t::kMax - 1;
                        for (const char *g = "(GARBLED)"; *g; g++)
                            x.add(*g);
                        return;
                    }
                    // An anchor inside a header still marks its place.
                    if (inner.kind == HK_OPEN && inner.code == KEY_A && (inner.has_name || inner.has_href))
                        emit_name_label(inner, parent);
                    continue;
                }
                if (inner.kind == HK_CLOSE && inner.code == KEY_A)
                    break;
                if (ends_anchor_text(inner)) {
                    st.pending = inner;
                    st.have_pending = true;
                    break;
                }
                continue;
            }
        }
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
        if (c == ' ' && x.len == 0)
            continue;
        x.add(c);
    }
    x.trim_end();
}

void do_anchor(const html_tag_t &t, int parent)
{
    if (t.has_name || t.has_href)
        emit_name_label(t, parent);
    tag_rec_t at = t.rec;
    read_text(0, parent);
    emit(TT_LABEL, at, st.text.buf, parent);
}

void do_header(const html_tag_t &t, int level, int parent, int *headers)
{
    tag_rec_t at = t.rec;
    int up = level == 1 ? parent : headers[level - 1];
    read_text(level, parent);
    char name[mk_text_t::kMax + 16];
    snprintf(name, sizeof name, "H%d: %s", level, st.text.buf);
    headers[level] = emit(TT_HEADER1 + level - 1, at, name, up);
    for (int i = level + 1; i <= 9; i++)
        headers[i] = -1;
}

void do_mvfunction(const html_tag_t &t, int parent)
{
    if (!t.has_name)
        return;
    const char *s = t.name.buf;
    while (*s == ' ' || *s == '\t' || *s == '"')
        s++;
    int n = int(strlen(s));
    if (n > 0 && s[n - 1] == '"')
        n--;
    char name[HTML_SLOT_SIZE + 1];
    memcpy(name, s, size_t(n));
    name[n] = '\0';
    emit(TT_FUNCTION, t.rec, name, parent);
}

// One level step; returns false at the end of input, true when a closing
// tag ended a nested level.
bool level_step(int parent, int depth)
{
    int headers[10];
    for (int &h : headers)
        h = -1;
    html_tag_t &t = st.tag;
    while (next_tag(t)) {
        if (t.kind == HK_CLOSE) {
            if (depth > 0)
                return true;
            continue;
        }
        if (t.kind != HK_OPEN || !t.code)
            continue;
        int level = html_header_level(t.code);
        if (level) {
            do_header(t, level, parent, headers);
            continue;
        }
        switch (t.code) {
        case KEY_A: do_anchor(t, parent); break;
        case KEY_APPLET: emit(TT_APPLET, t.rec, "applet", parent); break;
        case KEY_FORM: emit(TT_FORM, t.rec, "form", parent); break;
        case KEY_FRAME: emit(TT_FRAME, t.rec, "frame", parent); break;
        case KEY_SCRIPT: emit(TT_FRAME, t.rec, "script", parent); break;
        case KEY_FUNCTION: do_mvfunction(t, parent); break;
        case KEY_LIST:
        case KEY_TABLE: {
            bool list = t.code == KEY_LIST;
            int h = emit(list ? TT_LIST : TT_TABLE, t.rec, list ? "list" : "table", parent);
            if (depth < kMaxDepth && !level_step(h, depth + 1))
                return false;
            break;
        }
        default: break;
        }
    }
    return false;
}

int scan_markup(lang_desc_t *d)
{
    lex_init(d);
    st.have_pending = false;
    tag_capture(&tag_rec, 0);
    tag_rec.tr_line = 1;
    const char *path = lex_file_path();
    mk_set_name(&tag_rec, path ? path : "", path ? int(strlen(path)) : 0);
    TAG_TRACE(TT_FILE, &tag_rec);
    int file = tag_add(TT_FILE, &tag_rec);
    while (level_step(file, 0)) {
    }
    return 0;
}

} // namespace

extern "C" {

int tvt_html_scan(void) { return scan_markup(&desc_html); }
int tvt_miva_scan(void) { return scan_markup(&desc_miva); }

} // extern "C"
