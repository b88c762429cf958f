// The helpers the smaller scanners share.
#include <cstring>

#include "other_internal.h"

namespace {

lang_desc_t line_desc = {0, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr};

int lower(int c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

} // namespace

lang_desc_t *oth_line_desc()
{
    return &line_desc;
}

int oth_emit_line(int type, const char *name, int len, int col, int parent, uint32_t flags)
{
    if (len <= 0)
        return -1;
    if (len > TAG_NAME_SIZE - 1)
        len = TAG_NAME_SIZE - 1;
    tag_capture(&tag_rec, TAG_CAP_LINE);
    memcpy(tag_rec.tr_name, name, size_t(len));
    tag_rec.tr_name[len] = '\0';
    tag_rec.tr_column = col + len;
    tag_rec.tr_parent = parent;
    tag_rec.tr_flags = flags;
    TAG_TRACE(type, &tag_rec);
    return tag_add(type, &tag_rec);
}

void oth_mark(oth_mark_t *m)
{
    tag_capture(&m->rec, TAG_CAP_LINE | TAG_CAP_NAME | TAG_CAP_UNQUOTE);
    m->rec.tr_flags = 0;
    m->set = m->rec.tr_name[0] != '\0';
}

int oth_emit_mark(int type, oth_mark_t *m, int parent, const char *args)
{
    if (!m->set)
        return -1;
    m->rec.tr_parent = parent;
    m->rec.tr_args = const_cast<char *>(args);
    TAG_TRACE(type, &m->rec);
    int h = tag_add(type, &m->rec);
    m->rec.tr_args = nullptr;
    return h;
}

int oth_emit_token(int type, int parent)
{
    oth_mark_t m;
    oth_mark(&m);
    return oth_emit_mark(type, &m, parent, nullptr);
}

bool oth_eq(const char *a, const char *b)
{
    for (; *a && *b; a++, b++)
        if (lower(static_cast<unsigned char>(*a)) != lower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

bool oth_eqn(const char *a, const char *b, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i])))
            return false;
        if (!a[i])
            return true;
    }
    return true;
}

bool oth_text_is(const char *word)
{
    return oth_eq(lex_ctx.lx_text.dl_str, word);
}

int oth_skip_to(int t)
{
    return lex_skip_to(t);
}
