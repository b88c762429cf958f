// Threads and monitors on Windows: CreateThread, a critical section and a
// condition variable.
#include <windows.h>

#include "wrenlib/chk.h"
#include "wrenlib/thread.h"

struct wl_thread_t {
    HANDLE t_handle;
    DWORD t_id;
    void (*t_fn)(void *);
    void *t_arg;
};

struct wl_monitor_t {
    CRITICAL_SECTION m_lock;
    CONDITION_VARIABLE m_cond;
};

namespace {

DWORD WINAPI trampoline(LPVOID p)
{
    wl_thread_t *t = static_cast<wl_thread_t *>(p);
    t->t_fn(t->t_arg);
    return 0;
}

} // namespace

extern "C" {

wl_thread_t *wl_thread_start(void (*fn)(void *), void *arg)
{
    wl_thread_t *t = static_cast<wl_thread_t *>(chk_zalloc(sizeof(wl_thread_t)));
    t->t_fn = fn;
    t->t_arg = arg;
    t->t_handle = CreateThread(nullptr, 0, trampoline, t, 0, &t->t_id);
    if (!t->t_handle) {
        chk_free(t);
        return nullptr;
    }
    return t;
}

void wl_thread_join(wl_thread_t *t)
{
    if (!t)
        return;
    WaitForSingleObject(t->t_handle, INFINITE);
    CloseHandle(t->t_handle);
    chk_free(t);
}

int wl_thread_is_current(const wl_thread_t *t)
{
    return t && t->t_id == GetCurrentThreadId() ? 1 : 0;
}

wl_monitor_t *wl_monitor_new(void)
{
    wl_monitor_t *m = static_cast<wl_monitor_t *>(chk_zalloc(sizeof(wl_monitor_t)));
    InitializeCriticalSection(&m->m_lock);
    InitializeConditionVariable(&m->m_cond);
    return m;
}

void wl_monitor_free(wl_monitor_t *m)
{
    if (!m)
        return;
    DeleteCriticalSection(&m->m_lock);
    chk_free(m);
}

void wl_monitor_enter(wl_monitor_t *m)
{
    EnterCriticalSection(&m->m_lock);
}

void wl_monitor_leave(wl_monitor_t *m)
{
    LeaveCriticalSection(&m->m_lock);
}

void wl_monitor_wait(wl_monitor_t *m)
{
    SleepConditionVariableCS(&m->m_cond, &m->m_lock, INFINITE);
}

void wl_monitor_notify_all(wl_monitor_t *m)
{
    WakeAllConditionVariable(&m->m_cond);
}

} // extern "C"
