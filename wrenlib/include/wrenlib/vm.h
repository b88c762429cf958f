#ifndef WRENLIB_VM_H
#define WRENLIB_VM_H
/* Object pools of equal slots carved from page-sized chunks. */
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct vm_chunk_t vm_chunk_t;

typedef struct vm_pool_t {
    vm_chunk_t *vp_chunks; /* newest chunk, null when empty */
} vm_pool_t;

void *vm_alloc(size_t size, vm_pool_t *pool);
void *vm_zalloc(size_t size, vm_pool_t *pool);
void *vm_calloc(size_t size, vm_pool_t *pool);
void vm_free(void *obj, vm_pool_t *pool);
void vm_init(int count, size_t size, vm_pool_t *pool);
void vm_destroy(vm_pool_t *pool);

#ifdef __cplusplus
}
#endif
#endif
