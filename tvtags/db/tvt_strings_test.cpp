// String pools and name sharing: one-character names, shared counts,
// names that collide on their CRC, saturated counts, pool chunks and the
// reuse of freed entries.
#include <unordered_map>

#include "db/tvt_test_util.h"

namespace {

using namespace tvt_test;

class StringsTest : public OpenDbTest {
  protected:
    uint32_t intern(int kind, const std::string &s) { return tvt_intern(db, kind, s.c_str(), (int) s.size() + 1); }
    uint32_t count_of(uint32_t ref) const { return LGET16(tvt_base(db) + ref); }
    uint32_t name_ref(const std::string &file, const std::string &name)
    {
        int id = tvt_find_file(db, file.c_str());
        const unsigned char *b = tvt_base(db);
        for (const BlockInfo &k : blocks(db))
            if ((int) k.file == id)
                for (uint32_t i = 0; i < k.slots; i++) {
                    uint32_t r = LGET32(b + k.off + TI_RECORDS + i * k.rec);
                    if (name_at(b, r) == name)
                        return r;
                }
        return 0;
    }
};

// Two different names whose CRC-32 (with the NUL) is the same, found by
// search: about 2^16 candidates are needed.
std::pair<std::string, std::string> crc_collision()
{
    std::unordered_map<uint32_t, std::string> seen;
    seen.reserve(400000);
    for (uint32_t i = 0;; i++) {
        char buf[16];
        snprintf(buf, sizeof buf, "n%07x", i);
        uint32_t c = crc32(buf, (int) strlen(buf) + 1);
        auto it = seen.find(c);
        if (it != seen.end())
            return {it->second, buf};
        seen.emplace(c, buf);
    }
}

TEST_F(StringsTest, OneCharacterStringsAreTheirCharacterCode)
{
    uint32_t top = header(db, TH_TOP);
    EXPECT_EQ(intern(TVT_KIND_NAME, "q"), (uint32_t) 'q');
    EXPECT_EQ(intern(TVT_KIND_FILENAME, "f"), (uint32_t) 'f');
    EXPECT_EQ(tvt_intern(db, TVT_KIND_NAME, "\xe9", 2), 0xE9u);
    EXPECT_EQ(header(db, TH_TOP), top);
    EXPECT_STREQ(tvt_name_text(db, 'q'), "q");
    EXPECT_EQ(tvt_name_text(db, 0), nullptr);
    EXPECT_EQ(tvt_name_text(db, 300), nullptr);
    EXPECT_EQ(tvt_intern(db, 4, "ab", 3), 0u);   // no such pool
}

TEST_F(StringsTest, NamesAreSharedWithinARunAndCounted)
{
    uint32_t a = intern(TVT_KIND_NAME, "alpha");
    EXPECT_EQ(count_of(a), 1u);
    EXPECT_EQ(intern(TVT_KIND_NAME, "alpha"), a);
    EXPECT_EQ(count_of(a), 2u);
    uint32_t b = intern(TVT_KIND_NAME, "beta");
    EXPECT_NE(b, a);
    EXPECT_STREQ(tvt_name_text(db, a), "alpha");
    EXPECT_STREQ(tvt_name_text(db, b), "beta");
    // File names and texts are never shared.
    EXPECT_NE(intern(TVT_KIND_TEXT, "tt"), intern(TVT_KIND_TEXT, "tt"));
    EXPECT_NE(intern(TVT_KIND_FILENAME, "ff"), intern(TVT_KIND_FILENAME, "ff"));
}

TEST_F(StringsTest, NameSharingDoesNotOutliveTheRun)
{
    scan(db, "a.c", 1, {Tag("shared", 1)});
    tvt_close(db);
    db = open_w(path("tags"));
    scan(db, "b.c", 1, {Tag("shared", 1)});
    uint32_t ra = name_ref("a.c", "shared"), rb = name_ref("b.c", "shared");
    EXPECT_NE(ra, rb);
    EXPECT_EQ(count_of(ra), 1u);
    EXPECT_EQ(count_of(rb), 1u);
    // Freeing the older entry must leave this run's entry shared.
    tvt_remove_file(db, "a.c");
    scan(db, "c.c", 1, {Tag("shared", 1)});
    EXPECT_EQ(name_ref("c.c", "shared"), rb);
    EXPECT_EQ(count_of(rb), 2u);
    EXPECT_EQ(check(db), "");
}

TEST_F(StringsTest, NamesWithOneCrcAreKeptApart)
{
    auto [s1, s2] = crc_collision();
    ASSERT_NE(s1, s2);
    ASSERT_EQ(crc32(s1.c_str(), (int) s1.size() + 1), crc32(s2.c_str(), (int) s2.size() + 1));
    scan(db, "a.c", 1, {Tag(s1, 1), Tag(s2, 2)});
    scan(db, "b.c", 1, {Tag(s2, 1)});
    uint32_t r1 = name_ref("a.c", s1), r2 = name_ref("a.c", s2);
    ASSERT_NE(r1, r2);
    EXPECT_EQ(tvt_name_text(db, r1), s1);
    EXPECT_EQ(tvt_name_text(db, r2), s2);
    EXPECT_EQ(name_ref("b.c", s2), r2);
    EXPECT_EQ(count_of(r1), 1u);
    EXPECT_EQ(count_of(r2), 2u);
    EXPECT_EQ(check(db), "");
    // When the name in the table goes, the other one of its CRC stays
    // shared.
    tvt_remove_file(db, "a.c");
    EXPECT_EQ(count_of(r2), 1u);
    scan(db, "c.c", 1, {Tag(s2, 1), Tag(s1, 2)});
    EXPECT_EQ(name_ref("c.c", s2), r2);
    EXPECT_EQ(count_of(r2), 2u);
    uint32_t r1b = name_ref("c.c", s1);
    EXPECT_EQ(tvt_name_text(db, r1b), s1);
    EXPECT_EQ(check(db), "");
}

TEST_F(StringsTest, SaturatedCountIsNeitherChangedNorFreed)
{
    std::vector<Tag> tags;
    for (uint32_t i = 1; i <= 70000; i++)
        tags.push_back(Tag("sat", i, TT_XREF));
    scan(db, "a.c", 1, tags);
    uint32_t r = name_ref("a.c", "sat");
    EXPECT_EQ(count_of(r), 0xFFFFu);
    EXPECT_EQ(check(db), "");
    tvt_remove_file(db, "a.c");
    EXPECT_EQ(count_of(r), 0xFFFFu);
    // Still in the table for this run; nothing points at it any more, and
    // the checker knows such an entry.
    scan(db, "b.c", 1, {Tag("sat", 1)});
    EXPECT_EQ(name_ref("b.c", "sat"), r);
    EXPECT_EQ(count_of(r), 0xFFFFu);
    tvt_remove_file(db, "b.c");
    EXPECT_EQ(check(db), "");
}

TEST_F(StringsTest, PoolEntriesAreCarvedInOrderAndChunksChained)
{
    std::string text(1000, 'x');
    uint32_t first = intern(TVT_KIND_TEXT, text);
    uint32_t pool = header(db, TH_POOL_TEXTS);
    const unsigned char *b = tvt_base(db);
    EXPECT_EQ(first, pool + PC_DATA + 2);
    EXPECT_EQ(LGET32(b + pool + PC_CAPACITY), 8192u);
    uint32_t prev = first;
    for (int i = 1; i < 8; i++) {
        uint32_t r = intern(TVT_KIND_TEXT, text);
        EXPECT_EQ(r, prev + 1003) << i;   // entry 1001 + its 2 size bytes
        prev = r;
    }
    b = tvt_base(db);
    EXPECT_EQ(LGET32(b + pool + PC_USED), 8u * 1003);
    // The ninth does not fit in 8192: a new chunk becomes the newest.
    uint32_t r = intern(TVT_KIND_TEXT, text);
    uint32_t pool2 = header(db, TH_POOL_TEXTS);
    b = tvt_base(db);
    EXPECT_NE(pool2, pool);
    EXPECT_EQ(LGET32(b + pool2 + PC_NEXT), pool);
    EXPECT_EQ(r, pool2 + PC_DATA + 2);
    // A long text gets a chunk of its own size.
    std::string huge(20000, 'y');
    uint32_t h = intern(TVT_KIND_TEXT, huge);
    uint32_t pool3 = header(db, TH_POOL_TEXTS);
    EXPECT_EQ(h, pool3 + PC_DATA + 2);
    EXPECT_EQ(LGET32(tvt_base(db) + pool3 + PC_CAPACITY), 20003u);
}

TEST_F(StringsTest, FreedEntriesAreReusedBeforeThePool)
{
    scan(db, "a.c", 1, {Tag("abcdef", 1)});
    uint32_t old = name_ref("a.c", "abcdef");
    tvt_remove_file(db, "a.c");
    uint32_t pool = header(db, TH_POOL_NAMES);
    uint32_t used = LGET32(tvt_base(db) + pool + PC_USED);
    uint32_t fresh = intern(TVT_KIND_NAME, "ghijkl");
    EXPECT_EQ(fresh, old);
    EXPECT_EQ(LGET32(tvt_base(db) + pool + PC_USED), used);
}

TEST_F(StringsTest, LongTextsAreCutToWhatAChunkCanHold)
{
    std::string args(100000, 'a');
    std::string name(5000, 'n');
    scan(db, "a.c", 1, {Tag(name, 1).texts("int", args)});
    std::vector<Stored> got = stored_tags(db, "a.c");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].name.size(), 4000u);
    EXPECT_LT(got[0].text.size(), 65536u);
    EXPECT_EQ(check(db), "");
}

} // namespace
