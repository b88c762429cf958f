// The debugging mode: tracked blocks, the free queue and the reports of bad
// frees.  Every operation holds the process lock, and lets go of it before
// it reports through the error routine.
#include <stdlib.h>
#include <string.h>

#include <mutex>
#include <new>

#include "chk_debug.h"
#include "wrenlib/fmt.h"

namespace wl_chk {

dbg_state_t &dbg_state()
{
    alignas(dbg_state_t) static unsigned char storage[sizeof(dbg_state_t)];
    static dbg_state_t *d = new (storage) dbg_state_t;
    return *d;
}

namespace {

using ulock_t = std::unique_lock<std::recursive_mutex>;
constexpr auto relaxed = std::memory_order_relaxed;
constexpr size_t RELEASED_LIMIT = 1u << 20;

unsigned long long addr(const void *p) { return reinterpret_cast<uintptr_t>(p); }

unsigned long allocs_so_far()
{
    const chk_counters_t &c = g_chk.cs_count;
    return c.cc_alloc.load(relaxed) + c.cc_calloc.load(relaxed) + c.cc_zalloc.load(relaxed) +
           c.cc_strdup.load(relaxed);
}

void add_bytes(size_t n) { g_chk.cs_count.cc_bytes.fetch_add(static_cast<unsigned long>(n), relaxed); }
void sub_bytes(size_t n) { g_chk.cs_count.cc_bytes.fetch_sub(static_cast<unsigned long>(n), relaxed); }

/* Reports through the error routine with the lock let go, then takes it
 * back for the caller. */
void report_unlocked(ulock_t &lk, const char *msg, bool fatal)
{
    lk.unlock();
    report(msg, fatal);
    lk.lock();
}

/* The size limits: each one broken is reported, and the request goes on
 * when the report lets the program continue. */
void check_limits(ulock_t &lk, size_t size, const char *what)
{
    char msg[256];
    unsigned long bytes = g_chk.cs_count.cc_bytes.load(relaxed);
    if (opt(OPT_MAX_ALLOC) && bytes >= static_cast<unsigned long>(opt(OPT_MAX_ALLOC))) {
        wl_snprintf(msg, sizeof msg,
                    "Tried to %s block of size %d, already allcoated %d bytes.\n"
                    "This exceeds the max allowed for all blocks of %d",
                    what, (int)size, (int)bytes, (int)opt(OPT_MAX_ALLOC));
        report_unlocked(lk, msg, true);
    }
    if (opt(OPT_MAX_SIZE) && size >= static_cast<size_t>(opt(OPT_MAX_SIZE))) {
        wl_snprintf(msg, sizeof msg, "Tried to %s an oversize block of size %d, max allowed %d", what,
                    (int)size, (int)opt(OPT_MAX_SIZE));
        report_unlocked(lk, msg, true);
    }
    if (opt(OPT_MON_ALLOC) && size >= static_cast<size_t>(opt(OPT_MON_ALLOC)))
        wl_printf("Allocating big block: %d bytes\n", (int)size);
}

void link_block(trk_t *t)
{
    t->t_prev = nullptr;
    t->t_next = g_dbg.d_live;
    if (g_dbg.d_live)
        g_dbg.d_live->t_prev = t;
    g_dbg.d_live = t;
    g_dbg.d_live_count++;
}

void unlink_block(trk_t *t)
{
    if (t->t_prev)
        t->t_prev->t_next = t->t_next;
    else
        g_dbg.d_live = t->t_next;
    if (t->t_next)
        t->t_next->t_prev = t->t_prev;
    t->t_next = t->t_prev = nullptr;
    g_dbg.d_live_count--;
}

void note_released(void *data)
{
    if (g_dbg.d_released.size() >= RELEASED_LIMIT)
        g_dbg.d_released.clear();
    g_dbg.d_released.insert(reinterpret_cast<uintptr_t>(data));
}

/* Hands a block back to the system for good. */
void release(void *data)
{
    note_released(data);
    stream_record(SOP_FREE_RELEASED, data, nullptr, 0);
    free(raw_of(data));
}

/* A new tracked block at `raw`: header, list entry, guard bytes. */
void *set_up_block(void *raw, size_t size, const char *tag, const void *caller)
{
    void *data = static_cast<char *>(raw) + g_dbg.d_trk_size + HDR_SIZE;
    block_hdr_t *h = hdr_of(data);
    h->bh_magic = CHK_MAGIC_LIVE;
    h->bh_spare = 0;
    h->bh_size = size;
    if (g_chk.cs_tracking) {
        trk_t *t = trk_of(data);
        t->t_tag = tag;
        t->t_id = g_dbg.d_next_id++;
        t->t_caller = caller;
        collect_stack(t->t_stack, opt(OPT_DEPTH));
        link_block(t);
        write_guard(data, size);
    }
    g_dbg.d_live_set.insert(reinterpret_cast<uintptr_t>(data));
    g_dbg.d_released.erase(reinterpret_cast<uintptr_t>(data));
    return data;
}

size_t raw_size(size_t size)
{
    size_t extra = g_dbg.d_trk_size + HDR_SIZE + (g_chk.cs_tracking ? guard_span(size) : 0);
    return size > SIZE_MAX - extra ? 0 : size + extra;
}

const queue_entry_t *queued(const void *data)
{
    for (const queue_entry_t &e : g_dbg.d_queue)
        if (e.fq_data == data)
            return &e;
    return nullptr;
}

void report_double_free(ulock_t &lk, void *data, const queue_entry_t *e)
{
    char msg[128];
    wl_snprintf(msg, sizeof msg, "Trying to free memory at 0x%08llx which is already free.", addr(data));
    FILE *f = debug_file();
    unsigned long cur = g_chk.cs_count.cc_free.load(relaxed);
    wl_fprintf(f, "*** %s\n", msg);
    wl_fprintf(f, "\n    Current free id#%lu\n", cur);
    if (e) {
        wl_fprintf(f, "    Freed id#%lu (%d free()'s ago)\n", e->fq_free_no, (int)(cur - e->fq_free_no));
        wl_fprintf(f, "    There have been %lu calls to malloc() since that free()\n",
                   allocs_so_far() - e->fq_allocs);
    } else {
        wl_fprintf(f, "    Freed more than %d free()'s ago\n", (int)g_dbg.d_queue.size());
    }
    print_current_stack(f);
    wl_fprintf(f, "\n    Allocated from:\n");
    if (e && g_chk.cs_tracking)
        print_stack(f, trk_of(data)->t_stack, opt(OPT_DEPTH));
    else
        wl_fprintf(f, "         <Block already released>\n");
    fflush(f);
    report_unlocked(lk, msg, opt(OPT_FREE_ABORT) != 0);
}

void report_wild_free(ulock_t &lk, void *data)
{
    char msg[128];
    wl_snprintf(msg, sizeof msg, "Trying to free unallocated memory at 0x%08llx", addr(data));
    stream_record(SOP_FREE_UNKNOWN, data, nullptr, 0);
    FILE *f = debug_file();
    wl_fprintf(f, "*** %s\n", msg);
    print_current_stack(f);
    fflush(f);
    // Not ours: whoever owns it keeps it.
    report_unlocked(lk, msg, opt(OPT_FREE_ABORT) != 0);
}

/* The freed block goes into the queue; the one it displaces is released. */
void retire(void *data)
{
    if (g_dbg.d_queue.empty()) {
        release(data);
        return;
    }
    queue_entry_t &slot = g_dbg.d_queue[g_dbg.d_queue_next];
    if (slot.fq_data)
        release(slot.fq_data);
    slot.fq_data = data;
    slot.fq_size = static_cast<size_t>(hdr_of(data)->bh_size);
    slot.fq_allocs = allocs_so_far();
    slot.fq_free_no = g_chk.cs_count.cc_free.load(relaxed);
    slot.fq_id = g_chk.cs_tracking ? trk_of(data)->t_id : 0;
    g_dbg.d_queue_next = (g_dbg.d_queue_next + 1) % g_dbg.d_queue.size();
}

bool wants_check(void *data, size_t size)
{
    return g_chk.cs_tracking && opt(OPT_TAIL) && (opt(OPT_FREE) || guard_damaged(data, size));
}

void *page_path_alloc(ulock_t &lk, size_t size)
{
    void *data = page_alloc(size);
    if (!data) {
        lk.unlock();
        out_of_memory(size);
    }
    return data;
}

} // namespace

void dbg_init()
{
    int depth = opt(OPT_DEPTH);
    size_t trk = g_chk.cs_tracking ? offsetof(trk_t, t_stack) + sizeof(uintptr_t) * size_t(depth) : 0;
    g_dbg.d_trk_size = (trk + 15) & ~size_t(15);
    if (opt(OPT_FREE_QUEUE_LENGTH) > 0 && !opt(OPT_MMAP))
        g_dbg.d_queue.resize(size_t(opt(OPT_FREE_QUEUE_LENGTH)));
}

void *dbg_alloc(size_t size, call_kind kind, const char *tag, const void *caller)
{
    ulock_t lk(chk_lock());
    stream_record(SOP_ALLOC, nullptr, nullptr, size);
    check_limits(lk, size, "alloc");
    count_call(kind);
    note_largest(g_chk.cs_count.cc_largest_alloc, size);
    void *data;
    if (g_chk.cs_mode == MODE_SYSTEM) {
        data = malloc(size ? size : 1);
    } else if (opt(OPT_MMAP)) {
        data = page_path_alloc(lk, size);
    } else {
        if (opt(OPT_TAIL))
            heap_check(false);
        size_t total = raw_size(size);
        void *raw = total ? malloc(total) : nullptr;
        data = raw ? set_up_block(raw, size, tag, caller) : nullptr;
    }
    if (!data) {
        lk.unlock();
        out_of_memory(size);
    }
    if (debugging()) // system blocks have no header to take the size back from
        add_bytes(size);
    g_chk.cs_count.cc_blocks.fetch_add(1, relaxed);
    if (debugging()) {
        if (opt(OPT_FILL) >= 0 && !opt(OPT_MMAP))
            memset(data, opt(OPT_FILL), size);
        if (opt(OPT_TRACE) & 1)
            wl_printf("ALLOC:  %d\n", (int)size);
        if (opt(OPT_LEAK_MONITOR))
            leak_monitor();
        if (opt(OPT_ZERO) && size == 0)
            report_unlocked(lk, "Attempt to allocate 0 byte block", opt(OPT_ZERO_ABORT) != 0);
    }
    stream_record(SOP_ALLOC_DONE, data, nullptr, size);
    lk.unlock();
    if (opt(OPT_MALLOC_LOG) && kind != call_kind::calloc) // calloc has a line of its own
        malloc_log("malloc(%d) := 0x%llx\n", (int)size, addr(data));
    return data;
}

void dbg_free(void *data, const void *)
{
    if (opt(OPT_MALLOC_LOG))
        malloc_log("free(0x%llx)\n", addr(data));
    if (!data) {
        if (opt(OPT_ZERO_FREE) == 2)
            report("Attempting to free NULL pointer", opt(OPT_FREE_ABORT) != 0);
        return;
    }
    g_chk.cs_count.cc_free.fetch_add(1, relaxed);
    if (g_chk.cs_mode == MODE_SYSTEM) {
        free(data);
        return;
    }
    ulock_t lk(chk_lock());
    stream_record(SOP_FREE, data, nullptr, 0);
    if (opt(OPT_MMAP)) {
        size_t size = 0;
        if (page_size_of(data, &size) && page_free(data)) {
            sub_bytes(size);
            return;
        }
        wl_fprintf(stderr, "Failed to find mmap memory block.\n");
        report_wild_free(lk, data);
        return;
    }
    if (!g_dbg.d_live_set.count(reinterpret_cast<uintptr_t>(data))) {
        // Known addresses are told apart without reading them: a queued
        // block is still ours, a released one may belong to anybody now.
        if (const queue_entry_t *e = queued(data))
            report_double_free(lk, data, e);
        else if (g_dbg.d_released.count(reinterpret_cast<uintptr_t>(data)))
            report_double_free(lk, data, nullptr);
        else
            report_wild_free(lk, data);
        return;
    }
    size_t size = static_cast<size_t>(hdr_of(data)->bh_size);
    sub_bytes(size);
    if (wants_check(data, size))
        heap_check(true);
    g_dbg.d_live_set.erase(reinterpret_cast<uintptr_t>(data));
    if (opt(OPT_FILL_ON_FREE) >= 0)
        memset(data, opt(OPT_FILL_ON_FREE), size);
    if (g_chk.cs_tracking)
        unlink_block(trk_of(data));
    if (opt(OPT_TRACE) & 4)
        wl_printf("FREE:  %ld\n", (long)size);
    if (opt(OPT_NOFREE)) {
        note_released(data); // kept for good, but freeing it again is still wrong
        return;
    }
    hdr_of(data)->bh_magic = CHK_MAGIC_FREE;
    retire(data);
}

void *dbg_realloc(void *data, size_t size, const void *caller)
{
    g_chk.cs_count.cc_realloc.fetch_add(1, relaxed);
    note_largest(g_chk.cs_count.cc_largest_realloc, size);
    ulock_t lk(chk_lock());
    check_limits(lk, size, "realloc");
    if (g_chk.cs_mode == MODE_SYSTEM) {
        void *p = realloc(data, size ? size : 1);
        if (!p) {
            lk.unlock();
            out_of_memory(size);
        }
        return p;
    }
    if (!data) {
        report_unlocked(lk, "Realloc NULL pointer is same as malloc.", false);
        lk.unlock();
        return dbg_alloc(size, call_kind::none, "chk_realloc()", caller);
    }
    stream_record(SOP_REALLOC, data, nullptr, size);
    void *out;
    if (opt(OPT_MMAP)) {
        size_t old = 0;
        if (!page_size_of(data, &old)) {
            report_unlocked(lk, "Realloc non-alloced memory.", true);
            lk.unlock();
            return dbg_alloc(size, call_kind::none, "chk_realloc()", caller);
        }
        if (opt(OPT_NOREALLOC) || size > old) {
            lk.unlock();
            out = dbg_alloc(size, call_kind::none, "check_realloc", caller);
            memcpy(out, data, old < size ? old : size);
            dbg_free(data, caller);
            lk.lock();
        } else {
            out = page_realloc(data, size);
            sub_bytes(old);
            add_bytes(size);
        }
        stream_record(SOP_REALLOC_FAIL, out, data, size);
    } else if (!g_dbg.d_live_set.count(reinterpret_cast<uintptr_t>(data))) {
        report_unlocked(lk, "Realloc non-alloced memory.", true);
        // Going on: the old memory is not ours to move or release.
        lk.unlock();
        return dbg_alloc(size, call_kind::none, "chk_realloc()", caller);
    } else if (opt(OPT_NOREALLOC)) {
        if (opt(OPT_ZERO) && size < 1) {
            char msg[64];
            wl_snprintf(msg, sizeof msg, "Attempt to reallocate to %d bytes", (int)size);
            report_unlocked(lk, msg, false);
        }
        size_t old = static_cast<size_t>(hdr_of(data)->bh_size);
        lk.unlock();
        out = dbg_alloc(size, call_kind::none, "check_realloc", caller);
        memcpy(out, data, old < size ? old : size);
        dbg_free(data, caller);
        lk.lock();
    } else {
        out = dbg_resize(lk, data, size);
    }
    lk.unlock();
    if (opt(OPT_MALLOC_LOG))
        malloc_log("realloc(0x%llx, %d) := 0x%llx\n", addr(data), (int)size, addr(out));
    return out;
}

/* Reallocation of a block in place or by the system's move, keeping its
 * tag and id. */
void *dbg_resize(std::unique_lock<std::recursive_mutex> &lk, void *data, size_t size)
{
    size_t old = static_cast<size_t>(hdr_of(data)->bh_size);
    const char *tag = nullptr;
    unsigned long id = 0;
    const void *caller = nullptr;
    if (g_chk.cs_tracking) {
        if (wants_check(data, old))
            heap_check(true);
        trk_t *t = trk_of(data);
        tag = t->t_tag;
        id = t->t_id;
        caller = t->t_caller;
        unlink_block(t);
    }
    if (opt(OPT_ZERO) && size < 1) {
        char msg[64];
        wl_snprintf(msg, sizeof msg, "Attempt to reallocate %d byte block\n", (int)size);
        report_unlocked(lk, msg, false);
    }
    g_dbg.d_live_set.erase(reinterpret_cast<uintptr_t>(data));
    size_t total = raw_size(size);
    void *raw = total ? realloc(raw_of(data), total) : nullptr;
    if (!raw) {
        stream_record(SOP_REALLOC_FAIL, data, nullptr, size);
        report_unlocked(lk, "Out of memory whilst realloc()ing", false);
        lk.unlock();
        out_of_memory(size);
    }
    unsigned long keep_next = g_dbg.d_next_id;
    void *out = set_up_block(raw, size, tag, caller);
    if (g_chk.cs_tracking) {
        trk_of(out)->t_id = id;
        g_dbg.d_next_id = keep_next;
    }
    if (opt(OPT_FILL) >= 1 && size > old)
        memset(static_cast<char *>(out) + old, opt(OPT_FILL), size - old);
    sub_bytes(old);
    add_bytes(size);
    if (opt(OPT_TRACE) & 2)
        wl_printf("REALLOC:  %d -> %d\n", (int)old, (int)size);
    stream_record(SOP_REALLOC_DONE, out, data, size);
    return out;
}

void dbg_each_live(void (*fn)(void *ctx, void *data, size_t size, const char *tag, unsigned long id,
                              const void *caller, const uintptr_t *stack),
                   void *ctx)
{
    for (trk_t *t = g_dbg.d_live; t; t = t->t_next) {
        void *data = data_of_trk(t);
        fn(ctx, data, static_cast<size_t>(hdr_of(data)->bh_size), t->t_tag, t->t_id, t->t_caller,
           t->t_stack);
    }
}

unsigned long dbg_next_id() { return g_dbg.d_next_id; }
size_t dbg_live_count() { return g_dbg.d_live_count; }

} // namespace wl_chk
