// CRC-32/BZIP2: polynomial 0x04C11DB7 fed most significant bit first,
// initial value all ones, result inverted.
#include <array>

#include "wrenlib/byteorder.h"

namespace {

constexpr uint32_t CRC_POLY = 0x04C11DB7u;

using crc_table_t = std::array<uint32_t, 256>;

const crc_table_t &crc_table()
{
    // Built on the first call; the initialisation of a local static is
    // thread-safe, so concurrent first callers see one finished table.
    static const crc_table_t table = [] {
        crc_table_t t{};
        for (uint32_t i = 0; i < 256; i++) {
            uint32_t c = i << 24;
            for (int bit = 0; bit < 8; bit++)
                c = (c & 0x80000000u) ? (c << 1) ^ CRC_POLY : c << 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

} // namespace

extern "C" uint32_t crc32(const void *data, int length)
{
    if (length <= 0 || !data)
        return 0;
    const crc_table_t &t = crc_table();
    const unsigned char *p = static_cast<const unsigned char *>(data);
    uint32_t crc = 0xFFFFFFFFu;
    for (int i = 0; i < length; i++)
        crc = (crc << 8) ^ t[((crc >> 24) ^ p[i]) & 0xFF];
    return ~crc;
}
