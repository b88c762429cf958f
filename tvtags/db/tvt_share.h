#ifndef TVTAGS_DB_TVT_SHARE_H
#define TVTAGS_DB_TVT_SHARE_H
/* The name-sharing index of a writer: the CRC-32 of each name entry made in
 * this run, with the entry's reference.  Open addressing with linear
 * probing over one flat array, so that a lookup costs one or two cache
 * lines; names with equal CRCs take neighbouring slots and are told apart
 * by the caller, which compares their texts. */
#include <stddef.h>
#include <stdint.h>
#include <vector>

struct db_share_slot_t {
    uint32_t ss_crc;
    uint32_t ss_ref;   /* 0: empty */
};

class db_share_index {
public:
    /* Calls same(ref) for each entry with this CRC until one returns true;
     * returns that reference, or 0. */
    template <typename Same> uint32_t find(uint32_t crc, Same same) const
    {
        if (count_ == 0)
            return 0;
        for (size_t i = home(crc);; i = (i + 1) & mask_) {
            const db_share_slot_t &s = slots_[i];
            if (s.ss_ref == 0)
                return 0;
            if (s.ss_crc == crc && same(s.ss_ref))
                return s.ss_ref;
        }
    }
    void add(uint32_t crc, uint32_t ref);
    void remove(uint32_t crc, uint32_t ref);   /* no effect when absent */
    void clear();
    size_t size() const { return count_; }

private:
    size_t home(uint32_t crc) const { return (size_t) ((crc * 0x9E3779B1u) >> shift_) & mask_; }
    void rebuild(size_t capacity);

    std::vector<db_share_slot_t> slots_;
    size_t mask_ = 0;
    size_t count_ = 0;
    int shift_ = 0;
};
#endif
