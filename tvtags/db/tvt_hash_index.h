#ifndef TVTAGS_DB_TVT_HASH_INDEX_H
#define TVTAGS_DB_TVT_HASH_INDEX_H
/* A flat table from a 32-bit hash to nonzero 32-bit references, for the
 * writer's indexes over texts kept in the file: the CRC-32 of each name
 * entry made in this run with the entry's reference (name sharing), and the
 * hash of each file name with its file id + 1.  Open addressing with
 * linear probing over one array, so that a lookup costs one or two cache
 * lines; texts with equal hashes take neighbouring slots and are told
 * apart by the caller, which compares the texts. */
#include <stddef.h>
#include <stdint.h>
#include <vector>

struct db_hash_slot_t {
    uint32_t hs_hash;
    uint32_t hs_ref;   /* 0: empty */
};

class db_hash_index {
public:
    /* Calls same(ref) for each entry with this hash until one returns true;
     * returns that reference, or 0. */
    template <typename Same> uint32_t find(uint32_t hash, Same same) const
    {
        if (count_ == 0)
            return 0;
        for (size_t i = home(hash);; i = (i + 1) & mask_) {
            const db_hash_slot_t &s = slots_[i];
            if (s.hs_ref == 0)
                return 0;
            if (s.hs_hash == hash && same(s.hs_ref))
                return s.hs_ref;
        }
    }
    void add(uint32_t hash, uint32_t ref);
    void remove(uint32_t hash, uint32_t ref);   /* no effect when absent */
    void reserve(size_t entries);               /* room for this many without growing */
    void clear();
    size_t size() const { return count_; }

private:
    size_t home(uint32_t hash) const { return (size_t) ((hash * 0x9E3779B1u) >> shift_) & mask_; }
    void rebuild(size_t capacity);

    std::vector<db_hash_slot_t> slots_;
    size_t mask_ = 0;
    size_t count_ = 0;
    int shift_ = 0;
};
#endif
