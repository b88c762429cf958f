#ifndef TVTAGS_DRIVER_TEXT_POOL_H
#define TVTAGS_DRIVER_TEXT_POOL_H
/* The strings of the text-mode entries, packed into large blocks that are
 * released together: millions of small strings cost no allocation each.
 * Private to the driver. */
#include <cstddef>
#include <vector>

struct text_pool_t {
    std::vector<char *> tp_blocks;
    char *tp_at = nullptr;    // free room in the newest block
    size_t tp_left = 0;
};

/* A copy of the n bytes at s, terminated. */
char *pool_copy(text_pool_t &pool, const char *s, size_t n);
void pool_free(text_pool_t &pool);

#endif
