#include "wrenlib/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

int by_key(const void *a, const void *b) {
    int32_t x, y;
    std::memcpy(&x, a, 4);
    std::memcpy(&y, b, 4);
    return x < y ? -1 : (x > y ? 1 : 0);
}

// Records of `width` bytes: a key in the first word, then the record's
// starting position, then filler derived from it.  After the sort the keys
// must be in order, equal keys in their first order, every record intact.
void check_sort(int width, const std::vector<int32_t> &keys) {
    size_t w = size_t(width), n = keys.size();
    std::vector<char> bytes(w * n);
    for (size_t i = 0; i < n; i++) {
        for (size_t b = 0; b < w; b++)
            bytes[i * w + b] = char(i * 31 + b);
        std::memcpy(&bytes[i * w], &keys[i], 4);
        if (w >= 8)
            std::memcpy(&bytes[i * w + 4], &i, 4); // low word; fine for small counts
    }
    merge_sort(bytes.data(), int(n), width, by_key);
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; i++)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    for (size_t i = 0; i < n; i++) {
        std::vector<char> want(w);
        for (size_t b = 0; b < w; b++)
            want[b] = char(order[i] * 31 + b);
        std::memcpy(want.data(), &keys[order[i]], 4);
        if (w >= 8)
            std::memcpy(&want[4], &order[i], 4);
        ASSERT_TRUE(std::equal(want.begin(), want.end(), bytes.begin() + long(i * w)))
            << "record " << i << " of " << n << ", width " << width;
    }
}

TEST(MergeSort, StableAtEveryLengthAndWidth) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int32_t> few(-2, 2), many(-1000000, 1000000);
    for (int width : {4, 8, 13})
        for (int n = 0; n <= 40; n++)
            for (int round = 0; round < 3; round++) {
                std::vector<int32_t> keys(size_t(n), 0);
                for (auto &k : keys)
                    k = round == 0 ? many(rng) : few(rng); // few keys: many ties
                check_sort(width, keys);
            }
    // Swapping the smallest record forward would put the first 2 last.
    check_sort(8, {2, 2, 1});
}

TEST(MergeSort, LargeRecordsBeyondTheStackBuffer) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int32_t> few(0, 3);
    for (auto [width, n] : {std::pair{1000, 20}, {4096, 9}, {300, 14}, {4095, 3}}) {
        std::vector<int32_t> keys(size_t(n), 0);
        for (auto &k : keys)
            k = few(rng);
        check_sort(width, keys);
    }
    std::vector<int32_t> words(3000, 0);
    for (auto &k : words)
        k = int32_t(rng());
    check_sort(4, words);
}

TEST(MergeSort, DegenerateArgumentsChangeNothing) {
    std::vector<int32_t> keys{3, 1, 2};
    for (auto [count, width] : {std::pair{1, 4}, {0, 4}, {-3, 4}, {3, 0}})
        merge_sort(keys.data(), count, width, by_key);
    EXPECT_EQ(keys, (std::vector<int32_t>{3, 1, 2}));
    merge_sort(nullptr, 3, 4, by_key);
}

// A comparison that sorts something of its own along the way.
int by_key_sorting_aside(const void *a, const void *b) {
    int32_t aside[7] = {5, 3, 9, 1, 1, 0, 8};
    merge_sort(aside, 7, 4, [](const void *x, const void *y) { return by_key(y, x); });
    EXPECT_EQ(aside[0], 9);
    return by_key(a, b);
}

TEST(MergeSort, ComparisonMaySortToo) {
    std::vector<int32_t> keys{9, 4, 7, 1, 8, 2, 6, 3};
    merge_sort(keys.data(), 8, 4, by_key_sorting_aside);
    EXPECT_EQ(keys, (std::vector<int32_t>{1, 2, 3, 4, 6, 7, 8, 9}));
}

} // namespace
