#ifndef WRENLIB_SYSDEP_H
#define WRENLIB_SYSDEP_H
/* The few platform services the programs need beyond files and names. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Text "%03lu.%03ld " of seconds and milliseconds since the first call
 * (absolute when TIME_ABSOLUTE is set).  Static buffer. */
const char *trace_time(void);

void wl_sleep_ms(int ms);
int64_t wl_time_now(void);          /* seconds since 1970 */

/* Advisory whole-file locks on an open descriptor (flock on POSIX,
 * LockFileEx on Windows, where fd is a file HANDLE as in mmap_file_t).
 * Return 0 on success, -1 when the lock is held elsewhere (non-blocking)
 * or on error.  They never stop reading or writing the file. */
int wl_lock_file(intptr_t fd, int exclusive, int wait);
int wl_unlock_file(intptr_t fd);

/* Dynamic loading: handle or null; entry address or null. */
void *wl_dlopen(const char *path, int mode);
void *wl_dlsym(void *handle, const char *name);

#ifdef __cplusplus
}
#endif
#endif
