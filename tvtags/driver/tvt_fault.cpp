/* The fault handler: when a scanner crashes, say which file it was on. */
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "driver/tvt_driver.h"
#include "wrenlib/fmt.h"

namespace {

void on_segv(int)
{
    /* Back to the default first, so a fault in here ends the process. */
    signal(SIGSEGV, SIG_DFL);
    fflush(stdout);
    wl_printf("\nProgram error SIGSEGV received whilst processing:\n");
    if (tvt_current_file)
        wl_printf("File: %s\n", tvt_current_file);
    else
        wl_printf("no current file\n");
    fflush(stdout);
    abort();
}

} // namespace

extern "C" void tvt_install_fault_handler(void)
{
    signal(SIGSEGV, on_segv);
}
