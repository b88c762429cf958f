// Sleeping, advisory locks and dynamic loading on Windows.
#include <windows.h>

#include "wrenlib/sysdep.h"

namespace {

// Byte-range locks on Windows stop other handles from reading and writing
// the range, so the lock is taken on one byte far beyond any real data:
// lockers still exclude each other, while the file itself stays readable
// and writable, as with the advisory locks of POSIX.
OVERLAPPED lock_position() {
    OVERLAPPED ov{};
    ov.Offset = 0;
    ov.OffsetHigh = 0x7FFFFFFF;
    return ov;
}

} // namespace

extern "C" {

void wl_sleep_ms(int ms) {
    if (ms > 0)
        Sleep(static_cast<DWORD>(ms));
}

// fd is a file HANDLE, as held in mmap_file_t's mf_fd.
int wl_lock_file(intptr_t fd, int exclusive, int wait) {
    OVERLAPPED ov = lock_position();
    DWORD flags = (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    return LockFileEx(reinterpret_cast<HANDLE>(fd), flags, 0, 1, 0, &ov) ? 0 : -1;
}

int wl_unlock_file(intptr_t fd) {
    OVERLAPPED ov = lock_position();
    return UnlockFileEx(reinterpret_cast<HANDLE>(fd), 0, 1, 0, &ov) ? 0 : -1;
}

// No extension library is loaded on Windows.
void *wl_dlopen(const char *, int) {
    return nullptr;
}

void *wl_dlsym(void *, const char *) {
    return nullptr;
}

} // extern "C"
