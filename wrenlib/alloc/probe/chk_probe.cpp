// A small program for the allocator's tests: each scenario makes a few
// allocations, some of them wrong on purpose, under whatever CHK settings
// the test put into the environment.  It prints the addresses involved,
// so that the test can work out the exact reports.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <signal.h>
#include <windows.h>
#endif

#include <thread>
#include <vector>

#include "wrenlib/chk.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
// Several scenarios leak on purpose, for the allocator's own leak check.
extern "C" const char *__asan_default_options() { return "detect_leaks=0"; }
#endif
#endif

namespace {

void say(const char *what, const void *p)
{
    printf("%s 0x%08llx\n", what, (unsigned long long)reinterpret_cast<uintptr_t>(p));
    fflush(stdout);
}

void *volatile g_sink;

int overrun(int past)
{
    char *p = static_cast<char *>(chk_alloc(13));
    say("block", p);
    p[13 + past] = 'A';
    chk_free(p);
    return 0;
}

/* The blocks freed in between exist before the block of interest and no
 * allocation follows its release, so its address cannot have been handed
 * out again when it is freed the second time. */
int double_free(size_t size, int frees_between, int allocs_after)
{
    std::vector<void *> between;
    for (int i = 0; i < frees_between; i++)
        between.push_back(chk_alloc(8));
    void *p = chk_alloc(size);
    say("block", p);
    chk_free(p);
    for (int i = 0; i < allocs_after; i++)
        g_sink = chk_alloc(40);
    for (void *b : between)
        chk_free(b);
    chk_free(p);
    return 0;
}

int wild_free()
{
    char *foreign = static_cast<char *>(malloc(64));
    memset(foreign, 0, 64);
    say("block", foreign);
    chk_free(foreign);
    // Still the C library's: releasing it here is right only if the
    // allocator left it alone.
    memset(foreign, 1, 64);
    free(foreign);
    printf("survived\n");
    return 0;
}

/* A is referenced by nothing, B from A's start, C only from A's middle. */
int leaks()
{
    char **a = static_cast<char **>(chk_alloc(64));
    char *b = static_cast<char *>(chk_alloc(40));
    char *c = static_cast<char *>(chk_alloc(24));
    memset(a, 0, 64);
    memset(b, 0, 40);
    memset(c, 0, 24);
    a[0] = b;
    a[1] = c + 8;
    char *gone = chk_strdup("kept and freed");
    chk_free(gone);
    say("a", a);
    say("b", b);
    say("c", c);
    a = nullptr;
    b = c = nullptr;
    chk_exit_report();
    return 0;
}

int exit_dump()
{
    char *s = chk_strdup("hello dump");
    unsigned char *b = static_cast<unsigned char *>(chk_alloc(20));
    for (int i = 0; i < 20; i++)
        b[i] = static_cast<unsigned char>('A' + i);
    void *big = chk_alloc(300);
    memset(big, 0, 300);
    say("strdup", s);
    say("block", b);
    say("big", big);
    chk_exit_report();
    return 0;
}

int fill()
{
    unsigned char *p = static_cast<unsigned char *>(chk_alloc(8));
    printf("fill %02x %02x\n", p[0], p[7]);
    memset(p, 0, 8);
    p = static_cast<unsigned char *>(chk_realloc(p, 16));
    printf("grown %02x %02x\n", p[0], p[15]);
    chk_free(p);
    // Still held in the free queue, so looking is allowed.
    printf("freed %02x %02x\n", p[0], p[15]);
    return 0;
}

int realloc_moves()
{
    char *p = static_cast<char *>(chk_alloc(32));
    memcpy(p, "0123456789abcdef0123456789abcdef", 32);
    char *q = static_cast<char *>(chk_realloc(p, 16));
    printf("%s %.16s\n", p == q ? "same" : "moved", q);
    chk_free(q);
    return 0;
}

int ops()
{
    void *p = chk_alloc(24);
    say("block", p);
    p = chk_realloc(p, 48);
    say("grown", p);
    chk_free(p);
    char *z = static_cast<char *>(chk_calloc(3, 5));
    say("calloc", z);
    chk_free(z);
    chk_free(nullptr);
    return 0;
}

int limits()
{
    void *a = chk_alloc(600);
    void *b = chk_alloc(600);
    void *c = chk_alloc(2000);
    printf("survived\n");
    g_sink = a;
    g_sink = b;
    g_sink = c;
    return 0;
}

int zeros()
{
    void *p = chk_alloc(0);
    printf("zero done\n");
    fflush(stdout);
    g_sink = p;
    return 0;
}

int pages(int where)
{
    char *p = static_cast<char *>(chk_alloc(32));
    say("block", p);
    memset(p, 1, 32);
    printf("inside ok\n");
    fflush(stdout);
    if (where > 0)
        p[32] = 1;
    else if (where < 0)
        p[-1] = 1;
    printf("outside ok\n");
    chk_free(p);
    return 0;
}

int environment()
{
    chk_free(chk_alloc(1));
    const char *v = getenv("CHK");
    printf("CHK='%s' debugging=%d\n", v ? v : "(unset)", chk_debugging());
    return 0;
}

void hook(const char *msg) { printf("hook: %s\n", msg); fflush(stdout); }

int with_hook()
{
    chk_set_error_hook(hook);
    return double_free(24, 0, 0);
}

int monitor()
{
    for (int i = 0; i < 10; i++)
        g_sink = chk_alloc(100);
    return 0;
}


/* Two threads allocating, resizing and freeing at once; the checks must
 * find nothing wrong and the counts must come out even. */
int threads()
{
    chk_stats_t before;
    chk_get_stats(&before);
    auto work = [](int seed) {
        std::vector<char *> held(64, nullptr);
        for (int i = 0; i < 20000; i++) {
            size_t k = static_cast<size_t>((i * 7 + seed) % 64);
            if (held[k]) {
                held[k] = static_cast<char *>(chk_realloc(held[k], static_cast<size_t>(i % 300)));
                chk_free(held[k]);
                held[k] = nullptr;
            } else {
                held[k] = static_cast<char *>(chk_alloc(static_cast<size_t>(1 + i % 200)));
                held[k][0] = 1;
            }
        }
        for (char *p : held)
            chk_free(p);
    };
    {
        std::thread a(work, 1), b(work, 5);
        a.join();
        b.join();
    }
    chk_stats_t after;
    chk_get_stats(&after);
    printf("bytes %s\n", after.cs_bytes == before.cs_bytes ? "even" : "uneven");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
#ifdef _WIN32
    // An abort ends the process with status 3 and no message box or
    // runtime notice, so the test sees only what the allocator said.
    signal(SIGABRT, [](int) { _exit(3); });
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
#endif
    chk_init();
    const char *what = argc > 1 ? argv[1] : "";
    if (!strcmp(what, "overrun"))
        return overrun(argc > 2 ? atoi(argv[2]) : 0);
    if (!strcmp(what, "double_free"))
        return double_free(argc > 2 ? strtoul(argv[2], nullptr, 0) : 24, argc > 3 ? atoi(argv[3]) : 0,
                           argc > 4 ? atoi(argv[4]) : 0);
    if (!strcmp(what, "wild_free"))
        return wild_free();
    if (!strcmp(what, "leaks"))
        return leaks();
    if (!strcmp(what, "exit_dump"))
        return exit_dump();
    if (!strcmp(what, "fill"))
        return fill();
    if (!strcmp(what, "realloc"))
        return realloc_moves();
    if (!strcmp(what, "ops"))
        return ops();
    if (!strcmp(what, "limits"))
        return limits();
    if (!strcmp(what, "zero"))
        return zeros();
    if (!strcmp(what, "pages"))
        return pages(argc > 2 ? atoi(argv[2]) : 0);
    if (!strcmp(what, "env"))
        return environment();
    if (!strcmp(what, "hook"))
        return with_hook();
    if (!strcmp(what, "monitor"))
        return monitor();
    if (!strcmp(what, "threads"))
        return threads();
    fprintf(stderr, "chk_probe: unknown scenario '%s'\n", what);
    return 2;
}
