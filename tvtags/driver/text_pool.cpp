// The text entries' string pool.
#include "driver/text_pool.h"

#include <cstring>

#include "wrenlib/chk.h"

namespace {

constexpr size_t kFirstBlock = size_t(16) << 10;
constexpr size_t kLargestBlock = size_t(1) << 20;

} // namespace

char *pool_copy(text_pool_t &pool, const char *s, size_t n)
{
    if (n + 1 > pool.tp_left) {
        size_t size = pool.tp_next ? pool.tp_next : kFirstBlock;
        pool.tp_next = size < kLargestBlock ? size * 2 : size;
        if (size < n + 1)
            size = n + 1;
        char *block = static_cast<char *>(chk_alloc(size));
        pool.tp_blocks.push_back(block);
        pool.tp_at = block;
        pool.tp_left = size;
    }
    char *out = pool.tp_at;
    memcpy(out, s, n);
    out[n] = '\0';
    pool.tp_at += n + 1;
    pool.tp_left -= n + 1;
    return out;
}

void pool_take(text_pool_t &into, text_pool_t &from)
{
    // Only freeing walks the blocks, so their order does not matter, and
    // the receiver goes on filling the block it was filling.
    into.tp_blocks.insert(into.tp_blocks.end(), from.tp_blocks.begin(), from.tp_blocks.end());
    from.tp_blocks.clear();
    from.tp_at = nullptr;
    from.tp_left = 0;
    from.tp_next = 0;
}

void pool_free(text_pool_t &pool)
{
    for (char *b : pool.tp_blocks)
        chk_free(b);
    pool = text_pool_t();
}
