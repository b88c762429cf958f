// The debug log.  It is opened on the first call when TV_SETUP_DEBUG is
// set, and every line is flushed at once, so a removal that hangs or
// crashes still leaves its trail.
#include "uninstall.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "wrenlib/fmt.h"

namespace {

struct un_log_t {
    FILE *ul_file = nullptr;
    bool ul_tried = false;
};

un_log_t s_log;

} // namespace

void un_log_at(const char *module, int line, const char *fmt, ...)
{
    if (!s_log.ul_tried) {
        s_log.ul_tried = true;
        if (getenv("TV_SETUP_DEBUG"))
            s_log.ul_file = fopen("/tmp/uninstall.log", "w");
    }
    if (!s_log.ul_file)
        return;
    char msg[1024];
    va_list ap;
    va_start(ap, fmt);
    wl_vsnprintf(msg, sizeof msg, fmt, ap);
    va_end(ap);
    // Messages shared with the progress window carry their own line end;
    // the log adds exactly one.
    size_t n = strlen(msg);
    while (n > 0 && (msg[n - 1] == '\n' || msg[n - 1] == '\r'))
        msg[--n] = '\0';
    fprintf(s_log.ul_file, "%s(%d): %s\n", module, line, msg);
    fflush(s_log.ul_file);
}
