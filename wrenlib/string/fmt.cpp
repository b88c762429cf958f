// The library's formatter.  Text is produced character by character through
// a sink; the bounded sink stores at most size bytes and always terminates.
#include "wrenlib/fmt.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "wrenlib/chk.h"

namespace {

struct sink_t {
    char *buf;
    size_t size;   // (size_t)-1: unbounded
    size_t len;
    std::string *grow;  // set when the output goes to a stream
    void put(char c)
    {
        if (grow) {
            grow->push_back(c);
            return;
        }
        if (size == 0)
            return;
        if (len + 1 < size)
            buf[len++] = c;
    }
    void finish()
    {
        if (!grow && size > 0)
            buf[len] = '\0';
    }
};

void pad(sink_t &s, int n, char c)
{
    while (n-- > 0)
        s.put(c);
}

void emit_field(sink_t &s, const char *text, size_t n, int width, bool left, bool zero, const char *sign)
{
    size_t sl = strlen(sign);
    int fill = width - (int)(n + sl);
    if (!left && !zero)
        pad(s, fill, ' ');
    for (size_t i = 0; i < sl; i++)
        s.put(sign[i]);
    if (!left && zero)
        pad(s, fill, '0');
    for (size_t i = 0; i < n; i++)
        s.put(text[i]);
    if (left)
        pad(s, fill, ' ');
}

int format(sink_t &s, const char *fmt, va_list ap)
{
    for (const char *p = fmt; *p; p++) {
        if (*p != '%') {
            s.put(*p);
            continue;
        }
        p++;
        bool left = false, plus = false, zero = false;
        if (*p == '-')
            left = true, p++;
        else if (*p == '+')
            plus = true, p++;
        if (*p == '0')
            zero = true, p++;
        int width = 0, prec = -1;
        if (*p == '*') {
            width = va_arg(ap, int), p++;
            if (width < 0)
                left = true, width = -width;
        } else
            while (*p >= '0' && *p <= '9')
                width = width * 10 + (*p++ - '0');
        if (*p == '.') {
            p++;
            prec = 0;
            if (*p == '*')
                prec = va_arg(ap, int), p++;
            else
                while (*p >= '0' && *p <= '9')
                    prec = prec * 10 + (*p++ - '0');
        }
        int longs = 0;
        while (*p == 'l')
            longs++, p++;
        if (!*p)
            break;
        char c = *p;
        char tmp[512];
        switch (c) {
        case 'd': case 'D': case 'u': case 'U': case 'o': case 'O': case 'x': case 'X': case 'p': {
            bool is_signed = (c == 'd' || c == 'D');
            uint64_t v;
            bool neg = false;
            if (c == 'p')
                v = (uint64_t)(uintptr_t)va_arg(ap, void *);
            else if (longs >= 2)
                v = va_arg(ap, unsigned long long);
            else if (longs == 1)
                v = is_signed ? (uint64_t)(int64_t)va_arg(ap, long) : (uint64_t)va_arg(ap, unsigned long);
            else
                v = is_signed ? (uint64_t)(int64_t)va_arg(ap, int) : (uint64_t)va_arg(ap, unsigned int);
            if (is_signed && (int64_t)v < 0)
                neg = true, v = (uint64_t)(-(int64_t)v);
            unsigned base = (c == 'o' || c == 'O') ? 8 : (c == 'x' || c == 'X' || c == 'p') ? 16 : 10;
            const char *digits = (c == 'X' || c == 'O' || c == 'D' || c == 'U') ? "0123456789ABCDEF" : "0123456789abcdef";
            char rev[32];
            int n = 0;
            do {
                rev[n++] = digits[v % base];
                v /= base;
            } while (v);
            while (prec > n && n < 30)
                rev[n++] = '0';
            for (int i = 0; i < n; i++)
                tmp[i] = rev[n - 1 - i];
            emit_field(s, tmp, (size_t)n, width, left, zero, neg ? "-" : (plus && is_signed) ? "+" : "");
            break;
        }
        case 'c':
            tmp[0] = (char)va_arg(ap, int);
            emit_field(s, tmp, 1, width, left, false, "");
            break;
        case 's': {
            const char *str = va_arg(ap, const char *);
            if (!str)
                str = "(null)";
            size_t n = prec >= 0 ? strnlen(str, (size_t)prec) : strlen(str);
            emit_field(s, str, n, width, left, false, "");
            break;
        }
        case 'f': case 'e': case 'g': {
            double x = va_arg(ap, double);
            int pr = prec < 0 ? 6 : (prec > 60 ? 60 : prec);
            int n = snprintf(tmp, sizeof tmp, c == 'g' ? "%.*g" : "%.*f", pr, x < 0 ? -x : x);
            if (n < 0 || n >= (int)sizeof tmp)
                n = 0;
            emit_field(s, tmp, (size_t)n, width, left, zero, x < 0 ? "-" : plus ? "+" : "");
            break;
        }
        case '%':
            s.put('%');
            break;
        default:
            break;  // unknown conversions print nothing
        }
    }
    s.finish();
    return (int)s.len;
}

int to_stream(FILE *f, const char *fmt, va_list ap)
{
    std::string out;
    sink_t s{nullptr, 0, 0, &out};
    format(s, fmt, ap);
    fwrite(out.data(), 1, out.size(), f);
    return (int)out.size();
}

} // namespace

extern "C" {

int wl_vsnprintf(char *buf, size_t size, const char *fmt, va_list ap)
{
    sink_t s{buf, size, 0, nullptr};
    return format(s, fmt, ap);
}

int wl_snprintf(char *buf, size_t size, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int n = wl_vsnprintf(buf, size, fmt, ap);
    va_end(ap);
    return n;
}

int wl_sprintf(char *buf, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int n = wl_vsnprintf(buf, (size_t)-1, fmt, ap);
    va_end(ap);
    return n;
}

int wl_vprintf(const char *fmt, va_list ap)
{
    return to_stream(stdout, fmt, ap);
}

int wl_printf(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int n = to_stream(stdout, fmt, ap);
    va_end(ap);
    return n;
}

int wl_vfprintf(void *stream, const char *fmt, va_list ap)
{
    return to_stream(static_cast<FILE *>(stream), fmt, ap);
}

int wl_fprintf(void *stream, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int n = to_stream(static_cast<FILE *>(stream), fmt, ap);
    va_end(ap);
    return n;
}

} // extern "C"
