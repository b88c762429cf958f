#ifndef WRENLIB_HASH_H
#define WRENLIB_HASH_H
/* Chained hash tables keyed by string (stored by pointer, hashed with
 * crc32) or by 32-bit integer.  Flags of the remove and destroy calls:
 * HASH_FREE_KEY releases the key, HASH_FREE_DATA the data, with chk_free. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define HASH_FREE_KEY 1
#define HASH_FREE_DATA 2

typedef struct hash_entry_t {
    struct hash_entry_t *he_next;
    union {
        const char *s;
        int32_t i;
        const void *p;
    } he_key;
    void *he_data;
    uint32_t he_hash;
} hash_entry_t;

typedef struct hash_t {
    int32_t h_limit;
    int32_t h_grow;
    int32_t h_size;
    int32_t h_count;
    hash_entry_t **h_buckets;
    /* Changes with every insertion and removal, to a value no table of
     * the process had before. */
    uint64_t h_stamp;
} hash_t;

hash_t *hash_create(int size, int grow);
int hash_insert(hash_t *t, const char *key, void *data);
void *hash_lookup(hash_t *t, const char *key);
void *hash_nlookup(hash_t *t, const char *key, int len);
int hash_remove(hash_t *t, const char *key, int flags);
int hash_int_insert(hash_t *t, int32_t key, void *data);
void *hash_int_lookup(hash_t *t, int32_t key);
int hash_int_remove(hash_t *t, int32_t key, int flags);
void hash_destroy(hash_t *t, int flags);
void hash_rehash(hash_t *t);
hash_entry_t **hash_list(hash_t *t, int order);

#ifdef __cplusplus
}
#endif
#endif
