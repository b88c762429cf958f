// The current file of a writer and the flush.  At the end of the file its
// gathered tags are written: the file is entered in the file table, the
// names are interned in the order the tags came, and the records are
// written as tag index blocks, one cross-reference block and one definition
// block per slice of 60000 tags.  The records go straight into the mapping.
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

struct slice_t {
    int32_t s_def_base;   // number within the file of the slice's first definition
    uint32_t s_tid;       // tag number of that definition's block slot 0
};

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
        memcpy(db_at(db, t), db->d_stage->s_arena.data() + r->sr_inherit - 1, r->sr_inherit_len);
        *ref = t;
        return true;
    }
    std::string_view type = r->sr_type_text ? db_arena_text(db->d_stage, r->sr_type_text) : std::string_view();
    std::string_view args = r->sr_args ? db_arena_text(db->d_stage, r->sr_args) : std::string_view();
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
        db_chain_append(db, TH_FIRST_BLOCK, TH_LAST_BLOCK, TI_NEXT, off);
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
    vector_t *v = db->d_stage->s_recs;
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

// The names go into the shared pools in the order the tags came, each
// record's arena offset giving way to its reference.
void intern_names(tvt_db_t *db)
{
    tvt_stage_t *st = db->d_stage;
    for_each_staged(st->s_recs, [&](stage_rec_t *r) {
        std::string_view name = db_arena_text(st, r->sr_name);
        uint32_t ref = db_intern_name(db, name.data(), (int) name.size() + 1, r->sr_name_crc);
        if (ref == 0)
            db_growth_failed(db, 0);
        r->sr_name = ref;
        st->s_interned++;
    });
}

void add_counts(const tvt_stage_t *st, long tags, int xrefs)
{
    tvt_counts.rc_tags += tvt_stage_tags(st) - tags;
    tvt_counts.rc_file_xrefs += tvt_stage_xrefs(st) - xrefs;
}

int current_as(tvt_db_t *db, const std::string &name, uint32_t mtime, int *id)
{
    *id = tvt_find_file(db, name.c_str());
    if (*id < 0)
        return 0;
    // Any other time means another content: a file put back from an older
    // copy is as new to the database as an edited one.
    return db_get32(db, db_slot(db, *id)) == mtime ? 1 : 0;
}

} // namespace

void db_discard_stage(tvt_db_t *db)
{
    tvt_stage_t *st = db->d_stage;
    if (st == nullptr)
        return;
    if (!(db->d_flags & DB_ENTER_PENDING) && db->d_file_id >= 0) {
        int id = db->d_file_id;
        std::vector<db_block_ref_t> blocks = std::move(db->d_blocks_of[(size_t) id]);
        db->d_blocks_of[(size_t) id].clear();
        for (const db_block_ref_t &b : blocks)
            db_drop_block(db, b, false);
        // Each interned name holds one count, written or not.
        int left = st->s_interned;
        for_each_staged(st->s_recs, [&](stage_rec_t *r) {
            if (left-- > 0)
                db_release_name(db, r->sr_name);
        });
        db_clear_slot(db, id);
    }
    tvt_stage_free(st);
    db->d_stage = nullptr;
    db->d_flags &= ~DB_ENTER_PENDING;
    db->d_file_id = -1;
}

extern "C" {

int tvt_file_is_current(tvt_db_t *db, const char *name, uint32_t mtime, int *id)
{
    int none;
    int *out = id != nullptr ? id : &none;
    *out = -1;
    if (db == nullptr)
        return 1;
    return current_as(db, db->d_prefix + (name != nullptr ? name : ""), mtime, out);
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
    int id;
    int result = current_as(db, db->d_cur_name, mtime, &id);
    if (!db->d_writable)
        return result;
    db->d_flags |= DB_ENTER_PENDING;
    db->d_file_id = -1;
    db->d_stage = tvt_stage_new();
    return result;
}

int tvt_add_tag(tvt_db_t *db, const tag_entry_t *e)
{
    if (db == nullptr || db->d_stage == nullptr)
        return -1;
    tvt_stage_t *st = db->d_stage;
    long tags = tvt_stage_tags(st);
    int xrefs = tvt_stage_xrefs(st);
    int handle = tvt_stage_add(st, e);
    add_counts(st, tags, xrefs);
    return handle;
}

void tvt_put_stage(tvt_db_t *db, tvt_stage_t *st)
{
    if (db == nullptr || db->d_stage == nullptr || st == nullptr)
        return;
    std::swap(*db->d_stage, *st);
    db_stage_reset(st);
    add_counts(db->d_stage, 0, 0);
}

void tvt_end_file(tvt_db_t *db)
{
    if (db == nullptr || db->d_stage == nullptr)
        return;
    // A file that now yields nothing still replaces what it had, or an
    // editor would jump to definitions that are gone.  A new file with no
    // tags is not entered.
    bool had_tags = tvt_stage_tags(db->d_stage) == 0 && tvt_find_file(db, db->d_cur_name.c_str()) >= 0;
    if (tvt_stage_tags(db->d_stage) > 0 || had_tags) {
        if (!enter_file(db))
            db_growth_failed(db, 0);
        db->d_flags &= ~DB_ENTER_PENDING;
        intern_names(db);
        flush(db);
    }
    tvt_stage_free(db->d_stage);
    db->d_stage = nullptr;
    db->d_flags &= ~DB_ENTER_PENDING;
    db->d_file_id = -1;
    db->d_cur_name.clear();
}

int tvt_tag_sink(void *db, const tag_entry_t *entry)
{
    return tvt_add_tag((tvt_db_t *) db, entry);
}

} // extern "C"
