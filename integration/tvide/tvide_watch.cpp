// The watcher: while the dialog runs it looks four times a second for a
// Developer Studio without a tracker and starts one.  A tracker needs a
// second or so before its window shows that it runs, so the watcher also
// keeps the process it started and waits for it; and a tracker that failed
// for an IDE window is not started again for that window, or a missing
// library would start a new process every quarter second.
#include "tvide.h"

namespace {

// Forgets the tracker once it has ended; a failure marks its IDE window.
void reap_tracker(void)
{
    if (!g_tvide.tv_tracker || WaitForSingleObject(g_tvide.tv_tracker, 0) != WAIT_OBJECT_0)
        return;
    DWORD code = 0;
    if (GetExitCodeProcess(g_tvide.tv_tracker, &code) && code != 0) {
        tvide_log("tracker ended with status %lu\n", code);
        g_tvide.tv_failed_ide = g_tvide.tv_tracker_ide;
    }
    CloseHandle(g_tvide.tv_tracker);
    g_tvide.tv_tracker = nullptr;
    g_tvide.tv_tracker_ide = nullptr;
}

bool start_tracker(HWND ide)
{
    char cmd[MAX_PATH + 16];
    if (!tvide_format(cmd, sizeof cmd, "\"%s\" -track", g_tvide.tv_self))
        return false;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        tvide_log("cannot start the tracker, error=%lu\n", GetLastError());
        return false;
    }
    CloseHandle(pi.hThread);
    g_tvide.tv_tracker = pi.hProcess;
    g_tvide.tv_tracker_ide = ide;
    return true;
}

} // namespace

void tvide_watch(void)
{
    reap_tracker();
    if (g_tvide.tv_tracker || FindWindowA(nullptr, TVIDE_TRACKER_TITLE))
        return;
    HWND ide = nullptr;
    if (!tvide_find_ide(&ide) || ide == g_tvide.tv_failed_ide)
        return;
    tvide_log("Found window... path=%s\n", g_tvide.tv_self);
    start_tracker(ide);
}

void tvide_watch_done(void)
{
    // The tracker outlives the dialog: it ends with the IDE.
    if (g_tvide.tv_tracker)
        CloseHandle(g_tvide.tv_tracker);
    g_tvide.tv_tracker = nullptr;
}
