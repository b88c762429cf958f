// The big-block registry and the per-thread release queue of the plain mode.
#include <stdlib.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

#include <new>
#include <unordered_map>
#include <unordered_set>

#include "chk_plain.h"
#include "chk_sysalloc.h"

namespace wl_chk {

namespace {

constexpr size_t HISTORY = 4096;   /* released big blocks remembered */
constexpr unsigned QUEUE = 16;     /* blocks each thread holds back */
/* Blocks this big get pages of their own from the system, handed back
 * when they are freed.  From the C library's heap, a freed block of many
 * megabytes (the old table of an index that has grown) may stay resident
 * for the rest of the run. */
constexpr size_t MAP_MIN = size_t(1) << 20;
/* Except under the address sanitizer: its leak check does not look into
 * pages mapped by hand, so what only they point to would count as lost. */
#if defined(__SANITIZE_ADDRESS__)
constexpr bool MAP_BIG = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer)
constexpr bool MAP_BIG = false;
#else
constexpr bool MAP_BIG = true;
#endif
#else
constexpr bool MAP_BIG = true;
#endif

struct raw_block_t {
    void *rb_base;
    size_t rb_mapped;   /* the length of its own pages, or 0 from the heap */
};

struct big_table_t {
    sys_map<uintptr_t, raw_block_t> bt_live;  /* data address -> raw block */
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

raw_block_t obtain_raw(size_t length)
{
    if (!MAP_BIG || length < MAP_MIN)
        return {malloc(length), 0};
    length = (length + BIG_PAGE - 1) & ~size_t(BIG_PAGE - 1);
#ifdef _WIN32
    void *p = VirtualAlloc(nullptr, length, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
#else
    void *p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        p = nullptr;
#endif
    return {p, p ? length : 0};
}

void release_raw(const raw_block_t &r)
{
    if (r.rb_mapped == 0) {
        free(r.rb_base);
        return;
    }
#ifdef _WIN32
    VirtualFree(r.rb_base, 0, MEM_RELEASE);
#else
    munmap(r.rb_base, r.rb_mapped);
#endif
}

} // namespace

void *big_alloc(size_t size)
{
    if (size > SIZE_MAX - HDR_SIZE - BIG_PAGE)
        return nullptr;
    raw_block_t rb = obtain_raw(size + HDR_SIZE + BIG_PAGE);
    char *raw = static_cast<char *>(rb.rb_base);
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
    t.bt_live[data] = rb;
    return reinterpret_cast<void *>(data);
}

big_result big_release(void *data, size_t *size)
{
    uintptr_t a = reinterpret_cast<uintptr_t>(data);
    raw_block_t raw;
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
    release_raw(raw);
    return big_result::released;
}

bool big_is_live(const void *data)
{
    guard_t g(chk_lock());
    return big_table().bt_live.count(reinterpret_cast<uintptr_t>(data)) != 0;
}

bool big_was_freed(const void *data)
{
    guard_t g(chk_lock());
    return big_table().bt_freed.count(reinterpret_cast<uintptr_t>(data)) != 0;
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
