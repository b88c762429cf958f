// The two checksums named CRC-32 that live in one program: the support
// library's crc32 (hash keys and name sharing) and the archives' CRC.
// This test program links the compression library like tvtags does, so a
// crc32 taken from the wrong library shows here.
#include <gtest/gtest.h>

#include <string>

#include "wrenlib/byteorder.h"
#include "zip_reader.h"

namespace {

TEST(ZipCrc, BothChecksumsKeepTheirOwnValues)
{
    EXPECT_EQ(crc32("abc", 3), 0x648CBB73u);
    const std::string check = "123456789";
    const auto *p = reinterpret_cast<const uint8_t *>(check.data());
    EXPECT_EQ(zip::zip_crc32(0, p, check.size()), 0xCBF43926u);
    EXPECT_EQ(crc32(check.data(), int(check.size())), 0xFC891918u);
}

TEST(ZipCrc, PiecesContinueTheChecksum)
{
    std::string data;
    for (int i = 0; i < 1000; i++)
        data += char(i * 7 + 3);
    const auto *p = reinterpret_cast<const uint8_t *>(data.data());
    uint32_t whole = zip::zip_crc32(0, p, data.size());
    for (size_t cut : {size_t(0), size_t(1), size_t(7), size_t(8), size_t(513), data.size()})
        EXPECT_EQ(zip::zip_crc32(zip::zip_crc32(0, p, cut), p + cut, data.size() - cut), whole) << cut;
    EXPECT_EQ(zip::zip_crc32(0, p, 0), 0u);
}

} // namespace
