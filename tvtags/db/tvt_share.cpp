// The name-sharing index: a flat table kept at most half full, grown by
// doubling, with backward-shift deletion so that no tombstones pile up in a
// long run that removes and re-adds the same names.
#include "tvt_share.h"

namespace {

constexpr size_t kFirstCapacity = 4096;

} // namespace

void db_share_index::rebuild(size_t capacity)
{
    std::vector<db_share_slot_t> old;
    old.swap(slots_);
    slots_.assign(capacity, db_share_slot_t{0, 0});
    mask_ = capacity - 1;
    shift_ = 32;
    for (size_t c = capacity; c > 1; c >>= 1)
        shift_--;
    for (const db_share_slot_t &s : old) {
        if (s.ss_ref == 0)
            continue;
        size_t i = home(s.ss_crc);
        while (slots_[i].ss_ref != 0)
            i = (i + 1) & mask_;
        slots_[i] = s;
    }
}

void db_share_index::add(uint32_t crc, uint32_t ref)
{
    if (ref == 0)
        return;
    if (slots_.empty())
        rebuild(kFirstCapacity);
    else if ((count_ + 1) * 2 > slots_.size())
        rebuild(slots_.size() * 2);
    size_t i = home(crc);
    while (slots_[i].ss_ref != 0)
        i = (i + 1) & mask_;
    slots_[i] = db_share_slot_t{crc, ref};
    count_++;
}

void db_share_index::remove(uint32_t crc, uint32_t ref)
{
    if (count_ == 0)
        return;
    size_t i = home(crc);
    while (slots_[i].ss_ref != ref || slots_[i].ss_crc != crc) {
        if (slots_[i].ss_ref == 0)
            return;
        i = (i + 1) & mask_;
    }
    // Close the gap: a later slot of the run moves into it unless its home
    // lies cyclically after the gap and at or before the slot itself.
    size_t gap = i;
    for (size_t j = (gap + 1) & mask_; slots_[j].ss_ref != 0; j = (j + 1) & mask_) {
        size_t h = home(slots_[j].ss_crc);
        bool stays = gap <= j ? (gap < h && h <= j) : (gap < h || h <= j);
        if (!stays) {
            slots_[gap] = slots_[j];
            gap = j;
        }
    }
    slots_[gap] = db_share_slot_t{0, 0};
    count_--;
}

void db_share_index::clear()
{
    slots_.clear();
    slots_.shrink_to_fit();
    mask_ = 0;
    count_ = 0;
    shift_ = 0;
}
