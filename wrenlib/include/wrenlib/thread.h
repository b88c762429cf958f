#ifndef WRENLIB_THREAD_H
#define WRENLIB_THREAD_H
/* A second thread of work and the one lock-and-signal it is fed through:
 * threads on POSIX, their Win32 counterparts on Windows. */

#ifdef __cplusplus
extern "C" {
#endif

typedef struct wl_thread_t wl_thread_t;
typedef struct wl_monitor_t wl_monitor_t;

/* Runs fn(arg) on a new thread; null when no thread can be made. */
wl_thread_t *wl_thread_start(void (*fn)(void *), void *arg);
/* Waits for the thread to end and releases it. */
void wl_thread_join(wl_thread_t *t);
/* 1 when called on the thread t runs. */
int wl_thread_is_current(const wl_thread_t *t);

/* A mutex with one condition.  wl_monitor_wait is called with the monitor
 * entered; it leaves it while it waits and enters it again before it
 * returns, possibly without a notify, so callers test their condition in
 * a loop. */
wl_monitor_t *wl_monitor_new(void);
void wl_monitor_free(wl_monitor_t *m);
void wl_monitor_enter(wl_monitor_t *m);
void wl_monitor_leave(wl_monitor_t *m);
void wl_monitor_wait(wl_monitor_t *m);
void wl_monitor_notify_all(wl_monitor_t *m);

#ifdef __cplusplus
}
#endif
#endif
