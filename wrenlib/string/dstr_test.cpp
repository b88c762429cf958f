// Dynamic strings: growth, raw and tagged appends, C string escaping and
// the buffer-management calls.
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wrenlib/chk.h"
#include "wrenlib/dstr.h"

namespace {

using bytes = std::vector<unsigned char>;

/* A dynamic string released at the end of the test. */
struct owned_dstr {
    dstr_t d{};
    explicit owned_dstr(int size = 0) { dstr_init(&d, size); }
    ~owned_dstr()
    {
        if (d.dl_str)
            dstr_free(&d);
    }
    bytes content() const
    {
        const unsigned char *p = reinterpret_cast<const unsigned char *>(d.dl_str);
        return bytes(p, p + d.dl_len);
    }
    std::string text() const { return std::string(d.dl_str, static_cast<size_t>(d.dl_len)); }
};

TEST(DstrGrowth, AppendsAlwaysLeaveRoomForATerminator)
{
    owned_dstr s(1);
    std::string expect;
    for (int i = 0; i < 3000; i++) {
        switch (i % 7) {
        case 0: dstr_add_char(&s.d, 'a' + i % 26); expect += char('a' + i % 26); break;
        case 1: dstr_add_nchar(&s.d, '-', i % 9); expect.append(size_t(i % 9), '-'); break;
        case 2: dstr_add_mem(&s.d, "memory", 6); expect += "memory"; break;
        case 3: dstr_add_string(&s.d, "str", 3); expect += "str"; break;
        case 4: dstr_add_int64(&s.d, 0x3031323334353637ull); expect += "45670123"; break;
        case 5: dstr_add_int32(&s.d, 0x41424344u); expect += "ABCD"; break;
        case 6: dstr_add_cstring(&s.d, "\"\n", 2); expect += "\\\"\\n"; break;
        }
        ASSERT_LT(s.d.dl_len, s.d.dl_size) << "after step " << i;
    }
    EXPECT_EQ(s.text(), expect);
}

TEST(DstrGrowth, CharAppendsGrowBySixtyFourBytes)
{
    owned_dstr s(4);
    for (int i = 0; i < 3; i++)
        dstr_add_char(&s.d, 'x');
    EXPECT_EQ(s.d.dl_size, 4);
    dstr_add_char(&s.d, 'x'); // 3 + 1 reaches the size
    EXPECT_EQ(s.d.dl_size, 68);
    EXPECT_EQ(s.d.dl_len, 4);
}

TEST(DstrGrowth, MemoryAppendsGrowByATenthAsWell)
{
    owned_dstr s(100);
    dstr_add_nchar(&s.d, 'z', 99);
    EXPECT_EQ(s.d.dl_size, 100);
    dstr_add_mem(&s.d, "0123456789", 10);
    EXPECT_EQ(s.d.dl_size, 100 + 10 + 10 + 64);
    EXPECT_EQ(s.d.dl_len, 109);
}

TEST(DstrGrowth, AdoptedFullBufferStillGrowsSafely)
{
    char *buf = static_cast<char *>(chk_alloc(4));
    memcpy(buf, "full", 4);
    owned_dstr s;
    dstr_free(&s.d);
    dstr_setup(&s.d, buf, 4);
    EXPECT_EQ(s.d.dl_len, 4);
    EXPECT_EQ(s.d.dl_size, 4);
    dstr_add_int64(&s.d, 0);
    EXPECT_LT(s.d.dl_len, s.d.dl_size);
    dstr_terminate(&s.d);
    EXPECT_EQ(s.d.dl_len, 13);
    EXPECT_STREQ(s.d.dl_str, "full");
}

TEST(DstrGrowth, StringWithoutBufferStartsFresh)
{
    dstr_t d{};
    dstr_add_string(&d, "abc", 3);
    EXPECT_EQ(std::string(d.dl_str, 3), "abc");
    EXPECT_LT(d.dl_len, d.dl_size);
    dstr_free(&d);
    EXPECT_EQ(d.dl_str, nullptr);
    EXPECT_EQ(d.dl_len, 0);
    // Used again without a new dstr_init: must not write through null.
    dstr_add_char(&d, 'q');
    EXPECT_EQ(d.dl_len, 1);
    EXPECT_EQ(d.dl_str[0], 'q');
    dstr_free(&d);
}

TEST(DstrGrowth, ZeroedStartAndNonPositiveCounts)
{
    owned_dstr s;
    dstr_free(&s.d);
    dstr_zinit(&s.d, 50);
    EXPECT_EQ(s.d.dl_size, 50);
    EXPECT_TRUE(std::all_of(s.d.dl_str, s.d.dl_str + 50, [](char c) { return c == 0; }));
    dstr_add_nchar(&s.d, 'x', 0);
    dstr_add_nchar(&s.d, 'x', -3);
    dstr_add_mem(&s.d, "abc", 0);
    dstr_add_string(&s.d, "abc", -1);
    dstr_reserve(&s.d, -2);
    dstr_add_cstring(&s.d, "abc", 0);
    EXPECT_EQ(s.d.dl_len, 0);
}

TEST(DstrBuffer, ClearKeepsBufferAndRemoveShiftsDown)
{
    owned_dstr s(16);
    dstr_add_string(&s.d, "abcdefgh", 8);
    char *buf = s.d.dl_str;
    dstr_remove(&s.d, 3);
    EXPECT_EQ(s.text(), "defgh");
    dstr_remove(&s.d, 0);
    EXPECT_EQ(s.text(), "defgh");
    dstr_remove(&s.d, 5);
    EXPECT_EQ(s.d.dl_len, 0);
    dstr_add_string(&s.d, "xyz", 3);
    dstr_remove(&s.d, 100);
    EXPECT_EQ(s.d.dl_len, 0);
    dstr_add_char(&s.d, 'k');
    dstr_clear(&s.d);
    EXPECT_EQ(s.d.dl_len, 0);
    EXPECT_EQ(s.d.dl_str, buf);
}

TEST(DstrBuffer, ReserveLeavesRoomToFillAtOldLength)
{
    owned_dstr s(2);
    dstr_add_char(&s.d, '<');
    dstr_reserve(&s.d, 5);
    EXPECT_EQ(s.d.dl_len, 6);
    memcpy(s.d.dl_str + 1, "hello", 5);
    dstr_reserve_zero(&s.d, 100);
    EXPECT_EQ(s.d.dl_len, 106);
    EXPECT_LT(s.d.dl_len, s.d.dl_size);
    EXPECT_EQ(s.text().substr(0, 6), "<hello");
    EXPECT_TRUE(std::all_of(s.d.dl_str + 6, s.d.dl_str + 106, [](char c) { return c == 0; }));
}

TEST(DstrBuffer, ResizeGrowsExactlyAndZeroesNewBytes)
{
    owned_dstr s(4);
    dstr_add_string(&s.d, "ab", 2);
    memset(s.d.dl_str + 2, 'j', 2); // junk in the old tail stays
    dstr_resize(&s.d, 40);
    EXPECT_EQ(s.d.dl_size, 40);
    EXPECT_EQ(s.d.dl_len, 2);
    EXPECT_EQ(memcmp(s.d.dl_str, "abjj", 4), 0);
    EXPECT_TRUE(std::all_of(s.d.dl_str + 4, s.d.dl_str + 40, [](char c) { return c == 0; }));
    dstr_resize(&s.d, 10); // never shrinks
    EXPECT_EQ(s.d.dl_size, 40);

    dstr_t fresh{};
    dstr_resize(&fresh, 12);
    ASSERT_NE(fresh.dl_str, nullptr);
    EXPECT_EQ(fresh.dl_size, 12);
    EXPECT_TRUE(std::all_of(fresh.dl_str, fresh.dl_str + 12, [](char c) { return c == 0; }));
    dstr_free(&fresh);
}

TEST(DstrBuffer, SizeSetSizeAndSetSpace)
{
    owned_dstr s(8);
    dstr_size(&s.d, 30); // grows: the whole buffer counts as used
    EXPECT_EQ(s.d.dl_size, 30);
    EXPECT_EQ(s.d.dl_len, 30);
    dstr_clear(&s.d);
    dstr_size(&s.d, 10); // fits already: nothing changes
    EXPECT_EQ(s.d.dl_len, 0);

    dstr_set_size(&s.d, 30);
    EXPECT_EQ(s.d.dl_len, 30);
    dstr_set_size(&s.d, 0);
    EXPECT_EQ(s.d.dl_len, 0);

    dstr_add_string(&s.d, "abc", 3);
    dstr_set_space(&s.d, 30); // same size: untouched
    EXPECT_EQ(s.d.dl_len, 3);
    dstr_set_space(&s.d, 10);
    EXPECT_EQ(s.d.dl_size, 10);
    EXPECT_EQ(s.d.dl_len, 0);
    dstr_set_space(&s.d, 5000);
    EXPECT_EQ(s.d.dl_size, 5000);
    memset(s.d.dl_str, 1, 5000);
}

#if GTEST_HAS_DEATH_TEST
TEST(DstrBuffer, SetSizeBeyondBufferStops)
{
    owned_dstr s(8);
    EXPECT_DEATH(dstr_set_size(&s.d, 9), "size <= dstr->dl_size");
}
#endif

TEST(DstrValues, RawIntegersAreBigEndian)
{
    owned_dstr s(0);
    dstr_add_int16(&s.d, 0x1234);
    dstr_add_int24(&s.d, 0xABCDEF);
    dstr_add_int32(&s.d, 0xDEADBEEF);
    dstr_add_int64(&s.d, 0x0000000100000002ull);
    EXPECT_EQ(s.content(), (bytes{0x12, 0x34, 0xAB, 0xCD, 0xEF, 0xDE, 0xAD, 0xBE, 0xEF, 0, 0, 0,
                                  2, 0, 0, 0, 1}));
}

TEST(DstrValues, IntUsesShortFormWithinOneSignedByte)
{
    struct {
        int32_t v;
        bytes b;
    } cases[] = {
        {0, {0x0E, 0x00}},
        {127, {0x0E, 0x7F}},
        {-127, {0x0E, 0x81}},
        {-1, {0x0E, 0xFF}},
        {128, {0x01, 0x00, 0x00, 0x00, 0x80}},
        {-128, {0x01, 0xFF, 0xFF, 0xFF, 0x80}},
        {0x12345678, {0x01, 0x12, 0x34, 0x56, 0x78}},
    };
    for (const auto &c : cases) {
        owned_dstr s(0);
        dstr_add_int(&s.d, c.v);
        EXPECT_EQ(s.content(), c.b) << c.v;
    }
}

TEST(DstrValues, IntegerUsesLongFormOutsidePositiveInt32)
{
    owned_dstr s(0);
    dstr_add_integer(&s.d, -1);
    EXPECT_EQ(s.content(), (bytes{0x10, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    dstr_clear(&s.d);
    dstr_add_integer(&s.d, 0x7FFFFFFF);
    EXPECT_EQ(s.content(), (bytes{0x01, 0x7F, 0xFF, 0xFF, 0xFF}));
    dstr_clear(&s.d);
    dstr_add_integer(&s.d, 100);
    EXPECT_EQ(s.content(), (bytes{0x0E, 100}));
    dstr_clear(&s.d);
    dstr_add_integer(&s.d, 0x80000000ll);
    EXPECT_EQ(s.content(), (bytes{0x10, 0x80, 0, 0, 0, 0, 0, 0, 0}));
    dstr_clear(&s.d);
    dstr_add_integer(&s.d, 0x0000000500000007ll);
    EXPECT_EQ(s.content(), (bytes{0x10, 0, 0, 0, 7, 0, 0, 0, 5}));
}

TEST(DstrValues, FloatNullPtrAndId)
{
    owned_dstr s(0);
    double x = -0.375;
    dstr_add_float(&s.d, x);
    bytes expect{0x0A};
    const unsigned char *xb = reinterpret_cast<const unsigned char *>(&x);
    expect.insert(expect.end(), xb, xb + 8);
    dstr_add_null(&s.d);
    expect.push_back(0x04);
    dstr_add_ptr(&s.d, 0x22, 0x01020304);
    expect.insert(expect.end(), {0x22, 1, 2, 3, 4});
    dstr_add_id(&s.d, 0x3FF);
    expect.insert(expect.end(), {0xC5, 0xFF});
    dstr_add_id(&s.d, 0x155);
    expect.insert(expect.end(), {0x45, 0x55});
    dstr_add_id(&s.d, 7);
    expect.insert(expect.end(), {0x05, 0x07});
    EXPECT_EQ(s.content(), expect);
}

TEST(DstrCstring, EscapesAsCStringText)
{
    owned_dstr s(0);
    dstr_add_cstring(&s.d, "a\n\"", 3);
    EXPECT_EQ(s.text(), "a\\n\\\"");

    dstr_clear(&s.d);
    const char in[] = "\\\t\r\f\b\0\x01\x7f\x80\xff~ ";
    dstr_add_cstring(&s.d, in, sizeof in - 1);
    EXPECT_EQ(s.text(), "\\\\\\t\\r\\f\\b\\000\\x01\x7f\\x80\\xff~ ");
}

} // namespace
