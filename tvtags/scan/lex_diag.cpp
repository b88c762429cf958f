// Scanner diagnostics, the debugging trace and the progress report of
// long scans.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "lex_internal.h"
#include "tvt_settings.h"
#include "wrenlib/fmt.h"

namespace {

FILE *error_stream()
{
    return lex_shared.err;
}

// A diagnostic in the form lex_error writes it: a blank line before the
// first of a file, then "path:line: text".
void capture(dstr_t *into, const char *path, const char *text)
{
    if (lex_ctx.lx_messages == 0)
        dstr_add_char(into, '\n');
    char num[32];
    int n = wl_snprintf(num, sizeof num, ":%d: ", lex_ctx.lx_lineno);
    dstr_add_mem(into, path, (int) strlen(path));
    dstr_add_mem(into, num, n);
    dstr_add_mem(into, text, (int) strlen(text));
    dstr_add_char(into, '\n');
}

} // namespace

extern "C" {

void lex_set_error_stream(FILE *f)
{
    lex_shared.err = f;
}

void lex_set_debug(int on)
{
    lex_shared.debug = on;
}

void lex_capture_errors(dstr_t *into)
{
    lex_st.captured = into;
}

void lex_error(const char *fmt, ...)
{
    FILE *f = error_stream();
    if (!f)
        return;
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    wl_vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    if (lex_st.captured) {
        capture(lex_st.captured, lex_file_path(), buf);
        lex_ctx.lx_messages++;
        return;
    }
    dstr_t text;
    dstr_init(&text, 128);
    capture(&text, lex_file_path(), buf);
    lex_ctx.lx_messages++;
    fflush(stdout);
    fwrite(text.dl_str, 1, (size_t) text.dl_len, f);
    dstr_free(&text);
}

void lex_trace(const char *text)
{
    if (!lex_shared.debug && !tvt_opt.debug)
        return;
    wl_printf("%s:%d: %s\n", lex_file_path(), lex_ctx.lx_lineno, text ? text : "");
}

const char *format_count(long n)
{
    thread_local char bufs[4][32];
    thread_local int next;
    char *out = bufs[next];
    next = (next + 1) % 4;
    // Digits from the right, a comma before every group of three.
    unsigned long v = n < 0 ? 0UL - static_cast<unsigned long>(n) : static_cast<unsigned long>(n);
    char tmp[32];
    int len = 0, digits = 0;
    do {
        if (digits && digits % 3 == 0)
            tmp[len++] = ',';
        tmp[len++] = char('0' + v % 10);
        v /= 10;
        digits++;
    } while (v);
    if (n < 0)
        tmp[len++] = '-';
    for (int i = 0; i < len; i++)
        out[i] = tmp[len - 1 - i];
    out[len] = '\0';
    return out;
}

void tag_progress(int n)
{
    lex_progress_t &p = lex_st.progress;
    if (n == 0) {
        p = lex_progress_t();
        return;
    }
    p.calls++;
    if (n > p.largest)
        p.largest = n;
    else
        p.dups++;
    if (p.calls % 10000 != 0)
        return;
    long long now = static_cast<long long>(time(nullptr));
    if (now == p.last_second)
        return;
    p.last_second = now;
    double pct = 100.0 * double(p.dups) / double(p.calls);
    wl_printf("Tags found: %9s -- ", format_count(p.calls));
    wl_printf("%9s dups %.2f%% Line: %u\n", format_count(p.dups), pct,
              static_cast<unsigned>(lex_ctx.lx_lineno));
}

} // extern "C"
