// The integration's log and its standard output.  A line is formatted into
// a bounded buffer and written with one call on a file opened for appending,
// so lines of the tool, the tracker and the library never tear each other.
#include "tvide_common.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr size_t kLineMax = 2048;

struct tvide_log_t {
    char tl_path[MAX_PATH] = "c:/tmp/tvide.log";
};

tvide_log_t s_log;

// Formats into `buf`; a text too long is cut and keeps its line end, so
// the next line still starts on a line of its own.
size_t format_line(char *buf, size_t size, const char *fmt, va_list ap)
{
    int n = vsnprintf(buf, size, fmt, ap);
    if (n < 0)
        return 0;
    if ((size_t)n < size)
        return (size_t)n;
    size_t len = size - 1;
    if (strchr(fmt, '\n'))
        buf[len - 1] = '\n';
    return len;
}

void write_handle(HANDLE h, const char *text, size_t len)
{
    DWORD done = 0;
    if (h && h != INVALID_HANDLE_VALUE && len > 0)
        WriteFile(h, text, (DWORD)len, &done, nullptr);
}

} // namespace

void tvide_log_init(const char *debug_path)
{
    if (getenv("TVIDE_DEBUG") && debug_path)
        snprintf(s_log.tl_path, sizeof s_log.tl_path, "%s", debug_path);
}

void tvide_log(const char *fmt, ...)
{
    char line[kLineMax];
    va_list ap;
    va_start(ap, fmt);
    size_t len = format_line(line, sizeof line, fmt, ap);
    va_end(ap);
    // Opened for this line only: a line that cannot be written is dropped.
    HANDLE h = CreateFileA(s_log.tl_path, FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    write_handle(h, line, len);
    CloseHandle(h);
}

void tvide_print(const char *fmt, ...)
{
    char line[kLineMax];
    va_list ap;
    va_start(ap, fmt);
    size_t len = format_line(line, sizeof line, fmt, ap);
    va_end(ap);
    write_handle(GetStdHandle(STD_OUTPUT_HANDLE), line, len);
}

bool tvide_format(char *buf, size_t size, const char *fmt, ...)
{
    if (size == 0)
        return false;
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf(buf, size, fmt, ap);
    va_end(ap);
    if (n < 0) {
        buf[0] = '\0';
        return false;
    }
    return (size_t)n < size;
}
