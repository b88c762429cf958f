// The keyword lookups of the lexer.  Nearly every word the lexer reads is
// looked up, and most are identifiers; the chained hash a descriptor keeps
// its keywords in costs a CRC over the word and a walk along a chain of
// several entries.  Each scanning thread keeps, per table, an open-address
// copy of it instead: a cheap hash of the word's length and end characters
// picks a slot, and an identifier mostly lands on an empty one.  A copy is
// rebuilt whenever its table has changed since it was made, so a key added
// or removed later is never missed or found stale.
#include "lex_internal.h"

#include <cstring>
#include <vector>

#include "wrenlib/hash.h"

namespace {

constexpr int kIndexes = 16;

struct kw_slot_t {
    const char *key = nullptr;   // null: empty
    void *data = nullptr;
    uint32_t len = 0;
};

struct kw_index_t {
    const hash_t *h = nullptr;
    uint64_t stamp = 0;
    uint32_t mask = 0;
    std::vector<kw_slot_t> slots;
};

struct kw_index_state_t {
    kw_index_t indexes[kIndexes];
    kw_index_t *last = nullptr;   // the one used last: most lookups hit it again
    int next = 0;                 // the slot to build into when the table is new
};
// Each scanning thread builds its own, lazily.
thread_local kw_index_state_t kwi_st;

// Length, first two and last characters: keywords differ there enough.
inline uint32_t word_hash(const char *w, uint32_t len)
{
    uint32_t first = static_cast<unsigned char>(w[0]);
    uint32_t second = len > 1 ? static_cast<unsigned char>(w[1]) : 0;
    uint32_t last = static_cast<unsigned char>(w[len - 1]);
    uint32_t v = len | first << 8 | second << 16 | last << 24;
    return (v * 0x9E3779B1u) >> 7;
}

void build(kw_index_t &x, const hash_t *h)
{
    x.h = h;
    x.stamp = h->h_stamp;
    uint32_t size = 16;
    while (size < uint32_t(h->h_count) * 4)
        size *= 2;
    x.mask = size - 1;
    x.slots.assign(size, kw_slot_t());
    for (int32_t i = 0; i < h->h_size; i++)
        for (const hash_entry_t *e = h->h_buckets[i]; e; e = e->he_next) {
            const char *k = e->he_key.s;
            uint32_t len = k ? uint32_t(strlen(k)) : 0;
            if (len == 0)
                continue;   // no word is empty: the lookup never asks
            uint32_t s = word_hash(k, len) & x.mask;
            while (x.slots[s].key)
                s = (s + 1) & x.mask;
            x.slots[s] = {k, e->he_data, len};
        }
}

kw_index_t &index_of(const hash_t *h)
{
    kw_index_state_t &st = kwi_st;
    kw_index_t *x = st.last;
    if (!x || x->h != h) {
        x = nullptr;
        for (kw_index_t &c : st.indexes)
            if (c.h == h) {
                x = &c;
                break;
            }
        if (!x) {
            x = &st.indexes[st.next];
            st.next = (st.next + 1) % kIndexes;
            x->h = nullptr;
        }
        st.last = x;
    }
    if (x->h != h || x->stamp != h->h_stamp)
        build(*x, h);
    return *x;
}

} // namespace

void *lex_kw_lookup(const hash_t *h, const char *word, int len)
{
    if (!h || len <= 0)
        return nullptr;
    const kw_index_t &x = index_of(h);
    uint32_t n = uint32_t(len);
    for (uint32_t s = word_hash(word, n) & x.mask;; s = (s + 1) & x.mask) {
        const kw_slot_t &e = x.slots[s];
        if (!e.key)
            return nullptr;
        if (e.len == n && memcmp(e.key, word, n) == 0)
            return e.data;
    }
}

void lex_kw_index_reset()
{
    kwi_st = kw_index_state_t();
}
