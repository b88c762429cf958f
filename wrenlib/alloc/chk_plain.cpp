// The big-block registry and the per-thread release queue of the plain mode.
#include <stdlib.h>

#include <new>
#include <unordered_map>
#include <unordered_set>

#include "chk_plain.h"
#include "chk_sysalloc.h"

namespace wl_chk {

namespace {

constexpr size_t HISTORY = 4096;   /* released big blocks remembered */
constexpr unsigned QUEUE = 16;     /* blocks each thread holds back */

struct big_table_t {
    sys_map<uintptr_t, void *> bt_live;  /* data address -> raw block */
    sys_set<uintptr_t> bt_freed;
    uintptr_t bt_ring[HISTORY] = {};
    size_t bt_next = 0;
};

/* Never destroyed: late static destructors still free through here. */
big_table_t &big_table()
{
    alignas(big_table_t) static unsigned char storage[sizeof(big_table_t)];
    static big_table_t *t = new (storage) big_table_t;
    return *t;
}

void remember_freed(big_table_t &t, uintptr_t a)
{
    if (t.bt_ring[t.bt_next])
        t.bt_freed.erase(t.bt_ring[t.bt_next]);
    t.bt_ring[t.bt_next] = a;
    t.bt_next = (t.bt_next + 1) % HISTORY;
    t.bt_freed.insert(a);
}

struct quarantine_t {
    block_hdr_t *q_slot[QUEUE] = {};
    unsigned q_next = 0;
#ifndef _WIN32
    ~quarantine_t();
#endif
};

thread_local bool t_quarantine_gone = false;
/* On Windows the runtime frees a thread's variables before it runs their
 * destructors, so a destructor here would write into freed storage: there
 * the few blocks a thread still holds when it ends are not given back. */
thread_local quarantine_t t_quarantine;

#ifndef _WIN32
quarantine_t::~quarantine_t()
{
    t_quarantine_gone = true;
    for (block_hdr_t *&h : q_slot) {
        free(h);
        h = nullptr;
    }
}
#endif

} // namespace

void *big_alloc(size_t size)
{
    if (size > SIZE_MAX - HDR_SIZE - BIG_PAGE)
        return nullptr;
    char *raw = static_cast<char *>(malloc(size + HDR_SIZE + BIG_PAGE));
    if (!raw)
        return nullptr;
    uintptr_t first = reinterpret_cast<uintptr_t>(raw) + HDR_SIZE;
    uintptr_t data = first + ((BIG_SIG - (first & (BIG_PAGE - 1))) & (BIG_PAGE - 1));
    block_hdr_t *h = reinterpret_cast<block_hdr_t *>(data - HDR_SIZE);
    h->bh_magic = CHK_MAGIC_LIVE;
    h->bh_spare = 0;
    h->bh_size = size;
    guard_t g(chk_lock());
    big_table_t &t = big_table();
    t.bt_freed.erase(data);
    t.bt_live[data] = raw;
    return reinterpret_cast<void *>(data);
}

big_result big_release(void *data, size_t *size)
{
    uintptr_t a = reinterpret_cast<uintptr_t>(data);
    void *raw;
    {
        guard_t g(chk_lock());
        big_table_t &t = big_table();
        auto it = t.bt_live.find(a);
        if (it == t.bt_live.end())
            return t.bt_freed.count(a) ? big_result::was_freed : big_result::not_big;
        raw = it->second;
        t.bt_live.erase(it);
        remember_freed(t, a);
    }
    block_hdr_t *h = reinterpret_cast<block_hdr_t *>(a - HDR_SIZE);
    *size = static_cast<size_t>(h->bh_size);
    h->bh_magic = CHK_MAGIC_FREE;
    free(raw);
    return big_result::released;
}

bool big_is_live(const void *data)
{
    guard_t g(chk_lock());
    return big_table().bt_live.count(reinterpret_cast<uintptr_t>(data)) != 0;
}

void big_forget(const void *data)
{
    guard_t g(chk_lock());
    big_table().bt_freed.erase(reinterpret_cast<uintptr_t>(data));
}

void quarantine_release(block_hdr_t *h)
{
    if (t_quarantine_gone) {
        free(h);
        return;
    }
    quarantine_t &q = t_quarantine;
    block_hdr_t *old = q.q_slot[q.q_next];
    q.q_slot[q.q_next] = h;
    q.q_next = (q.q_next + 1) % QUEUE;
    free(old);
}

} // namespace wl_chk
