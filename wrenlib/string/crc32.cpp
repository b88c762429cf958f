// CRC-32/BZIP2: polynomial 0x04C11DB7 fed most significant bit first,
// initial value all ones, result inverted.  Eight bytes are folded in per
// step through eight tables (table k advances a byte by k more zero bytes),
// the rest one at a time.
#include <array>
#include <cstddef>

#include "wrenlib/byteorder.h"

namespace {

constexpr uint32_t CRC_POLY = 0x04C11DB7u;

using crc_tables_t = std::array<std::array<uint32_t, 256>, 8>;

const crc_tables_t &crc_tables()
{
    // Built on the first call; the initialisation of a local static is
    // thread-safe, so concurrent first callers see one finished table.
    static const crc_tables_t tables = [] {
        crc_tables_t t{};
        for (uint32_t i = 0; i < 256; i++) {
            uint32_t c = i << 24;
            for (int bit = 0; bit < 8; bit++)
                c = (c & 0x80000000u) ? (c << 1) ^ CRC_POLY : c << 1;
            t[0][i] = c;
        }
        for (size_t k = 1; k < t.size(); k++)
            for (uint32_t i = 0; i < 256; i++)
                t[k][i] = (t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 24];
        return t;
    }();
    return tables;
}

uint32_t load_be32(const unsigned char *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

} // namespace

extern "C" uint32_t crc32(const void *data, int length)
{
    if (length <= 0 || !data)
        return 0;
    const crc_tables_t &t = crc_tables();
    const unsigned char *p = static_cast<const unsigned char *>(data);
    uint32_t crc = 0xFFFFFFFFu;
    int i = 0;
    for (; i + 8 <= length; i += 8) {
        uint32_t a = crc ^ load_be32(p + i);
        uint32_t b = load_be32(p + i + 4);
        crc = t[7][a >> 24] ^ t[6][(a >> 16) & 0xFF] ^ t[5][(a >> 8) & 0xFF] ^ t[4][a & 0xFF] ^
              t[3][b >> 24] ^ t[2][(b >> 16) & 0xFF] ^ t[1][(b >> 8) & 0xFF] ^ t[0][b & 0xFF];
    }
    for (; i < length; i++)
        crc = (crc << 8) ^ t[0][((crc >> 24) ^ p[i]) & 0xFF];
    return ~crc;
}
