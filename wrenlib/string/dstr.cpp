// Growable byte strings: buffer management and raw appends.
#include <string.h>

#include <algorithm>

#include "dstr_internal.h"
#include "wrenlib/chk.h"
#include "wrenlib/wl_assert.h"

namespace wl_dstr {

void room(dstr_t *d, int64_t need, int64_t extra, bool tenth)
{
    if (!d->dl_str)
        d->dl_len = 0;
    int64_t old = d->dl_str ? d->dl_size : 0;
    if (d->dl_str && d->dl_len + need < old)
        return;
    int64_t want = std::max(old + (tenth ? old / 10 : 0) + extra, d->dl_len + need + 1);
    WL_ASSERT(want <= INT32_MAX);
    size_t bytes = static_cast<size_t>(want);
    d->dl_str = static_cast<char *>(d->dl_str ? chk_realloc(d->dl_str, bytes) : chk_alloc(bytes));
    d->dl_size = static_cast<int32_t>(want);
}

} // namespace wl_dstr

using wl_dstr::room;
using wl_dstr::tail;

namespace {

void take_buffer(dstr_t *d, int size, bool zero)
{
    if (size < 0)
        size = 0;
    size_t n = static_cast<size_t>(size);
    d->dl_str = static_cast<char *>(zero ? chk_zalloc(n) : chk_alloc(n));
    d->dl_size = size;
    d->dl_len = 0;
}

/* Reallocates to exactly `size` bytes (a fresh buffer when there is none). */
void exact_size(dstr_t *d, int size)
{
    size_t n = static_cast<size_t>(size);
    d->dl_str = static_cast<char *>(d->dl_str ? chk_realloc(d->dl_str, n) : chk_alloc(n));
    d->dl_size = size;
}

} // namespace

extern "C" {

void dstr_init(dstr_t *d, int size) { take_buffer(d, size, false); }

void dstr_zinit(dstr_t *d, int size) { take_buffer(d, size, true); }

void dstr_setup(dstr_t *d, char *buf, int size)
{
    d->dl_str = buf;
    d->dl_size = size;
    d->dl_len = size;
}

void dstr_free(dstr_t *d)
{
    chk_free_ptr(&d->dl_str);
    d->dl_len = 0;
}

void dstr_clear(dstr_t *d) { d->dl_len = 0; }

void dstr_add_char(dstr_t *d, int c)
{
    room(d, 1, 64);
    d->dl_str[d->dl_len++] = static_cast<char>(c);
}

void dstr_add_nchar(dstr_t *d, int c, int n)
{
    if (n <= 0)
        return;
    room(d, n, int64_t{n} + 64);
    memset(tail(d), c, static_cast<size_t>(n));
    d->dl_len += n;
}

void dstr_add_mem(dstr_t *d, const void *p, int n)
{
    if (n <= 0 || !p)
        return;
    room(d, n, int64_t{n} + 64, true);
    memcpy(tail(d), p, static_cast<size_t>(n));
    d->dl_len += n;
}

void dstr_add_string(dstr_t *d, const char *s, int n)
{
    if (n <= 0 || !s)
        return;
    room(d, n, int64_t{n} + 64);
    memcpy(tail(d), s, static_cast<size_t>(n));
    d->dl_len += n;
}

void dstr_terminate(dstr_t *d)
{
    room(d, 1, 8);
    d->dl_str[d->dl_len++] = '\0';
}

void dstr_reserve(dstr_t *d, int n)
{
    if (n <= 0)
        return;
    room(d, n, int64_t{n} + 64);
    d->dl_len += n;
}

void dstr_reserve_zero(dstr_t *d, int n)
{
    if (n <= 0)
        return;
    room(d, n, int64_t{n} + 64);
    memset(tail(d), 0, static_cast<size_t>(n));
    d->dl_len += n;
}

void dstr_remove(dstr_t *d, int n)
{
    if (n <= 0)
        return;
    if (n >= d->dl_len) {
        d->dl_len = 0;
        return;
    }
    memmove(d->dl_str, d->dl_str + n, static_cast<size_t>(d->dl_len - n));
    d->dl_len -= n;
}

void dstr_resize(dstr_t *d, int size)
{
    if (!d->dl_str) {
        if (size > 0)
            take_buffer(d, size, true);
        return;
    }
    if (d->dl_size >= size)
        return;
    int old = d->dl_size < 0 ? 0 : d->dl_size;
    exact_size(d, size);
    memset(d->dl_str + old, 0, static_cast<size_t>(size - old));
}

void dstr_size(dstr_t *d, int size)
{
    int have = d->dl_str ? d->dl_size : 0;
    if (have >= size)
        return;
    dstr_resize(d, size);
    d->dl_len = size;
}

void dstr_set_size(dstr_t *dstr, int size)
{
    WL_ASSERT(size <= dstr->dl_size);
    WL_ASSERT(size >= 0);
    dstr->dl_len = size;
}

void dstr_set_space(dstr_t *d, int size)
{
    if (size < 0)
        size = 0;
    if (d->dl_str && size == d->dl_size)
        return;
    exact_size(d, size);
    d->dl_len = 0;
}

} // extern "C"
