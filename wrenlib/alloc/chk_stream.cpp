// The request stream (a binary record of every operation, for profiling)
// and the malloc_log lines.
#include <fcntl.h>
#include <stdarg.h>
#include <string.h>
#include <time.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/time.h>
#include <unistd.h>
#endif

#include "chk_internal.h"
#include "wrenlib/fmt.h"

#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace wl_chk {

namespace {

constexpr int STREAM_VERSION = 4;
constexpr int STREAM_WORDS = 10;

void put16(unsigned char *p, unsigned v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void put32(unsigned char *p, unsigned long long v)
{
    for (int i = 0; i < 4; i++)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

bool write_all(int fd, const void *buf, size_t n)
{
#ifdef _WIN32
    return _write(fd, buf, static_cast<unsigned>(n)) == static_cast<int>(n);
#else
    return write(fd, buf, n) == static_cast<ssize_t>(n);
#endif
}

void stream_heading(int fd)
{
    char line[32];
    int n = wl_snprintf(line, sizeof line, "chklog 1.0 %d\n", STREAM_VERSION);
    if (!write_all(fd, line, static_cast<size_t>(n)))
        wl_printf("chk: write error to output stream\n");
}

} // namespace

void now(long *sec, long *usec)
{
#ifdef _WIN32
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    unsigned long long t = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    t = t / 10 - 11644473600000000ULL; // microseconds since 1970
    *sec = static_cast<long>(t / 1000000);
    *usec = static_cast<long>(t % 1000000);
#else
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    *sec = static_cast<long>(tv.tv_sec);
    *usec = static_cast<long>(tv.tv_usec);
#endif
}

int open_stream(const char *name)
{
#ifdef _WIN32
    int fd = _open(name, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0644);
#else
    int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_BINARY, 0644);
#endif
    if (fd < 0)
        return 0;
    stream_heading(fd);
    return fd;
}

void stream_record(int op, const void *address, const void *old, size_t size)
{
    int fd = opt(OPT_STREAM);
    if (fd <= 0)
        return;
    static bool headed_fd = false;
    if (!headed_fd) {
        // A descriptor given by number gets the heading with its first record.
        headed_fd = true;
        if (lseek(fd, 0, SEEK_CUR) <= 0)
            stream_heading(fd);
    }
    unsigned char rec[28 + 4 * STREAM_WORDS] = {};
    long sec, usec;
    now(&sec, &usec);
    put16(rec, static_cast<unsigned>(op));
    put16(rec + 4, STREAM_WORDS);
    put32(rec + 8, static_cast<unsigned long long>(sec));
    put32(rec + 12, static_cast<unsigned long long>(usec));
    put32(rec + 16, reinterpret_cast<uintptr_t>(address));
    put32(rec + 20, reinterpret_cast<uintptr_t>(old));
    put32(rec + 24, size);
    if (opt(OPT_DEPTH) > 0) {
        uintptr_t stack[STREAM_WORDS];
        collect_stack(stack, STREAM_WORDS);
        for (int i = 0; i < STREAM_WORDS; i++)
            put32(rec + 28 + 4 * i, stack[i]);
    }
    if (!write_all(fd, rec, sizeof rec))
        wl_printf("chk: write error to output stream\n");
}

void malloc_log(const char *fmt, ...)
{
    char line[256];
    long sec, usec;
    now(&sec, &usec);
    int n = wl_snprintf(line, sizeof line, "%lu.%06lu ", (unsigned long)sec, (unsigned long)usec);
    va_list ap;
    va_start(ap, fmt);
    wl_vsnprintf(line + n, sizeof line - size_t(n), fmt, ap);
    va_end(ap);
    fputs(line, stdout);
    fflush(stdout);
}

} // namespace wl_chk
