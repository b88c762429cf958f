#include "wrenlib/list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "wrenlib/chk.h"

namespace {

// Elements are small integers in disguise: the list never looks at them.
void *el(intptr_t i) { return reinterpret_cast<void *>(i); }

// Reads the list both ways; they must agree with each other, with the
// count and with the list's own invariant check.
std::vector<intptr_t> contents(Head_p hp) {
    ll_assertlist(hp);
    std::vector<intptr_t> fwd, back;
    for (List_p lp = ll_first(hp); lp; lp = ll_next(lp))
        fwd.push_back(reinterpret_cast<intptr_t>(ll_elem(lp)));
    for (List_p lp = ll_last(hp); lp; lp = ll_prev(lp))
        back.insert(back.begin(), reinterpret_cast<intptr_t>(ll_elem(lp)));
    EXPECT_EQ(fwd, back);
    EXPECT_EQ(int(fwd.size()), hp->l_len);
    return fwd;
}
using V = std::vector<intptr_t>;

Head_p make_list(std::initializer_list<intptr_t> values) {
    Head_p hp = ll_newlist();
    for (intptr_t v : values)
        ll_append(hp, ll_newatom(el(v)));
    return hp;
}

void drop_list(Head_p hp) {
    while (List_p lp = ll_pop(hp))
        ll_freeatom(lp);
    ll_freelist(hp);
}

TEST(ListLinking, InsertsAtBothEndsAndInside) {
    Head_p hp = make_list({2, 4});
    ll_push(hp, ll_newatom(el(1)));
    ll_insert_after(hp, ll_last(hp), ll_newatom(el(5)));   // new tail
    ll_insert_before(hp, ll_first(hp), ll_newatom(el(0))); // new head
    List_p two = ll_find(hp, el(2));
    ll_insert_after(hp, two, ll_newatom(el(3)));
    ll_insert_before(hp, two, ll_newatom(el(9)));
    EXPECT_EQ(contents(hp), (V{0, 1, 9, 2, 3, 4, 5}));
    ll_set_atom(two, el(7));
    EXPECT_EQ(ll_find(hp, el(7)), two);
    EXPECT_EQ(ll_find(hp, el(2)), nullptr);
    EXPECT_EQ(ll_first(nullptr), nullptr);
    EXPECT_EQ(ll_last(nullptr), nullptr);
    EXPECT_EQ(ll_find(nullptr, el(1)), nullptr);
    drop_list(hp);
}

TEST(ListLinking, PopAndRemoveUnlinkWithoutFreeing) {
    Head_p hp = ll_newlist();
    EXPECT_EQ(ll_pop(hp), nullptr);
    EXPECT_EQ(contents(hp), V{});
    for (intptr_t v : {1, 2, 3, 4})
        ll_append(hp, ll_newatom(el(v)));
    List_p first = ll_first(hp), last = ll_last(hp);
    EXPECT_EQ(ll_remove(hp, first), first); // same as a pop
    EXPECT_EQ(ll_remove(hp, last), last);
    EXPECT_EQ(contents(hp), (V{2, 3}));
    ll_append(hp, last); // the new tail links on
    ll_remove(hp, ll_find(hp, el(3)));
    EXPECT_EQ(contents(hp), (V{2, 4}));
    EXPECT_EQ(ll_next(first), nullptr);
    ll_freeatom(ll_pop(hp));
    ll_freeatom(ll_pop(hp));
    EXPECT_EQ(contents(hp), V{});
    ll_push(hp, first); // an emptied list starts over cleanly
    EXPECT_EQ(contents(hp), (V{1}));
    drop_list(hp);
}

TEST(ListLinking, AppendListMovesEveryAtom) {
    Head_p a = make_list({1, 2}), b = make_list({3, 4}), empty = ll_newlist();
    ll_append_list(a, b);
    EXPECT_EQ(contents(a), (V{1, 2, 3, 4}));
    EXPECT_EQ(contents(b), V{});
    ll_append(b, ll_newatom(el(9))); // the source stays usable
    ll_append_list(empty, b);
    EXPECT_EQ(contents(empty), (V{9}));
    ll_append_list(a, a); // onto itself: unchanged, nothing lost
    EXPECT_EQ(contents(a), (V{1, 2, 3, 4}));
    drop_list(a);
    drop_list(b);
    drop_list(empty);
}

TEST(ListLifetime, ReferenceCountsAndFreedMarkers) {
    if (chk_debugging())
        GTEST_SKIP() << "freed records go back to the checked allocator";
    Head_p hp = ll_newlist();
    EXPECT_EQ(ll_incref(hp), 2);
    EXPECT_EQ(ll_freelist(hp), 1);
    ll_append(hp, ll_newatom(el(1))); // still usable
    ll_freeatom(ll_pop(hp));
    EXPECT_EQ(ll_freelist(hp), 1);
    EXPECT_EQ(hp->l_magic, HEAD_FREED);

    List_p lp = ll_newatom(nullptr), a = ll_newatom(nullptr);
    EXPECT_EQ(ll_freeatom(lp), 1);
    ll_freeatom(a); // links onto lp's slot in the pool
    EXPECT_EQ(lp->l_magic, LIST_FREED);
    EXPECT_EQ(a->l_magic, LIST_FREED);
}

TEST(ListLifetime, ClearReleasesTheElements) {
    Head_p hp = make_list({0, 0, 0});
    chk_stats_t before, after;
    chk_get_stats(&before);
    for (List_p lp = ll_first(hp); lp; lp = ll_next(lp))
        ll_set_atom(lp, chk_alloc(100));
    ll_clear(hp);
    ll_clear(nullptr);
    chk_get_stats(&after);
    EXPECT_EQ(after.cs_bytes, before.cs_bytes);
    EXPECT_EQ(contents(hp), V{});
    ll_freelist(hp);
}

#if GTEST_HAS_DEATH_TEST
void set_env(const char *name, const char *value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    value ? setenv(name, value, 1) : unsetenv(name);
#endif
}

// The limit is read once per process, by the first ll_newlist, so this runs
// in a fresh child.  It grows one list in steps and writes what each step
// printed, with the head's address as ADDR, to stderr.
[[noreturn]] void grow_with_limit(const char *limit, bool push) {
    set_env("TV_LIST_LIMIT", limit);
    Head_p hp = ll_newlist();
    char addr[32];
    std::snprintf(addr, sizeof addr, "0x%08lx", (unsigned long)(uintptr_t)hp);
    std::string report;
    for (int upto : {500, 501, 750, 751, 1000}) {
        testing::internal::CaptureStdout();
        while (hp->l_len < upto)
            push ? ll_push(hp, ll_newatom(nullptr)) : ll_append(hp, ll_newatom(nullptr));
        std::string out = testing::internal::GetCapturedStdout();
        for (size_t at; (at = out.find(addr)) != std::string::npos;)
            out.replace(at, std::strlen(addr), "ADDR");
        report += "[" + out + "]";
    }
    std::fprintf(stderr, "%s\n", report.c_str());
    std::exit(0);
}

TEST(ListLengthWarning, ReportedEvery250AtomsPastTheLimit) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char *at501and751 =
        "\\[\\]\\[list ADDR: Length now 501\n\\]\\[\\]\\[list ADDR: Length now 751\n\\]\\[\\]";
    EXPECT_EXIT(grow_with_limit("500", false), testing::ExitedWithCode(0), at501and751);
    EXPECT_EXIT(grow_with_limit("500", true), testing::ExitedWithCode(0), at501and751);
    EXPECT_EXIT(grow_with_limit(nullptr, false), testing::ExitedWithCode(0), "\\[\\]\\[\\]\\[\\]\\[\\]\\[\\]");
}

TEST(ListChecksDeathTest, StaleRecordsAreCaught) {
    if (chk_debugging())
        GTEST_SKIP() << "freed records go back to the checked allocator";
    Head_p hp = make_list({1}), live = ll_newlist(), dead = ll_newlist();
    List_p spare = ll_newatom(nullptr); // drawn first: it would reuse lp's slot
    List_p lp = ll_newatom(nullptr);
    ll_freelist(dead);
    ll_freeatom(lp);
    EXPECT_DEATH(ll_append(dead, spare), "hp->l_magic == HEAD_MAGIC");
    EXPECT_DEATH(ll_freelist(dead), "hp->l_magic == HEAD_MAGIC");
    EXPECT_DEATH(ll_incref(dead), "hd->l_magic == HEAD_MAGIC");
    EXPECT_DEATH(ll_append_list(dead, live), "hp1->l_magic == HEAD_MAGIC");
    EXPECT_DEATH(ll_append_list(live, dead), "hp2->l_magic == HEAD_MAGIC");
    EXPECT_DEATH(ll_freeatom(lp), "lp->l_magic == LIST_MAGIC");
    EXPECT_DEATH(ll_insert_before(hp, lp, spare), "lp->l_magic == LIST_MAGIC");
    EXPECT_DEATH(ll_insert_after(hp, ll_first(hp), lp), "lp1->l_magic == LIST_MAGIC");
    EXPECT_DEATH(ll_remove(hp, lp), "lp && lp->l_magic == LIST_MAGIC");
    // An atom that is not in the list must not be unlinked from it.
    EXPECT_DEATH(ll_remove(hp, spare), "hp->l_head == lp");
    EXPECT_DEATH(ll_assertatom(hp, spare), "");
    ll_assertatom(hp, ll_first(hp));
}

TEST(ListChecksDeathTest, BrokenLinksAreCaught) {
    Head_p hp = make_list({1, 2, 3});
    List_p first = ll_first(hp), mid = ll_next(first), last = ll_last(hp);
    first->l_prev = last;
    EXPECT_DEATH(ll_assertlist(hp), "lp->l_prev == \\(List_p\\) NULL");
    first->l_prev = nullptr;
    hp->l_tail = mid;
    EXPECT_DEATH(ll_assertlist(hp), "hp->l_tail == lp");
    hp->l_tail = last;
    mid->l_prev = last;
    EXPECT_DEATH(ll_assertlist(hp), "");
    mid->l_prev = first;
    last->l_next = first; // a cycle must not hang the check
    EXPECT_DEATH(ll_assertlist(hp), "");
    last->l_next = nullptr;
    EXPECT_EQ(contents(hp), (V{1, 2, 3}));
    drop_list(hp);
}
#endif

} // namespace
