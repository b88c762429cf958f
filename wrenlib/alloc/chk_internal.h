#ifndef WRENLIB_ALLOC_CHK_INTERNAL_H
#define WRENLIB_ALLOC_CHK_INTERNAL_H
/* Shared state of the allocation functions.  Only the chk*.cpp files of this
 * folder include it.
 *
 * Two ways of working, chosen once by chk_init and never changed:
 *  - plain (CHK unset): the system allocator plus a small header, counters
 *    kept with relaxed atomics and no lock, so the hot path costs what the
 *    system allocator costs;
 *  - debugging (the CHK settings ask for it): every operation takes the one
 *    process lock and goes through chk_debug.cpp. */
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <atomic>
#include <mutex>

#include "wrenlib/chk.h"

#if defined(__GNUC__) || defined(__clang__)
#define WL_NO_ASAN __attribute__((no_sanitize_address))
#define WL_CALLER() __builtin_return_address(0)
#else
#define WL_NO_ASAN
#define WL_CALLER() nullptr
#endif

namespace wl_chk {

/* The header right in front of every block's data, in every mode.  Magic
 * and size come first, as the reports describe them; the rest pads the
 * header to 16 bytes so that the caller's data keeps the system
 * allocator's alignment (16 on 64-bit targets, which operator new relies
 * on). */
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

/* The options, in the order of the help listing. */
enum chk_opt_t {
    OPT_ABORT, OPT_ALIGNMENT, OPT_DEPTH, OPT_DUMP, OPT_EXIT, OPT_FILL_ON_FREE, OPT_FILL,
    OPT_FREE, OPT_FREE_ABORT, OPT_FREE_QUEUE_LENGTH, OPT_GUARD, OPT_HELP, OPT_LEAKS,
    OPT_LEAK_MONITOR, OPT_MALLOC, OPT_MALLOC_LOG, OPT_MAX_ALLOC, OPT_MAX_SIZE, OPT_MMAP,
    OPT_MON_ALLOC, OPT_NOFREE, OPT_NOREALLOC, OPT_PASS, OPT_QUIET, OPT_RESERVE, OPT_SKIP,
    OPT_SORT, OPT_STACK_DUMP, OPT_STREAM, OPT_TAIL, OPT_TRACE, OPT_VMALLOC, OPT_ZERO,
    OPT_ZERO_ABORT, OPT_ZERO_FREE, OPT_COUNT
};

struct chk_option_t {
    const char *co_name;
    int32_t co_default;
    const char *co_help;
};
extern const chk_option_t chk_options[OPT_COUNT];

enum chk_mode_t { MODE_PLAIN = 0, MODE_SYSTEM = 1, MODE_DEBUG = 2 };

/* Counters of every mode.  Relaxed atomics: they are statistics, read as a
 * whole only by reports. */
struct chk_counters_t {
    std::atomic<unsigned long> cc_bytes{0}, cc_largest_alloc{0}, cc_largest_realloc{0},
        cc_blocks{0}, cc_alloc{0}, cc_calloc{0}, cc_zalloc{0}, cc_realloc{0}, cc_free{0},
        cc_strdup{0};
};

/* Process-wide state.  Constant-initialised, so it is usable by allocations
 * made while other translation units are still being constructed. */
struct chk_state_t {
    std::atomic<bool> cs_initialised{false};
    int cs_mode = MODE_PLAIN;          /* written once, by chk_init */
    bool cs_tracking = false;          /* live list, ids, guard bytes */
    int32_t cs_opt[OPT_COUNT] = {};
    chk_counters_t cs_count;
    std::atomic<bool> cs_in_dump{false};
    FILE *cs_debug_file = nullptr;     /* opened by the first dump */
    char cs_debug_name[512] = {};
    char cs_settings[129] = {};        /* the CHK text, for the banner */
    char cs_settings_var[64] = {};     /* the variable CHK named, if any */
    char cs_program[260] = {};
    long cs_start_time = 0;            /* seconds since the epoch */
    void *cs_reserve = nullptr;        /* released when memory runs out */
    void (*cs_error_hook)(const char *) = nullptr;
};

extern chk_state_t g_chk;

inline int32_t opt(chk_opt_t o) { return g_chk.cs_opt[o]; }
inline bool debugging() { return g_chk.cs_mode == MODE_DEBUG; }

/* The process-wide recursive lock.  Built in static storage on first use and
 * never destroyed, so frees made by late static destructors still find it;
 * building it allocates nothing through the chk_ functions. */
std::recursive_mutex &chk_lock();
using guard_t = std::lock_guard<std::recursive_mutex>;

inline void ensure_init()
{
    if (!g_chk.cs_initialised.load(std::memory_order_acquire))
        chk_init();
}

inline void note_largest(std::atomic<unsigned long> &largest, size_t size)
{
    unsigned long v = size > (unsigned long)-1 ? (unsigned long)-1 : static_cast<unsigned long>(size);
    unsigned long cur = largest.load(std::memory_order_relaxed);
    while (v > cur && !largest.compare_exchange_weak(cur, v, std::memory_order_relaxed)) {
    }
}

void count_call(call_kind kind);

/* Options (chk_options.cpp). */
void parse_settings(const char *text);
[[noreturn]] void print_help();

/* Allocation core: a block of `size` bytes, counted under `kind`.  Never
 * returns null; running out of memory ends the program. */
void *core_alloc(size_t size, call_kind kind, const char *tag, const void *caller);
void core_free(void *ptr, const void *caller);
void *core_realloc(void *ptr, size_t size, const char *tag, const void *caller);

/* The debugging mode (chk_debug.cpp). */
void *dbg_alloc(size_t size, call_kind kind, const char *tag, const void *caller);
void dbg_free(void *ptr, const void *caller);
void *dbg_realloc(void *ptr, size_t size, const void *caller);
void dbg_init();
/* Calls fn for every tracked live block, newest first; the lock must be
 * held. */
void dbg_each_live(void (*fn)(void *ctx, void *data, size_t size, const char *tag,
                              unsigned long id, const void *caller, const uintptr_t *stack),
                   void *ctx);
unsigned long dbg_next_id();
size_t dbg_live_count();

/* The heap check (chk_heap.cpp): `force` runs it at once. */
void heap_check(bool force);
/* 1 when the guard bytes after a tracked block were changed. */
bool guard_damaged(const void *data, size_t size);
void write_guard(void *data, size_t size);
size_t guard_span(size_t size);

/* Page-mapped blocks (chk_pages.cpp). */
void *page_alloc(size_t size);
bool page_free(void *data);
void *page_realloc(void *data, size_t size);
bool page_size_of(const void *data, size_t *size);
void page_each(void (*fn)(void *ctx, void *data, size_t size), void *ctx);
size_t page_granule();
size_t page_count();

/* Call stacks (chk_stack.cpp): fills `out` with up to `depth` return
 * addresses of the callers of the allocation functions, zero after them. */
void collect_stack(uintptr_t *out, int depth);
void print_stack(FILE *f, const uintptr_t *stack, int depth);
void print_current_stack(FILE *f);
const char *symbol_of(const void *addr);
void install_segv_dump();

/* Request stream and malloc_log (chk_stream.cpp). */
enum stream_op_t {
    SOP_ALLOC = 0, SOP_ALLOC_DONE = 1, SOP_REALLOC = 2, SOP_REALLOC_DONE = 3,
    SOP_REALLOC_FAIL = 4, SOP_FREE = 5, SOP_FREE_RELEASED = 6, SOP_FREE_UNKNOWN = 7
};
int open_stream(const char *name);
void stream_record(int op, const void *addr, const void *old, size_t size);
void malloc_log(const char *fmt, ...);

/* Reports (chk_report.cpp).  report(): "CHK_ALLOC: msg" on standard error,
 * the statistics dump, then stops the program when `fatal` unless CHKFLAGS
 * is set. */
void report(const char *msg, bool fatal);
[[noreturn]] void out_of_memory(size_t size);
void stats_dump();
FILE *debug_file();
void hex_dump(FILE *f, const void *data, size_t size);

/* The leak check and monitor (chk_leaks.cpp). */
void leak_check();
void leak_monitor();

/* Defined beside the global operator new; see there. */
void new_routing_anchor();

/* Time since the epoch, microseconds included. */
void now(long *sec, long *usec);

} // namespace wl_chk

#endif
