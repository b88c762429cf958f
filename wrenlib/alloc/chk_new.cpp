// Global operator new and delete, every form, routed through the allocation
// functions so that container memory is counted and checked like the rest.
// Running out of memory ends the program inside chk_alloc, so no form ever
// throws or returns null.
#include <stdint.h>

#include <new>

#include "chk_internal.h"

namespace {

/* Over-aligned requests: chk_alloc only promises the system allocator's
 * alignment, so take enough extra room to slide the data up to the boundary
 * and keep the block's own address in the word just below the data. */
void *aligned_alloc_chk(size_t size, std::align_val_t al)
{
    size_t align = static_cast<size_t>(al);
    if (align < alignof(void *))
        align = alignof(void *);
    size_t extra = align + sizeof(void *);
    size_t want = size > SIZE_MAX - extra ? SIZE_MAX : size + extra;
    char *raw = static_cast<char *>(check_alloc(want, "chk_alloc()", WL_CALLER()));
    uintptr_t first = reinterpret_cast<uintptr_t>(raw) + sizeof(void *);
    uintptr_t data = (first + align - 1) & ~static_cast<uintptr_t>(align - 1);
    reinterpret_cast<void **>(data)[-1] = raw;
    return reinterpret_cast<void *>(data);
}

void aligned_free_chk(void *ptr)
{
    if (ptr)
        chk_free(static_cast<void **>(ptr)[-1]);
}

} // namespace

/* chk_init calls this so that linking the allocation functions always brings
 * in this file too.  Otherwise a definition already present (a sanitizer
 * runtime's weak operator new, say) would keep the linker from ever taking
 * ours out of the static library. */
void wl_chk::new_routing_anchor() {}

void *operator new(std::size_t n) { return check_alloc(n, "chk_alloc()", WL_CALLER()); }
void *operator new[](std::size_t n) { return check_alloc(n, "chk_alloc()", WL_CALLER()); }
void *operator new(std::size_t n, const std::nothrow_t &) noexcept { return check_alloc(n, "chk_alloc()", WL_CALLER()); }
void *operator new[](std::size_t n, const std::nothrow_t &) noexcept { return check_alloc(n, "chk_alloc()", WL_CALLER()); }

void *operator new(std::size_t n, std::align_val_t al) { return aligned_alloc_chk(n, al); }
void *operator new[](std::size_t n, std::align_val_t al) { return aligned_alloc_chk(n, al); }
void *operator new(std::size_t n, std::align_val_t al, const std::nothrow_t &) noexcept
{
    return aligned_alloc_chk(n, al);
}
void *operator new[](std::size_t n, std::align_val_t al, const std::nothrow_t &) noexcept
{
    return aligned_alloc_chk(n, al);
}

void operator delete(void *p) noexcept { chk_free(p); }
void operator delete[](void *p) noexcept { chk_free(p); }
void operator delete(void *p, std::size_t) noexcept { chk_free(p); }
void operator delete[](void *p, std::size_t) noexcept { chk_free(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { chk_free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { chk_free(p); }

void operator delete(void *p, std::align_val_t) noexcept { aligned_free_chk(p); }
void operator delete[](void *p, std::align_val_t) noexcept { aligned_free_chk(p); }
void operator delete(void *p, std::size_t, std::align_val_t) noexcept { aligned_free_chk(p); }
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept { aligned_free_chk(p); }
void operator delete(void *p, std::align_val_t, const std::nothrow_t &) noexcept
{
    aligned_free_chk(p);
}
void operator delete[](void *p, std::align_val_t, const std::nothrow_t &) noexcept
{
    aligned_free_chk(p);
}
