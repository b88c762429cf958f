// Start of a run of the allocation functions: reading the CHK settings once
// and choosing between the plain and the debugging mode for good.
#include <stdlib.h>
#include <string.h>
#include <time.h>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#define wl_getpid _getpid
#else
#include <unistd.h>
#define wl_getpid getpid
#endif

#include "chk_internal.h"
#include "wrenlib/fmt.h"

#if defined(__GLIBC__)
extern "C" char *program_invocation_name;
#endif

namespace wl_chk {

namespace {

void set_env(const char *name, const char *value)
{
#ifdef _WIN32
    _putenv_s(name, value);
#else
    setenv(name, value, 1);
#endif
}

void read_program_name()
{
    const char *name = nullptr;
#if defined(_WIN32)
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    if (n > 0 && n < sizeof buf)
        name = buf;
#elif defined(__GLIBC__)
    name = program_invocation_name;
#endif
    wl_snprintf(g_chk.cs_program, sizeof g_chk.cs_program, "%s", name && *name ? name : "<unknown>");
}

/* CCHK, else CHK; an empty value is no setting at all, which is how a child
 * of a checked program sees "CHK=". */
const char *settings_text(bool *from_cchk)
{
    const char *v = getenv("CCHK");
    *from_cchk = v && *v;
    if (!*from_cchk)
        v = getenv("CHK");
    if (!v || !*v)
        return nullptr;
    // The value may name another variable that holds the settings.
    const char *named = getenv(v);
    if (named && strlen(v) < sizeof g_chk.cs_settings_var) {
        wl_snprintf(g_chk.cs_settings_var, sizeof g_chk.cs_settings_var, "%s", v);
        v = named;
    }
    return v;
}

/* The options that imply others. */
void apply_implications()
{
    int32_t *o = g_chk.cs_opt;
    if (o[OPT_MMAP]) {
        o[OPT_STACK_DUMP] = 1;
        o[OPT_ALIGNMENT] = 1;
    }
    if (o[OPT_LEAKS]) {
        o[OPT_VMALLOC] = 1;
        if (!o[OPT_TAIL])
            o[OPT_TAIL] = 100;
        if (!o[OPT_EXIT])
            o[OPT_EXIT] = 2;
        if (!o[OPT_DEPTH])
            o[OPT_DEPTH] = 16;
        o[OPT_FREE] = 0;
    }
    if (o[OPT_ZERO_ABORT])
        o[OPT_ZERO] = 1;
    if (!o[OPT_MAX_SIZE])
        o[OPT_MAX_SIZE] = o[OPT_MAX_ALLOC] ? o[OPT_MAX_ALLOC] : (o[OPT_MON_ALLOC] ? 0x7FFFFFF : 0);
    if (o[OPT_ALIGNMENT] < 1)
        o[OPT_ALIGNMENT] = 1;
    if (o[OPT_DEPTH] < 0)
        o[OPT_DEPTH] = 0;
    if (o[OPT_DEPTH] > 64)
        o[OPT_DEPTH] = 64;
    if (o[OPT_GUARD] < 0)
        o[OPT_GUARD] = 0;
    if (o[OPT_FREE_QUEUE_LENGTH] < 0)
        o[OPT_FREE_QUEUE_LENGTH] = 0;
}

bool checking_active()
{
    const int32_t *o = g_chk.cs_opt;
    return o[OPT_EXIT] || o[OPT_TAIL] || o[OPT_FILL] >= 0 || o[OPT_FILL_ON_FREE] >= 0 ||
           o[OPT_NOFREE] || o[OPT_NOREALLOC] || o[OPT_ZERO] || o[OPT_LEAK_MONITOR] ||
           o[OPT_STREAM] || o[OPT_MMAP] || o[OPT_MAX_SIZE] || o[OPT_MAX_ALLOC] || o[OPT_TRACE];
}

void read_settings()
{
    for (int i = 0; i < OPT_COUNT; i++)
        g_chk.cs_opt[i] = chk_options[i].co_default;
    bool from_cchk = false;
    const char *text = settings_text(&from_cchk);
    if (!text)
        return;
    wl_snprintf(g_chk.cs_settings, sizeof g_chk.cs_settings, "%s", text);
    parse_settings(text);
    if (from_cchk)
        g_chk.cs_opt[OPT_PASS] = 1;
    apply_implications();

    if (opt(OPT_MALLOC))
        g_chk.cs_mode = MODE_SYSTEM;
    else if (checking_active() || opt(OPT_MALLOC_LOG) || opt(OPT_ZERO_FREE) == 2)
        g_chk.cs_mode = MODE_DEBUG;
    g_chk.cs_tracking = debugging() && !opt(OPT_MMAP) && (opt(OPT_TAIL) || opt(OPT_EXIT));
    if (debugging())
        dbg_init();
    if (opt(OPT_RESERVE))
        g_chk.cs_reserve = malloc(static_cast<size_t>(opt(OPT_RESERVE)) * 1024);

    if (opt(OPT_HELP))
        print_help();
    if (opt(OPT_STACK_DUMP))
        install_segv_dump();
    if (!opt(OPT_QUIET)) {
        wl_fprintf(stderr, "CHKALLOC: PID#%d ** NOTE ** Memory checking enabled\n", (int)wl_getpid());
        wl_fprintf(stderr, "CHKALLOC: Running: %s\n", g_chk.cs_program);
        wl_fprintf(stderr, "CHKALLOC: Options: %s\n\n", g_chk.cs_settings);
    }
    // Children run unchecked unless asked otherwise.
    if (!opt(OPT_PASS))
        set_env("CHK", "");
}

} // namespace

} // namespace wl_chk

using namespace wl_chk;

extern "C" {

/* Runs once per process, from the program's first line or from the first
 * allocation, which comes first in a C++ program. */
void chk_init(void)
{
    guard_t g(chk_lock());
    // Reading the settings may print, and printing may allocate: those
    // allocations go ahead with what is set so far.
    static bool initialising = false;
    if (g_chk.cs_initialised.load(std::memory_order_relaxed) || initialising)
        return;
    initialising = true;
    new_routing_anchor();
    if (g_chk.cs_count.cc_blocks.load(std::memory_order_relaxed)) {
        wl_printf("chk_init() called after memory allocation.\n");
        fflush(stdout);
        exit(1);
    }
    g_chk.cs_start_time = static_cast<long>(time(nullptr));
    read_program_name();
    read_settings();
    g_chk.cs_initialised.store(true, std::memory_order_release);
}

int chk_debugging(void)
{
    ensure_init();
    return debugging() ? 1 : 0;
}

void chk_set_error_hook(void (*hook)(const char *msg))
{
    guard_t g(chk_lock());
    g_chk.cs_error_hook = hook;
}

} // extern "C"
