// The heap check: freed blocks in the queue must still carry the freed
// mark, and the guard bytes after every live block must be untouched.
#include <stdarg.h>
#include <string.h>

#include "chk_debug.h"
#include "wrenlib/fmt.h"

namespace wl_chk {

namespace {

constexpr unsigned char GUARD_BYTE = 'x';

size_t round_up(size_t n, size_t a) { return (n + a - 1) / a * a; }

struct heap_check_t {
    bool hc_running = false;
    long hc_calls = 0;
};
heap_check_t g_hc;

unsigned long long addr(const void *p) { return reinterpret_cast<uintptr_t>(p); }

/* Both standard error and the debug file get the damage reports. */
void both(FILE *f, const char *fmt, ...)
{
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    wl_vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    fputs(buf, stderr);
    if (f != stderr)
        fputs(buf, f);
}

int check_freed(FILE *f)
{
    int bad = 0;
    for (const queue_entry_t &e : g_dbg.d_queue) {
        if (!e.fq_data || hdr_of(e.fq_data)->bh_magic == CHK_MAGIC_FREE)
            continue;
        both(f, "*** Error: FREED block corrupted 0x%08llx (id=%ld cur_id=%ld)\n", addr(e.fq_data),
             (long)e.fq_id, (long)g_dbg.d_next_id);
        bad++;
    }
    return bad;
}

void report_overrun(FILE *f, int pos, trk_t *t, bool first)
{
    char *data = static_cast<char *>(data_of_trk(t));
    size_t size = static_cast<size_t>(hdr_of(data)->bh_size);
    size_t span = guard_span(size);
    const unsigned char *g = reinterpret_cast<unsigned char *>(data + size);
    size_t lo = 0;
    while (g[lo] == GUARD_BYTE)
        lo++;
    size_t hi = span;
    while (g[hi - 1] == GUARD_BYTE)
        hi--;
    size_t n = hi - lo;
    both(f, "\n*** Overwritten past end of malloc() area.\n");
    both(f, "    Blk: %d  ID=%ld  Address=0x%08llx\n", pos, (long)t->t_id, addr(data));
    if (first) {
        print_current_stack(stderr);
        print_current_stack(f);
    }
    both(f, "\n    Header:    0x%08llx", addr(t));
    both(f, "\n    Starts at: 0x%08llx", addr(data));
    both(f, "\n    Ends at:   0x%08llx", addr(data + size));
    both(f, "\n    Size:      %ld (0x%lx)", (long)size, (long)size);
    both(f, "\n    Modified %d byte%s at: 0x%08llx - %ld bytes past end", (int)n, n == 1 ? "" : "s",
         addr(data + size + lo), (long)lo);
    both(f, "\n    Block allocated");
    both(f, " PC:%s", symbol_of(t->t_caller));
    both(f, "\n");
    both(f, "    Allocated from:\n");
    print_stack(stderr, t->t_stack, opt(OPT_DEPTH));
    print_stack(f, t->t_stack, opt(OPT_DEPTH));
    // Reported once: later checks look for new damage.
    memset(data + size, GUARD_BYTE, span);
}

} // namespace

size_t guard_span(size_t size)
{
    size_t a = static_cast<size_t>(opt(OPT_ALIGNMENT));
    return round_up(size, a) - size + round_up(static_cast<size_t>(opt(OPT_GUARD)) + 1, a);
}

void write_guard(void *data, size_t size)
{
    memset(static_cast<char *>(data) + size, GUARD_BYTE, guard_span(size));
}

bool guard_damaged(const void *data, size_t size)
{
    const unsigned char *g = static_cast<const unsigned char *>(data) + size;
    size_t span = guard_span(size);
    for (size_t i = 0; i < span; i++)
        if (g[i] != GUARD_BYTE)
            return true;
    return false;
}

void heap_check(bool force)
{
    if (g_hc.hc_running || !g_chk.cs_tracking)
        return;
    const chk_counters_t &c = g_chk.cs_count;
    unsigned long made = c.cc_alloc.load() + c.cc_calloc.load() + c.cc_zalloc.load() + c.cc_strdup.load();
    if (made < static_cast<unsigned long>(opt(OPT_SKIP)))
        return;
    long every = opt(OPT_TAIL) > 0 ? opt(OPT_TAIL) : 1;
    if (force)
        g_hc.hc_calls = 0;
    else if (++g_hc.hc_calls % every != 0)
        return;
    g_hc.hc_running = true;
    // The debug file is opened by the first damage found, not by every
    // check: a clean run leaves nothing behind in /tmp.
    bool any = false;
    for (const queue_entry_t &e : g_dbg.d_queue)
        any = any || (e.fq_data && hdr_of(e.fq_data)->bh_magic != CHK_MAGIC_FREE);
    for (trk_t *t = g_dbg.d_live; t && !any; t = t->t_next)
        any = guard_damaged(data_of_trk(t), static_cast<size_t>(hdr_of(data_of_trk(t))->bh_size));
    if (!any) {
        g_hc.hc_running = false;
        return;
    }
    FILE *f = debug_file();
    int bad = check_freed(f);
    int pos = 0;
    bool first = true;
    for (trk_t *t = g_dbg.d_live; t; t = t->t_next, pos++) {
        void *data = data_of_trk(t);
        if (!guard_damaged(data, static_cast<size_t>(hdr_of(data)->bh_size)))
            continue;
        report_overrun(f, pos, t, first);
        first = false;
        bad++;
    }
    fflush(f);
    g_hc.hc_running = false;
    if (bad) {
        char msg[64];
        wl_snprintf(msg, sizeof msg, "%d memory corruption%s", bad, bad == 1 ? "" : "s");
        report(msg, true);
    }
}

} // namespace wl_chk
