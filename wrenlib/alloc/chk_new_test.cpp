// Global operator new and delete go through the allocation functions.
#include <stdint.h>
#include <string.h>

#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wrenlib/chk.h"

namespace {

// Stores keep the compiler from pairing up and removing new and delete.
void *volatile g_escape;
void escape(void *p) { g_escape = p; }

chk_stats_t stats()
{
    chk_stats_t s;
    chk_get_stats(&s);
    return s;
}

struct alignas(64) wide_t {
    unsigned char w_bytes[100];
};

bool aligned_to(const void *p, size_t a) { return reinterpret_cast<uintptr_t>(p) % a == 0; }

TEST(ChkNew, ScalarAndArrayFormsAreCounted)
{
    chk_stats_t b = stats();
    int *one = new int(7);
    escape(one);
    long *many = new long[25];
    escape(many);
    void *quiet = ::operator new(40, std::nothrow);
    escape(quiet);
    chk_stats_t mid = stats();
    EXPECT_EQ(mid.cs_alloc, b.cs_alloc + 3);
    EXPECT_GE(mid.cs_bytes, b.cs_bytes + sizeof(int) + 25 * sizeof(long) + 40);
    EXPECT_TRUE(aligned_to(many, __STDCPP_DEFAULT_NEW_ALIGNMENT__));
    EXPECT_EQ(*one, 7);
    delete one;
    delete[] many;
    ::operator delete(quiet, std::nothrow);
    chk_stats_t e = stats();
    EXPECT_EQ(e.cs_free, b.cs_free + 3);
    EXPECT_EQ(e.cs_bytes, b.cs_bytes);
}

TEST(ChkNew, OverAlignedTypesGetTheirAlignment)
{
    chk_stats_t b = stats();
    std::vector<wide_t *> objs;
    for (int i = 0; i < 20; i++) {
        wide_t *w = new wide_t;
        memset(w->w_bytes, i, sizeof w->w_bytes);
        EXPECT_TRUE(aligned_to(w, 64));
        objs.push_back(w);
    }
    wide_t *arr = new wide_t[3];
    EXPECT_TRUE(aligned_to(arr, 64));
    memset(arr, 0, 3 * sizeof(wide_t));
    for (int i = 0; i < 20; i++)
        EXPECT_EQ(objs[static_cast<size_t>(i)]->w_bytes[99], i); // no overlap
    for (wide_t *w : objs)
        delete w;
    delete[] arr;
    objs.clear();
    objs.shrink_to_fit();
    EXPECT_EQ(stats().cs_bytes, b.cs_bytes);
}

TEST(ChkNew, ExplicitAlignedFormsPairUp)
{
    chk_stats_t b = stats();
    for (size_t a : {size_t{8}, size_t{32}, size_t{256}, size_t{4096}}) {
        std::align_val_t al{a};
        void *p = ::operator new(100, al);
        void *q = ::operator new[](100, al, std::nothrow);
        ASSERT_NE(q, nullptr);
        EXPECT_TRUE(aligned_to(p, a)) << a;
        EXPECT_TRUE(aligned_to(q, a)) << a;
        memset(p, 0xEE, 100);
        memset(q, 0xDD, 100);
#ifdef __cpp_sized_deallocation
        ::operator delete(p, size_t{100}, al);
#else
        ::operator delete(p, al);
#endif
        ::operator delete[](q, al, std::nothrow);
    }
    EXPECT_EQ(stats().cs_bytes, b.cs_bytes);
}

TEST(ChkNew, ContainerMemoryComesBackWhenReleased)
{
    chk_stats_t b = stats();
    {
        std::vector<std::string> names;
        for (int i = 0; i < 500; i++)
            names.push_back(std::string(40, static_cast<char>('a' + i % 26)));
        EXPECT_GT(stats().cs_bytes, b.cs_bytes + 500 * 40);
    }
    EXPECT_EQ(stats().cs_bytes, b.cs_bytes);
}

} // namespace
