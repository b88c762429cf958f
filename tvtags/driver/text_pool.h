#ifndef TVTAGS_DRIVER_TEXT_POOL_H
#define TVTAGS_DRIVER_TEXT_POOL_H
/* The strings of the text-mode entries, packed into blocks that are
 * released together: millions of small strings cost no allocation each.
 * Blocks start small, for the pool of one file, and double up to a
 * megabyte.  Private to the driver. */
#include <cstddef>
#include <vector>

struct text_pool_t {
    std::vector<char *> tp_blocks;
    char *tp_at = nullptr;    // free room in the block being filled
    size_t tp_left = 0;
    size_t tp_next = 0;       // size of the next block, 0 before the first
};

/* A copy of the n bytes at s, terminated. */
char *pool_copy(text_pool_t &pool, const char *s, size_t n);
/* Makes the blocks of `from` part of `into`; `from` is left empty. */
void pool_take(text_pool_t &into, text_pool_t &from);
void pool_free(text_pool_t &pool);

#endif
