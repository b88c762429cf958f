// The light allocation functions of the name helper: the C library's
// allocator with a report on standard output when it fails.  Unlike the
// checked build they return null, and the caller copes.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "wrenlib/chk.h"

namespace {

void report(const char *what, size_t size)
{
    // The full request, also where size_t is wider than 32 bits.
    std::printf("CHK_ALLOC: Failed to %s memory. Wanted 0x%llx bytes\n", what,
                (unsigned long long)size);
    std::fflush(stdout);
}

} // namespace

extern "C" {

void *chk_alloc(size_t size)
{
    // Never ask for 0 bytes: a null answer to that would read as a failure.
    void *p = std::malloc(size ? size : 1);
    if (!p)
        report("allocate", size);
    return p;
}

void *chk_zalloc(size_t size)
{
    void *p = std::calloc(1, size ? size : 1);
    if (!p)
        report("zallocate", size);
    return p;
}

void *chk_realloc(void *ptr, size_t size)
{
    // On failure the old block stays valid and still belongs to the caller.
    void *p = std::realloc(ptr, size ? size : 1);
    if (!p)
        report("reallocate", size);
    return p;
}

void chk_free(void *ptr)
{
    std::free(ptr);
}

char *chk_strdup(const char *s)
{
    size_t n = std::strlen(s) + 1;
    char *p = static_cast<char *>(chk_alloc(n));
    if (p)
        std::memcpy(p, s, n);
    return p;
}

} // extern "C"
