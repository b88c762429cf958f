#ifndef WRENLIB_VECTOR_H
#define WRENLIB_VECTOR_H
/* Chunked vector of fixed-size records.  A stored record never moves, and
 * record n is reached through an index of one slot per 1024 records. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct vector_block_t {
    struct vector_block_t *vb_next;
    struct vector_block_t *vb_prev;
    int32_t vb_first;   /* number of the block's first record */
    int32_t vb_count;   /* records held */
    char *vb_data;      /* records per block x record size bytes */
} vector_block_t;

typedef struct vector_t {
    vector_block_t *v_first;
    vector_block_t *v_last;
    int32_t num;
    int32_t v_rec_size;
    int32_t v_blocks;
    int32_t v_per_block;
    vector_block_t **v_index;   /* null when it must be rebuilt */
    vector_block_t *v_cur_block;
    char *v_cur_rec;
    char *v_cur_end;
} vector_t;

vector_t *vec_create(int record_size, int per_block);
void vec_destroy(vector_t *v);
void *vec_append(vector_t *v, const void *record); /* returns the stored copy */
void *vec_elem(vector_t *v, int n);
void *vec_seek(vector_t *v, int n);
void *vec_prev(vector_t *v);

#ifdef __cplusplus
}
#endif
#endif
