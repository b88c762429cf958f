// Small string helpers: case-blind comparison, bounded copy, tokenizer.
#include <string.h>

#include "wrenlib/fmt.h"

namespace {

/* Only A-Z fold: the comparison must not depend on the C library's locale. */
constexpr int fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

int compare_folded(const char *a, const char *b, long long limit)
{
    const unsigned char *pa = reinterpret_cast<const unsigned char *>(a);
    const unsigned char *pb = reinterpret_cast<const unsigned char *>(b);
    for (long long i = 0; limit < 0 || i < limit; i++) {
        int ca = fold(pa[i]);
        int cb = fold(pb[i]);
        if (ca != cb)
            return ca - cb;
        if (ca == 0)
            return 0;
    }
    return 0;
}

} // namespace

extern "C" {

int wl_strcasecmp(const char *a, const char *b) { return compare_folded(a, b, -1); }

int wl_strncasecmp(const char *a, const char *b, int n)
{
    if (n <= 0)
        return 0;
    return compare_folded(a, b, n);
}

size_t wl_strlcpy(char *dst, const char *src, size_t size)
{
    size_t len = strlen(src);
    if (size > 0) {
        size_t n = len < size - 1 ? len : size - 1;
        memcpy(dst, src, n);
        dst[n] = '\0';
    }
    return len;
}

char *wl_strtok_r(char *str, const char *delims, char **save)
{
    char *p = str ? str : *save;
    if (!p)
        return nullptr;
    p += strspn(p, delims);
    if (*p == '\0') {
        *save = nullptr;
        return nullptr;
    }
    char *end = p + strcspn(p, delims);
    if (*end) {
        *end = '\0';
        *save = end + 1;
    } else {
        *save = nullptr;
    }
    return p;
}

} // extern "C"
