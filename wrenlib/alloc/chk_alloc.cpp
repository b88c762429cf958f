// Allocation, reallocation and release with the block header: the plain
// mode, and the entry points that hand over to the debugging mode.
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <new>

#include "chk_internal.h"
#include "chk_plain.h"
#include "wrenlib/fmt.h"

namespace wl_chk {

chk_state_t g_chk;

std::recursive_mutex &chk_lock()
{
    alignas(std::recursive_mutex) static unsigned char storage[sizeof(std::recursive_mutex)];
    static std::recursive_mutex *lock = new (storage) std::recursive_mutex;
    return *lock;
}

void count_call(call_kind kind)
{
    chk_counters_t &c = g_chk.cs_count;
    const auto r = std::memory_order_relaxed;
    switch (kind) {
    case call_kind::alloc: c.cc_alloc.fetch_add(1, r); break;
    case call_kind::calloc: c.cc_calloc.fetch_add(1, r); break;
    case call_kind::zalloc: c.cc_zalloc.fetch_add(1, r); break;
    case call_kind::strdup: c.cc_strdup.fetch_add(1, r); break;
    case call_kind::none: break;
    }
}

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

block_hdr_t *hdr_of(void *ptr)
{
    return reinterpret_cast<block_hdr_t *>(static_cast<char *>(ptr) - HDR_SIZE);
}

void *data_of(void *raw) { return static_cast<char *>(raw) + HDR_SIZE; }

/* Header plus size, or 0 when that does not fit a size_t. */
size_t total_size(size_t size)
{
    return size > SIZE_MAX - HDR_SIZE ? 0 : size + HDR_SIZE;
}

void sub_bytes(size_t size)
{
    g_chk.cs_count.cc_bytes.fetch_sub(static_cast<unsigned long>(size), relaxed);
}

/* A block of `size` bytes with its header, counted in the bytes and
 * blocks; null when the system has no memory for it. */
void *plain_obtain(size_t size)
{
    void *data = nullptr;
    if (size >= BIG_MIN) {
        data = big_alloc(size);
    } else if (void *raw = malloc(size + HDR_SIZE)) {
        block_hdr_t *h = static_cast<block_hdr_t *>(raw);
        h->bh_magic = CHK_MAGIC_LIVE;
        h->bh_spare = 0;
        h->bh_size = size;
        data = data_of(raw);
        if (big_signature(data))
            big_forget(data);
    }
    if (data) {
        g_chk.cs_count.cc_bytes.fetch_add(static_cast<unsigned long>(size), relaxed);
        g_chk.cs_count.cc_blocks.fetch_add(1, relaxed);
    }
    return data;
}

void *plain_alloc(size_t size, call_kind kind)
{
    count_call(kind);
    note_largest(g_chk.cs_count.cc_largest_alloc, size);
    void *data = plain_obtain(size);
    if (!data)
        out_of_memory(size);
    return data;
}

void report_unallocated(const void *ptr)
{
    char msg[96];
    wl_snprintf(msg, sizeof msg, "Trying to free unallocated memory at 0x%08llx",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(ptr)));
    report(msg, true);
}

void report_already_free(const void *ptr)
{
    char msg[96];
    wl_snprintf(msg, sizeof msg, "Trying to free memory at 0x%08llx which is already free.",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(ptr)));
    report(msg, true);
}

void plain_release(void *ptr)
{
    if (big_signature(ptr)) {
        // Big blocks are looked up, never read: once released their memory
        // has usually gone back to the system.
        size_t size = 0;
        switch (big_release(ptr, &size)) {
        case big_result::released: sub_bytes(size); return;
        case big_result::was_freed: report_already_free(ptr); return;
        case big_result::not_big: break;
        }
    }
    uint32_t magic = peek_magic(ptr);
    if (magic == CHK_MAGIC_FREE) {
        // Still waiting in this thread's queue, so the header is ours.
        report_already_free(ptr);
        return;
    }
    if (magic != CHK_MAGIC_LIVE) {
        // Not ours: releasing it could wreck the C library's heap, so it is
        // reported and left alone.
        report_unallocated(ptr);
        return;
    }
    block_hdr_t *h = hdr_of(ptr);
    sub_bytes(static_cast<size_t>(h->bh_size));
    h->bh_magic = CHK_MAGIC_FREE;
    quarantine_release(h);
}

void plain_free(void *ptr)
{
    g_chk.cs_count.cc_free.fetch_add(1, relaxed);
    plain_release(ptr);
}

void *plain_realloc(void *ptr, size_t size, bool big)
{
    block_hdr_t *h = hdr_of(ptr);
    size_t old_size = static_cast<size_t>(h->bh_size);
    if (size >= BIG_MIN || big) {
        // Big blocks live in their own registry: move by copying.
        void *fresh = plain_obtain(size);
        if (!fresh)
            out_of_memory(size);
        g_chk.cs_count.cc_blocks.fetch_sub(1, relaxed); // the same block, moved
        memcpy(fresh, ptr, old_size < size ? old_size : size);
        plain_release(ptr);
        return fresh;
    }
    void *raw = realloc(h, size + HDR_SIZE);
    if (!raw)
        out_of_memory(size);
    block_hdr_t *nh = static_cast<block_hdr_t *>(raw);
    nh->bh_size = size;
    sub_bytes(old_size);
    g_chk.cs_count.cc_bytes.fetch_add(static_cast<unsigned long>(size), relaxed);
    void *data = data_of(raw);
    if (big_signature(data))
        big_forget(data);
    return data;
}

} // namespace

void *core_alloc(size_t size, call_kind kind, const char *tag, const void *caller)
{
    ensure_init();
    if (g_chk.cs_mode == MODE_PLAIN) {
        if (total_size(size) == 0) {
            count_call(kind);
            note_largest(g_chk.cs_count.cc_largest_alloc, size);
            out_of_memory(size);
        }
        return plain_alloc(size, kind);
    }
    return dbg_alloc(size, kind, tag, caller);
}

void core_free(void *ptr, const void *caller)
{
    ensure_init(); // a first call may be a bad free: the settings decide what follows
    if (g_chk.cs_mode == MODE_PLAIN) {
        if (ptr)
            plain_free(ptr);
        return;
    }
    dbg_free(ptr, caller);
}

void *core_realloc(void *ptr, size_t size, const char *tag, const void *caller)
{
    ensure_init();
    if (g_chk.cs_mode != MODE_PLAIN)
        return dbg_realloc(ptr, size, caller);
    g_chk.cs_count.cc_realloc.fetch_add(1, relaxed);
    note_largest(g_chk.cs_count.cc_largest_realloc, size);
    if (!ptr) {
        report("Realloc NULL pointer is same as malloc.", false);
        return core_alloc(size, call_kind::none, tag, caller);
    }
    if (total_size(size) == 0)
        out_of_memory(size);
    // A small block may carry a big block's page offset by chance, so the
    // registry decides first and the magic after it.
    bool big = big_signature(ptr) && big_is_live(ptr);
    // A released big block is not read: its pages may be gone.
    bool gone = !big && big_signature(ptr) && big_was_freed(ptr);
    if (!big && (gone || peek_magic(ptr) != CHK_MAGIC_LIVE)) {
        report("Realloc non-alloced memory.", true);
        // Allowed to go on: the old memory is not ours to move or release,
        // so the caller gets a fresh block of the size it asked for.
        return core_alloc(size, call_kind::none, tag, caller);
    }
    return plain_realloc(ptr, size, big);
}

} // namespace wl_chk

using namespace wl_chk;

extern "C" {

void *chk_alloc(size_t size) { return core_alloc(size, call_kind::alloc, "chk_alloc()", WL_CALLER()); }

void *chk_calloc(size_t count, size_t size)
{
    if (size != 0 && count > SIZE_MAX / size) {
        // The product does not exist; ask for the impossible so that the
        // report shows the request could not be met.
        ensure_init();
        count_call(call_kind::calloc);
        out_of_memory(SIZE_MAX);
    }
    void *p = core_alloc(count * size, call_kind::calloc, "chk_calloc()", WL_CALLER());
    memset(p, 0, count * size);
    if (opt(OPT_MALLOC_LOG))
        malloc_log("calloc(%d, %d) := 0x%llx\n", (int)count, (int)size,
                   (unsigned long long)reinterpret_cast<uintptr_t>(p));
    return p;
}

void *chk_zalloc(size_t size)
{
    void *p = core_alloc(size, call_kind::zalloc, "chk_zalloc()", WL_CALLER());
    memset(p, 0, size);
    return p;
}

void *chk_realloc(void *ptr, size_t size) { return core_realloc(ptr, size, "chk_realloc()", WL_CALLER()); }

void chk_free(void *ptr) { core_free(ptr, WL_CALLER()); }

void chk_free_safe(void *ptr) { core_free(ptr, WL_CALLER()); }

void chk_free_ptr(void *pptr)
{
    if (!pptr)
        return;
    void **pp = static_cast<void **>(pptr);
    core_free(*pp, WL_CALLER());
    *pp = nullptr;
}

void *check_alloc(size_t size, const char *tag, const void *caller)
{
    return core_alloc(size, call_kind::alloc, tag ? tag : "chk_alloc()", caller);
}

void *check_calloc(size_t count, size_t size, const char *tag, const void *caller)
{
    if (size != 0 && count > SIZE_MAX / size)
        return chk_calloc(count, size);
    void *p = core_alloc(count * size, call_kind::calloc, tag ? tag : "chk_calloc()", caller);
    memset(p, 0, count * size);
    return p;
}

void *check_zalloc(size_t size, const char *tag, const void *caller)
{
    void *p = core_alloc(size, call_kind::zalloc, tag ? tag : "chk_zalloc()", caller);
    memset(p, 0, size);
    return p;
}

void *check_realloc(void *ptr, size_t size, const char *tag, const void *caller)
{
    return core_realloc(ptr, size, tag ? tag : "chk_realloc()", caller);
}

void check_free(void *ptr, const char *, const void *caller) { core_free(ptr, caller); }

void chk_get_stats(chk_stats_t *out)
{
    if (!out)
        return;
    const chk_counters_t &c = g_chk.cs_count;
    out->cs_bytes = c.cc_bytes.load(relaxed);
    out->cs_largest_alloc = c.cc_largest_alloc.load(relaxed);
    out->cs_largest_realloc = c.cc_largest_realloc.load(relaxed);
    out->cs_blocks = c.cc_blocks.load(relaxed);
    out->cs_alloc = c.cc_alloc.load(relaxed);
    out->cs_calloc = c.cc_calloc.load(relaxed);
    out->cs_zalloc = c.cc_zalloc.load(relaxed);
    out->cs_realloc = c.cc_realloc.load(relaxed);
    out->cs_free = c.cc_free.load(relaxed);
    out->cs_strdup = c.cc_strdup.load(relaxed);
}

} // extern "C"
