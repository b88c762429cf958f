#include "wrenlib/vm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "wrenlib/chk.h"

namespace {

chk_stats_t stats() {
    chk_stats_t s;
    chk_get_stats(&s);
    return s;
}

// The chunk arithmetic below assumes the default page, and pools that are
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

TEST_F(Pool, SlotsAreAlignedAndSeparate) {
    for (size_t size : {1, 13, 100}) {
        char *objs[200];
        for (int i = 0; i < 200; i++) {
            objs[i] = static_cast<char *>(vm_alloc(size, &pool));
            ASSERT_EQ(uintptr_t(objs[i]) % 8, 0u);
            std::memset(objs[i], i, size);
        }
        for (int i = 0; i < 200; i++)
            ASSERT_EQ(std::count(objs[i], objs[i] + size, char(i)), long(size)) << size;
        vm_destroy(&pool);
    }
}

TEST_F(Pool, ChunksArePageSizedAndKeepTheirLastSlot) {
    // 4096 / 1024 = 4 slots a chunk, of which 3 are handed out.
    unsigned long blocks = stats().cs_blocks;
    for (int i = 0; i < 3; i++)
        vm_alloc(1024, &pool);
    EXPECT_EQ(stats().cs_blocks, blocks + 1);
    for (int i = 0; i < 3; i++)
        vm_alloc(1024, &pool);
    EXPECT_EQ(stats().cs_blocks, blocks + 2);

    vm_pool_t sized{};
    vm_init(5, 40, &sized); // exactly five, the last one included
    for (int i = 0; i < 5; i++)
        vm_alloc(40, &sized);
    vm_init(50, 40, &sized); // the pool has a chunk already
    EXPECT_EQ(stats().cs_blocks, blocks + 3);
    vm_alloc(40, &sized);
    EXPECT_EQ(stats().cs_blocks, blocks + 4);
    vm_destroy(&sized);
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
    auto *z = static_cast<char *>(vm_zalloc(40, &pool));
    EXPECT_EQ(static_cast<void *>(z), a);
    EXPECT_EQ(std::count(z, z + 40, 0), 40);
}

TEST_F(Pool, MemoryGoesBackToTheAllocator) {
    unsigned long bytes = stats().cs_bytes;
    void *a = vm_alloc(2000, &pool); // two to a page: not worth a chunk
    EXPECT_EQ(pool.vp_chunks, nullptr);
    std::memset(a, 1, 2000);
    vm_free(a, &pool);
    EXPECT_EQ(stats().cs_bytes, bytes);

    for (int i = 0; i < 500; i++)
        vm_alloc(48, &pool);
    EXPECT_GT(stats().cs_bytes, bytes);
    vm_destroy(&pool);
    EXPECT_EQ(pool.vp_chunks, nullptr);
    EXPECT_EQ(stats().cs_bytes, bytes);
    EXPECT_NE(vm_alloc(48, &pool), nullptr); // usable again
}

} // namespace
