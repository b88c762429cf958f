// Formatted output to a stdio stream.  The text is built in memory first,
// so that one message reaches the stream in one write.
#include <stdio.h>
#include <string.h>

#include "fmt_engine.h"
#include "wrenlib/chk.h"
#include "wrenlib/fmt.h"

namespace {

/* Collects the text on the stack and moves to an allocated buffer only for
 * long messages (the allocator's own reports stay on the stack). */
class growing_sink_t final : public wl_fmt::sink_t {
public:
    ~growing_sink_t()
    {
        if (buf_ != local_)
            chk_free(buf_);
    }
    void put(char c) override
    {
        if (static_cast<size_t>(stored) == cap_)
            grow();
        buf_[stored++] = c;
    }
    const char *data() const { return buf_; }

private:
    void grow()
    {
        size_t cap = cap_ * 2;
        char *p = static_cast<char *>(chk_alloc(cap));
        memcpy(p, buf_, cap_);
        if (buf_ != local_)
            chk_free(buf_);
        buf_ = p;
        cap_ = cap;
    }

    char local_[1024];
    char *buf_ = local_;
    size_t cap_ = sizeof local_;
};

} // namespace

extern "C" {

int wl_vfprintf(void *stream, const char *fmt, va_list ap)
{
    FILE *f = static_cast<FILE *>(stream);
    if (!f)
        return -1;
    growing_sink_t s;
    wl_fmt::format(s, fmt, ap);
    size_t n = static_cast<size_t>(s.stored);
    if (n && fwrite(s.data(), 1, n, f) != n)
        return -1;
    return s.stored;
}

int wl_fprintf(void *stream, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int n = wl_vfprintf(stream, fmt, ap);
    va_end(ap);
    return n;
}

int wl_vprintf(const char *fmt, va_list ap) { return wl_vfprintf(stdout, fmt, ap); }

int wl_printf(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int n = wl_vfprintf(stdout, fmt, ap);
    va_end(ap);
    return n;
}

} // extern "C"
