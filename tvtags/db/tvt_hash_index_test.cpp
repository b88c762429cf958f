#include "db/tvt_hash_index.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

namespace {

// Every reference stored under one CRC, as find() sees them.
std::set<uint32_t> refs_of(const db_hash_index &ix, uint32_t crc)
{
    std::set<uint32_t> seen;
    ix.find(crc, [&](uint32_t r) {
        seen.insert(r);
        return false;
    });
    return seen;
}

TEST(HashIndex, FindsWhatWasAddedAndStopsAtTheFirstMatch)
{
    db_hash_index ix;
    EXPECT_EQ(ix.find(7, [](uint32_t) { return true; }), 0u);
    ix.add(7, 100);
    ix.add(7, 200);   // same CRC, another text
    ix.add(8, 300);
    EXPECT_EQ(ix.find(7, [](uint32_t r) { return r == 200; }), 200u);
    EXPECT_EQ(ix.find(7, [](uint32_t) { return false; }), 0u);
    EXPECT_EQ(refs_of(ix, 7), (std::set<uint32_t>{100, 200}));
    ix.remove(7, 100);
    ix.remove(7, 999);   // absent: nothing happens
    EXPECT_EQ(refs_of(ix, 7), (std::set<uint32_t>{200}));
    EXPECT_EQ(ix.size(), 2u);
    ix.clear();
    EXPECT_EQ(ix.size(), 0u);
    EXPECT_TRUE(refs_of(ix, 8).empty());
}

// Random adds and removes over few CRCs (long probe runs that wrap round the
// end of the table) and over many (growth), checked against a plain map.
TEST(HashIndex, AgreesWithAMapThroughGrowthAndRemovals)
{
    for (uint32_t crcs : {3u, 50u, 100000u}) {
        std::mt19937 rng(crcs);
        db_hash_index ix;
        std::multimap<uint32_t, uint32_t> model;
        uint32_t next_ref = 1;
        int steps = crcs < 100 ? 4000 : 60000;   // few CRCs make long runs: keep it quick
        for (int step = 0; step < steps; step++) {
            if (model.empty() || rng() % 3 != 0) {
                uint32_t crc = crcs < 100 ? 0xFFFFFFF0u + rng() % crcs : (uint32_t) rng() % crcs;
                ix.add(crc, next_ref);
                model.emplace(crc, next_ref++);
            } else {
                auto it = model.begin();
                std::advance(it, rng() % model.size());
                ix.remove(it->first, it->second);
                model.erase(it);
            }
        }
        ASSERT_EQ(ix.size(), model.size());
        std::map<uint32_t, std::set<uint32_t>> want;
        for (auto &kv : model)
            want[kv.first].insert(kv.second);
        for (auto &kv : want)
            ASSERT_EQ(refs_of(ix, kv.first), kv.second) << "crc " << kv.first;
    }
}

} // namespace
