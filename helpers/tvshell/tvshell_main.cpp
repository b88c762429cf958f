// tvshell [switches] program [arguments]: the editor runs tools through
// this launcher, which starts the program on its own standard handles and
// waits for it.  TVSHELL_DEBUG writes tvshell.log in the current directory.
#include "tvshell.h"

#include <windows.h>

#include <stdint.h>
#include <stdlib.h>

#include "wrenlib/sysdep.h"

tvshell_t g_tvshell = {{0}, -1};

namespace {

// Passes a standard handle on to the child.  A handle given in the
// start-up record reaches the child only when it is inherited.
HANDLE std_handle_for_child(DWORD which)
{
    HANDLE h = GetStdHandle(which);
    if (h && h != INVALID_HANDLE_VALUE)
        SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    return h;
}

int start_and_wait(char *env_block)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = std_handle_for_child(STD_INPUT_HANDLE);
    si.hStdOutput = std_handle_for_child(STD_OUTPUT_HANDLE);
    si.hStdError = std_handle_for_child(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, g_tvshell.ts_cmd, nullptr, nullptr, TRUE, 0, env_block, nullptr,
                        &si, &pi)) {
        tvlog_printf("%s: CreateProcess failed, error=%d\n", trace_time(), (int)GetLastError());
        return 1;
    }
    CloseHandle(pi.hThread);
    tvlog_printf("%s: Proc ID 0x%x  Handle 0x%x\n", trace_time(), (unsigned)pi.dwProcessId,
                 (unsigned)(uintptr_t)pi.hProcess);
    DWORD r = WaitForSingleObject(pi.hProcess, INFINITE);
    tvlog_printf("%s: Wait returns %d, errno=%d\n", trace_time(), (int)r, (int)GetLastError());
    CloseHandle(pi.hProcess);
    // The tool's own status is its business; ours says that it ran.
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // The environment as we were given it: logged, and handed to the
    // program unchanged by what we set for ourselves below.
    char *env_block = GetEnvironmentStringsA();
    // Wall-clock stamps, so the log lines up with the editor's.
    if (!getenv("TIME_ABSOLUTE"))
        _putenv("TIME_ABSOLUTE=1");

    if (getenv("TVSHELL_DEBUG")) {
        tvlog_open("tvshell.log");
        tvlog_startup(argc, argv, env_block);
    }

    int status;
    size_t needed = 0;
    if (tvshell_join(g_tvshell.ts_cmd, sizeof g_tvshell.ts_cmd, argc, argv, &needed) < 0) {
        tvlog_printf("%s: Command line too long (%u bytes, at most %u fit), not started\n",
                     trace_time(), (unsigned)needed, (unsigned)(TVSHELL_CMD_SIZE - 1));
        status = 1;
    } else {
        status = start_and_wait(env_block);
    }
    tvlog_close();
    if (env_block)
        FreeEnvironmentStringsA(env_block);
    return status;
}
