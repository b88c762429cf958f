// tvide [-track]: the Developer Studio integration tool.  Without
// arguments it registers the editor in the IDE's Tools menu and shows its
// dialog; a copy already running is brought forward instead.  "-track" is
// the hidden tracker that the dialog starts while the IDE runs.
#include "tvide.h"

#include <string.h>

#include "wrenlib/chk.h"

tvide_state_t g_tvide;

namespace {

bool is_tracker(const char *cmdline)
{
    while (*cmdline == ' ' || *cmdline == '\t')
        cmdline++;
    return strncmp(cmdline, "-track", 6) == 0;
}

// Brings an already running dialog forward; false when there is none.
bool raise_running(void)
{
    HWND dlg = FindWindowA(nullptr, TVIDE_DIALOG_TITLE);
    if (!dlg)
        return false;
    if (IsIconic(dlg))
        ShowWindow(dlg, SW_RESTORE);
    SetForegroundWindow(dlg);
    return true;
}

} // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR cmdline, int)
{
    chk_init();
    g_tvide.tv_inst = inst;
    DWORD n = GetModuleFileNameA(nullptr, g_tvide.tv_self, sizeof g_tvide.tv_self);
    if (n == 0 || n >= sizeof g_tvide.tv_self - 1)
        g_tvide.tv_self[0] = '\0';
    tvide_log_init("c:/tmp/tvide.log");
    tvide_settings_read(&g_tvide.tv_settings, true);

    if (is_tracker(cmdline ? cmdline : ""))
        return tvide_tracker_run();
    if (raise_running())
        return 0;
    tvide_register_tool();
    return tvide_dialog_run();
}
