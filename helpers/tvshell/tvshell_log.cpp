// The launcher's log: what it was started with, for finding out why a tool
// run from the editor does not see its pipes or its environment.  Each
// line is formatted first and then written with one write call, so lines
// from a tool that shares the file do not tear ours.
#include "tvshell.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdarg.h>
#include <stdint.h>
#include <string.h>
#include <sys/stat.h>

#include "wrenlib/chk.h"
#include "wrenlib/fmt.h"
#include "wrenlib/sysdep.h"

namespace {

constexpr int kMaxFd = 255;

void write_all(const char *text, size_t len)
{
    if (g_tvshell.ts_log >= 0 && len > 0)
        _write(g_tvshell.ts_log, text, (unsigned)len);
}

unsigned handle_value(DWORD which)
{
    // Handles fit in 32 bits on every width of Windows.
    return (unsigned)(uintptr_t)GetStdHandle(which);
}

} // namespace

void tvlog_open(const char *path)
{
    // Not inherited: the started program must not hold our log open.
    g_tvshell.ts_log = _open(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_NOINHERIT,
                             _S_IREAD | _S_IWRITE);
}

void tvlog_close(void)
{
    if (g_tvshell.ts_log >= 0)
        _close(g_tvshell.ts_log);
    g_tvshell.ts_log = -1;
}

void tvlog_printf(const char *fmt, ...)
{
    if (g_tvshell.ts_log < 0)
        return;
    // Only fixed texts, numbers and time stamps come through here.
    char line[512];
    va_list ap;
    va_start(ap, fmt);
    int n = wl_vsnprintf(line, sizeof line, fmt, ap);
    va_end(ap);
    if (n > 0)
        write_all(line, (size_t)n);
}

void tvlog_join(const char *head, const char *text, const char *tail)
{
    if (g_tvshell.ts_log < 0)
        return;
    size_t a = strlen(head), b = strlen(text), c = strlen(tail);
    // Command lines and environment strings have no useful upper bound, so
    // the line is assembled at its own size.
    char *line = static_cast<char *>(chk_alloc(a + b + c + 1));
    memcpy(line, head, a);
    memcpy(line + a, text, b);
    memcpy(line + a + b, tail, c + 1);
    write_all(line, a + b + c);
    chk_free(line);
}

void tvlog_startup(int argc, char **argv, const char *env_block)
{
    if (g_tvshell.ts_log < 0)
        return;
    tvlog_printf("%s: PID 0x%08x\n", trace_time(), (unsigned)GetCurrentProcessId());
    tvlog_printf("STD_INPUT_HANDLE: 0x%x\n", handle_value(STD_INPUT_HANDLE));
    tvlog_printf("STD_OUTPUT_HANDLE: 0x%x\n", handle_value(STD_OUTPUT_HANDLE));
    tvlog_printf("STD_ERROR_HANDLE: 0x%x\n", handle_value(STD_ERROR_HANDLE));
    tvlog_join("GetCommandLine(): '", GetCommandLineA(), "'\n");
    tvlog_printf("argc=%d\n", argc);
    for (int i = 0; i < argc; i++) {
        char head[32];
        wl_snprintf(head, sizeof head, "arg[%d] = '", i);
        tvlog_join(head, argv[i], "'\n");
    }
    tvlog_printf("File table:\n");
    for (int fd = 0; fd <= kMaxFd; fd++) {
        struct _stat st;
        if (_fstat(fd, &st) == 0)
            tvlog_printf("fd %2d open\n", fd);
    }
    tvlog_printf("Environment:\n");
    if (env_block)
        for (const char *p = env_block; *p; p += strlen(p) + 1)
            tvlog_join("", p, "\n");
}
