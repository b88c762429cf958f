// The page-mapped mode: every block gets pages of its own between two
// inaccessible guard pages, so that a stray access just past its end (mode
// 1) or just before its start (mode 2) faults at once.
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <new>

#include "chk_internal.h"
#include "chk_sysalloc.h"

namespace wl_chk {

namespace {

struct mapping_t {
    char *m_base;     /* first guard page */
    size_t m_length;  /* the whole mapping, guard pages included */
    size_t m_size;    /* bytes the caller asked for */
};

/* Data address -> mapping.  Starts at 1024 entries and doubles as it fills,
 * as the hash table does by itself. */
sys_map<uintptr_t, mapping_t> &table()
{
    alignas(sys_map<uintptr_t, mapping_t>) static unsigned char storage[sizeof(sys_map<uintptr_t, mapping_t>)];
    static sys_map<uintptr_t, mapping_t> *t = [] {
        auto *m = new (storage) sys_map<uintptr_t, mapping_t>;
        m->reserve(1024);
        return m;
    }();
    return *t;
}

/* Objects made by operator new expect the system allocator's alignment, so
 * the data of a block that ends at its guard page starts on that boundary;
 * an overrun into the few bytes of rounding is not caught. */
constexpr size_t DATA_ALIGN = alignof(max_align_t);

char *map_pages(size_t length)
{
#ifdef _WIN32
    return static_cast<char *>(VirtualAlloc(nullptr, length, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
#else
    void *p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : static_cast<char *>(p);
#endif
}

void protect(char *page, size_t length)
{
#ifdef _WIN32
    DWORD old;
    VirtualProtect(page, length, PAGE_NOACCESS, &old);
#else
    mprotect(page, length, PROT_NONE);
#endif
}

void unmap(char *base, size_t length)
{
#ifdef _WIN32
    (void)length;
    VirtualFree(base, 0, MEM_RELEASE);
#else
    munmap(base, length);
#endif
}

} // namespace

size_t page_granule()
{
    static size_t page = [] {
#ifdef _WIN32
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        return static_cast<size_t>(si.dwPageSize);
#else
        long n = sysconf(_SC_PAGESIZE);
        return n > 0 ? static_cast<size_t>(n) : size_t{4096};
#endif
    }();
    return page;
}

void *page_alloc(size_t size)
{
    size_t page = page_granule();
    size_t usable = (size + DATA_ALIGN - 1) / DATA_ALIGN * DATA_ALIGN;
    size_t pages = usable ? (usable + page - 1) / page : 1;
    if (pages > (SIZE_MAX / page) - 2)
        return nullptr;
    size_t length = (pages + 2) * page;
    char *base = map_pages(length);
    if (!base)
        return nullptr;
    protect(base, page);
    protect(base + (pages + 1) * page, page);
    if (opt(OPT_FILL) >= 0)
        memset(base + page, opt(OPT_FILL), pages * page);
    char *data = opt(OPT_MMAP) == 2 ? base + page : base + (pages + 1) * page - usable;
    table()[reinterpret_cast<uintptr_t>(data)] = {base, length, size};
    return data;
}

bool page_size_of(const void *data, size_t *size)
{
    auto &t = table();
    auto it = t.find(reinterpret_cast<uintptr_t>(data));
    if (it == t.end())
        return false;
    *size = it->second.m_size;
    return true;
}

bool page_free(void *data)
{
    auto &t = table();
    auto it = t.find(reinterpret_cast<uintptr_t>(data));
    if (it == t.end())
        return false;
    unmap(it->second.m_base, it->second.m_length);
    t.erase(it);
    return true;
}

void *page_realloc(void *data, size_t size)
{
    auto &t = table();
    auto it = t.find(reinterpret_cast<uintptr_t>(data));
    if (it != t.end())
        it->second.m_size = size;
    return data;
}

size_t page_count() { return table().size(); }

void page_each(void (*fn)(void *ctx, void *data, size_t size), void *ctx)
{
    for (auto &e : table())
        fn(ctx, reinterpret_cast<void *>(e.first), e.second.m_size);
}

} // namespace wl_chk
