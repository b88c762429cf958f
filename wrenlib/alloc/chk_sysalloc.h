#ifndef WRENLIB_ALLOC_CHK_SYSALLOC_H
#define WRENLIB_ALLOC_CHK_SYSALLOC_H
/* Containers for the allocator's own bookkeeping.  Their memory comes
 * straight from the C library, so it is neither counted nor checked and
 * never calls back into the allocation functions. */
#include <stdlib.h>

#include <functional>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace wl_chk {

template <typename T> struct sys_allocator {
    using value_type = T;
    sys_allocator() = default;
    template <typename U> sys_allocator(const sys_allocator<U> &) {}
    T *allocate(size_t n)
    {
        void *p = malloc(n * sizeof(T));
        if (!p)
            abort(); // the allocator's own tables: nothing sensible is left
        return static_cast<T *>(p);
    }
    void deallocate(T *p, size_t) { free(p); }
    template <typename U> bool operator==(const sys_allocator<U> &) const { return true; }
    template <typename U> bool operator!=(const sys_allocator<U> &) const { return false; }
};

template <typename K, typename V>
using sys_map = std::unordered_map<K, V, std::hash<K>, std::equal_to<K>, sys_allocator<std::pair<const K, V>>>;
template <typename K>
using sys_set = std::unordered_set<K, std::hash<K>, std::equal_to<K>, sys_allocator<K>>;
template <typename T> using sys_vector = std::vector<T, sys_allocator<T>>;

} // namespace wl_chk

#endif
