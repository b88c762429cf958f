// Object pools: equal slots carved from page-sized chunks, handed out and
// taken back by pushing and popping a free list.  Lists and hash entries are
// the records a scan creates most often, so they come from here rather than
// from one allocation each.
#include "wrenlib/vm.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "wrenlib/chk.h"

// A chunk is one chk_alloc block: this header, then the slots.  Only the
// newest chunk's free list is live; older chunks were full when it was made.
struct vm_chunk_t {
    vm_chunk_t *vc_older;
    void *vc_free;
};

namespace {

constexpr int kDefaultPageSize = 4096;
constexpr size_t kMinSize = 2 * sizeof(void *);
// Slots hold records with pointers and 64-bit fields; keep every slot on
// such a boundary (the chunk header is a multiple of it as well).
constexpr size_t kSlotAlign = alignof(void *) > 8 ? alignof(void *) : 8;
static_assert(sizeof(vm_chunk_t) % kSlotAlign == 0);

struct vm_state_t {
    bool page_read = false;
    int page_size = kDefaultPageSize;
};
vm_state_t vm_state;

int page_size() {
    if (!vm_state.page_read) {
        vm_state.page_read = true;
        if (const char *s = std::getenv("CHK_PAGESIZE"))
            vm_state.page_size = std::atoi(s);
    }
    return vm_state.page_size;
}

size_t slot_size(size_t size) {
    if (size < kMinSize)
        size = kMinSize;
    return (size + kSlotAlign - 1) / kSlotAlign * kSlotAlign;
}

// The free-list link of a slot lives in its second pointer-sized word, not
// its first: the records kept here start with a magic word, and a freed
// record must keep its "freed" marker there so that a stale pointer is still
// caught.  Slots are therefore at least two words long.
void *&link_of(void *slot) {
    return static_cast<void **>(slot)[1];
}

char *chunk_slots(vm_chunk_t *c) {
    return reinterpret_cast<char *>(c + 1);
}

// A new chunk of count slots, all but the last `keep_back` on its free list,
// linked in front of the pool's older chunks.
void add_chunk(vm_pool_t *pool, int count, size_t size, int keep_back) {
    auto *c = static_cast<vm_chunk_t *>(chk_alloc(sizeof(vm_chunk_t) + size_t(count) * size));
    c->vc_older = pool->vp_chunks;
    c->vc_free = nullptr;
    char *slots = chunk_slots(c);
    // Pushed from the back so that slot 0 is handed out first.
    for (int i = count - 1 - keep_back; i >= 0; i--) {
        void *slot = slots + size_t(i) * size;
        link_of(slot) = c->vc_free;
        c->vc_free = slot;
    }
    pool->vp_chunks = c;
}

} // namespace

extern "C" {

void *vm_alloc(size_t size, vm_pool_t *pool) {
    if (chk_debugging())
        return check_alloc(size, "VMALLOC", __builtin_return_address(0));
    vm_chunk_t *c = pool->vp_chunks;
    if (!c || !c->vc_free) {
        size = slot_size(size);
        int page = page_size();
        size_t n = page > 0 ? size_t(page) / size : 0;
        if (n <= 2)
            return chk_alloc(size); // too big for a page: not pool memory
        // The last slot of a chunk is never handed out.
        add_chunk(pool, int(n), size, 1);
        c = pool->vp_chunks;
    }
    void *obj = c->vc_free;
    c->vc_free = link_of(obj);
    return obj;
}

void *vm_zalloc(size_t size, vm_pool_t *pool) {
    void *obj = vm_alloc(size, pool);
    if (obj)
        std::memset(obj, 0, size);
    return obj;
}

void *vm_calloc(size_t size, vm_pool_t *pool) {
    return vm_zalloc(size, pool);
}

void vm_free(void *obj, vm_pool_t *pool) {
    if (!obj)
        return;
    vm_chunk_t *c = pool->vp_chunks;
    // Without a chunk there is no free list: the object can only have come
    // straight from the allocator (debugging mode, or too big for a page).
    if (chk_debugging() || !c) {
        chk_free(obj);
        return;
    }
    link_of(obj) = c->vc_free;
    c->vc_free = obj;
}

void vm_init(int count, size_t size, vm_pool_t *pool) {
    if (chk_debugging() || pool->vp_chunks || count <= 0)
        return;
    add_chunk(pool, count, slot_size(size), 0);
}

void vm_destroy(vm_pool_t *pool) {
    vm_chunk_t *c = pool->vp_chunks;
    while (c) {
        vm_chunk_t *older = c->vc_older;
        chk_free(c);
        c = older;
    }
    pool->vp_chunks = nullptr;
}

} // extern "C"
