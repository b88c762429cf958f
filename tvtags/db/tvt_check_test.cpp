// The checker is only worth its passes if it fails damaged files: each case
// damages one invariant of a sound database and expects a report naming it.
#include <random>
#include <stdexcept>

#include "db/tvt_test_util.h"

namespace {

using namespace tvt_test;

class CheckTest : public DbTest {
  protected:
    std::vector<unsigned char> sound;
    std::vector<BlockInfo> chain;

    void SetUp() override
    {
        DbTest::SetUp();
        tvt_db_t *db = open_w(path("tags"), "sample");
        ASSERT_NE(db, nullptr);
        scan(db, "a.c", 1,
             {Tag("Klass", 1, TT_CLASS).bases({"Base"}), Tag("method", 2, TT_METHOD, 0, 2).texts("int", "()"),
              Tag("use", 3, TT_XREF), Tag("method", 4, TT_XREF)});
        scan(db, "b.c", 1, {Tag("method", 1, TT_FUNCTION).texts("void", "(int)"), Tag("other", 2, TT_MACRO)});
        scan(db, "c.c", 1, {Tag("gone", 1, TT_FUNCTION).texts("long", "(void)"), Tag("gone2", 2, TT_FUNCTION)});
        tvt_remove_file(db, "c.c");
        chain = blocks(db);
        tvt_close(db);
        sound = read_bytes(path("tags"));
    }

    std::string verdict(const std::vector<unsigned char> &bytes)
    {
        char msg[4096];
        int n = tvt_check(bytes.data(), bytes.size(), msg, sizeof msg);
        return n == 0 ? "" : msg;
    }
    uint32_t get32(const std::vector<unsigned char> &b, uint32_t off) { return LGET32(b.data() + off); }
    const BlockInfo &block(uint32_t kind, uint32_t file)
    {
        for (const BlockInfo &b : chain)
            if (b.kind == kind && b.file == file)
                return b;
        throw std::runtime_error("no such block");
    }
    uint32_t record(const BlockInfo &b, int i) { return b.off + TI_RECORDS + (uint32_t) i * b.rec; }
};

TEST_F(CheckTest, SoundDatabasePasses)
{
    EXPECT_EQ(verdict(sound), "");
    // The sample has what the other cases damage.
    EXPECT_NE(get32(sound, TH_FREE_INDEX), 0u);
    EXPECT_NE(get32(sound, TH_FREE1), 0u);
}

TEST_F(CheckTest, CounterThatDisagreesWithTheRecords)
{
    auto b = sound;
    uint32_t e = get32(b, TH_TYPE_STATS) + TT_METHOD * TYPE_STAT_SIZE + TS_TOTAL;
    LPUT32(b.data() + e, get32(b, e) + 1);
    EXPECT_NE(verdict(b).find("type 52: counters"), std::string::npos) << verdict(b);
}

TEST_F(CheckTest, NameCountThatDisagreesWithItsUses)
{
    auto b = sound;
    uint32_t name = get32(b, record(block(KIND_XREF, 0), 1));   // "method", used three times
    ASSERT_EQ(LGET16(b.data() + name), 3u);
    LPUT16(b.data() + name, 2);
    EXPECT_NE(verdict(b).find("count 2, 3 uses"), std::string::npos) << verdict(b);
}

TEST_F(CheckTest, BytesAfterTopThatAreNotZero)
{
    auto b = sound;
    b[b.size() - 1] = 1;
    EXPECT_NE(verdict(b).find("after top"), std::string::npos);
}

TEST_F(CheckTest, UsedAreaWithBytesOfNothing)
{
    auto b = sound;
    LPUT32(b.data() + TH_TOP, get32(b, TH_TOP) + 8);
    EXPECT_NE(verdict(b).find("belong to nothing"), std::string::npos) << verdict(b);
}

TEST_F(CheckTest, FreeBlockThatIsNotFilledOrStillCounted)
{
    const BlockInfo &f = block(KIND_DEF, FILE_ID_NONE);
    auto b = sound;
    b[f.off + TI_RECORDS + 5] = 0;
    EXPECT_NE(verdict(b).find("free block"), std::string::npos);
    b = sound;
    LPUT16(b.data() + f.off + TI_USED, f.slots);
    EXPECT_NE(verdict(b).find("records in use"), std::string::npos);
    b = sound;
    LPUT32(b.data() + TH_FREE_INDEX, 0);   // off the free chain
    EXPECT_NE(verdict(b).find("on the free index chain"), std::string::npos);
}

TEST_F(CheckTest, FreeListsOutOfOrderLoopingOrNotCoalesced)
{
    uint32_t head = get32(sound, TH_FREE1);
    uint32_t second = get32(sound, head + TF_NEXT);
    ASSERT_NE(second, 0u);
    auto b = sound;
    LPUT32(b.data() + second + TF_NEXT, head);   // loops back
    EXPECT_NE(verdict(b).find("loops"), std::string::npos);
    b = sound;
    // Swap the two: out of order.
    LPUT32(b.data() + TH_FREE1, second);
    LPUT32(b.data() + second + TF_NEXT, head);
    LPUT32(b.data() + head + TF_NEXT, get32(sound, second + TF_NEXT));
    EXPECT_NE(verdict(b).find("out of order"), std::string::npos) << verdict(b);
    // Split a block into two neighbours on the same list.
    uint32_t big = 0;
    for (uint32_t f = head; f; f = get32(sound, f + TF_NEXT))
        if (get32(sound, f + TF_SIZE) >= 16)
            big = f;
    ASSERT_NE(big, 0u);
    b = sound;
    uint32_t s = get32(b, big + TF_SIZE);
    LPUT32(b.data() + big + 8 + TF_NEXT, get32(b, big + TF_NEXT));
    LPUT32(b.data() + big + 8 + TF_SIZE, s - 8);
    LPUT32(b.data() + big + TF_NEXT, big + 8);
    LPUT32(b.data() + big + TF_SIZE, 8);
    EXPECT_NE(verdict(b).find("adjacent"), std::string::npos) << verdict(b);
}

TEST_F(CheckTest, RecordsThatPointWrong)
{
    const BlockInfo &defs_a = block(KIND_DEF, 0);
    const BlockInfo &defs_b = block(KIND_DEF, 1);
    auto b = sound;
    // method's parent becomes b.c's first definition.
    LPUT32(b.data() + record(defs_a, 1) + TD_PARENT, defs_b.tid);
    EXPECT_NE(verdict(b).find("no definition of the same file"), std::string::npos);
    b = sound;
    LPUT24(b.data() + defs_b.off + TI_FILE_ID, 7);
    EXPECT_NE(verdict(b).find("not in the file table"), std::string::npos);
    b = sound;
    // Two records share one text.
    LPUT32(b.data() + record(defs_b, 0) + TD_TEXT, get32(b, record(defs_a, 1) + TD_TEXT));
    EXPECT_NE(verdict(b).find("used twice"), std::string::npos);
    b = sound;
    LPUT32(b.data() + record(defs_b, 1) + TD_NAME, 0x7FFFFFF0u);
    EXPECT_NE(verdict(b), "");
}

TEST_F(CheckTest, ChainsAndChunksThatDisagree)
{
    auto b = sound;
    LPUT32(b.data() + TH_LAST_BLOCK, chain.front().off);
    EXPECT_NE(verdict(b).find("last block"), std::string::npos);
    b = sound;
    uint32_t fb = get32(b, TH_FIRST_FILEBLK);
    LPUT16(b.data() + fb - 2, FILE_BLOCK_SIZE + 40);
    EXPECT_NE(verdict(b).find("file block"), std::string::npos);
    b = sound;
    LPUT32(b.data() + chain.back().off + TI_NEXT, chain.front().off);
    EXPECT_NE(verdict(b).find("loops"), std::string::npos);
    b = sound;
    LPUT32(b.data() + get32(b, TH_NAME_BLOCK), 1000);
    EXPECT_NE(verdict(b).find("name block"), std::string::npos);
}

TEST_F(CheckTest, WhatIsNotATagFile)
{
    EXPECT_NE(verdict(std::vector<unsigned char>(100, 0)), "");
    auto b = sound;
    LPUT32(b.data() + TH_VERSION, 3);
    EXPECT_NE(verdict(b), "");
    EXPECT_EQ(tvt_check_file(path("missing").c_str(), nullptr, 0), -1);
}

// Any damage at all is examined in bounded time without a fault (the
// sanitizer builds make a stray read visible).
TEST_F(CheckTest, RandomDamageNeverCrashesTheChecker)
{
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    uint32_t top = get32(sound, TH_TOP);
    int caught = 0;
    for (int round = 0; round < 400; round++) {
        auto b = sound;
        int flips = 1 + (int) (rng() % 4);
        for (int i = 0; i < flips; i++)
            b[TAG_HEADER_SIZE + rng() % (top - TAG_HEADER_SIZE)] ^= (unsigned char) (1u << (rng() % 8));
        if (rng() % 8 == 0)
            b.resize(TAG_HEADER_SIZE + rng() % (b.size() - TAG_HEADER_SIZE));
        caught += tvt_check(b.data(), b.size(), nullptr, 0) > 0;
    }
    // Most flips land in the unused tails of the pools or in values no
    // invariant constrains (lines, flags); some must still be seen.
    EXPECT_GT(caught, 0);
}

} // namespace
