// Allocation, reallocation and release with the block header.
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <new>

#include "chk_internal.h"
#include "wrenlib/fmt.h"

#if defined(__GNUC__) || defined(__clang__)
#define WL_NO_ASAN __attribute__((no_sanitize_address))
#else
#define WL_NO_ASAN
#endif

namespace wl_chk {

chk_state_t g_chk;

std::recursive_mutex &chk_lock()
{
    alignas(std::recursive_mutex) static unsigned char storage[sizeof(std::recursive_mutex)];
    static std::recursive_mutex *lock = new (storage) std::recursive_mutex;
    return *lock;
}

namespace {

using guard_t = std::lock_guard<std::recursive_mutex>;

block_hdr_t *hdr_of(void *ptr)
{
    return reinterpret_cast<block_hdr_t *>(static_cast<char *>(ptr) - HDR_SIZE);
}

void *data_of(void *raw) { return static_cast<char *>(raw) + HDR_SIZE; }

/* The magic of a pointer that may not be ours at all: the word in front of
 * a foreign block is not memory we own, so the sanitizer must not object to
 * looking at it, and nothing assumes it is aligned. */
WL_NO_ASAN uint32_t peek_magic(const void *ptr)
{
    const volatile unsigned char *p =
        static_cast<const unsigned char *>(ptr) - HDR_SIZE + offsetof(block_hdr_t, bh_magic);
    unsigned char b[sizeof(uint32_t)];
    for (size_t i = 0; i < sizeof b; i++)
        b[i] = p[i];
    uint32_t magic;
    memcpy(&magic, b, sizeof magic);
    return magic;
}

/* Header plus size, or 0 when that does not fit a size_t. */
size_t total_size(size_t size)
{
    return size > SIZE_MAX - HDR_SIZE ? 0 : size + HDR_SIZE;
}

void count_call(call_kind kind)
{
    chk_stats_t &s = g_chk.cs_stats;
    switch (kind) {
    case call_kind::alloc: s.cs_alloc++; break;
    case call_kind::calloc: s.cs_calloc++; break;
    case call_kind::zalloc: s.cs_zalloc++; break;
    case call_kind::strdup: s.cs_strdup++; break;
    case call_kind::none: break;
    }
}

void note_largest(unsigned long &largest, size_t size)
{
    unsigned long v = size > ULONG_MAX ? ULONG_MAX : static_cast<unsigned long>(size);
    if (v > largest)
        largest = v;
}

void *zeroed(size_t size, call_kind kind)
{
    void *p = core_alloc(size, kind);
    memset(p, 0, size);
    return p;
}

void free_block(void *ptr)
{
    if (!ptr)
        return;
    uint32_t magic = peek_magic(ptr);
    if (magic == CHK_MAGIC_FREE) {
        // Only a block the allocator still holds can carry this mark, so the
        // memory is left alone whether or not the report stops us.
        char msg[96];
        wl_snprintf(msg, sizeof msg, "Trying to free memory at 0x%08llx which is already free.",
                    static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(ptr)));
        {
            guard_t g(chk_lock());
            g_chk.cs_stats.cs_free++;
        }
        report(msg, true);
        return;
    }
    if (magic != CHK_MAGIC_LIVE) {
        {
            guard_t g(chk_lock());
            g_chk.cs_stats.cs_free++;
        }
        char msg[96];
        wl_snprintf(msg, sizeof msg, "Trying to free unallocated memory at 0x%08llx",
                    static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(ptr)));
        report(msg, true);
        // Not ours: most likely it came straight from the C library.
        free(ptr);
        return;
    }
    block_hdr_t *h = hdr_of(ptr);
    {
        guard_t g(chk_lock());
        chk_stats_t &s = g_chk.cs_stats;
        s.cs_free++;
        unsigned long size = static_cast<unsigned long>(h->bh_size);
        s.cs_bytes = s.cs_bytes >= size ? s.cs_bytes - size : 0;
        h->bh_magic = CHK_MAGIC_FREE;
    }
    free(h);
}

void *realloc_block(void *ptr, size_t size)
{
    ensure_init();
    {
        guard_t g(chk_lock());
        g_chk.cs_stats.cs_realloc++;
        note_largest(g_chk.cs_stats.cs_largest_realloc, size);
    }
    if (!ptr) {
        report("Realloc NULL pointer is same as malloc.", false);
        return core_alloc(size, call_kind::none);
    }
    if (peek_magic(ptr) != CHK_MAGIC_LIVE) {
        report("Realloc non-alloced memory.", true);
        // Allowed to go on: the old memory is not ours to move or release,
        // so the caller gets a fresh block of the size it asked for.
        return core_alloc(size, call_kind::none);
    }
    size_t total = total_size(size);
    if (total == 0)
        out_of_memory(size);
    block_hdr_t *h = hdr_of(ptr);
    uint64_t old_size = h->bh_size;
    void *raw = realloc(h, total);
    if (!raw)
        out_of_memory(size);
    guard_t g(chk_lock());
    block_hdr_t *nh = static_cast<block_hdr_t *>(raw);
    nh->bh_magic = CHK_MAGIC_LIVE;
    nh->bh_size = size;
    chk_stats_t &s = g_chk.cs_stats;
    unsigned long old_ul = static_cast<unsigned long>(old_size);
    s.cs_bytes = s.cs_bytes >= old_ul ? s.cs_bytes - old_ul : 0;
    s.cs_bytes += static_cast<unsigned long>(size);
    return data_of(raw);
}

} // namespace

void *core_alloc(size_t size, call_kind kind)
{
    ensure_init();
    size_t total = total_size(size);
    void *raw = total ? malloc(total) : nullptr;
    {
        guard_t g(chk_lock());
        count_call(kind);
        note_largest(g_chk.cs_stats.cs_largest_alloc, size);
        if (raw) {
            block_hdr_t *h = static_cast<block_hdr_t *>(raw);
            h->bh_magic = CHK_MAGIC_LIVE;
            h->bh_spare = 0;
            h->bh_size = size;
            g_chk.cs_stats.cs_bytes += static_cast<unsigned long>(size);
            g_chk.cs_stats.cs_blocks++;
        }
    }
    if (!raw)
        out_of_memory(size);
    return data_of(raw);
}

} // namespace wl_chk

using namespace wl_chk;

extern "C" {

void *chk_alloc(size_t size) { return core_alloc(size, call_kind::alloc); }

void *chk_calloc(size_t count, size_t size)
{
    if (size != 0 && count > SIZE_MAX / size) {
        // The product does not exist; ask for the impossible so that the
        // report shows the request could not be met.
        {
            guard_t g(chk_lock());
            g_chk.cs_stats.cs_calloc++;
        }
        out_of_memory(SIZE_MAX);
    }
    return zeroed(count * size, call_kind::calloc);
}

void *chk_zalloc(size_t size) { return zeroed(size, call_kind::zalloc); }

void *chk_realloc(void *ptr, size_t size) { return realloc_block(ptr, size); }

void chk_free(void *ptr) { free_block(ptr); }

void chk_free_safe(void *ptr) { free_block(ptr); }

void chk_free_ptr(void *pptr)
{
    if (!pptr)
        return;
    void **pp = static_cast<void **>(pptr);
    free_block(*pp);
    *pp = nullptr;
}

// The tag and caller only matter to the debugging mode, which records them
// in the block; plain allocation has nowhere to keep them.
void *check_alloc(size_t size, const char *, const void *) { return chk_alloc(size); }

void *check_calloc(size_t count, size_t size, const char *, const void *)
{
    return chk_calloc(count, size);
}

void *check_zalloc(size_t size, const char *, const void *) { return chk_zalloc(size); }

void *check_realloc(void *ptr, size_t size, const char *, const void *)
{
    return realloc_block(ptr, size);
}

void check_free(void *ptr, const char *, const void *) { free_block(ptr); }

void chk_get_stats(chk_stats_t *out)
{
    if (!out)
        return;
    guard_t g(chk_lock());
    *out = g_chk.cs_stats;
}

} // extern "C"
