// Error reports of the allocation functions: the one-line message, the
// statistics dump into the debug file, and the out-of-memory report.
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#define wl_getpid _getpid
#else
#include <unistd.h>
#define wl_getpid getpid
#endif

#include <algorithm>

#include "chk_debug.h"
#include "wrenlib/fmt.h"

#ifndef O_NOFOLLOW
#define O_NOFOLLOW 0
#endif
#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace wl_chk {

namespace {

const char *const MONTHS[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

/* The debug file is created, never taken over: a name planted in a shared
 * directory (a link to someone's file, a file left there) is refused, and
 * the dump goes to standard output instead. */
FILE *create_debug_file(const char *name, bool exclusive)
{
    int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_BINARY | (exclusive ? O_EXCL : O_TRUNC);
    int fd = open(name, flags, 0644);
    if (fd < 0)
        return nullptr;
    FILE *f = fdopen(fd, "w");
    if (!f)
        close(fd);
    return f;
}

void print_time(FILE *f, const char *label, long when)
{
    time_t t = static_cast<time_t>(when);
    struct tm tm_buf;
#ifdef _WIN32
    localtime_s(&tm_buf, &t);
#else
    localtime_r(&t, &tm_buf);
#endif
    wl_fprintf(f, "%s%02d:%02d:%02d %02d-%3.3s-%02d\n", label, tm_buf.tm_hour, tm_buf.tm_min,
               tm_buf.tm_sec, tm_buf.tm_mday, MONTHS[tm_buf.tm_mon % 12], tm_buf.tm_year % 100);
}

void file_heading(FILE *f)
{
    long now_s = static_cast<long>(time(nullptr));
    long up = now_s - g_chk.cs_start_time;
    wl_fprintf(f, "======================================\n");
    wl_fprintf(f, "Program: %s\n", g_chk.cs_program);
    wl_fprintf(f, "PID:     %d\n", static_cast<int>(wl_getpid()));
    print_time(f, "Started: ", g_chk.cs_start_time);
    print_time(f, "Date:    ", now_s);
    wl_fprintf(f, "Elapsed: %02ld:%02ld:%02ld\n", up / 3600, up / 60 % 60, up % 60);
    wl_fprintf(f, "CHK:     %s\n", g_chk.cs_settings);
    if (g_chk.cs_settings_var[0]) {
        const char *v = getenv(g_chk.cs_settings_var);
        wl_fprintf(f, "%s:      \"%s\"\n", g_chk.cs_settings_var, v ? v : "");
    }
    wl_fprintf(f, "\n\n");
}

void dump_line(FILE *f, const char *label, unsigned long value)
{
    wl_fprintf(f, "%-26s%lu\n", label, value);
}

struct live_t {
    void *l_data;
    size_t l_size;
    const char *l_tag;
    unsigned long l_id;
    const void *l_caller;
    const uintptr_t *l_stack;
};

void dump_block(FILE *f, unsigned pos, const live_t &b)
{
    wl_fprintf(f, "%4u: ID=%-4ld %08lx @%08llx %s", pos, (long)b.l_id, (unsigned long)b.l_size,
               (unsigned long long)reinterpret_cast<uintptr_t>(b.l_data), b.l_tag ? b.l_tag : "");
    if (b.l_caller)
        wl_fprintf(f, " PC:%08llx %s", (unsigned long long)reinterpret_cast<uintptr_t>(b.l_caller),
                   symbol_of(b.l_caller));
    wl_fprintf(f, "\n    Allocated from:\n");
    print_stack(f, b.l_stack, opt(OPT_DEPTH));
    if (b.l_tag && strcmp(b.l_tag, "chk_strdup") == 0) {
        const char *s = static_cast<const char *>(b.l_data);
        wl_fprintf(f, "strdup = '%.*s'\n", (int)strnlen(s, b.l_size), s);
    } else {
        size_t n = b.l_size < static_cast<size_t>(opt(OPT_DUMP)) ? b.l_size : static_cast<size_t>(opt(OPT_DUMP));
        hex_dump(f, b.l_data, n);
    }
}

void dump_live(FILE *f)
{
    sys_vector<live_t> blocks;
    blocks.reserve(dbg_live_count());
    dbg_each_live(
        [](void *ctx, void *data, size_t size, const char *tag, unsigned long id, const void *caller,
           const uintptr_t *stack) {
            static_cast<sys_vector<live_t> *>(ctx)->push_back({data, size, tag, id, caller, stack});
        },
        &blocks);
    if (opt(OPT_SORT))
        std::stable_sort(blocks.begin(), blocks.end(),
                         [](const live_t &a, const live_t &b) { return a.l_size < b.l_size; });
    unsigned pos = 0;
    for (const live_t &b : blocks)
        dump_block(f, pos++, b);
}

} // namespace

FILE *debug_file()
{
    guard_t g(chk_lock());
    if (g_chk.cs_debug_file)
        return g_chk.cs_debug_file;
    const char *name = getenv("CHK_FILE");
    bool chosen = name && *name;
    if (chosen)
        wl_snprintf(g_chk.cs_debug_name, sizeof g_chk.cs_debug_name, "%s", name);
    else
        wl_snprintf(g_chk.cs_debug_name, sizeof g_chk.cs_debug_name, "/tmp/chkalloc.%d.out",
                    static_cast<int>(wl_getpid()));
    // A name of the user's own may be written over; the shared default
    // must be new.
    FILE *f = create_debug_file(g_chk.cs_debug_name, !chosen);
    if (f) {
        wl_printf("CHK: Memory dump info logged to %s\n", g_chk.cs_debug_name);
        fflush(stdout);
    } else {
        f = stdout;
    }
    file_heading(f);
    g_chk.cs_debug_file = f;
    return f;
}

void hex_dump(FILE *f, const void *data, size_t size)
{
    const unsigned char *b = static_cast<const unsigned char *>(data);
    for (size_t at = 0; at < size; at += 16) {
        char line[128];
        int n = wl_snprintf(line, sizeof line, "%04x:  ", (unsigned)at);
        for (size_t i = 0; i < 16; i++) {
            if (at + i < size)
                n += wl_snprintf(line + n, sizeof line - size_t(n), "%02x", b[at + i]);
            else
                n += wl_snprintf(line + n, sizeof line - size_t(n), "  ");
            if (i % 2 == 1)
                line[n++] = ' ';
        }
        line[n++] = ' ';
        line[n++] = ' ';
        for (size_t i = 0; i < 16 && at + i < size; i++)
            line[n++] = b[at + i] >= 0x20 && b[at + i] < 0x7F ? static_cast<char>(b[at + i]) : '.';
        line[n++] = '\n';
        line[n] = '\0';
        fputs(line, f);
    }
}

void stats_dump()
{
    if (g_chk.cs_in_dump.exchange(true))
        return;
    guard_t g(chk_lock());
    chk_stats_t s;
    chk_get_stats(&s);
    FILE *f = debug_file();
    wl_fprintf(f, "**** CHK_ALLOC: *************\n");
    dump_line(f, "Next ID:", debugging() ? dbg_next_id() : 0);
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
    if (g_chk.cs_tracking)
        dump_live(f);
    fflush(f);
    g_chk.cs_in_dump.store(false);
}

void report(const char *msg, bool fatal)
{
    wl_fprintf(stderr, "CHK_ALLOC: %s\n", msg);
    fflush(stderr);
    stats_dump();
    if (getenv("CHKFLAGS"))
        return;
    if (g_chk.cs_error_hook)
        g_chk.cs_error_hook(msg);
    if (debugging())
        print_current_stack(stderr);
    if (fatal && opt(OPT_ABORT)) {
        fflush(stdout);
        fflush(stderr);
        abort();
    }
}

void out_of_memory(size_t size)
{
    if (g_chk.cs_reserve) {
        free(g_chk.cs_reserve);
        g_chk.cs_reserve = nullptr;
    }
    chk_stats_t s;
    chk_get_stats(&s);
    unsigned long long want = size;
    wl_printf("CHK_ALLOC: Out of memory allocating %llu (0x%llx) bytes.\n", want, want);
    wl_printf("           Memory allocated so far:   %lu\n", s.cs_bytes);
    wl_printf("           Largest block (alloc):     %lu\n", s.cs_largest_alloc);
    wl_printf("           Largest block (realloc):   %lu\n", s.cs_largest_realloc);
    wl_printf("           Blocks allocated:          %lu\n", s.cs_blocks);
    fflush(stdout);
    exit(1);
}

} // namespace wl_chk
