// Call stacks of the debugging mode: collected at allocation, printed in
// the reports, and the SIGSEGV routine that prints one before dying.
#include <signal.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)
#include <windows.h>
#elif defined(__GLIBC__)
#include <dlfcn.h>
#include <execinfo.h>
#endif

#include "chk_internal.h"
#include "wrenlib/fmt.h"

namespace wl_chk {

namespace {

/* Frames of the allocator itself on top of every collected stack. */
constexpr int OWN_FRAMES = 2;
constexpr int MAX_FRAMES = 64 + OWN_FRAMES + 2;

void on_segv(int)
{
    wl_fprintf(stderr, "\n*** Segmentation violation\n");
    print_current_stack(stderr);
    wl_fprintf(stderr, "Forcing a core dump...\n");
    fflush(stderr);
    signal(SIGABRT, SIG_DFL);
    abort();
}

} // namespace

void collect_stack(uintptr_t *out, int depth)
{
    if (depth <= 0)
        return;
    for (int i = 0; i < depth; i++)
        out[i] = 0;
    void *frames[MAX_FRAMES];
    int want = depth + OWN_FRAMES;
    if (want > MAX_FRAMES)
        want = MAX_FRAMES;
    int n = 0;
#if defined(_WIN32)
    n = RtlCaptureStackBackTrace(0, static_cast<DWORD>(want), frames, nullptr);
#elif defined(__GLIBC__)
    n = backtrace(frames, want);
#endif
    for (int i = OWN_FRAMES, j = 0; i < n && j < depth; i++, j++)
        out[j] = reinterpret_cast<uintptr_t>(frames[i]);
}

const char *symbol_of(const void *address)
{
#if defined(__GLIBC__)
    Dl_info info;
    if (address && dladdr(address, &info) && info.dli_sname)
        return info.dli_sname;
#else
    (void)address;
#endif
    return "";
}

void print_stack(FILE *f, const uintptr_t *stack, int depth)
{
    if (depth <= 0) {
        wl_fprintf(f, "         <No stack collected since -depth:0 in effect>\n");
        return;
    }
    for (int i = 0; i < depth; i++) {
        if (!stack[i]) {
            wl_fprintf(f, "         <End of stack dump>\n");
            return;
        }
        wl_fprintf(f, "     %2d: 0x%08llx %s\n", i, (unsigned long long)stack[i],
                   symbol_of(reinterpret_cast<const void *>(stack[i])));
    }
    wl_fprintf(f, "         ...\n");
}

void print_current_stack(FILE *f)
{
    uintptr_t stack[64];
    int depth = opt(OPT_DEPTH) < 64 ? opt(OPT_DEPTH) : 64;
    collect_stack(stack, depth);
    wl_fprintf(f, "\n    Current stack:\n");
    print_stack(f, stack, depth);
}

void install_segv_dump() { signal(SIGSEGV, on_segv); }

} // namespace wl_chk
