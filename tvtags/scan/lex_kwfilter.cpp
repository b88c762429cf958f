// A quick "certainly not a keyword" test in front of the keyword hashes.
// Nearly every word the lexer reads is an identifier, and a hash lookup
// costs a CRC over the word and a walk along a chain; the filter is one bit
// per (length, first character, last character) signature, built from the
// keys the table holds.  It is rebuilt whenever the table's entry count
// differs from the count it was built from, so keys added to a table later
// are never missed.
#include "lex_internal.h"

#include "wrenlib/hash.h"

namespace {

constexpr int kBits = 4096;
constexpr int kFilters = 16;

struct kw_filter_t {
    const hash_t *h = nullptr;
    int count = -1;
    uint64_t bits[kBits / 64] = {};
};

struct kw_filter_state_t {
    kw_filter_t filters[kFilters];
    int next = 0;   // the slot to build into when the table is new
};
// Each scanning thread keeps its own filters: they are built lazily.
thread_local kw_filter_state_t kwf_st;

unsigned signature(const char *word, int len)
{
    unsigned first = static_cast<unsigned char>(word[0]);
    unsigned last = static_cast<unsigned char>(word[len - 1]);
    return (unsigned(len) * 0x9E37u ^ first * 0x85EBu ^ last * 0xC2B3u) % kBits;
}

void build(kw_filter_t &f, const hash_t *h)
{
    f.h = h;
    f.count = h->h_count;
    for (uint64_t &w : f.bits)
        w = 0;
    for (int32_t i = 0; i < h->h_size; i++)
        for (const hash_entry_t *e = h->h_buckets[i]; e; e = e->he_next) {
            const char *k = e->he_key.s;
            int len = k ? int(strlen(k)) : 0;
            if (len == 0) {
                f.count = -1;   // an empty key: no signature, so no filtering
                return;
            }
            unsigned s = signature(k, len);
            f.bits[s / 64] |= uint64_t(1) << (s % 64);
        }
}

kw_filter_t &filter_of(const hash_t *h)
{
    for (kw_filter_t &f : kwf_st.filters)
        if (f.h == h) {
            if (f.count != h->h_count)
                build(f, h);
            return f;
        }
    kw_filter_t &f = kwf_st.filters[kwf_st.next];
    kwf_st.next = (kwf_st.next + 1) % kFilters;
    build(f, h);
    return f;
}

} // namespace

bool lex_kw_may_hold(const hash_t *h, const char *word, int len)
{
    if (len <= 0)
        return true;
    kw_filter_t &f = filter_of(h);
    if (f.count < 0)
        return true;
    unsigned s = signature(word, len);
    return (f.bits[s / 64] >> (s % 64)) & 1;
}

void lex_kw_filter_reset()
{
    kwf_st = kw_filter_state_t();
}
