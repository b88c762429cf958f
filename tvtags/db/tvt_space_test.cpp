// Space allocation: size classes, exact fits, splits, coalescing and the
// growth of the file, seen through tvt_alloc/tvt_free and the stored lists.
#include <map>
#include <random>

#include "db/tvt_test_util.h"

namespace {

using namespace tvt_test;

constexpr uint32_t kHeads[4] = {TH_FREE1, TH_FREE2, TH_FREE3, TH_FREE4};

struct FreeBlock {
    uint32_t off, size;
    bool operator==(const FreeBlock &o) const { return off == o.off && size == o.size; }
};
std::ostream &operator<<(std::ostream &os, const FreeBlock &b) { return os << b.off << "+" << b.size; }

std::vector<FreeBlock> free_list(const tvt_db_t *db, int cls)
{
    const unsigned char *b = tvt_base(db);
    std::vector<FreeBlock> out;
    for (uint32_t f = LGET32(b + kHeads[cls]); f && out.size() < 100000; f = LGET32(b + f + TF_NEXT))
        out.push_back({f, LGET32(b + f + TF_SIZE)});
    return out;
}

uint32_t chunk_size(const tvt_db_t *db, uint32_t ref)
{
    return LGET16(tvt_base(db) + ref - 2);
}

class SpaceTest : public OpenDbTest {
  protected:
    uint32_t top() const { return header(db, TH_TOP); }
    // A chunk of `payload` bytes followed by a small one that keeps it from
    // merging with what comes next.
    uint32_t fenced(int payload)
    {
        uint32_t r = tvt_alloc(db, payload);
        tvt_alloc(db, 6);
        return r;
    }
};

TEST_F(SpaceTest, ChunkSizeCountsItsHeaderAndIsAtLeastEight)
{
    uint32_t t0 = top();
    uint32_t r = tvt_alloc(db, 6);
    EXPECT_EQ(r, t0 + 2);
    EXPECT_EQ(chunk_size(db, r), 8u);
    EXPECT_EQ(chunk_size(db, tvt_alloc(db, 0)), 8u);
    EXPECT_EQ(chunk_size(db, tvt_alloc(db, 7)), 9u);
    EXPECT_EQ(top(), t0 + 8 + 8 + 9);
}

TEST_F(SpaceTest, ExactFitIsPreferredOverAnEarlierLargerBlock)
{
    uint32_t big = fenced(26);     // chunk 28
    uint32_t exact = fenced(22);   // chunk 24
    tvt_free(db, big - 2, 28);
    tvt_free(db, exact - 2, 24);
    ASSERT_EQ(free_list(db, 0), (std::vector<FreeBlock>{{big - 2, 28}, {exact - 2, 24}}));
    EXPECT_EQ(tvt_alloc(db, 22), exact);
    EXPECT_EQ(free_list(db, 0), (std::vector<FreeBlock>{{big - 2, 28}}));
}

TEST_F(SpaceTest, BlockWithLittleToSpareIsUsedWhole)
{
    uint32_t r = fenced(22);   // chunk 24
    tvt_free(db, r - 2, 24);
    uint32_t t0 = top();
    // 24 is not more than 8 + 16: the whole block serves a request of 8.
    EXPECT_EQ(tvt_alloc(db, 6), r);
    EXPECT_EQ(chunk_size(db, r), 24u);
    EXPECT_TRUE(free_list(db, 0).empty());
    EXPECT_EQ(top(), t0);
}

TEST_F(SpaceTest, LargerBlockIsSplitFromItsEnd)
{
    uint32_t r = fenced(23);   // chunk 25
    tvt_free(db, r - 2, 25);
    uint32_t got = tvt_alloc(db, 6);
    EXPECT_EQ(got, r - 2 + 17 + 2);
    EXPECT_EQ(chunk_size(db, got), 8u);
    EXPECT_EQ(free_list(db, 0), (std::vector<FreeBlock>{{r - 2, 17}}));
}

TEST_F(SpaceTest, FreedChunkMergesWithBothNeighbours)
{
    uint32_t a = tvt_alloc(db, 8);   // chunks of 10 bytes, back to back
    uint32_t b = tvt_alloc(db, 8);
    uint32_t c = tvt_alloc(db, 8);
    tvt_alloc(db, 6);
    tvt_free(db, a - 2, 10);
    tvt_free(db, c - 2, 10);
    ASSERT_EQ(free_list(db, 0).size(), 2u);
    tvt_free(db, b - 2, 10);
    EXPECT_EQ(free_list(db, 0), (std::vector<FreeBlock>{{a - 2, 30}}));
}

TEST_F(SpaceTest, FreedChunkBelowTheHeadOrRightBelowAMember)
{
    uint32_t a = fenced(8);
    uint32_t b = fenced(8);
    uint32_t c = tvt_alloc(db, 8);
    uint32_t d = fenced(8);
    tvt_free(db, b - 2, 10);
    // Below the head and not adjacent: the new head.
    tvt_free(db, a - 2, 10);
    EXPECT_EQ(free_list(db, 0), (std::vector<FreeBlock>{{a - 2, 10}, {b - 2, 10}}));
    // Right below a member: absorbs it and takes its place.
    tvt_free(db, d - 2, 10);
    tvt_free(db, c - 2, 10);
    EXPECT_EQ(free_list(db, 0), (std::vector<FreeBlock>{{a - 2, 10}, {b - 2, 10}, {c - 2, 20}}));
}

TEST_F(SpaceTest, ListsAreKeptPerSizeClass)
{
    uint32_t s1 = fenced(30), s2 = fenced(126), s3 = fenced(1022), s4 = fenced(1023);
    tvt_free(db, s4 - 2, 1025);
    tvt_free(db, s3 - 2, 1024);
    tvt_free(db, s2 - 2, 128);
    tvt_free(db, s1 - 2, 32);
    EXPECT_EQ(free_list(db, 0), (std::vector<FreeBlock>{{s1 - 2, 32}}));
    EXPECT_EQ(free_list(db, 1), (std::vector<FreeBlock>{{s2 - 2, 128}}));
    EXPECT_EQ(free_list(db, 2), (std::vector<FreeBlock>{{s3 - 2, 1024}}));
    EXPECT_EQ(free_list(db, 3), (std::vector<FreeBlock>{{s4 - 2, 1025}}));
    // A request only looks in its own class: once the 32-byte block is
    // taken, 30 bytes come from the top, not from the 128-byte block.
    EXPECT_EQ(tvt_alloc(db, 28), s1);
    uint32_t t0 = top();
    EXPECT_EQ(tvt_alloc(db, 28), t0 + 2);
    EXPECT_EQ(free_list(db, 1), (std::vector<FreeBlock>{{s2 - 2, 128}}));
    // The hints are cleared by any free.
    EXPECT_EQ(header(db, TH_DEF_HINT), 0u);
}

TEST_F(SpaceTest, FileGrowsInSteps)
{
    size_t size = tvt_size(db);
    uint32_t t = top();
    // Fill up to just below the end without growing.
    tvt_alloc(db, (int) (size - t) - 3);
    EXPECT_EQ(tvt_size(db), size);
    t = top();
    tvt_alloc(db, 100);
    EXPECT_EQ(tvt_size(db), t + 8192u);
    t = top();
    tvt_alloc(db, 20000);   // larger than a step: the file grows by the chunk
    EXPECT_EQ(tvt_size(db), t + 20002u);
    while (tvt_size(db) <= 4u * 1024 * 1024)
        tvt_alloc(db, 60000);
    // Past 4 MiB the step is at least 64 KiB.
    tvt_alloc(db, (int) (tvt_size(db) - top()) - 3);
    t = top();
    tvt_alloc(db, 100);
    EXPECT_EQ(tvt_size(db), t + 65536u);
    const unsigned char *b = tvt_base(db);
    for (size_t i = top(); i < tvt_size(db); i++)
        ASSERT_EQ(b[i], 0) << i;
}

TEST_F(SpaceTest, RefusedGrowthReturnsZeroAndChangesNothing)
{
    tvt_set_size_limit(db, tvt_size(db) + 100);
    uint32_t t0 = top();
    size_t s0 = tvt_size(db);
    EXPECT_EQ(tvt_alloc(db, 8000), 0u);
    EXPECT_EQ(top(), t0);
    EXPECT_EQ(tvt_size(db), s0);
    EXPECT_NE(tvt_alloc(db, 100), 0u);   // what still fits is served
}

// Random allocations and frees against a model of the live chunks: after
// every step the lists are sorted, coalesced and disjoint, and live chunks
// plus free blocks cover the area exactly.
TEST_F(SpaceTest, RandomAllocationsKeepTheListsSound)
{
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    uint32_t base = top();
    std::map<uint32_t, uint32_t> live;   // chunk start -> size
    for (int step = 0; step < 3000; step++) {
        if (live.empty() || rng() % 100 < 55) {
            static const int sizes[] = {0, 6, 10, 24, 30, 60, 126, 200, 700, 1022, 1500, 5000};
            int n = sizes[rng() % 12] + (int) (rng() % 5);
            uint32_t r = tvt_alloc(db, n);
            ASSERT_NE(r, 0u);
            uint32_t s = chunk_size(db, r);
            ASSERT_GE(s, (uint32_t) std::max(n + 2, 8));
            ASSERT_LE(s, (uint32_t) std::max(n + 2, 8) + 16);
            live[r - 2] = s;
        } else {
            auto it = live.begin();
            std::advance(it, rng() % live.size());
            tvt_free(db, it->first, (int) it->second);
            live.erase(it);
        }
        std::map<uint32_t, uint32_t> all = live;
        for (int cls = 0; cls < 4; cls++) {
            std::vector<FreeBlock> list = free_list(db, cls);
            for (size_t i = 0; i < list.size(); i++) {
                if (i > 0) {
                    ASSERT_LT(list[i - 1].off + list[i - 1].size, list[i].off) << "class " << cls << " step " << step;
                }
                ASSERT_TRUE(all.emplace(list[i].off, list[i].size).second);
            }
        }
        uint32_t pos = base;
        for (const auto &kv : all) {
            ASSERT_EQ(kv.first, pos) << "step " << step;
            pos += kv.second;
        }
        ASSERT_EQ(pos, top());
    }
}

using SpaceDeathTest = SpaceTest;

TEST_F(SpaceDeathTest, FreeingTwiceIsAProgramError)
{
    uint32_t r = fenced(8);
    tvt_free(db, r - 2, 10);
    EXPECT_DEATH(tvt_free(db, r - 2, 10), "fp1 != fp");
    EXPECT_DEATH(tvt_free(db, r - 2, 6), "len >= \\(int\\) sizeof\\(tag_free_t\\)");
}

} // namespace
