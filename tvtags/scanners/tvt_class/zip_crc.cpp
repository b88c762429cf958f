// The ZIP/gzip CRC-32, eight bytes a step with tables built at compile
// time.  It is computed here rather than taken from the compression
// library: the program exports the support library's crc32 (another
// checksum) under that very name, and neither may stand in for the other.
#include <array>

#include "zip_reader.h"

namespace zip {

namespace {

using table_t = std::array<std::array<uint32_t, 256>, 8>;

constexpr table_t make_tables()
{
    table_t t{};
    for (uint32_t i = 0; i < 256; i++) {
        uint32_t c = i;
        for (int k = 0; k < 8; k++)
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        t[0][i] = c;
    }
    for (int s = 1; s < 8; s++)
        for (uint32_t i = 0; i < 256; i++)
            t[size_t(s)][i] = (t[size_t(s - 1)][i] >> 8) ^ t[0][t[size_t(s - 1)][i] & 0xFF];
    return t;
}

constexpr table_t kTables = make_tables();

} // namespace

uint32_t zip_crc32(uint32_t crc, const uint8_t *p, size_t n)
{
    const auto &t = kTables;
    uint32_t c = ~crc;
    while (n >= 8) {
        // Byte by byte composition keeps it independent of byte order.
        uint32_t lo = c ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
        c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
            t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
        p += 8;
        n -= 8;
    }
    while (n--)
        c = (c >> 8) ^ t[0][(c ^ *p++) & 0xFF];
    return ~c;
}

} // namespace zip
