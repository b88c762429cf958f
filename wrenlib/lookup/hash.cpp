// Chained hash tables with string keys (stored by pointer, hashed with
// crc32) or 32-bit integer keys (their own hash).  Entries of every table
// come from one pool; tables grow on insertion so that chains stay short.
#include "wrenlib/hash.h"

#include <cstdint>
#include <cstring>
#include <mutex>

#include "wrenlib/byteorder.h"
#include "wrenlib/chk.h"
#include "wrenlib/sort.h"
#include "wrenlib/vm.h"

namespace {

// Entries per bucket, on average, before the table grows.
constexpr int kLoad = 8;
// Keeps the bucket count and kLoad times it inside 32 bits.
constexpr int64_t kMaxBuckets = int64_t(1) << 26;

// Tables are made and filled on every thread that scans or writes, so the
// pool they share is taken under a lock; a table itself belongs to one
// thread at a time, or is only read once built.
struct hash_state_t {
    std::mutex lock;
    vm_pool_t entries{};
    uint64_t stamps = 0;   // the last stamp given to a table
};
hash_state_t hash_state;

// The next power of two at or above size (1 for anything below 1).
int32_t round_buckets(int64_t size) {
    if (size < 1)
        size = 1;
    if (size > kMaxBuckets)
        size = kMaxBuckets;
    uint32_t n = uint32_t(size) - 1;
    n |= n >> 1;
    n |= n >> 2;
    n |= n >> 4;
    n |= n >> 8;
    n |= n >> 16;
    return int32_t(n + 1);
}

hash_entry_t **bucket_of(hash_t *t, uint32_t hash) {
    return &t->h_buckets[hash & uint32_t(t->h_size - 1)];
}

// The stored key equals the len bytes at key and ends right after them.
// Compared byte by byte so that a stored key shorter than len is never read
// past its terminator.
bool key_equals(const char *stored, const char *key, size_t len) {
    for (size_t i = 0; i < len; i++)
        if (stored[i] != key[i] || stored[i] == '\0')
            return false;
    return stored[len] == '\0';
}

// The link that points at the entry for the string key, or null.
hash_entry_t **find_string(hash_t *t, const char *key, size_t len) {
    uint32_t h = crc32(key, int(len));
    for (hash_entry_t **pp = bucket_of(t, h); *pp; pp = &(*pp)->he_next) {
        const hash_entry_t *e = *pp;
        if (e->he_hash == h && key_equals(e->he_key.s, key, len))
            return pp;
    }
    return nullptr;
}

hash_entry_t **find_int(hash_t *t, int32_t key) {
    for (hash_entry_t **pp = bucket_of(t, uint32_t(key)); *pp; pp = &(*pp)->he_next)
        if ((*pp)->he_key.i == key)
            return pp;
    return nullptr;
}

// Puts a new entry at the head of its chain; the key is set by the caller.
hash_entry_t *add_entry(hash_t *t, uint32_t hash, void *data) {
    hash_entry_t *e;
    {
        std::lock_guard<std::mutex> g(hash_state.lock);
        e = static_cast<hash_entry_t *>(vm_alloc(sizeof(hash_entry_t), &hash_state.entries));
        t->h_stamp = ++hash_state.stamps;
    }
    e->he_key.p = nullptr;
    e->he_data = data;
    e->he_hash = hash;
    hash_entry_t **head = bucket_of(t, hash);
    e->he_next = *head;
    *head = e;
    t->h_count++;
    return e;
}

// The entry leaves table t, which takes a new stamp (t is null when the
// table goes as well).
void release(hash_t *t, hash_entry_t *e, int flags, bool string_key) {
    if (string_key && (flags & HASH_FREE_KEY) && e->he_key.s)
        chk_free(const_cast<char *>(e->he_key.s));
    if ((flags & HASH_FREE_DATA) && e->he_data)
        chk_free(e->he_data);
    std::lock_guard<std::mutex> g(hash_state.lock);
    vm_free(e, &hash_state.entries);
    if (t)
        t->h_stamp = ++hash_state.stamps;
}

// Unlinks the entry at *pp and releases it.
void remove_at(hash_t *t, hash_entry_t **pp, int flags, bool string_key) {
    hash_entry_t *e = *pp;
    *pp = e->he_next;
    t->h_count--;
    release(t, e, flags, string_key);
}

void grow_if_full(hash_t *t) {
    if (t->h_count >= t->h_limit)
        hash_rehash(t);
}

// Orders of hash_list; each compares two hash_entry_t * held in the array.
const hash_entry_t *entry(const void *slot) {
    return *static_cast<const hash_entry_t *const *>(slot);
}

template <typename T> int three_way(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

int by_pointer(const void *a, const void *b) {
    return three_way(uintptr_t(entry(a)->he_key.p), uintptr_t(entry(b)->he_key.p));
}

int by_int_key(const void *a, const void *b) {
    return three_way(entry(a)->he_key.i, entry(b)->he_key.i);
}

int by_data(const void *a, const void *b) {
    return three_way(intptr_t(entry(a)->he_data), intptr_t(entry(b)->he_data));
}

// The first bytes compare as signed characters, the rest as strcmp does.
int by_string(const void *a, const void *b) {
    const char *x = entry(a)->he_key.s;
    const char *y = entry(b)->he_key.s;
    int d = int(static_cast<signed char>(x[0])) - int(static_cast<signed char>(y[0]));
    return d != 0 ? d : std::strcmp(x, y);
}

} // namespace

extern "C" {

hash_t *hash_create(int size, int grow) {
    auto *t = static_cast<hash_t *>(chk_alloc(sizeof(hash_t)));
    t->h_size = round_buckets(size);
    t->h_limit = kLoad * t->h_size;
    t->h_grow = grow;
    t->h_count = 0;
    t->h_stamp = 0;
    t->h_buckets = static_cast<hash_entry_t **>(chk_zalloc(sizeof(hash_entry_t *) * size_t(t->h_size)));
    return t;
}

void hash_rehash(hash_t *t) {
    int64_t wanted = t->h_grow >= 0 ? int64_t(t->h_size) + t->h_grow
                                    : -(int64_t(t->h_grow) * t->h_size);
    int32_t size = round_buckets(wanted);
    auto **buckets = static_cast<hash_entry_t **>(chk_zalloc(sizeof(hash_entry_t *) * size_t(size)));
    for (int32_t i = 0; i < t->h_size; i++) {
        hash_entry_t *e = t->h_buckets[i];
        while (e) {
            hash_entry_t *next = e->he_next;
            hash_entry_t **head = &buckets[e->he_hash & uint32_t(size - 1)];
            e->he_next = *head;
            *head = e;
            e = next;
        }
    }
    chk_free(t->h_buckets);
    t->h_buckets = buckets;
    t->h_size = size;
    t->h_limit = kLoad * size;
}

int hash_insert(hash_t *t, const char *key, void *data) {
    size_t len = std::strlen(key);
    if (find_string(t, key, len))
        return 0;
    add_entry(t, crc32(key, int(len)), data)->he_key.s = key;
    grow_if_full(t);
    return 1;
}

void *hash_lookup(hash_t *t, const char *key) {
    if (!t)
        return nullptr;
    hash_entry_t **pp = find_string(t, key, std::strlen(key));
    return pp ? (*pp)->he_data : nullptr;
}

void *hash_nlookup(hash_t *t, const char *key, int len) {
    if (!t || len < 0)
        return nullptr;
    hash_entry_t **pp = find_string(t, key, size_t(len));
    return pp ? (*pp)->he_data : nullptr;
}

int hash_remove(hash_t *t, const char *key, int flags) {
    if (!t)
        return 0;
    hash_entry_t **pp = find_string(t, key, std::strlen(key));
    if (!pp)
        return 0;
    remove_at(t, pp, flags, true);
    return 1;
}

int hash_int_insert(hash_t *t, int32_t key, void *data) {
    if (find_int(t, key))
        return 0;
    add_entry(t, uint32_t(key), data)->he_key.i = key;
    grow_if_full(t);
    return 1;
}

void *hash_int_lookup(hash_t *t, int32_t key) {
    if (!t)
        return nullptr;
    hash_entry_t **pp = find_int(t, key);
    return pp ? (*pp)->he_data : nullptr;
}

// An integer key is no allocation, so HASH_FREE_KEY is ignored here.
int hash_int_remove(hash_t *t, int32_t key, int flags) {
    if (!t)
        return 0;
    hash_entry_t **pp = find_int(t, key);
    if (!pp)
        return 0;
    remove_at(t, pp, flags, false);
    return 1;
}

void hash_destroy(hash_t *t, int flags) {
    if (!t)
        return;
    for (int32_t i = 0; i < t->h_size; i++) {
        hash_entry_t *e = t->h_buckets[i];
        while (e) {
            hash_entry_t *next = e->he_next;
            release(nullptr, e, flags, true);
            e = next;
        }
    }
    chk_free(t->h_buckets);
    chk_free(t);
}

hash_entry_t **hash_list(hash_t *t, int order) {
    if (!t)
        return nullptr;
    auto **list = static_cast<hash_entry_t **>(chk_alloc(sizeof(hash_entry_t *) * (size_t(t->h_count) + 1)));
    int n = 0;
    for (int32_t i = 0; i < t->h_size; i++)
        for (hash_entry_t *e = t->h_buckets[i]; e; e = e->he_next)
            list[n++] = e;
    if (order & 0x1F) {
        int (*cmp)(const void *, const void *);
        if (order & 8)
            cmp = by_pointer;
        else if (order & 2)
            cmp = by_int_key;
        else if (order & (4 | 16))
            cmp = by_data;
        else
            cmp = by_string;
        merge_sort(list, n, int(sizeof(hash_entry_t *)), cmp);
    }
    return list;
}

} // extern "C"
