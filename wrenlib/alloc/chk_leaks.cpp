// The leak check at the end of a run, the leak monitor while it runs, and
// the exit report that calls them.
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#ifndef _WIN32
#include <unistd.h>
extern char **environ;
#define wl_environ environ
#else
#define wl_environ _environ
#endif

/* The program's own initialised and zeroed data, as the linker marks it. */
#if defined(_WIN64)
extern "C" char __data_start__[], __data_end__[], __bss_start__[], __bss_end__[];
#define WL_DATA_START __data_start__
#define WL_DATA_END __data_end__
#define WL_BSS_START __bss_start__
#define WL_BSS_END __bss_end__
#elif defined(_WIN32)
// 32-bit names carry the compiler's leading underscore already.
extern "C" char _data_start__[], _data_end__[], _bss_start__[], _bss_end__[];
#define WL_DATA_START _data_start__
#define WL_DATA_END _data_end__
#define WL_BSS_START _bss_start__
#define WL_BSS_END _bss_end__
#elif defined(__linux__)
extern "C" char __data_start[], _edata[], __bss_start[], _end[];
#define WL_DATA_START __data_start
#define WL_DATA_END _edata
#define WL_BSS_START __bss_start
#define WL_BSS_END _end
#endif

#include <algorithm>

#include "chk_debug.h"
#include "wrenlib/fmt.h"

namespace wl_chk {

namespace {

enum : unsigned { REF_START = 1, REF_MIDDLE = 2, REF_ROOT = 4 };

struct region_t {
    uintptr_t r_lo, r_hi;
    bool r_block;       /* a live block; otherwise a root ("(data)" or "(bss) ") */
    unsigned r_flags;
    unsigned long r_id;
    const char *r_tag;
    const uintptr_t *r_stack;
};

struct leak_state_t {
    int ls_checks = 0;
    sys_set<uintptr_t> ls_reported;  /* leaked blocks named by an earlier check */
    long ls_mon_first = 0, ls_mon_last = 0;
    unsigned long ls_mon_blocks = 0, ls_mon_bytes = 0;
};
leak_state_t g_leaks;

/* One line to standard output with "\r\n" and to the debug file with "\n". */
void say(FILE *f, const char *fmt, ...)
{
    char buf[256];
    va_list ap;
    va_start(ap, fmt);
    wl_vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    fputs(buf, stdout);
    fputs("\r\n", stdout);
    if (f != stdout) {
        fputs(buf, f);
        fputs("\n", f);
    }
}

void gather(sys_vector<region_t> &regions)
{
    if (g_chk.cs_tracking) {
        dbg_each_live(
            [](void *ctx, void *data, size_t size, const char *tag, unsigned long id, const void *,
               const uintptr_t *stack) {
                uintptr_t lo = reinterpret_cast<uintptr_t>(data);
                static_cast<sys_vector<region_t> *>(ctx)->push_back({lo, lo + size, true, 0, id, tag, stack});
            },
            &regions);
    } else {
        page_each(
            [](void *ctx, void *data, size_t size) {
                uintptr_t lo = reinterpret_cast<uintptr_t>(data);
                static_cast<sys_vector<region_t> *>(ctx)->push_back({lo, lo + size, true, 0, 0, "", nullptr});
            },
            &regions);
    }
    // The one root: the environment's pointer array, null entry included.
    if (char **env = wl_environ) {
        size_t n = 0;
        while (env[n])
            n++;
        uintptr_t lo = reinterpret_cast<uintptr_t>(env);
        regions.push_back({lo, lo + (n + 1) * sizeof(char *), false, REF_ROOT, 0, nullptr, nullptr});
    }
#ifdef WL_DATA_START
    // A block that a global variable still points to is in use, not
    // leaked: the program's data and bss are roots as well.
    regions.push_back({reinterpret_cast<uintptr_t>(WL_DATA_START), reinterpret_cast<uintptr_t>(WL_DATA_END),
                       false, REF_ROOT, 0, "(data)", nullptr});
    regions.push_back({reinterpret_cast<uintptr_t>(WL_BSS_START), reinterpret_cast<uintptr_t>(WL_BSS_END),
                       false, REF_ROOT, 0, "(bss) ", nullptr});
#endif
    std::sort(regions.begin(), regions.end(),
              [](const region_t &a, const region_t &b) { return a.r_lo < b.r_lo; });
}

/* The block holding address v, or null. */
region_t *block_at(sys_vector<region_t> &regions, uintptr_t v)
{
    auto it = std::upper_bound(regions.begin(), regions.end(), v,
                               [](uintptr_t x, const region_t &r) { return x < r.r_lo; });
    while (it != regions.begin()) {
        --it;
        if (it->r_block && (v < it->r_hi || v == it->r_lo))
            return &*it;
        if (it->r_hi <= v)
            break;
    }
    return nullptr;
}

struct progress_t {
    unsigned long long p_total, p_done = 0;
    long p_last;
    void start()
    {
        p_last = static_cast<long>(time(nullptr));
        fputs("CHK: Leak check   0% done.", stdout);
        fflush(stdout);
    }
    void step(size_t n)
    {
        p_done += n;
        long t = static_cast<long>(time(nullptr));
        if (t == p_last)
            return;
        p_last = t;
        int pct = p_total ? static_cast<int>(p_done * 100 / p_total) : 100;
        wl_printf("\b\b\b\b\b\b\b\b\b\b%3d%% done.", pct);
        fflush(stdout);
    }
};

/* A word at any address of a region.  Roots include the gaps the
 * sanitizer keeps between globals, so the read must not be instrumented. */
WL_NO_ASAN uintptr_t word_at(const unsigned char *p)
{
    const volatile unsigned char *v = p;
    uintptr_t w = 0;
    for (size_t i = 0; i < sizeof w; i++)
        w |= static_cast<uintptr_t>(v[i]) << (8 * i);
    return w;
}

void scan(sys_vector<region_t> &regions, progress_t &pr)
{
    if (regions.empty())
        return;
    uintptr_t low = regions.front().r_lo, high = 0;
    for (const region_t &r : regions)
        high = std::max(high, r.r_hi);
    for (region_t &r : regions) {
        const unsigned char *p = reinterpret_cast<const unsigned char *>(r.r_lo);
        size_t size = r.r_hi - r.r_lo;
        for (size_t off = 0; off + sizeof(uintptr_t) <= size; off++) {
            uintptr_t v = word_at(p + off);
            if (v < low || v > high)
                continue;
            region_t *b = block_at(regions, v);
            if (!b || b == &r)
                continue;
            b->r_flags |= v == b->r_lo ? REF_START : REF_MIDDLE;
        }
        pr.step(size);
    }
}

void list_regions(const sys_vector<region_t> &regions)
{
    int i = 0;
    for (const region_t &r : regions)
        wl_printf("BLOCK: %d: %s %p - %p size=%x\n", i++, r.r_block ? "-blk- " : r.r_tag ? r.r_tag : "      ",
                  reinterpret_cast<void *>(r.r_lo), reinterpret_cast<void *>(r.r_hi), (unsigned)(r.r_hi - r.r_lo));
}

void list_block(FILE *f, int index, const region_t &r)
{
    char flags[32] = "";
    if (r.r_flags & REF_START)
        strcat(flags, " REF_START");
    if (r.r_flags & REF_MIDDLE)
        strcat(flags, " REF_MIDDLE");
    say(f, "Blk %4d: Addr: %08llx  End: %08llx  Size: %06lx  Flags:%s", index, (unsigned long long)r.r_lo,
        (unsigned long long)r.r_hi, (unsigned long)(r.r_hi - r.r_lo), flags);
    if (f == stdout || !g_chk.cs_tracking)
        return; // the debug file alone gets the details
    // Where it came from, for the one who has to mend it.
    wl_fprintf(f, "    ID=%lu %s\n", r.r_id, r.r_tag ? r.r_tag : "");
    print_stack(f, r.r_stack, opt(OPT_DEPTH));
    hex_dump(f, reinterpret_cast<const void *>(r.r_lo),
             std::min<size_t>(r.r_hi - r.r_lo, static_cast<size_t>(opt(OPT_DUMP))));
}

} // namespace

void leak_check()
{
    guard_t g(chk_lock());
    long started = static_cast<long>(time(nullptr));
    sys_vector<region_t> regions;
    gather(regions);
    unsigned long long bytes = 0, blocks = 0;
    for (const region_t &r : regions)
        if (r.r_block) {
            bytes += r.r_hi - r.r_lo;
            blocks++;
        }
    wl_printf("\r\nCHK: Performing leak check... (%ld bytes in %ld blocks)\r\n", (long)bytes, (long)blocks);
    if (opt(OPT_TRACE) & 8)
        list_regions(regions);
    progress_t pr{bytes + 1, 0, 0};
    pr.start();
    scan(regions, pr);
    fputs("..DONE\r\n", stdout);

    unsigned long long mlk_bytes = 0, mlk = 0, plk_bytes = 0, plk = 0, new_bytes = 0, new_mlk = 0,
                       new_plk_bytes = 0, new_plk = 0;
    for (const region_t &r : regions) {
        if (!r.r_block || (r.r_flags & REF_START))
            continue;
        bool fresh = !g_leaks.ls_reported.count(r.r_lo);
        if (r.r_flags & REF_MIDDLE) {
            plk_bytes += r.r_hi - r.r_lo;
            plk++;
            new_plk_bytes += fresh ? r.r_hi - r.r_lo : 0;
            new_plk += fresh;
        } else {
            mlk_bytes += r.r_hi - r.r_lo;
            mlk++;
            new_bytes += fresh ? r.r_hi - r.r_lo : 0;
            new_mlk += fresh;
        }
    }
    FILE *f = debug_file();
    bool again = g_leaks.ls_checks++ > 0;
    if (again) {
        say(f, "\n\n------ Memory blocks leaked since last leak check \n");
        say(f, "New leaked memory:   (MLK) %8ld bytes, %ld blocks.", (long)new_bytes, (long)new_mlk);
        say(f, "New possibly leaked: (PLK) %8ld bytes, %ld blocks.", (long)new_plk_bytes, (long)new_plk);
    } else {
        say(f, "\n\n------ Memory blocks leaked -------------------\n");
    }
    say(f, "Leaked memory:   (MLK) %8ld bytes, %ld blocks.", (long)mlk_bytes, (long)mlk);
    say(f, "Possibly leaked: (PLK) %8ld bytes, %ld blocks.", (long)plk_bytes, (long)plk);
    say(f, "                       %8ld bytes allocated in total", (long)bytes);
    say(f, "                       %8ld blocks allocated in total", (long)blocks);
    for (int pass = 0; pass < 2; pass++) {
        if (pass == 1 && plk)
            say(f, "\n\n------ Possible memory blocks leaked -------------------\n");
        int index = 0;
        for (const region_t &r : regions) {
            if (!r.r_block)
                continue;
            index++;
            bool leaked = !(r.r_flags & REF_START) && ((r.r_flags & REF_MIDDLE) != 0) == (pass == 1);
            if (!leaked)
                continue;
            list_block(f, index - 1, r);
            g_leaks.ls_reported.insert(r.r_lo);
        }
    }
    long took = static_cast<long>(time(nullptr)) - started;
    wl_printf("Time to compute leaks: %ld secs\n", took);
    wl_fprintf(f, "Time to compute leaks: %ld secs\n", took);
    fputs("Leak checking finished.\r\n", stdout);
    wl_fprintf(f, "Leak checking finished.\n");
    fflush(stdout);
    fflush(f);
}

void leak_monitor()
{
    long t = static_cast<long>(time(nullptr));
    leak_state_t &m = g_leaks;
    if (!m.ls_mon_first) {
        m.ls_mon_first = t;
        m.ls_mon_last = t - 3;
    }
    if (t - m.ls_mon_last < 3)
        return;
    unsigned long blocks = static_cast<unsigned long>(opt(OPT_MMAP) ? page_count() : g_dbg.d_live_set.size());
    unsigned long bytes = g_chk.cs_count.cc_bytes.load(std::memory_order_relaxed);
    if (blocks <= m.ls_mon_blocks && bytes <= m.ls_mon_bytes)
        return;
    m.ls_mon_last = t;
    m.ls_mon_blocks = blocks;
    m.ls_mon_bytes = bytes;
    unsigned long up = static_cast<unsigned long>(t - m.ls_mon_first);
    wl_printf("%02lu:%02lu:%02lu LEAKMON: %lu blocks, %lu bytes allocated\n", up / 3600, up / 60 % 60,
              up % 60, blocks, bytes);
}

} // namespace wl_chk

using namespace wl_chk;

extern "C" void chk_exit_report(void)
{
    ensure_init();
    if (!debugging() || !opt(OPT_EXIT))
        return;
    if (opt(OPT_LEAKS))
        leak_check();
    if (opt(OPT_EXIT) == 1) {
        wl_fprintf(stderr, "\nApplication is terminating. Generating chkalloc dump...\n");
        stats_dump();
    }
}
