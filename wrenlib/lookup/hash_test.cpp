#include "wrenlib/hash.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "wrenlib/chk.h"

namespace {

void *data(intptr_t i) { return reinterpret_cast<void *>(i); }

unsigned long live_bytes() {
    chk_stats_t s;
    chk_get_stats(&s);
    return s.cs_bytes;
}

TEST(HashTable, SizesRoundUpAndGrowAtTheLimit) {
    for (auto [size, buckets] : {std::pair{1, 1}, {-5, 1}, {3, 4}, {8, 8}, {9, 16}, {2049, 4096}}) {
        hash_t *t = hash_create(size, 8);
        EXPECT_EQ(t->h_size, buckets) << size;
        EXPECT_EQ(t->h_limit, 8 * buckets);
        hash_destroy(t, 0);
    }
    hash_t *t = hash_create(20, 20);
    std::vector<std::string> keys; // the table keeps pointers to these
    for (int i = 0; i < 600; i++)
        keys.push_back("key" + std::to_string(i));
    for (int i = 0; i < 600; i++) {
        ASSERT_EQ(hash_insert(t, keys[i].c_str(), data(i + 1)), 1);
        if (i == 254 || i == 255) { // the 256th entry grows it to 32 + 20, rounded up
            EXPECT_EQ(t->h_size, i == 254 ? 32 : 64);
        }
    }
    EXPECT_EQ(t->h_size, 128);
    for (int i = 0; i < 600; i++)
        ASSERT_EQ(hash_lookup(t, keys[i].c_str()), data(i + 1)) << keys[i];
    hash_destroy(t, 0);

    for (auto [grow, size] : {std::pair{-2, 8}, {0, 4}}) { // doubling; never growing
        t = hash_create(4, grow);
        for (int i = 0; i < 40; i++)
            hash_int_insert(t, i, data(i + 1));
        EXPECT_EQ(t->h_size, size);
        EXPECT_EQ(hash_int_lookup(t, 39), data(40));
        hash_destroy(t, 0);
    }
}

TEST(HashTable, StringKeys) {
    hash_t *t = hash_create(8, 8);
    char key[] = "abc";
    EXPECT_EQ(hash_insert(t, key, data(3)), 1);
    EXPECT_EQ(hash_insert(t, "abc", data(9)), 0); // the old data stays
    EXPECT_EQ(hash_lookup(t, "abc"), data(3));
    EXPECT_EQ(hash_lookup(t, "ab"), nullptr);
    EXPECT_EQ(hash_nlookup(t, "abcdef", 4), nullptr);
    hash_insert(t, "abcd", data(4));
    EXPECT_EQ(hash_nlookup(t, "abcdef", 3), data(3));
    EXPECT_EQ(hash_nlookup(t, "abcdef", 4), data(4));
    EXPECT_EQ(hash_nlookup(t, "ab\0d", 4), nullptr);
    hash_insert(t, "", data(1));
    EXPECT_EQ(hash_nlookup(t, "abc", 0), data(1));

    hash_entry_t **all = hash_list(t, 1);
    EXPECT_EQ(all[1]->he_key.s, key); // stored by pointer, not copied
    chk_free(all);
    EXPECT_EQ(hash_remove(t, "abc", 0), 1);
    EXPECT_EQ(hash_remove(t, "abc", 0), 0);
    EXPECT_EQ(hash_lookup(t, "abc"), nullptr);
    EXPECT_EQ(hash_lookup(t, "abcd"), data(4));
    EXPECT_EQ(t->h_count, 2);
    hash_destroy(t, 0);
    EXPECT_EQ(hash_lookup(nullptr, "abc"), nullptr);
    EXPECT_EQ(hash_int_lookup(nullptr, 1), nullptr);
}

TEST(HashTable, IntegerKeys) {
    hash_t *t = hash_create(8, 8);
    for (int32_t k : {3, 11, -5, 0, INT32_MIN}) // 3, 11 and -5 share a bucket
        EXPECT_EQ(hash_int_insert(t, k, data(k + 1)), 1);
    EXPECT_EQ(hash_int_insert(t, 11, data(1)), 0);
    EXPECT_EQ(hash_int_lookup(t, 11), data(12));
    EXPECT_EQ(hash_int_lookup(t, INT32_MIN), data(intptr_t(INT32_MIN) + 1));
    EXPECT_EQ(hash_int_lookup(t, 19), nullptr);
    EXPECT_EQ(hash_int_remove(t, 11, HASH_FREE_KEY), 1); // there is no key to free
    EXPECT_EQ(hash_int_remove(t, 11, 0), 0);
    EXPECT_EQ(hash_int_lookup(t, 3), data(4));
    EXPECT_EQ(hash_int_lookup(t, -5), data(-4));
    hash_destroy(t, 0);
}

TEST(HashTable, RemoveAndDestroyReleaseOnlyWhatTheyAreTold) {
    hash_t *t = hash_create(8, 8);
    hash_int_insert(t, 1, nullptr); // the entry pool's first chunk stays for the run
    hash_destroy(t, 0);
    unsigned long base = live_bytes();
    t = hash_create(8, 8);
    for (int i = 0; i < 40; i++)
        hash_insert(t, chk_strdup(("k" + std::to_string(i)).c_str()), chk_alloc(16));
    EXPECT_EQ(hash_remove(t, "k7", HASH_FREE_KEY | HASH_FREE_DATA), 1);
    hash_destroy(t, HASH_FREE_KEY | HASH_FREE_DATA);
    EXPECT_EQ(live_bytes(), base);

    char *key = chk_strdup("kept");
    void *kept = chk_alloc(16);
    t = hash_create(8, 8);
    hash_insert(t, key, kept);
    hash_destroy(t, 0);
    unsigned long still = live_bytes(); // key and data are the caller's
    chk_free(key);
    chk_free(kept);
    EXPECT_GT(still, live_bytes());
    EXPECT_EQ(live_bytes(), base);
}

std::vector<intptr_t> keys_of(hash_entry_t **list, int n, bool want_data = false) {
    std::vector<intptr_t> out;
    for (int i = 0; i < n; i++)
        out.push_back(want_data ? reinterpret_cast<intptr_t>(list[i]->he_data) : list[i]->he_key.i);
    chk_free(list);
    return out;
}
using V = std::vector<intptr_t>;

TEST(HashList, BucketOrderAndSortOrders) {
    hash_t *t = hash_create(8, 8);
    for (auto [k, d] : {std::pair{3, 3}, {11, -1}, {0, 3}, {19, 7}, {-300, 3}, {5, 0}})
        hash_int_insert(t, k, data(d));
    // Buckets in order, each chain newest first.
    EXPECT_EQ(keys_of(hash_list(t, 0), 6), (V{0, 19, 11, 3, -300, 5}));
    EXPECT_EQ(keys_of(hash_list(t, 2), 6), (V{-300, 0, 3, 5, 11, 19}));
    for (int order : {4, 16}) {
        EXPECT_EQ(keys_of(hash_list(t, order), 6, true), (V{-1, 0, 3, 3, 3, 7}));
        EXPECT_EQ(keys_of(hash_list(t, order), 6), (V{11, 5, 0, 3, -300, 19})); // ties stay put
    }
    hash_destroy(t, 0);

    hash_t *s = hash_create(2, 2);
    const char *words[] = {"pear", "apple", "\xe9t\xe9", "apples", "Zed"};
    for (const char *w : words)
        hash_insert(s, w, nullptr);
    hash_entry_t **by_name = hash_list(s, 1);
    std::vector<std::string> names;
    for (int i = 0; i < 5; i++)
        names.push_back(by_name[i]->he_key.s);
    chk_free(by_name);
    // A high first byte is a negative character and sorts first.
    EXPECT_EQ(names, (std::vector<std::string>{"\xe9t\xe9", "Zed", "apple", "apples", "pear"}));
    hash_entry_t **by_ptr = hash_list(s, 8 | 1);
    for (int i = 1; i < 5; i++)
        EXPECT_LT(uintptr_t(by_ptr[i - 1]->he_key.p), uintptr_t(by_ptr[i]->he_key.p));
    chk_free(by_ptr);
    hash_destroy(s, 0);
}

} // namespace
