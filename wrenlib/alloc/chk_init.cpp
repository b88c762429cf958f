// Start and end of a run of the allocation functions.
#include "chk_internal.h"

using namespace wl_chk;

extern "C" {

/* Runs once per process, from the program's first line or from the first
 * allocation.  With checking off there is nothing to read: blocks carry the
 * plain header and the CHK settings select the debugging mode only. */
void chk_init(void)
{
    std::lock_guard<std::recursive_mutex> g(chk_lock());
    if (g_chk.cs_initialised.load(std::memory_order_relaxed))
        return;
    new_routing_anchor();
    g_chk.cs_initialised.store(true, std::memory_order_release);
}

/* The end-of-run report belongs to the debugging mode; plain allocation has
 * nothing to say at exit. */
void chk_exit_report(void) {}

int chk_debugging(void) { return 0; }

} // extern "C"
