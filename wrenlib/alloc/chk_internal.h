#ifndef WRENLIB_ALLOC_CHK_INTERNAL_H
#define WRENLIB_ALLOC_CHK_INTERNAL_H
/* Shared state of the allocation functions.  Only the chk*.cpp files of this
 * folder include it. */
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <atomic>
#include <mutex>

#include "wrenlib/chk.h"

namespace wl_chk {

/* The header in front of every block.  Magic and size come first, as the
 * reports describe them; the rest pads the header to 16 bytes so that the
 * caller's data keeps the system allocator's alignment (16 on 64-bit
 * targets, which operator new relies on). */
struct alignas(16) block_hdr_t {
    uint32_t bh_magic;
    uint32_t bh_spare;
    uint64_t bh_size;
};
static_assert(sizeof(block_hdr_t) == 16, "block header must stay 16 bytes");

constexpr size_t HDR_SIZE = sizeof(block_hdr_t);
static_assert(HDR_SIZE == CHK_HEADER_SIZE, "public header size out of step");

/* Which counter a request bumps. */
enum class call_kind { alloc, calloc, zalloc, strdup, none };

/* Process-wide state of the allocator.  Constant-initialised, so it is
 * usable by allocations made while other translation units are still being
 * constructed. */
struct chk_state_t {
    std::atomic<bool> cs_initialised{false};
    chk_stats_t cs_stats{};
    std::atomic<bool> cs_in_dump{false};
    FILE *cs_debug_file = nullptr;   /* opened by the first dump */
    char cs_debug_name[512] = {};
};

extern chk_state_t g_chk;

/* The process-wide recursive lock.  Built in static storage on first use and
 * never destroyed, so frees made by late static destructors still find it;
 * building it allocates nothing through the chk_ functions. */
std::recursive_mutex &chk_lock();

inline void ensure_init()
{
    if (!g_chk.cs_initialised.load(std::memory_order_acquire))
        chk_init();
}

/* Allocation core: a block of `size` bytes, counted under `kind`.  Never
 * returns null; running out of memory ends the program. */
void *core_alloc(size_t size, call_kind kind);

/* Reports an error as "CHK_ALLOC: msg", writes the statistics dump and stops
 * the program when `fatal`, unless CHKFLAGS is set. */
void report(const char *msg, bool fatal);

/* Prints the out-of-memory report on standard output and exits with 1. */
[[noreturn]] void out_of_memory(size_t size);

/* Writes the statistics dump to the debug file (not re-entered). */
void stats_dump();

/* Defined beside the global operator new; see there. */
void new_routing_anchor();

} // namespace wl_chk

#endif
