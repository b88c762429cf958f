// The file table, and the indexes over it and over the chain of tag index
// blocks that are built when a tag file is opened: name -> file id, file id
// -> its blocks, free blocks by record size and slot count.  Finding a file,
// removing its tags and reusing a block then cost the same in a tree of a
// hundred files and of fifty thousand.  The indexes live only in memory; the
// stored structures are the ones a walk would use.
#include <string.h>

#include <algorithm>

#include "tvt_db.h"

namespace {

uint32_t used_end(const tvt_db_t *db)
{
    uint64_t top = db_get32(db, TH_TOP);
    return (uint32_t) std::min<uint64_t>(top, db_size(db));
}

// First slot after `after` that holds `name`, or -1; only needed when the
// file held one name twice.
int scan_for_name(const tvt_db_t *db, const char *name, int after)
{
    int slots = (int) db->d_file_blocks.size() * FT_SLOT_COUNT;
    for (int id = after + 1; id < slots; id++) {
        uint32_t ref = db_get32(db, db_slot(db, id) + 4);
        const char *text = db_file_name_text(db, ref);
        if (text != nullptr && strcmp(name, text) == 0)
            return id;
    }
    return -1;
}

// True when the records of a free block are all filled as freeing fills
// them: a block that is reused is overwritten, one that is not stays so.
bool filled_free(const tvt_db_t *db, uint32_t b, uint32_t bytes)
{
    const unsigned char *r = db_at(db, b + TI_RECORDS);
    for (uint32_t i = 0; i < bytes; i++)
        if (r[i] != FILL_FREE)
            return false;
    return true;
}

} // namespace

void db_clear_indexes(tvt_db_t *db)
{
    db->d_file_blocks.clear();
    db_index_clear(db);
    db->d_free_ids.clear();
    db->d_file_dups = false;
    db->d_blocks_of.clear();
    db->d_free_index.clear();
    db->d_free_prev.clear();
    db->d_chain_len = 0;
}

uint32_t db_slot(const tvt_db_t *db, int id)
{
    if (id < 0 || (size_t) (id / FT_SLOT_COUNT) >= db->d_file_blocks.size())
        return 0;
    return db->d_file_blocks[(size_t) (id / FT_SLOT_COUNT)] + FT_SLOTS + (uint32_t) (id % FT_SLOT_COUNT) * FT_SLOT_SIZE;
}

// A reader takes every name it can read; a writer needs each in the chunk
// the allocator made for it, because removing the file frees that chunk.
bool db_load_file_table(tvt_db_t *db)
{
    bool ok = true;
    uint32_t end = used_end(db);
    uint32_t fb = db_get32(db, TH_FIRST_FILEBLK);
    uint32_t last = 0;
    size_t limit = end / (FILE_BLOCK_SIZE + CHUNK_HDR) + 1;
    db_guard_t *g = db->d_guard;
    while (fb != 0) {
        if (fb < TAG_HEADER_SIZE + CHUNK_HDR || (uint64_t) fb + FILE_BLOCK_SIZE > end ||
            db->d_file_blocks.size() >= limit) {
            ok = false;
            break;
        }
        uint32_t chunk_end = db_chunk_end(db, fb, FILE_BLOCK_SIZE, end);
        if (chunk_end == 0 || db_get16(db, fb + 4) != 0 || db_get16(db, fb + FT_COUNT) != FT_SLOT_COUNT)
            ok = false;
        else if (g != nullptr)
            g->g_fixed.push_back({fb - CHUNK_HDR, chunk_end});
        db->d_file_blocks.push_back(fb);
        last = fb;
        fb = db_get32(db, fb + FT_NEXT);
    }
    if (ok && last != db_get32(db, TH_LAST_FILEBLK))
        ok = false;
    int slots = (int) db->d_file_blocks.size() * FT_SLOT_COUNT;
    db_index_reserve(db, (size_t) slots);
    for (int id = 0; id < slots; id++) {
        uint32_t ref = db_get32(db, db_slot(db, id) + 4);
        if (ref == 0) {
            db->d_free_ids.insert(db->d_free_ids.end(), id);
            continue;
        }
        const char *text = db_file_name_text(db, ref);
        if (text == nullptr) {
            ok = false;
            continue;
        }
        if (ref >= NAME_REF_MIN) {
            uint32_t name_end = db_chunk_end(db, ref, strlen(text) + 1, end);
            if (name_end == 0)
                ok = false;
            else if (g != nullptr)
                g->g_fixed.push_back({ref - CHUNK_HDR, name_end});
        }
        if (db_index_enter(db, text, id) >= 0) {
            db->d_file_dups = true;
            ok = false;   // one name twice: which slot is the file?
        }
    }
    return ok;
}

// The chain of all blocks, each checked in its header only: the chunk it
// lives in, its kind, its tag numbers, and its owner.
bool db_load_blocks(tvt_db_t *db)
{
    uint32_t end = used_end(db);
    size_t slots = db->d_file_blocks.size() * FT_SLOT_COUNT;
    db->d_blocks_of.assign(slots, {});
    db_guard_t *g = db->d_guard;
    std::unordered_map<uint32_t, uint32_t> free_pos;
    std::vector<std::pair<uint32_t, uint32_t>> tids;
    uint32_t next_tid = db_get32(db, TH_NEXT_TID);
    uint32_t b = db_get32(db, TH_FIRST_BLOCK);
    uint32_t last = 0;
    size_t limit = end / (TI_ALLOC_EXTRA + CHUNK_HDR) + 1;
    while (b != 0) {
        if (b < TAG_HEADER_SIZE + CHUNK_HDR || (uint64_t) b + TI_ALLOC_EXTRA > end || db->d_chain_len >= limit)
            return false;
        uint32_t rec = *db_at(db, b + TI_REC_SIZE);
        uint32_t kind = *db_at(db, b + TI_KIND);
        uint32_t n = db_get16(db, b + TI_SIZE);
        uint32_t used = db_get16(db, b + TI_USED);
        uint32_t tid = db_get32(db, b + TI_FIRST_TID);
        if (!((rec == TAG_XREF_SIZE && kind == KIND_XREF) || (rec == TAG_DEF_SIZE && kind == KIND_DEF)) || n == 0 ||
            (uint64_t) tid + n > next_tid)
            return false;
        uint32_t chunk_end = db_chunk_end(db, b, TI_ALLOC_EXTRA + (uint64_t) n * rec, end);
        if (chunk_end == 0)
            return false;
        uint32_t pos = db->d_chain_len++;
        uint32_t fid = db_get24(db, b + TI_FILE_ID);
        bool owned = false;
        if (fid == FILE_ID_NONE) {
            if (used != 0 || !filled_free(db, b, n * rec))
                return false;
            free_pos.emplace(b, pos);
        } else if (used != n) {
            return false;
        } else if (fid < slots && db_get32(db, db_slot(db, (int) fid) + 4) != 0) {
            db->d_blocks_of[fid].push_back({pos, b});
            owned = true;
        } else if (fid != FILE_ID_PENDING) {
            return false;   // a block of no file: a new file in that slot would inherit it
        }
        // A block awaiting deletion by a reader is nobody's to remove: it
        // is left alone.
        if (g != nullptr) {
            g->g_fixed.push_back({b - CHUNK_HDR, chunk_end});
            g->g_unjudged.push_back(owned);
        }
        tids.push_back({tid, n});
        last = b;
        b = db_get32(db, b + TI_NEXT);
    }
    if (last != db_get32(db, TH_LAST_BLOCK))
        return false;
    db_sort_spans(tids);
    for (size_t i = 1; i < tids.size(); i++)
        if ((uint64_t) tids[i - 1].first + tids[i - 1].second > tids[i].first)
            return false;   // two blocks give out one tag number

    uint32_t f = db_get32(db, TH_FREE_INDEX);
    uint32_t prev = 0;
    while (f != 0) {
        auto it = free_pos.find(f);
        if (it == free_pos.end() || db->d_free_prev.count(f))
            return false;
        db->d_free_prev[f] = prev;
        uint32_t key = (uint32_t) *db_at(db, f + TI_REC_SIZE) << 16 | db_get16(db, f + TI_SIZE);
        db->d_free_index[key].push_back({it->second, f});
        prev = f;
        f = db_get32(db, f + TI_NEXT_FREE);
    }
    if (db->d_free_prev.size() != free_pos.size())
        return false;   // a free block off the chain is never reused
    for (auto &kv : db->d_free_index)
        std::reverse(kv.second.begin(), kv.second.end());
    return true;
}

int db_take_slot(tvt_db_t *db)
{
    if (!db->d_free_ids.empty()) {
        int id = *db->d_free_ids.begin();
        db->d_free_ids.erase(db->d_free_ids.begin());
        return id;
    }
    int base = (int) db->d_file_blocks.size() * FT_SLOT_COUNT;
    if ((uint32_t) base + FT_SLOT_COUNT >= FILE_ID_PENDING)
        return -1;   // file ids are 24 bits and the top two values are taken
    uint32_t nb = db_alloc(db, FILE_BLOCK_SIZE);
    if (nb == 0)
        return -1;
    memset(db_at(db, nb), 0, FILE_BLOCK_SIZE);
    db_put16(db, nb + FT_COUNT, FT_SLOT_COUNT);
    db_chain_append(db, TH_FIRST_FILEBLK, TH_LAST_FILEBLK, FT_NEXT, nb);
    db->d_file_blocks.push_back(nb);
    db->d_blocks_of.resize(db->d_file_blocks.size() * FT_SLOT_COUNT);
    for (int i = 1; i < FT_SLOT_COUNT; i++)
        db->d_free_ids.insert(db->d_free_ids.end(), base + i);
    return base;
}

void db_enter_name(tvt_db_t *db, int id, const std::string &name)
{
    if (db_index_enter(db, name.c_str(), id) >= 0)
        db->d_file_dups = true;
}

void db_clear_slot(tvt_db_t *db, int id)
{
    uint32_t slot = db_slot(db, id);
    if (slot == 0)
        return;
    uint32_t ref = db_get32(db, slot + 4);
    const char *text = db_file_name_text(db, ref);
    // When the table holds the name twice, the next slot with it takes over.
    if (text != nullptr && db_index_drop(db, text, id) && db->d_file_dups) {
        int other = scan_for_name(db, text, id);
        if (other >= 0)
            db_index_enter(db, text, other);
    }
    db_put32(db, slot, 0);
    db_put32(db, slot + 4, 0);
    db_free_payload(db, ref);
    db->d_free_ids.insert(id);
}

int tvt_file_at(tvt_db_t *db, int id, const char **name, uint32_t *mtime)
{
    uint32_t slot = db == nullptr ? 0 : db_slot(db, id);
    if (slot == 0)
        return -1;
    uint32_t ref = db_get32(db, slot + 4);
    if (mtime != nullptr)
        *mtime = db_get32(db, slot);
    if (ref == 0) {
        if (name != nullptr)
            *name = nullptr;
        return 0;
    }
    const char *text = db_file_name_text(db, ref);
    if (name != nullptr)
        *name = text != nullptr ? text : "";
    return 1;
}

int tvt_find_file(tvt_db_t *db, const char *name)
{
    if (db == nullptr || name == nullptr)
        return -1;
    return db_index_find(db, name);
}
