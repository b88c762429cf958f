// Removing a file's tags: its slot and name go, its records give back their
// counts, names and texts, and its blocks join the chain of free blocks,
// where a later file that needs exactly as many slots of the same size
// reuses them.
#include <string.h>

#include <algorithm>
#include <map>

#include "tvt_db.h"

uint32_t db_type_stat(const tvt_db_t *db, int type)
{
    uint32_t table = db_get32(db, TH_TYPE_STATS);
    if (table == 0 || type < 0 || type >= TYPE_STAT_COUNT)
        return 0;
    return table + (uint32_t) type * TYPE_STAT_SIZE;
}

namespace {

void lower(tvt_db_t *db, uint32_t field)
{
    uint32_t v = db_get32(db, field);
    if (v > 0)
        db_put32(db, field, v - 1);
}

void release_records(tvt_db_t *db, uint32_t blk, bool release_names)
{
    uint32_t rec = *db_at(db, blk + TI_REC_SIZE);
    uint32_t n = std::min(db_get16(db, blk + TI_USED), db_get16(db, blk + TI_SIZE));
    for (uint32_t i = 0; i < n; i++) {
        uint32_t r = blk + TI_RECORDS + i * rec;
        if (db_get24(db, r + TX_LINE) == 0)
            continue;
        bool def = rec == TAG_DEF_SIZE;
        int type = def ? (int) *db_at(db, r + TD_TYPE) : (int) TT_XREF;
        uint32_t stat = db_type_stat(db, type);
        if (stat != 0) {
            lower(db, stat + TS_TOTAL);
            if (!def || db_get32(db, r + TD_PARENT) == PARENT_NONE)
                lower(db, stat + TS_NOPARENT);
        }
        if (release_names)
            db_release_name(db, db_get32(db, r + TX_NAME));
        if (def)
            db_free_payload(db, db_get32(db, r + TD_TEXT));
    }
}

constexpr uint32_t kMaxText = 65536;   // texts live in chunks with a 16-bit size

// Length of the NUL-terminated text at off that ends below limit, or -1.
long text_len(const tvt_db_t *db, uint64_t off, uint32_t limit)
{
    if (off >= limit)
        return -1;
    size_t room = std::min<uint64_t>(limit - off, kMaxText);
    const void *nul = memchr(db_at(db, (uint32_t) off), 0, room);
    return nul == nullptr ? -1 : (long) ((const unsigned char *) nul - db_at(db, (uint32_t) off));
}

// End of the chunk of a definition's text: the type and argument texts, or
// for a structure or class its list of bases.  0 when neither form fits.
uint32_t text_chunk_end(const tvt_db_t *db, uint32_t ref, int type, uint32_t limit)
{
    long t1 = text_len(db, ref, limit);
    if (t1 < 0)
        return 0;
    long t2 = text_len(db, (uint64_t) ref + t1 + 1, limit);
    if (t2 >= 0) {
        uint32_t end = db_chunk_end(db, ref, (uint64_t) t1 + 1 + t2 + 1, limit);
        if (end != 0)
            return end;
    }
    if (type != TT_STRUCT && type != TT_CLASS)
        return 0;
    uint64_t p = ref;
    for (long n; (n = text_len(db, p, limit)) > 0 && p - ref < kMaxText;)
        p += (uint64_t) n + 1;
    if (text_len(db, p, limit) != 0)
        return 0;
    return db_chunk_end(db, ref, p + 1 - ref, limit);
}

bool clear_of(const db_guard_t *g, uint32_t start, uint32_t end)
{
    auto f = std::upper_bound(g->g_fixed.begin(), g->g_fixed.end(), start,
                              [](uint32_t s, const std::pair<uint32_t, uint32_t> &x) { return s < x.second; });
    if (f != g->g_fixed.end() && f->first < end)
        return false;
    auto w = g->g_was_free.upper_bound(start);
    if (w != g->g_was_free.begin() && std::prev(w)->second > start)
        return false;
    return w == g->g_was_free.end() || w->first >= end;
}

} // namespace

bool db_old_blocks_sound(tvt_db_t *db, const std::vector<db_block_ref_t> &blocks)
{
    const db_guard_t *g = db->d_guard;
    if (g == nullptr)
        return true;
    uint32_t top = g->g_open_top;
    std::map<uint32_t, uint32_t> name_uses;
    std::vector<std::pair<uint32_t, uint32_t>> chunks;
    for (const db_block_ref_t &b : blocks) {
        if (b.br_pos >= g->g_unjudged.size() || !g->g_unjudged[b.br_pos])
            continue;   // written in this run
        uint32_t rec = *db_at(db, b.br_off + TI_REC_SIZE);
        uint32_t n = db_get16(db, b.br_off + TI_USED);
        for (uint32_t i = 0; i < n; i++) {
            uint32_t r = b.br_off + TI_RECORDS + i * rec;
            if (db_get24(db, r + TX_LINE) == 0)
                continue;
            uint32_t name = db_get32(db, r + TX_NAME);
            if (name >= NAME_REF_MIN)
                name_uses[name]++;
            uint32_t text = rec == TAG_DEF_SIZE ? db_get32(db, r + TD_TEXT) : 0;
            if (text < NAME_REF_MIN)
                continue;   // none, or nothing that freeing would touch
            uint32_t end = text_chunk_end(db, text, *db_at(db, r + TD_TYPE), top);
            if (end == 0)
                return false;
            chunks.push_back({text - CHUNK_HDR, end});
        }
    }
    for (const auto &[name, uses] : name_uses) {
        long len = text_len(db, (uint64_t) name + 2, top);
        uint32_t end = len < 0 ? 0 : db_chunk_end(db, name, (uint64_t) len + 3, top);
        if (end == 0)
            return false;
        // Counted less often than used here, the entry would be freed while
        // a record still names it.
        uint32_t count = db_get16(db, name);
        if (count != NAME_COUNT_SATURATED && count < uses)
            return false;
        chunks.push_back({name - CHUNK_HDR, end});
    }
    std::sort(chunks.begin(), chunks.end());
    for (size_t i = 0; i < chunks.size(); i++) {
        if (i > 0 && chunks[i].first < chunks[i - 1].second)
            return false;   // one text for two records, or chunks that overlap
        if (!clear_of(g, chunks[i].first, chunks[i].second))
            return false;
    }
    return true;
}

void db_block_freed(tvt_db_t *db, db_block_ref_t b)
{
    uint32_t off = b.br_off;
    if (db->d_guard != nullptr && b.br_pos < db->d_guard->g_unjudged.size())
        db->d_guard->g_unjudged[b.br_pos] = false;
    db_put24(db, off + TI_FILE_ID, FILE_ID_NONE);
    uint32_t head = db_get32(db, TH_FREE_INDEX);
    db_put32(db, off + TI_NEXT_FREE, head);
    if (head != 0)
        db->d_free_prev[head] = off;
    db->d_free_prev[off] = 0;
    db_put32(db, TH_FREE_INDEX, off);
    uint32_t rec = *db_at(db, off + TI_REC_SIZE);
    uint32_t n = db_get16(db, off + TI_SIZE);
    memset(db_at(db, off + TI_RECORDS), FILL_FREE, (size_t) n * rec);
    db_put16(db, off + TI_USED, 0);
    db->d_free_index[rec << 16 | n].push_back(b);
}

void db_drop_block(tvt_db_t *db, db_block_ref_t b, bool release_names)
{
    release_records(db, b.br_off, release_names);
    db_block_freed(db, b);
}

bool db_take_free_block(tvt_db_t *db, int rec_size, int n, db_block_ref_t *out)
{
    auto it = db->d_free_index.find((uint32_t) rec_size << 16 | (uint32_t) n);
    if (it == db->d_free_index.end() || it->second.empty())
        return false;
    db_block_ref_t b = it->second.back();
    it->second.pop_back();
    uint32_t off = b.br_off;
    DB_CHECK(db_get24(db, off + TI_FILE_ID) == FILE_ID_NONE, "LGET24(tip->ti_file_id) == FILE_ID_NONE");
    uint32_t prev = db->d_free_prev[off];
    uint32_t next = db_get32(db, off + TI_NEXT_FREE);
    if (prev != 0)
        db_put32(db, prev + TI_NEXT_FREE, next);
    else
        db_put32(db, TH_FREE_INDEX, next);
    if (next != 0)
        db->d_free_prev[next] = prev;
    db->d_free_prev.erase(off);
    db_put32(db, off + TI_NEXT_FREE, 0);
    *out = b;
    return true;
}

void db_remove_id(tvt_db_t *db, int id)
{
    std::vector<db_block_ref_t> blocks;
    if ((size_t) id < db->d_blocks_of.size())
        blocks = db->d_blocks_of[(size_t) id];
    // Nothing is freed before all of it is known to be safe to free.
    if (!db_old_blocks_sound(db, blocks)) {
        db_start_afresh(db);
        return;
    }
    db_clear_slot(db, id);
    if ((size_t) id < db->d_blocks_of.size())
        db->d_blocks_of[(size_t) id].clear();
    // In chain order, as a walk of the chain would free them.
    std::sort(blocks.begin(), blocks.end(),
              [](const db_block_ref_t &x, const db_block_ref_t &y) { return x.br_pos < y.br_pos; });
    for (const db_block_ref_t &b : blocks)
        db_drop_block(db, b, true);
}

int tvt_remove_file(tvt_db_t *db, const char *name)
{
    if (db == nullptr || !db->d_writable || name == nullptr)
        return -1;
    int id = tvt_find_file(db, name);
    if (id < 0)
        return -1;
    // The file being scanned goes, and so do its staged tags.
    if (db->d_stage != nullptr && (db->d_flags & DB_ENTER_PENDING) && db->d_cur_name == name)
        db_stage_reset(db->d_stage);
    if (db->d_stage != nullptr && !(db->d_flags & DB_ENTER_PENDING) && db->d_file_id == id)
        db_discard_stage(db);
    db_remove_id(db, id);
    return 0;
}
