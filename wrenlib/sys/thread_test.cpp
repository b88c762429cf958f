// The second thread and its monitor: work handed over and back in order,
// and the thread known as itself.
#include <gtest/gtest.h>

#include <vector>

#include "wrenlib/thread.h"

namespace {

struct Relay {
    wl_monitor_t *mon = wl_monitor_new();
    std::vector<int> todo;      // handed to the thread
    std::vector<int> done;      // squares, handed back
    bool stop = false;
    int on_own_thread = -1;
    wl_thread_t *self = nullptr;
    ~Relay() { wl_monitor_free(mon); }
};

void square_all(void *p)
{
    Relay &r = *static_cast<Relay *>(p);
    wl_monitor_enter(r.mon);
    while (r.self == nullptr)
        wl_monitor_wait(r.mon);
    r.on_own_thread = wl_thread_is_current(r.self);
    for (;;) {
        while (r.todo.empty() && !r.stop)
            wl_monitor_wait(r.mon);
        if (r.todo.empty())
            break;
        int v = r.todo.front();
        r.todo.erase(r.todo.begin());
        wl_monitor_leave(r.mon);
        int sq = v * v;
        wl_monitor_enter(r.mon);
        r.done.push_back(sq);
        wl_monitor_notify_all(r.mon);
    }
    wl_monitor_leave(r.mon);
}

} // namespace

TEST(ThreadTest, WorkGoesToTheThreadAndComesBackInOrder)
{
    Relay r;
    wl_thread_t *t = wl_thread_start(square_all, &r);
    ASSERT_NE(t, nullptr);
    wl_monitor_enter(r.mon);
    r.self = t;
    wl_monitor_notify_all(r.mon);
    for (int i = 1; i <= 500; i++) {
        r.todo.push_back(i);
        wl_monitor_notify_all(r.mon);
        if (i % 50 == 0)
            while (r.done.size() < static_cast<size_t>(i))
                wl_monitor_wait(r.mon);
    }
    r.stop = true;
    wl_monitor_notify_all(r.mon);
    wl_monitor_leave(r.mon);
    wl_thread_join(t);

    ASSERT_EQ(r.done.size(), 500u);
    for (int i = 1; i <= 500; i++)
        EXPECT_EQ(r.done[static_cast<size_t>(i - 1)], i * i);
    EXPECT_EQ(r.on_own_thread, 1);
}

TEST(ThreadTest, TheCallerIsNotTheThread)
{
    Relay r;
    r.stop = true;
    wl_thread_t *t = wl_thread_start(square_all, &r);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(wl_thread_is_current(t), 0);
    wl_monitor_enter(r.mon);
    r.self = t;
    wl_monitor_notify_all(r.mon);
    wl_monitor_leave(r.mon);
    wl_thread_join(t);
    EXPECT_EQ(wl_thread_is_current(nullptr), 0);
}
