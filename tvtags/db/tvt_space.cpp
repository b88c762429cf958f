// Space inside the tag file: four size-class free lists kept sorted and
// coalesced, and the top of the used area that grows the file in steps.
//
// Each list lives in the file (tf_next links in ascending offset order); an
// ordered set of the same offsets is kept beside it so that freeing finds its
// neighbours without walking the list.  The set and the file are changed
// together, so the stored links come out exactly as a walk would leave them.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "wrenlib/fmt.h"
#include "wrenlib/wl_assert.h"
#include "tvt_db.h"

namespace {

constexpr uint32_t kHeadField[DB_FREE_CLASSES] = {TH_FREE1, TH_FREE2, TH_FREE3, TH_FREE4};

// Sets the link that points at a list block: the previous block's tf_next,
// or the list head when there is no previous block.
void set_link(tvt_db_t *db, int cls, const std::set<uint32_t>::iterator &prev_it, bool has_prev,
              uint32_t value)
{
    if (has_prev)
        db_put32(db, *prev_it + TF_NEXT, value);
    else
        db_put32(db, kHeadField[cls], value);
}

void unlink_block(tvt_db_t *db, int cls, std::set<uint32_t>::iterator it)
{
    std::set<uint32_t> &list = db->d_free[cls];
    uint32_t next = db_get32(db, *it + TF_NEXT);
    if (it == list.begin()) {
        db_put32(db, kHeadField[cls], next);
    } else {
        auto prev = std::prev(it);
        db_put32(db, *prev + TF_NEXT, next);
    }
    list.erase(it);
}

bool grow_for(tvt_db_t *db, uint32_t a)
{
    uint64_t top = db_get32(db, TH_TOP);
    size_t size = db_size(db);
    uint64_t g = a > 8192 ? a : 8192;
    if (size > 16u * 1024 * 1024) {
        if (g < 512u * 1024)
            g = 512u * 1024;
    } else if (size > 4u * 1024 * 1024) {
        if (g < 64u * 1024)
            g = 64u * 1024;
    }
    uint64_t want = top + g;
    // References are 32-bit offsets: the file can never pass 4 GiB.
    if (want > 0xFFFFFFFFull)
        return false;
    if (db->d_size_limit != 0 && want > db->d_size_limit)
        return false;
    return mmap_file_probe(db->d_file, (size_t) want) != 0;
}

// Space that has been free is no place for an old record's name or text;
// the guard keeps it merged, as the lists would if they were one.
void note_freed(tvt_db_t *db, uint32_t start, uint32_t end)
{
    if (db->d_guard == nullptr)
        return;
    std::map<uint32_t, uint32_t> &m = db->d_guard->g_was_free;
    auto it = m.upper_bound(start);
    if (it != m.begin() && std::prev(it)->second >= start) {
        --it;
        start = it->first;
        end = std::max(end, it->second);
        it = m.erase(it);
    }
    while (it != m.end() && it->first <= end) {
        end = std::max(end, it->second);
        it = m.erase(it);
    }
    m.emplace(start, end);
}

} // namespace

int db_size_class(uint32_t a)
{
    if (a <= 32)
        return 0;
    if (a <= 128)
        return 1;
    if (a <= 1024)
        return 2;
    return 3;
}

uint32_t db_free_head_field(int cls)
{
    return kHeadField[cls];
}

uint32_t db_alloc_from_free(tvt_db_t *db, uint32_t a)
{
    int cls = db_size_class(a);
    std::set<uint32_t> &list = db->d_free[cls];
    auto best = list.end();
    int visited = 0;
    for (auto it = list.begin(); it != list.end() && visited < DB_FREE_VISIT_MAX; ++it, ++visited) {
        uint32_t s = db_get32(db, *it + TF_SIZE);
        if (s == a) {
            uint32_t chunk = *it;
            unlink_block(db, cls, it);
            db_put16(db, chunk, a);
            return chunk;
        }
        if (s > a && best == list.end())
            best = it;
    }
    if (best == list.end())
        return 0;
    uint32_t blk = *best;
    uint32_t s = db_get32(db, blk + TF_SIZE);
    if (s > a + 16) {
        // Split: the block stays where it is on its list, the chunk comes
        // from its end.
        DB_CHECK(s - a >= TAG_FREE_SIZE, "s - size >= (int) sizeof(tag_free_t)");
        db_put32(db, blk + TF_SIZE, s - a);
        uint32_t chunk = blk + s - a;
        db_put16(db, chunk, a);
        return chunk;
    }
    unlink_block(db, cls, best);
    db_put16(db, blk, s);
    return blk;
}

uint32_t db_alloc(tvt_db_t *db, int n)
{
    if (n < 0)
        return 0;
    uint32_t a = (uint32_t) n + CHUNK_HDR;
    if (a < CHUNK_MIN)
        a = CHUNK_MIN;
    uint32_t chunk = db_alloc_from_free(db, a);
    if (chunk != 0)
        return chunk + CHUNK_HDR;
    uint32_t top = db_get32(db, TH_TOP);
    if ((uint64_t) top + a >= db_size(db) && !grow_for(db, a))
        return 0;
    chunk = top;
    db_put32(db, TH_TOP, top + a);
    db_put16(db, chunk, a);   // low 16 bits for the large chunks
    return chunk + CHUNK_HDR;
}

void db_free_chunk(tvt_db_t *db, uint32_t f, uint32_t a)
{
    DB_CHECK(a >= TAG_FREE_SIZE, "len >= (int) sizeof(tag_free_t)");
    note_freed(db, f, f + a);
    db_put32(db, TH_DEF_HINT, 0);
    db_put32(db, TH_XREF_HINT, 0);
    db_put32(db, f + TF_SIZE, a);
    db_put32(db, f + TF_NEXT, 0);

    int cls = db_size_class(a);
    std::set<uint32_t> &list = db->d_free[cls];
    if (list.empty()) {
        db_put32(db, kHeadField[cls], f);
        list.insert(f);
        return;
    }
    auto next = list.upper_bound(f);
    bool has_prev = next != list.begin();
    auto prev = has_prev ? std::prev(next) : list.end();
    if (has_prev) {
        DB_CHECK(*prev != f, "fp1 != fp");
        uint32_t pend = *prev + db_get32(db, *prev + TF_SIZE);
        DB_CHECK(pend <= f, "freed chunk lies inside a free block");
        if (pend == f) {
            uint32_t psize = db_get32(db, *prev + TF_SIZE) + a;
            if (next != list.end() && *prev + psize == *next) {
                psize += db_get32(db, *next + TF_SIZE);
                db_put32(db, *prev + TF_NEXT, db_get32(db, *next + TF_NEXT));
                list.erase(next);
            }
            db_put32(db, *prev + TF_SIZE, psize);
            return;
        }
    }
    if (next != list.end()) {
        DB_CHECK(f + a <= *next, "freed chunk overlaps a free block");
        if (f + a == *next) {
            db_put32(db, f + TF_SIZE, a + db_get32(db, *next + TF_SIZE));
            db_put32(db, f + TF_NEXT, db_get32(db, *next + TF_NEXT));
            set_link(db, cls, prev, has_prev, f);
            list.erase(next);
            list.insert(f);
            return;
        }
        db_put32(db, f + TF_NEXT, *next);
    } else {
        DB_CHECK(db_get32(db, *prev + TF_NEXT) == 0, "LGET32(fp0->tf_next) == 0");
    }
    set_link(db, cls, prev, has_prev, f);
    list.insert(f);
}

void db_free_payload(tvt_db_t *db, uint32_t ref)
{
    if (ref < NAME_REF_MIN)
        return;
    uint32_t chunk = ref - CHUNK_HDR;
    db_free_chunk(db, chunk, db_get16(db, chunk));
}

// Reads the four lists into their sets.  A list that leaves the used area,
// loops, is out of order or holds two adjacent blocks cannot be trusted for
// coalescing.
bool db_load_free_lists(tvt_db_t *db)
{
    uint32_t top = db_get32(db, TH_TOP);
    for (int cls = 0; cls < DB_FREE_CLASSES; cls++) {
        db->d_free[cls].clear();
        uint32_t blk = db_get32(db, kHeadField[cls]);
        uint32_t last_end = TAG_HEADER_SIZE;
        bool first = true;
        while (blk != 0) {
            if (blk < last_end || (!first && blk == last_end) || (uint64_t) blk + TAG_FREE_SIZE > top)
                return false;
            first = false;
            uint32_t s = db_get32(db, blk + TF_SIZE);
            if (s < TAG_FREE_SIZE || (uint64_t) blk + s > top)
                return false;
            db->d_free[cls].insert(db->d_free[cls].end(), blk);
            last_end = blk + s;
            blk = db_get32(db, blk + TF_NEXT);
        }
    }
    return true;
}

uint32_t db_chunk_end(const tvt_db_t *db, uint32_t ref, uint64_t payload, uint32_t limit)
{
    uint64_t a = payload + CHUNK_HDR < CHUNK_MIN ? CHUNK_MIN : payload + CHUNK_HDR;
    if (ref < TAG_HEADER_SIZE + CHUNK_HDR || (uint64_t) ref - CHUNK_HDR + a > limit)
        return 0;
    // The allocator hands out the size asked for, or a free block with up
    // to 16 bytes to spare; chunks past 64 KiB keep the low 16 bits.
    uint32_t field = db_get16(db, ref - CHUNK_HDR);
    for (uint64_t r = a; r <= a + 16; r++)
        if ((r & 0xFFFF) == field)
            return (uint64_t) ref - CHUNK_HDR + r <= limit ? (uint32_t) (ref - CHUNK_HDR + r) : 0;
    return 0;
}

// The pools, then the whole picture: the structures found so far (header,
// counter table, name block, file table, names of files, blocks, pool
// headers and unused pool space) and the free blocks must not overlap.
// What lies between them, the records' names and texts, is not read here.
bool db_structure_sound(tvt_db_t *db)
{
    db_guard_t *g = db->d_guard;
    uint32_t top = db_get32(db, TH_TOP);
    static const uint32_t kPools[] = {TH_POOL_FILENAMES, TH_POOL_NAMES, TH_POOL_TEXTS};
    // A pool met twice overlaps itself below; the bound ends a loop.
    size_t limit = top / (PC_DATA + CHUNK_HDR) + 1, walked = 0;
    for (uint32_t head : kPools) {
        for (uint32_t p = db_get32(db, head); p != 0; p = db_get32(db, p + PC_NEXT)) {
            if (++walked > limit || (uint64_t) p + PC_DATA > top)
                return false;
            uint32_t cap = db_get32(db, p + PC_CAPACITY), used = db_get32(db, p + PC_USED);
            uint32_t end = db_chunk_end(db, p, (uint64_t) cap + PC_DATA, top);
            if (end == 0 || used > cap)
                return false;
            g->g_fixed.push_back({p - CHUNK_HDR, p + PC_DATA});
            if (p + PC_DATA + used < end)
                g->g_fixed.push_back({p + PC_DATA + used, end});
        }
    }
    std::vector<std::pair<uint32_t, uint32_t>> &fixed = g->g_fixed;
    db_sort_spans(fixed);
    for (size_t i = 1; i < fixed.size(); i++)
        if (fixed[i].first < fixed[i - 1].second)
            return false;
    std::vector<std::pair<uint32_t, uint32_t>> free_blocks;
    for (const std::set<uint32_t> &list : db->d_free)
        for (uint32_t f : list)
            free_blocks.push_back({f, f + db_get32(db, f + TF_SIZE)});
    std::sort(free_blocks.begin(), free_blocks.end());
    size_t k = 0;
    for (size_t i = 0; i < free_blocks.size(); i++) {
        if (i > 0 && free_blocks[i].first < free_blocks[i - 1].second)
            return false;   // blocks of two lists overlap
        while (k < fixed.size() && fixed[k].second <= free_blocks[i].first)
            k++;
        if (k < fixed.size() && fixed[k].first < free_blocks[i].second)
            return false;
        note_freed(db, free_blocks[i].first, free_blocks[i].second);
    }
    g->g_open_top = top;
    return true;
}

uint32_t tvt_alloc(tvt_db_t *db, int n)
{
    if (db == nullptr || !db->d_writable)
        return 0;
    return db_alloc(db, n);
}

void tvt_free(tvt_db_t *db, uint32_t chunk, int size)
{
    if (db == nullptr || !db->d_writable)
        return;
    DB_CHECK(size >= (int) TAG_FREE_SIZE, "len >= (int) sizeof(tag_free_t)");
    db_free_chunk(db, chunk, (uint32_t) size);
}

void tvt_set_size_limit(tvt_db_t *db, uint64_t bytes)
{
    if (db != nullptr)
        db->d_size_limit = bytes;
}

void db_chain_append(tvt_db_t *db, uint32_t first_field, uint32_t last_field, uint32_t next_at, uint32_t off)
{
    uint32_t last = db_get32(db, last_field);
    if (last != 0)
        db_put32(db, last + next_at, off);
    else
        db_put32(db, first_field, off);
    db_put32(db, last_field, off);
}

void db_growth_failed(tvt_db_t *db, uint32_t wanted)
{
    if (wanted != 0)
        wl_fprintf(stderr, "tvtags: %s: cannot grow the tag file beyond %lu bytes for %lu more\n",
                   db->d_path.c_str(), (unsigned long) db_size(db), (unsigned long) wanted);
    else
        wl_fprintf(stderr, "tvtags: %s: cannot grow the tag file beyond %lu bytes\n", db->d_path.c_str(),
                   (unsigned long) db_size(db));
    if (!db->d_cur_name.empty())
        wl_fprintf(stderr, "tvtags: the tags of %s were not written; the tag file is left as it was before it\n",
                   db->d_cur_name.c_str());
    db_discard_stage(db);
    db_close_quietly(db);
    fflush(stdout);
    fflush(stderr);
    exit(1);
}
