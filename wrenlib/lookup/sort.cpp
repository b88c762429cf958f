// Stable merge sort of fixed-width records in place.  Short runs are sorted
// by selection; merges copy the left run aside (on the stack when small) and
// merge it back with the right run.
#include "wrenlib/sort.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kSelectionBelow = 6;
constexpr size_t kStackMerge = 4095;

using compare_fn = int (*)(const void *, const void *);

// The comparison function of the sort under way.
struct sort_state_t {
    compare_fn compare = nullptr;
};
sort_state_t sort_state;

void swap_records(char *a, char *b, size_t width) {
    if (width == 4) {
        uint32_t x, y;
        std::memcpy(&x, a, 4);
        std::memcpy(&y, b, 4);
        std::memcpy(a, &y, 4);
        std::memcpy(b, &x, 4);
        return;
    }
    for (size_t i = 0; i < width; i++) {
        char c = a[i];
        a[i] = b[i];
        b[i] = c;
    }
}

// Moves record `from` down to position `to`, shifting the records between
// up by one, so that their order is kept.
void rotate_down(char *base, size_t to, size_t from, size_t width) {
    for (size_t j = from; j > to; j--)
        swap_records(base + (j - 1) * width, base + j * width, width);
}

// For each position the smallest remaining record (the first of equal ones)
// is brought in.  It is rotated rather than swapped in, so that equal
// records keep their order here as they do in the merges.
void selection_sort(char *base, size_t count, size_t width) {
    for (size_t i = 0; i + 1 < count; i++) {
        size_t min = i;
        for (size_t j = i + 1; j < count; j++)
            if (sort_state.compare(base + j * width, base + min * width) < 0)
                min = j;
        if (min != i)
            rotate_down(base, i, min, width);
    }
}

// Merges base[0, left) and base[left, count) with a buffer for the left run.
void merge_with(char *base, size_t left, size_t count, size_t width, char *buf) {
    std::memcpy(buf, base, left * width);
    char *l = buf, *lend = buf + left * width;
    char *r = base + left * width, *rend = base + count * width;
    char *out = base;
    while (l < lend && r < rend) {
        // Ties take the left record: that is what keeps the sort stable.
        if (sort_state.compare(r, l) < 0) {
            std::memmove(out, r, width);
            r += width;
        } else {
            std::memcpy(out, l, width);
            l += width;
        }
        out += width;
    }
    if (l < lend)
        std::memcpy(out, l, size_t(lend - l));
}

// Without a buffer the runs are merged in place by rotating each right
// record that belongs earlier into position: slower, but still sorted.
void merge_in_place(char *base, size_t left, size_t count, size_t width) {
    size_t i = 0, mid = left;
    while (i < mid && mid < count) {
        if (sort_state.compare(base + mid * width, base + i * width) < 0) {
            rotate_down(base, i, mid, width);
            mid++;
        }
        i++;
    }
}

// Kept out of line so that the stack buffer is not part of every level of
// the recursion.
[[gnu::noinline]] void merge(char *base, size_t left, size_t count, size_t width) {
    if (count * width <= kStackMerge) {
        char buf[kStackMerge];
        merge_with(base, left, count, width, buf);
        return;
    }
    if (char *buf = static_cast<char *>(std::malloc(left * width))) {
        merge_with(base, left, count, width, buf);
        std::free(buf);
    } else {
        merge_in_place(base, left, count, width);
    }
}

void sort_range(char *base, size_t count, size_t width) {
    if (count < size_t(kSelectionBelow)) {
        selection_sort(base, count, width);
        return;
    }
    size_t left = count / 2;
    sort_range(base, left, width);
    sort_range(base + left * width, count - left, width);
    merge(base, left, count, width);
}

} // namespace

extern "C" void merge_sort(void *base, int count, int width, int (*compare)(const void *, const void *)) {
    if (!base || count < 2 || width <= 0 || !compare)
        return;
    // The previous comparison function is put back, so a comparison that
    // itself sorts does not derail the outer sort.
    compare_fn outer = sort_state.compare;
    sort_state.compare = compare;
    sort_range(static_cast<char *>(base), size_t(count), size_t(width));
    sort_state.compare = outer;
}
