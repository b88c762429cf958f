#ifndef WRENLIB_ALLOC_CHK_DEBUG_H
#define WRENLIB_ALLOC_CHK_DEBUG_H
/* State of the debugging mode, shared by the files that walk it (the heap
 * check, the statistics dump, the leak check).  Guarded by the process
 * lock.
 *
 * A tracked block is laid out as
 *     [trk_t with its call stack][block_hdr_t][data][padding + guard bytes]
 * so the magic and size sit right in front of the data in every mode, and
 * the same test tells a block of ours whatever the settings. */
#include <mutex>

#include "chk_internal.h"
#include "chk_sysalloc.h"

namespace wl_chk {

struct trk_t {
    const char *t_tag;     /* the allocating operation */
    trk_t *t_next;         /* the block allocated before it */
    trk_t *t_prev;         /* the block allocated after it */
    unsigned long t_id;
    const void *t_caller;
    uintptr_t t_stack[1];  /* "depth" words in fact */
};

struct queue_entry_t {
    void *fq_data;           /* null while the slot is empty */
    size_t fq_size;
    unsigned long fq_allocs; /* allocations made when it was freed */
    unsigned long fq_free_no;
    unsigned long fq_id;
};

struct dbg_state_t {
    size_t d_trk_size = 0;            /* tracking record, rounded to 16 */
    trk_t *d_live = nullptr;          /* newest first */
    size_t d_live_count = 0;
    unsigned long d_next_id = 1;
    sys_set<uintptr_t> d_live_set;    /* data addresses of live blocks */
    sys_set<uintptr_t> d_released;    /* given back, not handed out again */
    sys_vector<queue_entry_t> d_queue;
    size_t d_queue_next = 0;
};

/* Never destroyed: blocks freed by late static destructors still find
 * their tables, and blocks waiting in the queue at exit stay referenced. */
dbg_state_t &dbg_state();
#define g_dbg (::wl_chk::dbg_state())

inline block_hdr_t *hdr_of(void *data)
{
    return reinterpret_cast<block_hdr_t *>(static_cast<char *>(data) - HDR_SIZE);
}
inline trk_t *trk_of(void *data)
{
    return reinterpret_cast<trk_t *>(static_cast<char *>(data) - HDR_SIZE - g_dbg.d_trk_size);
}
inline void *raw_of(void *data) { return static_cast<char *>(data) - HDR_SIZE - g_dbg.d_trk_size; }
inline void *data_of_trk(trk_t *t) { return reinterpret_cast<char *>(t) + g_dbg.d_trk_size + HDR_SIZE; }

void *dbg_resize(std::unique_lock<std::recursive_mutex> &lk, void *data, size_t size);

} // namespace wl_chk

#endif
