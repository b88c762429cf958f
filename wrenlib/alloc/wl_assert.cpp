// Failed consistency checks: say what and where, then stop.
#include <stdio.h>
#include <stdlib.h>

#include "wrenlib/wl_assert.h"

extern "C" void wl_assert_fail(const char *expr, const char *file, int line)
{
    // Plain stdio on purpose: the check may have fired inside the allocator
    // or the formatter, which must not be re-entered from here.
    fflush(stdout);
    fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expr ? expr : "?",
            file ? file : "?", line);
    fflush(stderr);
    abort();
}
