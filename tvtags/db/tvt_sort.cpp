// Sorting spans by their start.  Opening a large tag file sorts a few
// hundred thousand of them (the structures found, the tag numbers of the
// blocks); a radix sort on the 32-bit start does it in three passes over
// the array instead of a comparison sort's scattered log n.  Spans with one
// start keep no particular order: every caller treats two such as an
// overlap.
#include <algorithm>

#include "tvt_db.h"

void db_sort_spans(std::vector<std::pair<uint32_t, uint32_t>> &v)
{
    if (v.size() < 512) {
        std::sort(v.begin(), v.end());
        return;
    }
    static const int kShift[] = {0, 11, 22};
    std::vector<std::pair<uint32_t, uint32_t>> tmp(v.size());
    for (int shift : kShift) {
        size_t count[2048] = {};
        for (const auto &s : v)
            count[(s.first >> shift) & 2047]++;
        size_t at = 0;
        for (size_t &c : count) {
            size_t n = c;
            c = at;
            at += n;
        }
        for (const auto &s : v)
            tmp[count[(s.first >> shift) & 2047]++] = s;
        v.swap(tmp);
    }
}
