// String copies made through the allocation functions.
#include <stdarg.h>
#include <string.h>

#include "chk_internal.h"

using namespace wl_chk;

extern "C" {

char *chk_strdup(const char *s)
{
    if (!s)
        return nullptr;
    size_t n = strlen(s) + 1;
    char *p = static_cast<char *>(core_alloc(n, call_kind::strdup, "chk_strdup", WL_CALLER()));
    memcpy(p, s, n);
    return p;
}

/* Exactly n bytes, no terminator: callers use it for counted byte runs. */
char *chk_strndup(const char *s, size_t n)
{
    if (!s)
        return nullptr;
    char *p = static_cast<char *>(core_alloc(n, call_kind::strdup, "chk_strdup", WL_CALLER()));
    memcpy(p, s, n);
    return p;
}

char *chk_makestr(const char *first, ...)
{
    size_t total = 1;
    va_list ap;
    va_start(ap, first);
    for (const char *s = first; s; s = va_arg(ap, const char *))
        total += strlen(s);
    va_end(ap);

    char *out = static_cast<char *>(core_alloc(total, call_kind::alloc, "chk_makestr", WL_CALLER()));
    char *dst = out;
    va_start(ap, first);
    for (const char *s = first; s; s = va_arg(ap, const char *)) {
        size_t n = strlen(s);
        memcpy(dst, s, n);
        dst += n;
    }
    va_end(ap);
    *dst = '\0';
    return out;
}

} // extern "C"
