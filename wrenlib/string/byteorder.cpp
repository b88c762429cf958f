// Fixed-width fields at any byte address, most significant byte first.  The
// 64-bit form keeps the order the database has always used: the low word
// first, each word big-endian.
#include <string.h>

#include "wrenlib/byteorder.h"

namespace {

using byte = unsigned char;

const byte *in(const void *p) { return static_cast<const byte *>(p); }
byte *out(void *p) { return static_cast<byte *>(p); }

} // namespace

extern "C" {

uint32_t LGET16(const void *p)
{
    const byte *b = in(p);
    return static_cast<uint32_t>(b[0]) << 8 | b[1];
}

uint32_t LGET24(const void *p)
{
    const byte *b = in(p);
    return static_cast<uint32_t>(b[0]) << 16 | static_cast<uint32_t>(b[1]) << 8 | b[2];
}

uint32_t LGET32(const void *p)
{
    const byte *b = in(p);
    return static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 |
           static_cast<uint32_t>(b[2]) << 8 | b[3];
}

uint64_t LGET64(const void *p)
{
    uint64_t low = LGET32(p);
    uint64_t high = LGET32(in(p) + 4);
    return high << 32 | low;
}

void LPUT16(void *p, uint32_t v)
{
    byte *b = out(p);
    b[0] = static_cast<byte>(v >> 8);
    b[1] = static_cast<byte>(v);
}

void LPUT24(void *p, uint32_t v)
{
    byte *b = out(p);
    b[0] = static_cast<byte>(v >> 16);
    b[1] = static_cast<byte>(v >> 8);
    b[2] = static_cast<byte>(v);
}

void LPUT32(void *p, uint32_t v)
{
    byte *b = out(p);
    b[0] = static_cast<byte>(v >> 24);
    b[1] = static_cast<byte>(v >> 16);
    b[2] = static_cast<byte>(v >> 8);
    b[3] = static_cast<byte>(v);
}

void LPUT64(void *p, uint64_t v)
{
    LPUT32(p, static_cast<uint32_t>(v));
    LPUT32(out(p) + 4, static_cast<uint32_t>(v >> 32));
}

/* Doubles go out least significant byte first whatever the host order. */
void LPUT_FLOAT(void *p, double v)
{
    uint64_t bits;
    memcpy(&bits, &v, sizeof bits);
    byte *b = out(p);
    for (int i = 0; i < 8; i++)
        b[i] = static_cast<byte>(bits >> (8 * i));
}

} // extern "C"
