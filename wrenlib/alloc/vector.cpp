// The chunked vector: records are copied into blocks of a fixed capacity
// that never move, since the tag database keeps pointers into them.  Record
// n is found through an index of one block per 1024 record numbers, built
// on demand and dropped whenever a block is added.
#include "wrenlib/vector.h"

#include <cstdint>
#include <cstring>

#include "wrenlib/chk.h"
#include "wrenlib/fmt.h"
#include "wrenlib/wl_assert.h"

namespace {

constexpr int32_t kIndexSpan = 1024;

struct block_pos_t {
    vector_block_t *block;
    int32_t offset;
};

// The index covers every record the blocks can hold, not only those stored
// when it was built: appends that fill the last block leave the index in
// place, and a record stored after the build must still find its slot.
int32_t index_slots(const vector_t *v) {
    int32_t capacity = v->v_last ? v->v_last->vb_first + v->v_per_block : 0;
    return capacity / kIndexSpan + 1;
}

// Slot s holds the first block whose end reaches past record s * 1024;
// since a block holds fewer than 1024 records, that block starts at or
// before every record of the slot and no slot is skipped.
void vec_build_index(vector_t *v) {
    int32_t slots = index_slots(v);
    v->v_index = static_cast<vector_block_t **>(chk_zalloc(sizeof(vector_block_t *) * size_t(slots)));
    int32_t prev = -1;
    for (vector_block_t *b = v->v_first; b; b = b->vb_next) {
        int32_t slot = (b->vb_first + v->v_per_block) / kIndexSpan;
        if (slot >= slots)
            break;
        if (slot != prev)
            v->v_index[slot] = b;
        prev = slot;
    }
}

block_pos_t find_block(vector_t *v, int n) {
    WL_ASSERT(n >= 0);
    if (!v->v_index)
        vec_build_index(v);
    int32_t slot = n / kIndexSpan;
    if (n >= v->num || slot >= index_slots(v))
        slot = index_slots(v) - 1; // past the end: the walk below reports it
    vector_block_t *vep = v->v_index[slot];
    while (!vep && slot > 0)
        vep = v->v_index[--slot];
    if (vep) {
        n -= vep->vb_first;
        while (n >= vep->vb_count) {
            n -= vep->vb_count;
            vep = vep->vb_next;
            if (!vep)
                break;
        }
    }
    if (n < 0 || !vep) {
        wl_printf("vector:find_block: num=%d n=%d vep=%x\n", v->num, n,
                  (unsigned)(uintptr_t)vep);
        WL_ASSERT(n >= 0 && vep);
    }
    return {vep, int32_t(n)};
}

char *record_at(const vector_t *v, vector_block_t *b, int32_t offset) {
    return b->vb_data + size_t(offset) * size_t(v->v_rec_size);
}

} // namespace

extern "C" {

vector_t *vec_create(int record_size, int per_block) {
    // The index relies on a block never spanning a whole 1024-record slot.
    WL_ASSERT(record_size > 0 && per_block > 0 && per_block < 1024);
    auto *v = static_cast<vector_t *>(chk_zalloc(sizeof(vector_t)));
    v->v_rec_size = record_size;
    v->v_per_block = per_block;
    return v;
}

void vec_destroy(vector_t *v) {
    if (!v)
        return;
    vector_block_t *b = v->v_first;
    while (b) {
        vector_block_t *next = b->vb_next;
        chk_free(b->vb_data);
        chk_free(b);
        b = next;
    }
    chk_free_ptr(&v->v_index);
    chk_free(v);
}

void *vec_append(vector_t *v, const void *record) {
    vector_block_t *b = v->v_last;
    if (!b || b->vb_count >= v->v_per_block) {
        b = static_cast<vector_block_t *>(chk_zalloc(sizeof(vector_block_t)));
        b->vb_data = static_cast<char *>(chk_zalloc(size_t(v->v_per_block) * size_t(v->v_rec_size)));
        b->vb_first = v->num;
        b->vb_prev = v->v_last;
        if (v->v_last)
            v->v_last->vb_next = b;
        else
            v->v_first = b;
        v->v_last = b;
        v->v_blocks++;
        chk_free_ptr(&v->v_index);
    }
    char *slot = record_at(v, b, b->vb_count);
    std::memcpy(slot, record, size_t(v->v_rec_size));
    b->vb_count++;
    v->num++;
    return slot;
}

void *vec_elem(vector_t *v, int n) {
    block_pos_t pos = find_block(v, n);
    return record_at(v, pos.block, pos.offset);
}

void *vec_seek(vector_t *v, int n) {
    if (n < 0)
        return nullptr;
    block_pos_t pos = find_block(v, n);
    v->v_cur_block = pos.block;
    v->v_cur_rec = record_at(v, pos.block, pos.offset);
    v->v_cur_end = record_at(v, pos.block, pos.block->vb_count);
    return v->v_cur_rec;
}

void *vec_prev(vector_t *v) {
    vector_block_t *b = v->v_cur_block;
    if (!b)
        return nullptr;
    if (v->v_cur_rec > b->vb_data) {
        v->v_cur_rec -= v->v_rec_size;
        return v->v_cur_rec;
    }
    vector_block_t *p = b->vb_prev;
    if (!p || p->vb_count == 0)
        return nullptr; // the cursor stays on the first record
    v->v_cur_block = p;
    v->v_cur_rec = record_at(v, p, p->vb_count - 1);
    v->v_cur_end = record_at(v, p, p->vb_count);
    return v->v_cur_rec;
}

} // extern "C"
