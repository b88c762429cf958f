#include "wrenlib/vector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "wrenlib/chk.h"

namespace {

// Records of an odd size carrying their own number.
struct rec_t {
    int32_t n;
    char text[13];
};

vector_t *filled(int per_block, int count, std::vector<void *> *stored = nullptr) {
    vector_t *v = vec_create(int(sizeof(rec_t)), per_block);
    for (int i = 0; i < count; i++) {
        rec_t r{i, {}};
        std::memset(r.text, 'a' + i % 26, sizeof r.text);
        void *at = vec_append(v, &r);
        if (stored)
            stored->push_back(at);
    }
    return v;
}

int number_at(void *p) { return static_cast<rec_t *>(p)->n; }

TEST(Vector, ElemFindsEveryRecordForAnyBlockSize) {
    for (int per_block : {1, 7, 630, 1023}) {
        for (int count : {1, 631, 1024, 1025, 3000}) {
            vector_t *v = filled(per_block, count);
            EXPECT_EQ(v->v_blocks, (count + per_block - 1) / per_block);
            for (int i = 0; i < count; i++) {
                auto *r = static_cast<rec_t *>(vec_elem(v, i));
                ASSERT_EQ(r->n, i) << per_block << " per block, " << count << " records";
                ASSERT_EQ(r->text[12], 'a' + i % 26);
            }
            vec_destroy(v);
        }
    }
    vector_t *v = filled(630, 1500);
    vector_block_t *second = v->v_first->vb_next;
    EXPECT_EQ(vec_elem(v, 1000), second->vb_data + 370 * sizeof(rec_t));
    vec_destroy(v);
}

TEST(Vector, LookupsBetweenAppendsThatFillTheLastBlock) {
    // The index built at 631 records must still serve records stored after
    // it, up to the end of the last block, without a new block to drop it.
    vector_t *v = filled(630, 631);
    EXPECT_EQ(number_at(vec_elem(v, 0)), 0);
    for (int i = 631; i < 1100; i++) {
        rec_t r{i, {}};
        vec_append(v, &r);
    }
    EXPECT_EQ(number_at(vec_elem(v, 1024)), 1024);
    EXPECT_EQ(number_at(vec_seek(v, 1099)), 1099);
    EXPECT_EQ(number_at(vec_prev(v)), 1098);
    for (int i = 1100; i < 3000; i++) {
        rec_t r{i, {}};
        vec_append(v, &r);
        if (i % 97 == 0) {
            ASSERT_EQ(number_at(vec_elem(v, i)), i) << i;
        }
    }
    vec_destroy(v);
}

TEST(Vector, StoredRecordsNeverMove) {
    std::vector<void *> stored;
    vector_t *v = filled(50, 10, &stored);
    for (int i = 10; i < 2000; i++) {
        rec_t r{i, {}};
        stored.push_back(vec_append(v, &r));
        if (i % 333 == 0) { // look up between appends so the index is rebuilt
            ASSERT_EQ(vec_elem(v, i / 2), stored[size_t(i / 2)]);
        }
    }
    for (int i = 0; i < 2000; i++)
        ASSERT_EQ(vec_elem(v, i), stored[size_t(i)]);
    vec_destroy(v);
}

TEST(Vector, SeekAndPrevWalkBackAcrossBlocks) {
    vector_t *v = filled(7, 30);
    EXPECT_EQ(vec_prev(v), nullptr); // no cursor yet
    EXPECT_EQ(vec_seek(v, -1), nullptr);
    ASSERT_EQ(number_at(vec_seek(v, 29)), 29);
    for (int i = 28; i >= 0; i--) {
        void *p = vec_prev(v);
        ASSERT_EQ(p, vec_elem(v, i)) << i;
    }
    EXPECT_EQ(vec_prev(v), nullptr);
    EXPECT_EQ(vec_prev(v), nullptr);
    EXPECT_EQ(number_at(vec_seek(v, 14)), 14); // the first record of a block
    EXPECT_EQ(number_at(vec_prev(v)), 13);
    vec_destroy(v);
}

TEST(Vector, DestroyReleasesEverything) {
    chk_stats_t before, after;
    chk_get_stats(&before);
    vector_t *v = filled(630, 5000);
    vec_elem(v, 4000);
    vec_destroy(v);
    vec_destroy(nullptr);
    chk_get_stats(&after);
    EXPECT_EQ(after.cs_bytes, before.cs_bytes);
}

#if GTEST_HAS_DEATH_TEST
TEST(VectorDeathTest, OutOfRangeRecordsStop) {
    vector_t *v = filled(630, 700);
    vector_t *empty = vec_create(8, 10);
    EXPECT_DEATH(vec_elem(v, -1), "n >= 0");
    EXPECT_DEATH(vec_elem(v, 700), "n >= 0 && vep");
    EXPECT_DEATH(vec_seek(v, 5000), "n >= 0 && vep");
    EXPECT_DEATH(vec_elem(empty, 0), "n >= 0 && vep");
    EXPECT_DEATH(vec_create(8, 1024), "per_block < 1024");
    vec_destroy(empty);
    vec_destroy(v);
}
#endif

} // namespace
