// The stored bytes are what the editor reads: a small database is built
// through the engine and compared, byte for byte, with an image worked out
// by hand from the layout rules.  Offsets are written out with the
// arithmetic that gives them.
#include "db/tvt_test_util.h"

namespace {

using namespace tvt_test;

// Big-endian writes of our own, independent of the engine's helpers.
struct Image {
    std::vector<unsigned char> b;
    explicit Image(size_t n) : b(n, 0) {}
    void u8(size_t o, uint32_t v) { b.at(o) = (unsigned char) v; }
    void u16(size_t o, uint32_t v) { u8(o, v >> 8); u8(o + 1, v); }
    void u24(size_t o, uint32_t v) { u8(o, v >> 16); u16(o + 1, v & 0xFFFF); }
    void u32(size_t o, uint32_t v) { u16(o, v >> 16); u16(o + 2, v & 0xFFFF); }
    void str(size_t o, const char *s, size_t n) { memcpy(&b.at(o), s, n); }
    void fill(size_t o, size_t n, unsigned char v) { memset(&b.at(o), v, n); }
};

// First difference, for a readable failure.
std::string diff(const std::vector<unsigned char> &got, const std::vector<unsigned char> &want)
{
    if (got.size() != want.size())
        return "size " + std::to_string(got.size()) + ", expected " + std::to_string(want.size());
    for (size_t i = 0; i < got.size(); i++)
        if (got[i] != want[i]) {
            char buf[96];
            snprintf(buf, sizeof buf, "byte %zu (0x%zx): %02x, expected %02x", i, i, got[i], want[i]);
            return buf;
        }
    return "";
}

void counter(Image &im, int type, uint32_t noparent, uint32_t total)
{
    im.u32(248 + type * 9 + 1, noparent);
    im.u32(248 + type * 9 + 5, total);
}

class FormatTest : public DbTest {};

TEST_F(FormatTest, SmallDatabaseMatchesTheHandWorkedImage)
{
    std::string p = path("tags");
    tvt_db_t *db = open_w(p, "kern");
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(tvt_begin_file(db, "a.c", 1000), 0);
    int h_main = add(db, Tag("main", 3, TT_FUNCTION, 0x12).texts("int", "(void)"));
    EXPECT_EQ(h_main, 2);
    EXPECT_EQ(add(db, Tag("x", 4, TT_XREF)), 3);
    EXPECT_EQ(add(db, Tag("count", 5, TT_DATA, 0, h_main)), 4);
    EXPECT_EQ(add(db, Tag("main", 6, TT_XREF)), 5);
    EXPECT_EQ(add(db, Tag("s", 8, TT_STRUCT).bases({"A", "Bc"})), 6);
    tvt_end_file(db);
    tvt_close(db);

    // Creation: 4096 zero bytes; the counter table (738 bytes, chunk 740)
    // at 246 -> payload 248, top 986.  The name block: chunk 1034 at 986
    // (payload 988), top 2020; its text "kern": 5 bytes, chunk 8 at 2020
    // (payload 2022), top 2028.
    // First tag: the file block, chunk 2058 at 2028 (payload 2030), top 4086.
    // The file name "a.c" (4 bytes, entry 8) needs a file-name pool chunk:
    // 8192 + 12 payload, chunk 8206 at 4086 (payload 4088): 4086 + 8206 >=
    // 4096, so the file grows by max(8206, 8192) to 4086 + 8206 = 12292.
    // The entry is the pool's first: 4088 + 12 = 4100, text at 4102.
    // "main" (entry 2 + 2 + 5 = 9) starts the name pool: chunk 8206 at
    // 12292 (payload 12294), file grows to 12292 + 8206 = 20498; entry at
    // 12306, reference 12308.  "count" (entry 10) follows at 12315,
    // reference 12317.  "x" and "s" are one-character names.
    // Flush: cross-references first, 2 x 7 bytes: payload 22 + 14 = 36,
    // chunk 38 at 20498 (payload 20500, tags 0-1); the file grows by 8192 to
    // 28690.  Definitions, 3 x 18: payload 76, chunk 78 at 20536 (payload
    // 20538, tags 2-4), top 20614.  The text of main, "int\0(void)\0" (11,
    // entry 13), starts the text pool: chunk 8206 at 20614 (payload 20616),
    // file grows to 20614 + 8206 = 28820, entry 20628, reference 20630.
    // The bases of s, "A\0Bc\0\0" (6 bytes), are an allocation: chunk 8 at
    // 28820 (payload 28822), the file grows by 8192 to 37012; top 28828.
    Image im(37012);
    im.u32(0, 0x04010721);
    im.u32(4, 2);
    im.u16(8, 82);
    im.u32(10, 248);
    im.u32(14, 5);          // next tag number
    im.u32(18, 20500);      // first block
    im.u32(22, 20538);      // last block
    im.u32(50, 2030);       // file table
    im.u32(54, 2030);
    im.u32(66, 4088);       // pools
    im.u32(82, 12294);
    im.u32(98, 20616);
    im.u32(122, 28828);     // top
    im.u32(226, 988);       // name block
    im.u16(246, 740);
    counter(im, TT_XREF, 2, 2);
    counter(im, TT_FUNCTION, 1, 1);
    counter(im, TT_DATA, 0, 1);
    counter(im, TT_STRUCT, 1, 1);
    im.u16(986, 1034);
    im.u32(988, 1032);
    im.u32(992, 2022);
    im.u16(2020, 8);
    im.str(2022, "kern", 5);
    im.u16(2028, 2058);
    im.u16(2036, 256);
    im.u32(2038, 1000);     // slot 0: time, name
    im.u32(2042, 4102);
    im.u16(4086, 8206);
    im.u32(4092, 8192);
    im.u32(4096, 8);
    im.u16(4100, 8);
    im.str(4102, "a.c", 4);
    im.u16(12292, 8206);
    im.u32(12298, 8192);
    im.u32(12302, 19);
    im.u16(12306, 9);
    im.u16(12308, 2);       // "main": a definition and a cross-reference
    im.str(12310, "main", 5);
    im.u16(12315, 10);
    im.u16(12317, 1);
    im.str(12319, "count", 6);
    // Cross-reference block.
    im.u16(20498, 38);
    im.u32(20500, 20538);   // ti_next
    im.u16(20508, 2);
    im.u16(20510, 2);
    im.u32(20512, 0);
    im.u8(20516, 7);
    im.u8(20517, 54);
    im.u24(20518, 0);
    im.u32(20521, 'x');
    im.u24(20525, 4);
    im.u32(20528, 12308);
    im.u24(20532, 6);
    // Definition block.
    im.u16(20536, 78);
    im.u16(20546, 3);
    im.u16(20548, 3);
    im.u32(20550, 2);
    im.u8(20554, 18);
    im.u8(20555, 55);
    im.u24(20556, 0);
    const size_t r0 = 20559, r1 = r0 + 18, r2 = r1 + 18;
    im.u32(r0, 12308);
    im.u24(r0 + 4, 3);
    im.u8(r0 + 7, TT_FUNCTION);
    im.u16(r0 + 8, 0x12);
    im.u32(r0 + 10, 0xFFFFFFFF);
    im.u32(r0 + 14, 20630);
    im.u32(r1, 12317);
    im.u24(r1 + 4, 5);
    im.u8(r1 + 7, TT_DATA);
    im.u32(r1 + 10, 2);     // main is tag 2
    im.u32(r2, 's');
    im.u24(r2 + 4, 8);
    im.u8(r2 + 7, TT_STRUCT);
    im.u32(r2 + 10, 0xFFFFFFFF);
    im.u32(r2 + 14, 28822);
    // Text pool and the bases.
    im.u16(20614, 8206);
    im.u32(20620, 8192);
    im.u32(20624, 13);
    im.u16(20628, 13);
    im.str(20630, "int\0(void)", 11);
    im.u16(28820, 8);
    im.str(28822, "A\0Bc\0", 6);

    std::vector<unsigned char> got = read_bytes(p);
    ASSERT_EQ(diff(got, im.b), "");
    EXPECT_EQ(check_file(p), "");

    // Removing the file: the slot empties and each chunk goes on the list
    // of its class (all of these are class 1, sizes 8 to 32).  A freed
    // block's first 8 bytes become its link and size.
    db = open_w(p, "kern");
    ASSERT_NE(db, nullptr);
    ASSERT_EQ(tvt_remove_file(db, "a.c"), 0);
    tvt_close(db);
    im.u32(2038, 0);
    im.u32(2042, 0);
    // Free list 1, ascending: 4100 (8), 12306 (9 + 10 = 19: "main" and
    // "count" merge), 20628 (13), 28820 (8).
    im.u32(114, 4100);
    im.u32(4100, 12306);
    im.u32(4104, 8);
    im.u32(12306, 20628);
    im.u32(12310, 19);
    im.u32(12315, 0);        // "count"'s own header, left inside the merged block
    im.u32(12319, 10);
    im.u32(20628, 28820);
    im.u32(20632, 13);
    im.u32(28820, 0);
    im.u32(28824, 8);
    // The blocks are freed in chain order, each pushed on the free chain.
    im.u32(118, 20538);
    im.u32(20542, 20500);    // definitions block's ti_next_free
    for (size_t blk : {(size_t) 20500, (size_t) 20538}) {
        im.u16(blk + 8, 0);
        im.u24(blk + 18, 0xFFFFFF);
    }
    im.fill(20521, 14, 0x66);
    im.fill(20559, 54, 0x66);
    for (int t : {TT_XREF, TT_FUNCTION, TT_DATA, TT_STRUCT})
        counter(im, t, 0, 0);

    got = read_bytes(p);
    ASSERT_EQ(diff(got, im.b), "");
    EXPECT_EQ(check_file(p), "");
}

TEST_F(FormatTest, NewDatabaseIsHeaderAndCounterTable)
{
    std::string p = path("fresh");
    tvt_db_t *db = open_w(p);
    ASSERT_NE(db, nullptr);
    // Open for writing: the in-use flag is set while the file is open.
    EXPECT_EQ(header(db, TH_FLAGS), TH_FLAG_INUSE);
    tvt_close(db);
    Image im(4096);
    im.u32(0, 0x04010721);
    im.u32(4, 2);
    im.u16(8, 82);
    im.u32(10, 248);
    im.u32(122, 986);
    im.u16(246, 740);
    EXPECT_EQ(diff(read_bytes(p), im.b), "");
}

} // namespace
