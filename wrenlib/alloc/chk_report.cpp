// Error reports of the allocation functions: the one-line message, the
// statistics dump into the debug file, and the out-of-memory report.
#include <stdio.h>
#include <stdlib.h>

#ifdef _WIN32
#include <process.h>
#define wl_getpid _getpid
#else
#include <unistd.h>
#define wl_getpid getpid
#endif

#include "chk_internal.h"
#include "wrenlib/fmt.h"

namespace wl_chk {

namespace {

/* The debug file: CHK_FILE, else one per process in /tmp; standard output
 * when it cannot be created.  Opened once and kept for the whole run. */
FILE *debug_file()
{
    std::lock_guard<std::recursive_mutex> g(chk_lock());
    if (g_chk.cs_debug_file)
        return g_chk.cs_debug_file;
    const char *name = getenv("CHK_FILE");
    if (name && *name)
        wl_snprintf(g_chk.cs_debug_name, sizeof g_chk.cs_debug_name, "%s", name);
    else
        wl_snprintf(g_chk.cs_debug_name, sizeof g_chk.cs_debug_name, "/tmp/chkalloc.%d.out",
                    static_cast<int>(wl_getpid()));
    FILE *f = fopen(g_chk.cs_debug_name, "w");
    if (f) {
        wl_printf("CHK: Memory dump info logged to %s\n", g_chk.cs_debug_name);
        wl_fprintf(f, "======================================\n");
        wl_fprintf(f, "PID:     %d\n\n\n", static_cast<int>(wl_getpid()));
    } else {
        f = stdout;
    }
    g_chk.cs_debug_file = f;
    return f;
}

void dump_line(FILE *f, const char *label, unsigned long value)
{
    wl_fprintf(f, "%-26s%lu\n", label, value);
}

} // namespace

void stats_dump()
{
    if (g_chk.cs_in_dump.exchange(true))
        return;
    chk_stats_t s;
    chk_get_stats(&s);
    FILE *f = debug_file();
    wl_fprintf(f, "**** CHK_ALLOC: *************\n");
    dump_line(f, "Bytes allocated:", s.cs_bytes);
    dump_line(f, "Biggest block (alloc):", s.cs_largest_alloc);
    dump_line(f, "Biggest block (realloc):", s.cs_largest_realloc);
    dump_line(f, "Blocks allocated:", s.cs_blocks);
    dump_line(f, "#alloc:", s.cs_alloc);
    dump_line(f, "#calloc:", s.cs_calloc);
    dump_line(f, "#zalloc:", s.cs_zalloc);
    dump_line(f, "#realloc:", s.cs_realloc);
    dump_line(f, "#free:", s.cs_free);
    dump_line(f, "#strdup:", s.cs_strdup);
    fflush(f);
    g_chk.cs_in_dump.store(false);
}

void report(const char *msg, bool fatal)
{
    wl_fprintf(stderr, "CHK_ALLOC: %s\n", msg);
    stats_dump();
    if (getenv("CHKFLAGS"))
        return;
    if (fatal) {
        fflush(stdout);
        fflush(stderr);
        abort();
    }
}

void out_of_memory(size_t size)
{
    chk_stats_t s;
    chk_get_stats(&s);
    unsigned long long want = size;
    wl_printf("CHK_ALLOC: Out of memory allocating %llu (0x%llx) bytes.\n", want, want);
    wl_printf("           Memory allocated so far:   %lu\n", s.cs_bytes);
    wl_printf("           Largest block (alloc):     %lu\n", s.cs_largest_alloc);
    wl_printf("           Largest block (realloc):   %lu\n", s.cs_largest_realloc);
    wl_printf("           Blocks allocated:          %lu\n", s.cs_blocks);
    exit(1);
}

} // namespace wl_chk
