// Big-endian field helpers and the CRC-32/BZIP2 checksum.
#include <stdint.h>
#include <string.h>

#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "wrenlib/byteorder.h"

namespace {

using bytes = std::vector<unsigned char>;

TEST(ByteOrder, FieldsAreBigEndianAtAnyAddress)
{
    unsigned char buf[16];
    for (int off = 0; off < 4; off++) {
        memset(buf, 0xCC, sizeof buf);
        LPUT32(buf + off, 0x01020304u);
        EXPECT_EQ(bytes(buf + off, buf + off + 4), (bytes{1, 2, 3, 4}));
        EXPECT_EQ(buf[off + 4], 0xCC) << "wrote past the field";
        EXPECT_EQ(LGET32(buf + off), 0x01020304u);

        LPUT24(buf + off, 0xA1B2C3u);
        EXPECT_EQ(bytes(buf + off, buf + off + 3), (bytes{0xA1, 0xB2, 0xC3}));
        EXPECT_EQ(LGET24(buf + off), 0xA1B2C3u);

        LPUT16(buf + off, 0xBEEFu);
        EXPECT_EQ(bytes(buf + off, buf + off + 2), (bytes{0xBE, 0xEF}));
        EXPECT_EQ(LGET16(buf + off), 0xBEEFu);
    }
}

TEST(ByteOrder, NarrowFieldsDropHighBitsAndNeverSignExtend)
{
    unsigned char buf[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(LGET24(buf), 0xFFFFFFu);
    EXPECT_EQ(LGET16(buf), 0xFFFFu);
    EXPECT_EQ(LGET32(buf), 0xFFFFFFFFu);
    LPUT16(buf, 0x12345678u);
    EXPECT_EQ(LGET16(buf), 0x5678u);
    LPUT24(buf, 0x12345678u);
    EXPECT_EQ(LGET24(buf), 0x345678u);
}

TEST(ByteOrder, SixtyFourBitFieldPutsLowWordFirst)
{
    unsigned char buf[8];
    LPUT64(buf, 0x0000000100000002ull);
    EXPECT_EQ(bytes(buf, buf + 8), (bytes{0, 0, 0, 2, 0, 0, 0, 1}));
    EXPECT_EQ(LGET64(buf), 0x0000000100000002ull);

    std::mt19937_64 rng(7);
    for (int i = 0; i < 200; i++) {
        uint64_t v = rng();
        LPUT64(buf, v);
        EXPECT_EQ(LGET32(buf), static_cast<uint32_t>(v));
        EXPECT_EQ(LGET32(buf + 4), static_cast<uint32_t>(v >> 32));
        EXPECT_EQ(LGET64(buf), v);
    }
}

TEST(ByteOrder, DoubleIsWrittenLeastSignificantByteFirst)
{
    for (double v : {0.0, 1.0, -2.5, 1e300, 3.141592653589793}) {
        unsigned char buf[8];
        LPUT_FLOAT(buf, v);
        uint64_t bits;
        memcpy(&bits, &v, sizeof bits);
        for (int i = 0; i < 8; i++)
            EXPECT_EQ(buf[i], static_cast<unsigned char>(bits >> (8 * i))) << v << " byte " << i;
    }
    unsigned char one[8];
    LPUT_FLOAT(one, 1.0);
    EXPECT_EQ(bytes(one, one + 8), (bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
}

/* Bit-at-a-time form of the same CRC, as a second opinion. */
uint32_t crc_bitwise(const unsigned char *p, size_t n)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; i++) {
        for (int bit = 7; bit >= 0; bit--) {
            bool in = ((p[i] >> bit) & 1) != ((crc >> 31) & 1);
            crc <<= 1;
            if (in)
                crc ^= 0x04C11DB7u;
        }
    }
    return ~crc;
}

TEST(Crc32, KnownCheckValues)
{
    EXPECT_EQ(crc32("abc", 3), 0x648CBB73u);
    EXPECT_EQ(crc32("123456789", 9), 0xFC891918u);
}

TEST(Crc32, EmptyOrNegativeLengthGivesZero)
{
    EXPECT_EQ(crc32("abc", 0), 0u);
    EXPECT_EQ(crc32("abc", -5), 0u);
    EXPECT_EQ(crc32(nullptr, 0), 0u);
}

TEST(Crc32, MatchesBitwiseComputationOnRandomData)
{
    std::mt19937 rng(42);
    std::vector<unsigned char> data(1000);
    for (auto &b : data)
        b = static_cast<unsigned char>(rng());
    for (size_t n : {size_t{1}, size_t{2}, size_t{7}, size_t{8}, size_t{9}, size_t{17}, size_t{64}, size_t{999}, size_t{1000}})
        EXPECT_EQ(crc32(data.data(), static_cast<int>(n)), crc_bitwise(data.data(), n)) << n;
    for (int b = 0; b < 256; b++) { // every table entry
        unsigned char c = static_cast<unsigned char>(b);
        EXPECT_EQ(crc32(&c, 1), crc_bitwise(&c, 1)) << b;
    }
}

} // namespace
