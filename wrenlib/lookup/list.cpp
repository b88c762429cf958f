// Doubly linked lists.  Heads and atoms come from two pools that live for
// the whole run; a freed record keeps its pool slot with the "freed" marker
// in its magic word, so a stale pointer trips the magic check on next use.
#include "wrenlib/list.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "wrenlib/chk.h"
#include "wrenlib/fmt.h"
#include "wrenlib/vm.h"
#include "wrenlib/wl_assert.h"

namespace {

// Lengths are reported every this many atoms once past the limit.
constexpr int kLimitStep = 250;

// The pools are shared by every thread that builds lists (the scanning
// threads make inheritance lists that the writing thread frees), so they
// are taken under one lock; a list itself belongs to one thread at a time.
struct ll_state_t {
    std::mutex lock;
    vm_pool_t heads{};
    vm_pool_t atoms{};
    bool limit_read = false;
    int limit = 0; // TV_LIST_LIMIT; 0 switches the warning off
};
ll_state_t ll_state;

// A list that keeps growing past TV_LIST_LIMIT usually means a scanner that
// never releases what it collects; say so every kLimitStep atoms.
void check_length(Head_p hp) {
    int limit = ll_state.limit;
    if (limit != 0 && hp->l_len >= limit && hp->l_len % kLimitStep == 0)
        wl_printf("list 0x%08lx: Length now %d\n",
                  (unsigned long)(uintptr_t)hp, hp->l_len + 1);
}

} // namespace

extern "C" {

Head_p ll_newlist(void) {
    Head_p hp;
    {
        std::lock_guard<std::mutex> g(ll_state.lock);
        if (!ll_state.limit_read) {
            ll_state.limit_read = true;
            if (const char *s = std::getenv("TV_LIST_LIMIT"))
                ll_state.limit = std::atoi(s);
        }
        hp = static_cast<Head_p>(vm_alloc(sizeof(struct Head_t), &ll_state.heads));
    }
    if (!hp)
        return nullptr;
    hp->l_magic = HEAD_MAGIC;
    hp->l_head = nullptr;
    hp->l_tail = nullptr;
    hp->l_len = 0;
    hp->l_refcnt = 1;
    return hp;
}

int ll_incref(Head_p hd) {
    WL_ASSERT(hd->l_magic == HEAD_MAGIC);
    return ++hd->l_refcnt;
}

int ll_freelist(Head_p hp) {
    WL_ASSERT(hp->l_magic == HEAD_MAGIC);
    if (--hp->l_refcnt > 0)
        return hp->l_refcnt;
    WL_ASSERT(hp->l_refcnt == 0);
    hp->l_magic = HEAD_FREED;
    std::lock_guard<std::mutex> g(ll_state.lock);
    vm_free(hp, &ll_state.heads);
    return 1;
}

List_p ll_newatom(void *elem) {
    List_p lp;
    {
        std::lock_guard<std::mutex> g(ll_state.lock);
        lp = static_cast<List_p>(vm_alloc(sizeof(struct List_t), &ll_state.atoms));
    }
    if (!lp)
        return nullptr;
    lp->l_magic = LIST_MAGIC;
    lp->l_next = nullptr;
    lp->l_prev = nullptr;
    lp->l_elem = elem;
    return lp;
}

int ll_freeatom(List_p lp) {
    WL_ASSERT(lp->l_magic == LIST_MAGIC);
    lp->l_magic = LIST_FREED;
    std::lock_guard<std::mutex> g(ll_state.lock);
    vm_free(lp, &ll_state.atoms);
    return 1;
}

void ll_advise(int n) {
    std::lock_guard<std::mutex> g(ll_state.lock);
    vm_init(n, sizeof(struct List_t), &ll_state.atoms);
}

void ll_append(Head_p hp, List_p lp) {
    WL_ASSERT(hp->l_magic == HEAD_MAGIC);
    WL_ASSERT(lp->l_magic == LIST_MAGIC);
    check_length(hp);
    lp->l_next = nullptr;
    lp->l_prev = hp->l_tail;
    if (hp->l_tail)
        hp->l_tail->l_next = lp;
    else
        hp->l_head = lp;
    hp->l_tail = lp;
    hp->l_len++;
}

void ll_push(Head_p hp, List_p lp) {
    WL_ASSERT(hp->l_magic == HEAD_MAGIC);
    WL_ASSERT(lp->l_magic == LIST_MAGIC);
    check_length(hp);
    lp->l_prev = nullptr;
    lp->l_next = hp->l_head;
    if (hp->l_head)
        hp->l_head->l_prev = lp;
    else
        hp->l_tail = lp;
    hp->l_head = lp;
    hp->l_len++;
}

List_p ll_pop(Head_p hp) {
    WL_ASSERT(hp->l_magic == HEAD_MAGIC);
    List_p lp = hp->l_head;
    if (!lp)
        return nullptr;
    WL_ASSERT(lp->l_magic == LIST_MAGIC);
    WL_ASSERT(hp->l_len > 0);
    hp->l_head = lp->l_next;
    hp->l_len--;
    if (hp->l_head) {
        hp->l_head->l_prev = nullptr;
        WL_ASSERT(hp->l_len > 0);
    } else {
        hp->l_tail = nullptr;
        WL_ASSERT(hp->l_len == 0);
    }
    lp->l_next = nullptr;
    lp->l_prev = nullptr;
    return lp;
}

List_p ll_remove(Head_p hp, List_p lp) {
    WL_ASSERT(hp->l_magic == HEAD_MAGIC);
    WL_ASSERT(lp && lp->l_magic == LIST_MAGIC);
    // An atom that is not linked here would otherwise cut the list short.
    WL_ASSERT(lp->l_prev ? lp->l_prev->l_next == lp : hp->l_head == lp);
    WL_ASSERT(lp->l_next ? lp->l_next->l_prev == lp : hp->l_tail == lp);
    if (lp->l_prev)
        lp->l_prev->l_next = lp->l_next;
    else
        hp->l_head = lp->l_next;
    if (lp->l_next)
        lp->l_next->l_prev = lp->l_prev;
    else
        hp->l_tail = lp->l_prev;
    lp->l_next = nullptr;
    lp->l_prev = nullptr;
    hp->l_len--;
    return lp;
}

void ll_insert_after(Head_p hp, List_p lp, List_p lp1) {
    WL_ASSERT(hp->l_magic == HEAD_MAGIC);
    WL_ASSERT(lp->l_magic == LIST_MAGIC);
    WL_ASSERT(lp1->l_magic == LIST_MAGIC);
    lp1->l_prev = lp;
    lp1->l_next = lp->l_next;
    if (lp->l_next)
        lp->l_next->l_prev = lp1;
    else
        hp->l_tail = lp1;
    lp->l_next = lp1;
    hp->l_len++;
}

void ll_insert_before(Head_p hp, List_p lp, List_p lp1) {
    WL_ASSERT(hp->l_magic == HEAD_MAGIC);
    WL_ASSERT(lp->l_magic == LIST_MAGIC);
    WL_ASSERT(lp1->l_magic == LIST_MAGIC);
    lp1->l_next = lp;
    lp1->l_prev = lp->l_prev;
    if (lp->l_prev)
        lp->l_prev->l_next = lp1;
    else
        hp->l_head = lp1;
    lp->l_prev = lp1;
    hp->l_len++;
}

void ll_append_list(Head_p hp1, Head_p hp2) {
    WL_ASSERT(hp1->l_magic == HEAD_MAGIC);
    WL_ASSERT(hp2->l_magic == HEAD_MAGIC);
    // Moving a list onto itself would link its tail to its head and then
    // empty it, losing every atom.
    if (hp1 == hp2 || !hp2->l_head)
        return;
    if (hp1->l_tail) {
        hp1->l_tail->l_next = hp2->l_head;
        hp2->l_head->l_prev = hp1->l_tail;
    } else {
        hp1->l_head = hp2->l_head;
    }
    hp1->l_tail = hp2->l_tail;
    hp1->l_len += hp2->l_len;
    hp2->l_head = nullptr;
    hp2->l_tail = nullptr;
    hp2->l_len = 0;
}

void ll_clear(Head_p hp) {
    if (!hp)
        return;
    while (List_p lp = ll_pop(hp)) {
        if (lp->l_elem)
            chk_free(lp->l_elem);
        ll_freeatom(lp);
    }
}

List_p ll_first(Head_p hp) {
    if (!hp)
        return nullptr;
    WL_ASSERT(hp->l_magic == HEAD_MAGIC);
    return hp->l_head;
}

List_p ll_last(Head_p hp) {
    if (!hp)
        return nullptr;
    WL_ASSERT(hp->l_magic == HEAD_MAGIC);
    return hp->l_tail;
}

List_p ll_next(List_p lp) {
    WL_ASSERT(lp->l_magic == LIST_MAGIC);
    return lp->l_next;
}

List_p ll_prev(List_p lp) {
    WL_ASSERT(lp->l_magic == LIST_MAGIC);
    return lp->l_prev;
}

void *ll_elem(List_p lp) {
    WL_ASSERT(lp->l_magic == LIST_MAGIC);
    return lp->l_elem;
}

void ll_set_atom(List_p lp, void *elem) {
    WL_ASSERT(lp->l_magic == LIST_MAGIC);
    lp->l_elem = elem;
}

List_p ll_find(Head_p hp, void *elem) {
    if (!hp)
        return nullptr;
    WL_ASSERT(hp->l_magic == HEAD_MAGIC);
    for (List_p lp = hp->l_head; lp; lp = lp->l_next) {
        WL_ASSERT(lp->l_magic == LIST_MAGIC);
        if (lp->l_elem == elem)
            return lp;
    }
    return nullptr;
}

void ll_assertatom(Head_p hp, List_p lp) {
    WL_ASSERT(hp->l_magic == HEAD_MAGIC);
    WL_ASSERT(lp->l_magic == LIST_MAGIC);
    int seen = 0;
    for (List_p p = hp->l_head; p; p = p->l_next) {
        if (p == lp)
            return;
        if (++seen > hp->l_len)
            break; // a cycle: the atom is not reachable
    }
    WL_ASSERT(0);
}

void ll_assertlist(Head_p hp) {
    WL_ASSERT(hp->l_magic == HEAD_MAGIC);
    List_p lp = hp->l_head;
    if (lp)
        WL_ASSERT(lp->l_prev == (List_p) NULL);
    int seen = 0;
    for (; lp; lp = lp->l_next) {
        WL_ASSERT(lp->l_magic == LIST_MAGIC);
        // More atoms than the count means a cycle or a foreign chain.
        if (++seen > hp->l_len)
            WL_ASSERT(0);
        if (lp->l_next && lp->l_next->l_prev != lp)
            WL_ASSERT(0);
        if (!lp->l_next)
            break;
    }
    WL_ASSERT(hp->l_tail == lp);
    if (seen != hp->l_len)
        WL_ASSERT(0);
}

} // extern "C"
