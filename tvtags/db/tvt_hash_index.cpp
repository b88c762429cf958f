// The hash index: a flat table kept at most half full, grown by
// doubling, with backward-shift deletion so that no tombstones pile up in a
// long run that removes and re-adds the same names.
#include "tvt_hash_index.h"

namespace {

constexpr size_t kFirstCapacity = 4096;

} // namespace

void db_hash_index::rebuild(size_t capacity)
{
    // The entries are set aside packed and the old table goes before the
    // new one is made: at most half of it is in use, so the growth of a
    // large index needs a quarter less memory at its peak.
    std::vector<db_hash_slot_t> old;
    old.reserve(count_);
    for (const db_hash_slot_t &s : slots_)
        if (s.hs_ref != 0)
            old.push_back(s);
    std::vector<db_hash_slot_t>().swap(slots_);
    slots_.assign(capacity, db_hash_slot_t{0, 0});
    mask_ = capacity - 1;
    shift_ = 32;
    for (size_t c = capacity; c > 1; c >>= 1)
        shift_--;
    for (const db_hash_slot_t &s : old) {
        size_t i = home(s.hs_hash);
        while (slots_[i].hs_ref != 0)
            i = (i + 1) & mask_;
        slots_[i] = s;
    }
}

void db_hash_index::add(uint32_t hash, uint32_t ref)
{
    if (ref == 0)
        return;
    if (slots_.empty())
        rebuild(kFirstCapacity);
    else if ((count_ + 1) * 2 > slots_.size())
        rebuild(slots_.size() * 2);
    size_t i = home(hash);
    while (slots_[i].hs_ref != 0)
        i = (i + 1) & mask_;
    slots_[i] = db_hash_slot_t{hash, ref};
    count_++;
}

void db_hash_index::remove(uint32_t hash, uint32_t ref)
{
    if (count_ == 0)
        return;
    size_t i = home(hash);
    while (slots_[i].hs_ref != ref || slots_[i].hs_hash != hash) {
        if (slots_[i].hs_ref == 0)
            return;
        i = (i + 1) & mask_;
    }
    // Close the gap: a later slot of the run moves into it unless its home
    // lies cyclically after the gap and at or before the slot itself.
    size_t gap = i;
    for (size_t j = (gap + 1) & mask_; slots_[j].hs_ref != 0; j = (j + 1) & mask_) {
        size_t h = home(slots_[j].hs_hash);
        bool stays = gap <= j ? (gap < h && h <= j) : (gap < h || h <= j);
        if (!stays) {
            slots_[gap] = slots_[j];
            gap = j;
        }
    }
    slots_[gap] = db_hash_slot_t{0, 0};
    count_--;
}

void db_hash_index::reserve(size_t entries)
{
    size_t capacity = slots_.empty() ? kFirstCapacity : slots_.size();
    while (capacity < entries * 2)
        capacity *= 2;
    if (capacity > slots_.size())
        rebuild(capacity);
}

void db_hash_index::clear()
{
    slots_.clear();
    slots_.shrink_to_fit();
    mask_ = 0;
    count_ = 0;
    shift_ = 0;
}
