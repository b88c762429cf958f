// Time stamps for trace lines and the wall clock in seconds.
#include <stdlib.h>
#include <time.h>

#include <chrono>

#include "wrenlib/fmt.h"
#include "wrenlib/sysdep.h"

namespace {

struct TraceClock {
    bool started = false;
    std::chrono::steady_clock::time_point first{};
    char text[48] = {0};
};
TraceClock g_trace;

} // namespace

extern "C" {

const char *trace_time(void) {
    const auto now = std::chrono::steady_clock::now();
    if (!g_trace.started) {
        g_trace.started = true;
        g_trace.first = now;
    }
    long long ms;
    if (getenv("TIME_ABSOLUTE"))
        ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                 std::chrono::system_clock::now().time_since_epoch()).count();
    else
        ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - g_trace.first).count();
    wl_snprintf(g_trace.text, sizeof g_trace.text, "%03lu.%03ld ",
                static_cast<unsigned long>(ms / 1000), static_cast<long>(ms % 1000));
    return g_trace.text;
}

int64_t wl_time_now(void) {
    return static_cast<int64_t>(time(nullptr));
}

} // extern "C"
