// Per-file staging and the flush.  A scanned file's tags are gathered in a
// chunked vector; at the end of the file they are written as tag index
// blocks, one cross-reference block and one definition block per slice of
// 60000 staged tags.  The records go straight into the mapping.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string_view>

#include "wrenlib/fmt.h"
#include "wrenlib/list.h"
#include "tvt_db.h"

tvt_run_counts_t tvt_counts;

namespace {

constexpr int kStagePerBlock = 630;

struct slice_t {
    int32_t s_def_base;   // number within the file of the slice's first definition
    uint32_t s_tid;       // tag number of that definition's block slot 0
};

std::string_view arena_text(const tvt_db_t *db, uint32_t off)
{
    return std::string_view(db->d_arena.data() + off - 1);
}

bool same_text(const tvt_db_t *db, uint32_t off, const char *s)
{
    if (off == 0 || s == nullptr)
        return off == 0 && s == nullptr;
    return arena_text(db, off) == std::string_view(s, strnlen(s, DB_MAX_TEXT));
}

uint32_t arena_put(tvt_db_t *db, const char *s, size_t cap)
{
    if (s == nullptr)
        return 0;
    size_t n = strnlen(s, cap);
    uint32_t off = (uint32_t) db->d_arena.size();
    db->d_arena.insert(db->d_arena.end(), s, s + n);
    db->d_arena.push_back(0);
    return off + 1;
}

// Names of an inheritance list, each with its NUL, and one NUL more.
uint32_t arena_put_inherit(tvt_db_t *db, Head_p list, uint32_t *len)
{
    *len = 0;
    if (list == nullptr || list->l_len <= 0)
        return 0;
    uint32_t off = (uint32_t) db->d_arena.size();
    size_t total = 1;
    for (List_p lp = ll_first(list); lp != nullptr; lp = ll_next(lp)) {
        const char *s = (const char *) ll_elem(lp);
        if (s == nullptr)
            continue;
        size_t n = strnlen(s, DB_MAX_INHERIT);
        if (total + n + 1 > DB_MAX_INHERIT)
            break;
        db->d_arena.insert(db->d_arena.end(), s, s + n);
        db->d_arena.push_back(0);
        total += n + 1;
    }
    if (total == 1)
        return 0;
    db->d_arena.push_back(0);
    *len = (uint32_t) total;
    return off + 1;
}

// Record n of the staging vector.  Every block but the last is full, so the
// block is found by division; the handle keeps the blocks in a table.
stage_rec_t *staged_at(tvt_db_t *db, int n)
{
    vector_t *v = db->d_stage;
    vector_block_t *b = db->d_stage_blocks[(size_t) (n / v->v_per_block)];
    return (stage_rec_t *) (b->vb_data + (size_t) (n % v->v_per_block) * (size_t) v->v_rec_size);
}

void stage_append(tvt_db_t *db, const stage_rec_t *r)
{
    vec_append(db->d_stage, r);
    if (db->d_stage_blocks.empty() || db->d_stage_blocks.back() != db->d_stage->v_last)
        db->d_stage_blocks.push_back(db->d_stage->v_last);
}

// The earlier tag that the new one repeats: same line, type, name and texts.
int find_duplicate(tvt_db_t *db, const tag_entry_t *e, uint32_t line)
{
    vector_t *v = db->d_stage;
    if (v->num == 0)
        return -1;
    int limit = line == 1 ? 10 : 200;
    std::string_view name(e->te_name, strnlen(e->te_name, DB_MAX_NAME));
    for (int k = 0, pos = v->num - 1; pos >= 0 && k < limit; k++, pos--) {
        const stage_rec_t *r = staged_at(db, pos);
        if (r->sr_line != line)
            break;
        if (r->sr_type != e->te_type)
            continue;
        const char *stored = tvt_name_text(db, r->sr_name);
        if (stored == nullptr || name != stored)
            continue;
        if (same_text(db, r->sr_type_text, e->te_type_text) && same_text(db, r->sr_args, e->te_args))
            return pos + 2;
    }
    return -1;
}

bool enter_file(tvt_db_t *db)
{
    int old = tvt_find_file(db, db->d_cur_name.c_str());
    if (old >= 0)
        db_remove_id(db, old);
    int id = db_take_slot(db);
    if (id < 0)
        return false;
    size_t len = std::min(db->d_cur_name.size(), (size_t) DB_MAX_FILE_NAME);
    std::string name = db->d_cur_name.substr(0, len);
    uint32_t ref = db_intern(db, TVT_KIND_FILENAME, name.c_str(), (int) len + 1);
    if (ref == 0) {
        db->d_free_ids.insert(id);
        return false;
    }
    uint32_t slot = db_slot(db, id);
    db_put32(db, slot, db->d_cur_time);
    db_put32(db, slot + 4, ref);
    db_enter_name(db, id, name);
    db->d_file_id = id;
    return true;
}

template <typename F>
void for_each_staged(vector_t *v, F f)
{
    for (vector_block_t *vb = v->v_first; vb != nullptr; vb = vb->vb_next)
        for (int i = 0; i < vb->vb_count; i++)
            f((stage_rec_t *) (vb->vb_data + (size_t) i * (size_t) v->v_rec_size));
}

// The stored text of a definition, or 0 when it has none.  Returns false
// when the file could not grow for it.
bool def_text(tvt_db_t *db, const stage_rec_t *r, uint32_t *ref)
{
    *ref = 0;
    if (r->sr_inherit != 0) {
        uint32_t t = db_alloc(db, (int) r->sr_inherit_len);
        if (t == 0)
            return false;
        memcpy(db_at(db, t), db->d_arena.data() + r->sr_inherit - 1, r->sr_inherit_len);
        *ref = t;
        return true;
    }
    std::string_view type = r->sr_type_text ? arena_text(db, r->sr_type_text) : std::string_view();
    std::string_view args = r->sr_args ? arena_text(db, r->sr_args) : std::string_view();
    if (type.empty() && args.empty())
        return true;
    std::string &buf = db->d_text_buf;
    buf.assign(type);
    buf.push_back(0);
    buf.append(args);
    buf.push_back(0);
    *ref = db_intern(db, TVT_KIND_TEXT, buf.data(), (int) buf.size());
    return *ref != 0;
}

void count_tag(tvt_db_t *db, int type, bool no_parent)
{
    uint32_t stat = db_type_stat(db, type);
    if (stat == 0)
        return;
    db_put32(db, stat + TS_TOTAL, db_get32(db, stat + TS_TOTAL) + 1);
    if (no_parent)
        db_put32(db, stat + TS_NOPARENT, db_get32(db, stat + TS_NOPARENT) + 1);
}

uint32_t parent_tid(const std::vector<slice_t> &slices, int32_t parent)
{
    if (parent < 2)
        return PARENT_NONE;   // none, or a cross-reference, which has no number
    auto it = std::upper_bound(slices.begin(), slices.end(), parent,
                               [](int32_t p, const slice_t &s) { return p < s.s_def_base; });
    if (it == slices.begin())
        return PARENT_NONE;
    --it;
    return it->s_tid + (uint32_t) (parent - it->s_def_base);
}

// Writes one block of kind 54 or 55 for the records; for definitions the
// slice's numbering is entered in `slices` first, so that parents in this
// block and in later slices find it.
void write_block(tvt_db_t *db, int kind, const std::vector<stage_rec_t *> &recs, int32_t def_base,
                 std::vector<slice_t> &slices)
{
    uint32_t rec = kind == KIND_XREF ? TAG_XREF_SIZE : TAG_DEF_SIZE;
    uint32_t n = (uint32_t) recs.size();
    db_block_ref_t b;
    if (!db_take_free_block(db, (int) rec, (int) n, &b)) {
        uint32_t off = db_alloc(db, (int) (TI_ALLOC_EXTRA + n * rec));
        if (off == 0)
            db_growth_failed(db, TI_ALLOC_EXTRA + n * rec + CHUNK_HDR);
        memset(db_at(db, off), 0, TI_RECORDS);
        uint32_t last = db_get32(db, TH_LAST_BLOCK);
        if (last != 0)
            db_put32(db, last + TI_NEXT, off);
        else
            db_put32(db, TH_FIRST_BLOCK, off);
        db_put32(db, TH_LAST_BLOCK, off);
        uint32_t tid = db_get32(db, TH_NEXT_TID);
        db_put32(db, off + TI_FIRST_TID, tid);
        db_put32(db, TH_NEXT_TID, tid + n);
        b = {db->d_chain_len++, off};
    }
    uint32_t off = b.br_off;
    *db_at(db, off + TI_REC_SIZE) = (unsigned char) rec;
    *db_at(db, off + TI_KIND) = (unsigned char) kind;
    db_put16(db, off + TI_USED, n);
    db_put16(db, off + TI_SIZE, n);

    if (kind == KIND_XREF) {
        db_put24(db, off + TI_FILE_ID, (uint32_t) db->d_file_id);
        for (uint32_t i = 0; i < n; i++) {
            uint32_t r = off + TI_RECORDS + i * rec;
            db_put32(db, r + TX_NAME, recs[i]->sr_name);
            db_put24(db, r + TX_LINE, recs[i]->sr_line);
            count_tag(db, TT_XREF, true);
        }
        db->d_blocks_of[(size_t) db->d_file_id].push_back(b);
        return;
    }

    // Texts first: they are the only other allocations of a block, and if
    // the file cannot grow for one, the block has not been written yet.
    std::vector<uint32_t> &texts = db->d_scratch;
    texts.assign(n, 0);
    for (uint32_t i = 0; i < n; i++) {
        if (!def_text(db, recs[i], &texts[i])) {
            for (uint32_t j = 0; j < i; j++)
                db_free_payload(db, texts[j]);
            db_block_freed(db, b);
            db_growth_failed(db, 0);
        }
    }
    slices.push_back({def_base, db_get32(db, off + TI_FIRST_TID)});
    db_put24(db, off + TI_FILE_ID, (uint32_t) db->d_file_id);
    for (uint32_t i = 0; i < n; i++) {
        const stage_rec_t *s = recs[i];
        uint32_t r = off + TI_RECORDS + i * rec;
        uint32_t parent = parent_tid(slices, s->sr_parent);
        memset(db_at(db, r), 0, TAG_DEF_SIZE);
        db_put32(db, r + TD_NAME, s->sr_name);
        db_put24(db, r + TD_LINE, s->sr_line);
        *db_at(db, r + TD_TYPE) = (unsigned char) s->sr_type;
        db_put16(db, r + TD_FLAGS, s->sr_flags & 0xFFFF);
        db_put32(db, r + TD_PARENT, parent);
        db_put32(db, r + TD_TEXT, texts[i]);
        count_tag(db, s->sr_type, parent == PARENT_NONE);
    }
    db->d_blocks_of[(size_t) db->d_file_id].push_back(b);
}

void flush(tvt_db_t *db)
{
    vector_t *v = db->d_stage;
    std::vector<stage_rec_t *> xrefs, defs;
    std::vector<slice_t> slices;
    int32_t def_base = 2;
    int in_slice = 0;
    auto write_slice = [&]() {
        if (!xrefs.empty())
            write_block(db, KIND_XREF, xrefs, 0, slices);
        if (!defs.empty())
            write_block(db, KIND_DEF, defs, def_base, slices);
        def_base += (int32_t) defs.size();
        xrefs.clear();
        defs.clear();
        in_slice = 0;
    };
    for_each_staged(v, [&](stage_rec_t *r) {
        (r->sr_type == TT_XREF ? xrefs : defs).push_back(r);
        if (++in_slice == SLICE_TAGS)
            write_slice();
    });
    if (in_slice > 0)
        write_slice();
}

} // namespace

void db_discard_stage(tvt_db_t *db)
{
    if (db->d_stage == nullptr)
        return;
    if (!(db->d_flags & DB_ENTER_PENDING) && db->d_file_id >= 0) {
        int id = db->d_file_id;
        std::vector<db_block_ref_t> blocks = std::move(db->d_blocks_of[(size_t) id]);
        db->d_blocks_of[(size_t) id].clear();
        for (const db_block_ref_t &b : blocks)
            db_drop_block(db, b, false);
        // Each staged tag holds one count of its name, written or not.
        for_each_staged(db->d_stage, [&](stage_rec_t *r) { db_release_name(db, r->sr_name); });
        db_clear_slot(db, id);
    }
    vec_destroy(db->d_stage);
    db->d_stage = nullptr;
    db->d_flags &= ~DB_ENTER_PENDING;
    db->d_file_id = -1;
}

int tvt_begin_file(tvt_db_t *db, const char *name, uint32_t mtime)
{
    if (db == nullptr)
        return 1;
    if (db->d_stage != nullptr)
        tvt_end_file(db);
    tvt_counts.rc_file_xrefs = 0;
    db->d_cur_name = db->d_prefix;
    db->d_cur_name += name != nullptr ? name : "";
    db->d_cur_time = mtime;
    int id = tvt_find_file(db, db->d_cur_name.c_str());
    int result = 0;
    if (id >= 0) {
        uint32_t stored = db_get32(db, db_slot(db, id));
        result = stored >= mtime ? 1 : 0;
    }
    if (!db->d_writable)
        return result;
    db->d_flags |= DB_ENTER_PENDING;
    db->d_staged = 2;
    db->d_staged_xrefs = 0;
    db->d_file_id = -1;
    db->d_arena.clear();
    db->d_stage = vec_create((int) sizeof(stage_rec_t), kStagePerBlock);
    db->d_stage_blocks.clear();
    return result;
}

int tvt_add_tag(tvt_db_t *db, const tag_entry_t *e)
{
    if (db == nullptr || e == nullptr || db->d_stage == nullptr)
        return -1;
    // A line of 0 marks an unused slot for every reader, and the type
    // indexes the counter table: such tags cannot be stored faithfully.
    if (e->te_name == nullptr || e->te_name[0] == 0 || e->te_line == 0 || e->te_type >= TYPE_STAT_COUNT)
        return -1;
    if (db->d_flags & DB_ENTER_PENDING) {
        if (!enter_file(db))
            db_growth_failed(db, 0);
        db->d_flags &= ~DB_ENTER_PENDING;
    }
    uint32_t line = e->te_line > 0xFFFFFFu ? 0xFFFFFFu : e->te_line;
    if (e->te_parent == -1) {
        int dup = find_duplicate(db, e, line);
        if (dup >= 0)
            return dup;
    }
    vector_t *v = db->d_stage;
    int32_t parent = -1;
    if (e->te_parent != -1) {
        int32_t t = e->te_parent - 2;
        if (t < 0 || t >= v->num) {
            wl_fprintf(stderr, "tvtags-bug: t=%d size=%d\n", t, v->num);
            fflush(stderr);
            exit(1);
        }
        parent = staged_at(db, t)->sr_tagno;
    }
    bool xref = e->te_type == TT_XREF;
    tvt_counts.rc_tags++;
    if (xref) {
        tvt_counts.rc_file_xrefs++;
        db->d_staged_xrefs++;
    }
    size_t len = strnlen(e->te_name, DB_MAX_NAME);
    std::string cut;
    const char *name = e->te_name;
    if (name[len] != 0) {
        cut.assign(name, len);
        name = cut.c_str();
    }
    uint32_t ref = db_intern(db, TVT_KIND_NAME, name, (int) len + 1);
    if (ref == 0) {
        db_growth_failed(db, 0);
    }
    stage_rec_t r;
    memset(&r, 0, sizeof r);
    r.sr_name = ref;
    r.sr_line = line;
    r.sr_flags = e->te_flags;
    r.sr_type = e->te_type;
    r.sr_tagno = xref ? 0 : db->d_staged - db->d_staged_xrefs;
    r.sr_parent = parent;
    r.sr_type_text = arena_put(db, e->te_type_text, DB_MAX_TEXT);
    r.sr_args = arena_put(db, e->te_args, DB_MAX_TEXT);
    if (e->te_type == TT_STRUCT || e->te_type == TT_CLASS)
        r.sr_inherit = arena_put_inherit(db, e->te_inherit, &r.sr_inherit_len);
    stage_append(db, &r);
    return db->d_staged++;
}

void tvt_end_file(tvt_db_t *db)
{
    if (db == nullptr || db->d_stage == nullptr)
        return;
    if (!(db->d_flags & DB_ENTER_PENDING) && db->d_stage->num > 0)
        flush(db);
    vec_destroy(db->d_stage);
    db->d_stage = nullptr;
    db->d_flags &= ~DB_ENTER_PENDING;
    db->d_file_id = -1;
    db->d_cur_name.clear();
    db->d_arena.clear();
}

int tvt_tag_sink(void *db, const tag_entry_t *entry)
{
    return tvt_add_tag((tvt_db_t *) db, entry);
}
