// The activation hook: whenever a window of the host becomes active, ask a
// running editor to save all its modified files (when the user wants it),
// so that the host sees the editor's changes.
//
// The hook watches only the thread that connected the add-in (the host's
// user-interface thread, where its windows live).  A hook for every thread
// of the desktop would load this library into every other program that
// shows a window, where it could only read the registry for nothing: the
// message number exists in the host alone.
#include "addin.h"

namespace {

LRESULT CALLBACK activation_hook(int code, WPARAM wp, LPARAM lp)
{
    const CWPSTRUCT *msg = reinterpret_cast<const CWPSTRUCT *>(lp);
    if (code >= 0 && msg && msg->message == WM_ACTIVATE && LOWORD(msg->wParam) != 0 &&
        !g_addin.ad_hook_busy) {
        // SendMessage below may activate a window again; the guard keeps
        // that from sending a second request.
        g_addin.ad_hook_busy = true;
        addin_read_settings();
        if (g_addin.ad_settings.as_tolva_save_all && g_addin.ad_edit_msg) {
            HWND editor = FindWindowA("Tolva_WNDCLASS", nullptr);
            if (editor)
                SendMessageA(editor, g_addin.ad_edit_msg, 1, 0);
        }
        g_addin.ad_hook_busy = false;
    }
    return CallNextHookEx(g_addin.ad_hook, code, wp, lp);
}

} // namespace

void addin_hook_install()
{
    if (!g_addin.ad_edit_msg)
        g_addin.ad_edit_msg = RegisterWindowMessageA("Tolva_edit");
    if (g_addin.ad_hook)
        return;
    g_addin.ad_hook = SetWindowsHookExA(WH_CALLWNDPROC, activation_hook, g_addin.ad_module,
                                        GetCurrentThreadId());
    if (!g_addin.ad_hook)
        addin_log("SetWindowsHookEx failed, error=%lu\n", GetLastError());
}

void addin_hook_remove()
{
    if (g_addin.ad_hook) {
        UnhookWindowsHookEx(g_addin.ad_hook);
        g_addin.ad_hook = nullptr;
    }
}
