#ifndef WRENLIB_ALLOC_CHK_PLAIN_H
#define WRENLIB_ALLOC_CHK_PLAIN_H
/* What the plain mode needs beyond malloc and free, so that a block freed
 * twice is reported as such without reading memory that went back to the
 * system:
 *  - big blocks, the ones the C library returns to the system on release,
 *    sit at an address with a fixed offset within its page and are kept in a
 *    small registry that remembers the last ones released;
 *  - the last few blocks each thread releases wait in a short queue with
 *    the freed mark before they really go, so that the common mistake of
 *    freeing a block twice in a row finds the mark.
 * Only big blocks, and the rare small one whose address happens to carry the
 * same offset, ever take the lock. */
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "chk_internal.h"

namespace wl_chk {

constexpr size_t BIG_MIN = 64 * 1024;
constexpr uintptr_t BIG_PAGE = 4096;
constexpr uintptr_t BIG_SIG = 0xFB0; /* offset of a big block's data in its page */

inline bool big_signature(const void *data)
{
    return (reinterpret_cast<uintptr_t>(data) & (BIG_PAGE - 1)) == BIG_SIG;
}

enum class big_result { released, was_freed, not_big };

void *big_alloc(size_t size);                       /* null when out of memory */
big_result big_release(void *data, size_t *size);
bool big_was_freed(const void *data);                /* released, and not since reused */
bool big_is_live(const void *data);
void big_forget(const void *data);                  /* the address is in use again */

/* Marks the block freed and lets it wait in this thread's queue. */
void quarantine_release(block_hdr_t *h);

/* The magic of a pointer that may not be ours at all: the word in front of
 * a foreign block is not memory we own, so the sanitizer must not object to
 * looking at it, and nothing assumes it is aligned. */
WL_NO_ASAN inline uint32_t peek_magic(const void *ptr)
{
    const volatile unsigned char *p =
        static_cast<const unsigned char *>(ptr) - HDR_SIZE + offsetof(block_hdr_t, bh_magic);
    unsigned char b[sizeof(uint32_t)];
    for (size_t i = 0; i < sizeof b; i++)
        b[i] = p[i];
    uint32_t magic;
    memcpy(&magic, b, sizeof magic);
    return magic;
}

} // namespace wl_chk

#endif
