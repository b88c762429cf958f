// Gathering one file's tags.  Each tag the scanner hands over is checked,
// a repeat of an earlier one on the same line is folded into it, its parent
// handle is resolved to a number within the file, and its name and texts
// are copied into the stage's arena.  Nothing here touches a database.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string_view>

#include "wrenlib/byteorder.h"
#include "wrenlib/fmt.h"
#include "wrenlib/list.h"
#include "tvt_db.h"

namespace {

constexpr int kStagePerBlock = 630;

uint32_t arena_put(tvt_stage_t *st, const char *s, size_t cap)
{
    if (s == nullptr)
        return 0;
    size_t n = strnlen(s, cap);
    uint32_t off = (uint32_t) st->s_arena.size();
    st->s_arena.insert(st->s_arena.end(), s, s + n);
    st->s_arena.push_back(0);
    return off + 1;
}

// Names of an inheritance list, each with its NUL, and one NUL more.
uint32_t arena_put_inherit(tvt_stage_t *st, Head_p list, uint32_t *len)
{
    *len = 0;
    if (list == nullptr || list->l_len <= 0)
        return 0;
    uint32_t off = (uint32_t) st->s_arena.size();
    size_t total = 1;
    for (List_p lp = ll_first(list); lp != nullptr; lp = ll_next(lp)) {
        const char *s = (const char *) ll_elem(lp);
        if (s == nullptr)
            continue;
        size_t n = strnlen(s, DB_MAX_INHERIT);
        if (total + n + 1 > DB_MAX_INHERIT)
            break;
        st->s_arena.insert(st->s_arena.end(), s, s + n);
        st->s_arena.push_back(0);
        total += n + 1;
    }
    if (total == 1)
        return 0;
    st->s_arena.push_back(0);
    *len = (uint32_t) total;
    return off + 1;
}

bool same_text(const tvt_stage_t *st, uint32_t off, const char *s)
{
    if (off == 0 || s == nullptr)
        return off == 0 && s == nullptr;
    return db_arena_text(st, off) == std::string_view(s, strnlen(s, DB_MAX_TEXT));
}

void stage_append(tvt_stage_t *st, const stage_rec_t *r)
{
    vec_append(st->s_recs, r);
    if (st->s_blocks.empty() || st->s_blocks.back() != st->s_recs->v_last)
        st->s_blocks.push_back(st->s_recs->v_last);
}

// The earlier tag that the new one repeats: same line, type, name and texts.
int find_duplicate(tvt_stage_t *st, const tag_entry_t *e, uint32_t line)
{
    vector_t *v = st->s_recs;
    if (v->num == 0)
        return -1;
    int limit = line == 1 ? 10 : 200;
    std::string_view name(e->te_name, strnlen(e->te_name, DB_MAX_NAME));
    for (int k = 0, pos = v->num - 1; pos >= 0 && k < limit; k++, pos--) {
        const stage_rec_t *r = db_staged_at(st, pos);
        if (r->sr_line != line)
            break;
        if (r->sr_type != e->te_type)
            continue;
        if (name != db_arena_text(st, r->sr_name))
            continue;
        if (same_text(st, r->sr_type_text, e->te_type_text) && same_text(st, r->sr_args, e->te_args))
            return pos + 2;
    }
    return -1;
}

} // namespace

std::string_view db_arena_text(const tvt_stage_t *st, uint32_t off)
{
    return std::string_view(st->s_arena.data() + off - 1);
}

// Record n of the stage.  Every block but the last is full, so the block is
// found by division; the stage keeps the blocks in a table.
stage_rec_t *db_staged_at(tvt_stage_t *st, int n)
{
    vector_t *v = st->s_recs;
    vector_block_t *b = st->s_blocks[(size_t) (n / v->v_per_block)];
    return (stage_rec_t *) (b->vb_data + (size_t) (n % v->v_per_block) * (size_t) v->v_rec_size);
}

void db_stage_reset(tvt_stage_t *st)
{
    if (st->s_recs != nullptr)
        vec_destroy(st->s_recs);
    st->s_recs = vec_create((int) sizeof(stage_rec_t), kStagePerBlock);
    st->s_blocks.clear();
    st->s_arena.clear();
    st->s_next = 2;
    st->s_xrefs = 0;
    st->s_interned = 0;
}

extern "C" {

tvt_stage_t *tvt_stage_new(void)
{
    tvt_stage_t *st = new tvt_stage_t();
    st->s_recs = nullptr;
    db_stage_reset(st);
    return st;
}

void tvt_stage_free(tvt_stage_t *st)
{
    if (st == nullptr)
        return;
    vec_destroy(st->s_recs);
    delete st;
}

long tvt_stage_tags(const tvt_stage_t *st)
{
    return st != nullptr ? st->s_recs->num : 0;
}

int tvt_stage_xrefs(const tvt_stage_t *st)
{
    return st != nullptr ? st->s_xrefs : 0;
}

int tvt_stage_add(tvt_stage_t *st, const tag_entry_t *e)
{
    if (st == nullptr || e == nullptr)
        return -1;
    // A line of 0 marks an unused slot for every reader, and the type
    // indexes the counter table: such tags cannot be stored faithfully.
    if (e->te_name == nullptr || e->te_name[0] == 0 || e->te_line == 0 || e->te_type >= TYPE_STAT_COUNT)
        return -1;
    uint32_t line = e->te_line > 0xFFFFFFu ? 0xFFFFFFu : e->te_line;
    if (e->te_parent == -1) {
        int dup = find_duplicate(st, e, line);
        if (dup >= 0)
            return dup;
    }
    int32_t parent = -1;
    if (e->te_parent != -1) {
        int32_t t = e->te_parent - 2;
        if (t < 0 || t >= st->s_recs->num) {
            wl_fprintf(stderr, "tvtags-bug: t=%d size=%d\n", t, st->s_recs->num);
            fflush(stderr);
            exit(1);
        }
        parent = db_staged_at(st, t)->sr_tagno;
    }
    bool xref = e->te_type == TT_XREF;
    stage_rec_t r;
    memset(&r, 0, sizeof r);
    r.sr_name = arena_put(st, e->te_name, DB_MAX_NAME);
    if (r.sr_name != 0) {
        std::string_view name = db_arena_text(st, r.sr_name);
        r.sr_name_crc = crc32(name.data(), (int) name.size() + 1);
    }
    r.sr_line = line;
    r.sr_flags = e->te_flags;
    r.sr_type = e->te_type;
    r.sr_tagno = xref ? 0 : st->s_next - st->s_xrefs;
    r.sr_parent = parent;
    r.sr_type_text = arena_put(st, e->te_type_text, DB_MAX_TEXT);
    r.sr_args = arena_put(st, e->te_args, DB_MAX_TEXT);
    if (e->te_type == TT_STRUCT || e->te_type == TT_CLASS)
        r.sr_inherit = arena_put_inherit(st, e->te_inherit, &r.sr_inherit_len);
    stage_append(st, &r);
    if (xref)
        st->s_xrefs++;
    return st->s_next++;
}

int tvt_stage_sink(void *st, const tag_entry_t *entry)
{
    return tvt_stage_add((tvt_stage_t *) st, entry);
}

} // extern "C"
