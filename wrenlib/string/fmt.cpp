// The formatter.  A conversion is: '%', at most one of '-' (left-justify) or
// '+' (force a sign), an optional '0' (zero padding), a width (digits or
// '*'), an optional precision ('.' then digits or '*'), any number of 'l'
// (one takes a long, two or more a 64-bit value) and a conversion letter.
// Letters it does not know print nothing.
#include <limits.h>
#include <stdint.h>

#include <charconv>

#include "fmt_engine.h"
#include "wrenlib/chk.h"
#include "wrenlib/fmt.h"

namespace wl_fmt {

namespace {

/* va_list is an array type on some targets; a struct around a copy lets the
 * helpers share one argument cursor by reference. */
struct args_t {
    va_list ap;
};

struct conv_t {
    bool left = false;
    bool plus = false;
    bool zero = false;
    int width = 0;
    int prec = -1; /* -1: none given */
    int longs = 0;
    char letter = 0;
};

void put_n(sink_t &s, char c, int n)
{
    for (int i = 0; i < n; i++)
        s.put(c);
}

void put_text(sink_t &s, const char *p, int n)
{
    for (int i = 0; i < n; i++)
        s.put(p[i]);
}

/* Sign, zero padding, digits, and the width around them. */
void emit_number(sink_t &s, const conv_t &cv, char sign, const char *digits, int ndigits,
                 bool allow_zero_pad)
{
    int body = ndigits + (sign ? 1 : 0);
    int pad = cv.width > body ? cv.width - body : 0;
    if (cv.left) {
        if (sign)
            s.put(sign);
        put_text(s, digits, ndigits);
        put_n(s, ' ', pad);
        return;
    }
    if (cv.zero && allow_zero_pad) {
        if (sign)
            s.put(sign);
        put_n(s, '0', pad);
    } else {
        put_n(s, ' ', pad);
        if (sign)
            s.put(sign);
    }
    put_text(s, digits, ndigits);
}

void format_integer(sink_t &s, const conv_t &cv, uint64_t mag, bool negative, unsigned base,
                    bool upper, bool is_signed)
{
    const char *set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char tmp[24];
    int n = 0;
    while (mag) {
        tmp[n++] = set[mag % base];
        mag /= base;
    }
    // The precision is the least number of digits; none at all is printed
    // for a zero with precision 0, as C does.
    int want = cv.prec < 0 ? 1 : cv.prec;
    int lead = want > n ? want - n : 0;

    char sign = negative ? '-' : (cv.plus && is_signed) ? '+' : 0;
    int body = lead + n + (sign ? 1 : 0);
    int pad = cv.width > body ? cv.width - body : 0;
    bool zero_pad = cv.zero && !cv.left && cv.prec < 0;
    if (!cv.left && !zero_pad)
        put_n(s, ' ', pad);
    if (sign)
        s.put(sign);
    if (zero_pad)
        put_n(s, '0', pad);
    put_n(s, '0', lead);
    while (n)
        s.put(tmp[--n]);
    if (cv.left)
        put_n(s, ' ', pad);
}

void format_signed(sink_t &s, const conv_t &cv, args_t &a)
{
    int64_t v;
    if (cv.longs >= 2)
        v = va_arg(a.ap, long long);
    else if (cv.longs == 1)
        v = va_arg(a.ap, long);
    else
        v = va_arg(a.ap, int);
    uint64_t mag = v < 0 ? uint64_t{0} - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    format_integer(s, cv, mag, v < 0, 10, false, true);
}

void format_unsigned(sink_t &s, const conv_t &cv, args_t &a, unsigned base, bool upper)
{
    uint64_t v;
    if (cv.longs >= 2)
        v = va_arg(a.ap, unsigned long long);
    else if (cv.longs == 1)
        v = va_arg(a.ap, unsigned long);
    else
        v = va_arg(a.ap, unsigned int);
    format_integer(s, cv, v, false, base, upper, false);
}

void format_string(sink_t &s, const conv_t &cv, const char *str)
{
    if (!str)
        str = "(null)";
    int n = 0;
    // Stop at the precision without reading further: the text need not be
    // terminated within it.
    while ((cv.prec < 0 || n < cv.prec) && str[n])
        n++;
    int pad = cv.width > n ? cv.width - n : 0;
    if (!cv.left)
        put_n(s, ' ', pad);
    put_text(s, str, n);
    if (cv.left)
        put_n(s, ' ', pad);
}

void format_double(sink_t &s, const conv_t &cv, double v, bool general)
{
    int prec = cv.prec < 0 ? 6 : cv.prec;
    if (general && prec == 0)
        prec = 1;
    // Fixed notation of the largest double has 309 integral digits.
    size_t need = 330 + static_cast<size_t>(prec);
    char stack_buf[512];
    char *buf = need <= sizeof stack_buf ? stack_buf : static_cast<char *>(chk_alloc(need));
    std::to_chars_result r =
        general ? std::to_chars(buf, buf + need, v, std::chars_format::general, prec)
                : std::to_chars(buf, buf + need, v, std::chars_format::fixed, prec);
    int len = r.ec == std::errc() ? static_cast<int>(r.ptr - buf) : 0;
    const char *digits = buf;
    char sign = 0;
    if (len > 0 && buf[0] == '-') {
        sign = '-';
        digits++;
        len--;
    } else if (cv.plus) {
        sign = '+';
    }
    bool finite = len > 0 && digits[0] >= '0' && digits[0] <= '9';
    emit_number(s, cv, sign, digits, len, finite);
    if (buf != stack_buf)
        chk_free(buf);
}

const char *parse_number(const char *p, int &out)
{
    long v = 0;
    while (*p >= '0' && *p <= '9') {
        if (v < 100000000)
            v = v * 10 + (*p - '0');
        p++;
    }
    out = static_cast<int>(v);
    return p;
}

/* Reads one conversion after the '%'; returns the position after it. */
const char *parse_conv(const char *p, conv_t &cv, args_t &a)
{
    if (*p == '-') {
        cv.left = true;
        p++;
    } else if (*p == '+') {
        cv.plus = true;
        p++;
    }
    if (*p == '0') {
        cv.zero = true;
        p++;
    }
    if (*p == '*') {
        int w = va_arg(a.ap, int);
        if (w < 0) {
            cv.left = true;
            w = w == INT_MIN ? INT_MAX : -w;
        }
        cv.width = w;
        p++;
    } else {
        p = parse_number(p, cv.width);
    }
    if (*p == '.') {
        p++;
        if (*p == '*') {
            int pr = va_arg(a.ap, int);
            cv.prec = pr < 0 ? -1 : pr;
            p++;
        } else {
            p = parse_number(p, cv.prec);
        }
    }
    while (*p == 'l') {
        cv.longs++;
        p++;
    }
    cv.letter = *p;
    return *p ? p + 1 : p;
}

void convert(sink_t &s, const conv_t &cv, args_t &a)
{
    switch (cv.letter) {
    case 'd':
    case 'D': format_signed(s, cv, a); break;
    case 'u':
    case 'U': format_unsigned(s, cv, a, 10, false); break;
    case 'o':
    case 'O': format_unsigned(s, cv, a, 8, false); break;
    case 'x': format_unsigned(s, cv, a, 16, false); break;
    case 'X': format_unsigned(s, cv, a, 16, true); break;
    case 'p': {
        format_integer(s, cv, reinterpret_cast<uintptr_t>(va_arg(a.ap, void *)), false, 16,
                       false, false);
        break;
    }
    case 'c': {
        char c = static_cast<char>(va_arg(a.ap, int));
        int pad = cv.width > 1 ? cv.width - 1 : 0;
        if (!cv.left)
            put_n(s, ' ', pad);
        s.put(c);
        if (cv.left)
            put_n(s, ' ', pad);
        break;
    }
    case 's': format_string(s, cv, va_arg(a.ap, const char *)); break;
    case 'f':
    case 'e': format_double(s, cv, va_arg(a.ap, double), false); break;
    case 'g': format_double(s, cv, va_arg(a.ap, double), true); break;
    case '%': s.put('%'); break;
    default: break;
    }
}

/* Stores at most size - 1 characters and always leaves them terminated. */
class bounded_sink_t final : public sink_t {
public:
    bounded_sink_t(char *buf, size_t size) : buf_(buf), room_(size ? size - 1 : 0) {}
    void put(char c) override
    {
        if (static_cast<size_t>(stored) < room_)
            buf_[stored++] = c;
    }
    void finish()
    {
        if (buf_)
            buf_[stored] = '\0';
    }

private:
    char *buf_;
    size_t room_;
};

class unbounded_sink_t final : public sink_t {
public:
    explicit unbounded_sink_t(char *buf) : buf_(buf) {}
    void put(char c) override { buf_[stored++] = c; }
    void finish() { buf_[stored] = '\0'; }

private:
    char *buf_;
};

} // namespace

int format(sink_t &sink, const char *fmt, va_list ap)
{
    if (!fmt)
        return sink.stored;
    args_t a;
    va_copy(a.ap, ap);
    const char *p = fmt;
    while (*p) {
        if (*p != '%') {
            sink.put(*p++);
            continue;
        }
        conv_t cv;
        p = parse_conv(p + 1, cv, a);
        convert(sink, cv, a);
    }
    va_end(a.ap);
    return sink.stored;
}

} // namespace wl_fmt

extern "C" {

int wl_vsnprintf(char *buf, size_t size, const char *fmt, va_list ap)
{
    if (!buf || size == 0)
        return 0;
    wl_fmt::bounded_sink_t s(buf, size);
    wl_fmt::format(s, fmt, ap);
    s.finish();
    return s.stored;
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
    if (!buf)
        return 0;
    wl_fmt::unbounded_sink_t s(buf);
    va_list ap;
    va_start(ap, fmt);
    wl_fmt::format(s, fmt, ap);
    va_end(ap);
    s.finish();
    return s.stored;
}

} // extern "C"
