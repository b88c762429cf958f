// Removing a file's tags: its slot and name go, its records give back their
// counts, names and texts, and its blocks join the chain of free blocks,
// where a later file that needs exactly as many slots of the same size
// reuses them.
#include <string.h>

#include <algorithm>

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

} // namespace

void db_block_freed(tvt_db_t *db, db_block_ref_t b)
{
    uint32_t off = b.br_off;
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
    db_clear_slot(db, id);
    if ((size_t) id >= db->d_blocks_of.size())
        return;
    std::vector<db_block_ref_t> blocks = std::move(db->d_blocks_of[(size_t) id]);
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
    if (db->d_stage != nullptr && !(db->d_flags & DB_ENTER_PENDING) && db->d_file_id == id)
        db_discard_stage(db);   // the file being scanned goes, and so do its staged tags
    db_remove_id(db, id);
    return 0;
}
