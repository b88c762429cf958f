// Threads and monitors on POSIX: pthreads.
#include <pthread.h>

#include "wrenlib/chk.h"
#include "wrenlib/thread.h"

struct wl_thread_t {
    pthread_t t_id;
    void (*t_fn)(void *);
    void *t_arg;
};

struct wl_monitor_t {
    pthread_mutex_t m_mutex;
    pthread_cond_t m_cond;
};

namespace {

void *trampoline(void *p)
{
    wl_thread_t *t = static_cast<wl_thread_t *>(p);
    t->t_fn(t->t_arg);
    return nullptr;
}

} // namespace

extern "C" {

wl_thread_t *wl_thread_start(void (*fn)(void *), void *arg)
{
    wl_thread_t *t = static_cast<wl_thread_t *>(chk_zalloc(sizeof(wl_thread_t)));
    t->t_fn = fn;
    t->t_arg = arg;
    if (pthread_create(&t->t_id, nullptr, trampoline, t) != 0) {
        chk_free(t);
        return nullptr;
    }
    return t;
}

void wl_thread_join(wl_thread_t *t)
{
    if (!t)
        return;
    pthread_join(t->t_id, nullptr);
    chk_free(t);
}

int wl_thread_is_current(const wl_thread_t *t)
{
    return t && pthread_equal(t->t_id, pthread_self()) ? 1 : 0;
}

wl_monitor_t *wl_monitor_new(void)
{
    wl_monitor_t *m = static_cast<wl_monitor_t *>(chk_zalloc(sizeof(wl_monitor_t)));
    pthread_mutex_init(&m->m_mutex, nullptr);
    pthread_cond_init(&m->m_cond, nullptr);
    return m;
}

void wl_monitor_free(wl_monitor_t *m)
{
    if (!m)
        return;
    pthread_cond_destroy(&m->m_cond);
    pthread_mutex_destroy(&m->m_mutex);
    chk_free(m);
}

void wl_monitor_enter(wl_monitor_t *m)
{
    pthread_mutex_lock(&m->m_mutex);
}

void wl_monitor_leave(wl_monitor_t *m)
{
    pthread_mutex_unlock(&m->m_mutex);
}

void wl_monitor_wait(wl_monitor_t *m)
{
    pthread_cond_wait(&m->m_cond, &m->m_mutex);
}

void wl_monitor_notify_all(wl_monitor_t *m)
{
    pthread_cond_broadcast(&m->m_cond);
}

} // extern "C"
