// Sleeping, advisory locks and dynamic loading on POSIX systems.
#include <dlfcn.h>
#include <errno.h>
#include <sys/file.h>
#include <time.h>

#include "wrenlib/sysdep.h"

extern "C" {

void wl_sleep_ms(int ms) {
    if (ms <= 0)
        return;
    struct timespec t;
    t.tv_sec = ms / 1000;
    t.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

int wl_lock_file(intptr_t fd, int exclusive, int wait) {
    const int op = (exclusive ? LOCK_EX : LOCK_SH) | (wait ? 0 : LOCK_NB);
    int rc;
    do
        rc = flock(static_cast<int>(fd), op);
    while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : -1;
}

int wl_unlock_file(intptr_t fd) {
    return flock(static_cast<int>(fd), LOCK_UN) == 0 ? 0 : -1;
}

void *wl_dlopen(const char *path, int mode) {
    return dlopen(path, mode == 1 ? RTLD_LAZY : RTLD_NOW);
}

void *wl_dlsym(void *handle, const char *name) {
    return handle ? dlsym(handle, name) : nullptr;
}

} // extern "C"
