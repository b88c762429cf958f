// Encoded appends to dynamic strings: raw big-endian integers, tagged
// values and C string text.
#include <string.h>

#include "dstr_internal.h"
#include "wrenlib/byteorder.h"

using wl_dstr::room;
using wl_dstr::tail;

namespace {

/* Type bytes of the tagged values. */
constexpr unsigned char TV_INT32 = 0x01;
constexpr unsigned char TV_NULL = 0x04;
constexpr unsigned char TV_ID = 0x05;
constexpr unsigned char TV_FLOAT = 0x0A;
constexpr unsigned char TV_SMALL = 0x0E;
constexpr unsigned char TV_INT64 = 0x10;

void put_byte(dstr_t *d, unsigned char b) { d->dl_str[d->dl_len++] = static_cast<char>(b); }

/* The escape of one byte as C string text; returns its length. */
int escape_byte(unsigned char c, char out[4])
{
    static constexpr char hex[] = "0123456789abcdef";
    char named = 0;
    switch (c) {
    case '"': named = '"'; break;
    case '\\': named = '\\'; break;
    case '\n': named = 'n'; break;
    case '\t': named = 't'; break;
    case '\r': named = 'r'; break;
    case '\f': named = 'f'; break;
    case '\b': named = 'b'; break;
    default: break;
    }
    if (named) {
        out[0] = '\\';
        out[1] = named;
        return 2;
    }
    if (c == 0) {
        memcpy(out, "\\000", 4);
        return 4;
    }
    if (c < 0x20 || c >= 0x80) {
        out[0] = '\\';
        out[1] = 'x';
        out[2] = hex[c >> 4];
        out[3] = hex[c & 0x0F];
        return 4;
    }
    out[0] = static_cast<char>(c);
    return 1;
}

} // namespace

extern "C" {

void dstr_add_int16(dstr_t *d, uint32_t v)
{
    room(d, 2, 64);
    LPUT16(tail(d), v);
    d->dl_len += 2;
}

void dstr_add_int24(dstr_t *d, uint32_t v)
{
    room(d, 3, 64);
    LPUT24(tail(d), v);
    d->dl_len += 3;
}

void dstr_add_int32(dstr_t *d, uint32_t v)
{
    room(d, 4, 64);
    LPUT32(tail(d), v);
    d->dl_len += 4;
}

void dstr_add_int64(dstr_t *d, uint64_t v)
{
    room(d, 8, 8);
    LPUT64(tail(d), v);
    d->dl_len += 8;
}

void dstr_add_int(dstr_t *d, int32_t v)
{
    if (v >= -127 && v <= 127) {
        room(d, 2, 2 + 64);
        put_byte(d, TV_SMALL);
        put_byte(d, static_cast<unsigned char>(static_cast<int8_t>(v)));
        return;
    }
    room(d, 5, 5 + 64);
    put_byte(d, TV_INT32);
    LPUT32(tail(d), static_cast<uint32_t>(v));
    d->dl_len += 4;
}

void dstr_add_integer(dstr_t *d, int64_t v)
{
    if (v >= 0 && v <= 0x7FFFFFFF) {
        dstr_add_int(d, static_cast<int32_t>(v));
        return;
    }
    room(d, 9, 9);
    put_byte(d, TV_INT64);
    LPUT64(tail(d), static_cast<uint64_t>(v));
    d->dl_len += 8;
}

void dstr_add_float(dstr_t *d, double x)
{
    room(d, 9, 73);
    put_byte(d, TV_FLOAT);
    memcpy(tail(d), &x, sizeof x);
    d->dl_len += 8;
}

void dstr_add_null(dstr_t *d)
{
    room(d, 2, 8);
    put_byte(d, TV_NULL);
}

void dstr_add_ptr(dstr_t *d, int type, uint32_t v)
{
    room(d, 5, 64);
    put_byte(d, static_cast<unsigned char>(type));
    LPUT32(tail(d), v);
    d->dl_len += 4;
}

/* A 10-bit identifier: its top two bits ride in the type byte. */
void dstr_add_id(dstr_t *d, int id)
{
    room(d, 2, 64);
    put_byte(d, static_cast<unsigned char>(TV_ID | ((id >> 2) & 0xC0)));
    put_byte(d, static_cast<unsigned char>(id & 0xFF));
}

void dstr_add_cstring(dstr_t *d, const char *s, int n)
{
    if (!s || n <= 0)
        return;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(s);
    for (int i = 0; i < n; i++) {
        char esc[4];
        int k = escape_byte(p[i], esc);
        room(d, k, 68, true);
        memcpy(tail(d), esc, static_cast<size_t>(k));
        d->dl_len += k;
    }
}

} // extern "C"
