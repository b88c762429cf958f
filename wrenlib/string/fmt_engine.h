#ifndef WRENLIB_STRING_FMT_ENGINE_H
#define WRENLIB_STRING_FMT_ENGINE_H
#include <stdarg.h>

namespace wl_fmt {

/* Where formatted text goes, one character at a time.  `stored` counts the
 * characters the sink actually kept. */
class sink_t {
public:
    virtual void put(char c) = 0;
    int stored = 0;

protected:
    ~sink_t() = default;
};

/* Formats `fmt` with the arguments of `ap` into `sink`; returns the
 * characters the sink stored. */
int format(sink_t &sink, const char *fmt, va_list ap);

} // namespace wl_fmt

#endif
