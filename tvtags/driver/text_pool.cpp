// The text entries' string pool.
#include "driver/text_pool.h"

#include <cstring>

#include "wrenlib/chk.h"

namespace {

constexpr size_t kBlock = size_t(1) << 20;

} // namespace

char *pool_copy(text_pool_t &pool, const char *s, size_t n)
{
    if (n + 1 > pool.tp_left) {
        // A string too long for a fresh block gets a block of its own, and
        // the room left in the current one stays usable.
        size_t size = n + 1 > kBlock / 4 ? n + 1 : kBlock;
        char *block = static_cast<char *>(chk_alloc(size));
        pool.tp_blocks.push_back(block);
        if (size != kBlock) {
            memcpy(block, s, n);
            block[n] = '\0';
            return block;
        }
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

void pool_free(text_pool_t &pool)
{
    for (char *b : pool.tp_blocks)
        chk_free(b);
    pool.tp_blocks.clear();
    pool.tp_at = nullptr;
    pool.tp_left = 0;
}
