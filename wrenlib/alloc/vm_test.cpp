#include "wrenlib/vm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "wrenlib/chk.h"

namespace {

chk_stats_t stats() {
    chk_stats_t s;
    chk_get_stats(&s);
    return s;
}

// The chunk arithmetic below assumes the default page and pools that are
// not handed over to the checked allocator.
class Pool : public testing::Test {
protected:
    vm_pool_t pool{};
    void SetUp() override {
        if (std::getenv("CHK_PAGESIZE") || chk_debugging())
            GTEST_SKIP() << "pool layout differs under CHK_PAGESIZE or allocator debugging";
    }
    void TearDown() override { vm_destroy(&pool); }
};

TEST_F(Pool, SlotsAreDistinctAlignedAndSeparate) {
    for (size_t size : {size_t(1), size_t(4), size_t(13), size_t(32), size_t(100)}) {
        vm_pool_t p{};
        std::vector<char *> objs;
        for (int i = 0; i < 200; i++) {
            auto *o = static_cast<char *>(vm_alloc(size, &p));
            ASSERT_EQ(uintptr_t(o) % 8, 0u);
            std::memset(o, i, size);
            objs.push_back(o);
        }
        for (int i = 0; i < 200; i++)
            for (size_t b = 0; b < size; b++)
                ASSERT_EQ(objs[size_t(i)][b], char(i)) << "size " << size;
        std::sort(objs.begin(), objs.end());
        for (size_t i = 1; i < objs.size(); i++)
            ASSERT_GE(size_t(objs[i] - objs[i - 1]), std::max(size, 2 * sizeof(void *)));
        vm_destroy(&p);
    }
}

TEST_F(Pool, ChunksArePageSizedAndKeepTheirLastSlot) {
    // 4096 / 1024 = 4 slots a chunk, of which 3 are handed out.
    unsigned long blocks = stats().cs_blocks;
    for (int i = 0; i < 3; i++)
        vm_alloc(1024, &pool);
    EXPECT_EQ(stats().cs_blocks, blocks + 1);
    vm_alloc(1024, &pool);
    EXPECT_EQ(stats().cs_blocks, blocks + 2);
    for (int i = 0; i < 2; i++)
        vm_alloc(1024, &pool);
    EXPECT_EQ(stats().cs_blocks, blocks + 2);
}

TEST_F(Pool, FreedSlotsAreReusedNewestFirst) {
    void *a = vm_alloc(40, &pool);
    void *b = vm_alloc(40, &pool);
    vm_free(a, &pool);
    vm_free(b, &pool);
    EXPECT_EQ(vm_alloc(40, &pool), b);
    EXPECT_EQ(vm_alloc(40, &pool), a);

    std::memset(a, 0x5A, 40);
    vm_free(a, &pool);
    auto *z = static_cast<unsigned char *>(vm_zalloc(40, &pool));
    EXPECT_EQ(static_cast<void *>(z), a);
    for (int i = 0; i < 40; i++)
        ASSERT_EQ(z[i], 0) << i;
    vm_free(z, &pool);
    auto *c = static_cast<unsigned char *>(vm_calloc(40, &pool));
    EXPECT_EQ(std::count(c, c + 40, 0), 40);
}

TEST_F(Pool, InitMakesOneChunkOfTheGivenCount) {
    unsigned long blocks = stats().cs_blocks;
    vm_init(5, 40, &pool);
    EXPECT_EQ(stats().cs_blocks, blocks + 1);
    for (int i = 0; i < 5; i++)
        vm_alloc(40, &pool); // all five, the last one included
    EXPECT_EQ(stats().cs_blocks, blocks + 1);
    vm_init(50, 40, &pool); // the pool has a chunk already
    EXPECT_EQ(stats().cs_blocks, blocks + 1);
    vm_alloc(40, &pool);
    EXPECT_EQ(stats().cs_blocks, blocks + 2);
}

TEST_F(Pool, OversizedObjectsGoBackToTheAllocator) {
    unsigned long bytes = stats().cs_bytes;
    void *a = vm_alloc(2000, &pool); // two to a page: not worth a chunk
    void *b = vm_alloc(5000, &pool);
    EXPECT_EQ(pool.vp_chunks, nullptr);
    std::memset(a, 1, 2000);
    std::memset(b, 2, 5000);
    vm_free(a, &pool);
    vm_free(b, &pool);
    EXPECT_EQ(stats().cs_bytes, bytes);
}

TEST_F(Pool, DestroyReleasesEveryChunk) {
    unsigned long bytes = stats().cs_bytes;
    for (int i = 0; i < 500; i++)
        vm_alloc(48, &pool);
    EXPECT_GT(stats().cs_bytes, bytes);
    vm_destroy(&pool);
    EXPECT_EQ(pool.vp_chunks, nullptr);
    EXPECT_EQ(stats().cs_bytes, bytes);
    EXPECT_NE(vm_alloc(48, &pool), nullptr); // usable again
}

} // namespace
