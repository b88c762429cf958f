// The two thread hooks on the IDE's user-interface thread.  The message
// hook sees what the IDE takes from its queue: our menu command, which the
// menu posts, and the chance to put the menu item up.  The window-procedure
// hook sees activation, which is sent.
#include "dll_state.h"

namespace {

// A hung editor must not freeze the IDE inside its activation.
constexpr UINT kSaveAllWaitMs = 10000;

// The hand-over that attach asked for, now outside the loader lock.
void run_pending_edit(void)
{
    if (!g_dll.ds_edit_pending || g_dll.ds_in_command)
        return;
    g_dll.ds_edit_pending = false;
    g_dll.ds_in_command = true;
    edit_files();
    g_dll.ds_in_command = false;
}

void on_menu_command(void)
{
    if (g_dll.ds_in_command)
        return;
    g_dll.ds_in_command = true;
    edit_files();
    g_dll.ds_in_command = false;
}

// A diagnostic for messages that are sent in a healthy IDE and so should
// never come from the queue.  It stops the IDE with a message box, so it
// shows only while TVIDE_DEBUG is set.
void diagnostic(int code, const MSG *m)
{
    if (g_dll.ds_in_diagnostic || !GetEnvironmentVariableA("TVIDE_DEBUG", nullptr, 0))
        return;
    g_dll.ds_in_diagnostic = true;
    char name[32], text[256];
    tvide_format(text, sizeof text,
                 "GETMSG: WM_INITDIALOG code=%x %s wparam:%x lparam:%x Target: %x  Actual: %x",
                 (unsigned)code, dll_message_name(m->message, name, sizeof name),
                 (unsigned)m->wParam, (unsigned)m->lParam,
                 (unsigned)(UINT_PTR)g_dll.ds_ide_main, (unsigned)(UINT_PTR)m->hwnd);
    MessageBoxA(nullptr, text, "TVIDEDLL: Hello!", MB_OK);
    tvide_log("WM_INITDIALOG detected\n");
    g_dll.ds_in_diagnostic = false;
}

void on_activate(void)
{
    if (g_dll.ds_in_activate)
        return;
    tvide_settings_t s;
    tvide_settings_read(&s, false);
    if (!s.ts_save_all)
        return;
    g_dll.ds_in_activate = true;
    HWND editor = FindWindowA("Tolva_INSTANCE_WNDCLASS", nullptr);
    tvide_log("WM_ACTIVATE tolva_hwnd=%x\n", (unsigned)(UINT_PTR)editor);
    if (editor) {
        DWORD_PTR reply = 0;
        if (!SendMessageTimeoutA(editor, g_dll.ds_edit_msg, 1, (LPARAM)GetCurrentProcessId(),
                                 SMTO_NORMAL | SMTO_ABORTIFHUNG, kSaveAllWaitMs, &reply))
            tvide_log("Tolva_edit: no answer, error=%lu\n", GetLastError());
    }
    g_dll.ds_in_activate = false;
}

} // namespace

TVIDEDLL_API int MSVC_Install_hook(void *module, HWND__ *, unsigned long thread_id)
{
    g_dll.ds_callwnd_hook =
        SetWindowsHookExA(WH_CALLWNDPROC, MSVC_callwndproc, g_dll.ds_module, thread_id);
    if (!g_dll.ds_callwnd_hook) {
        tvide_print("WH_CALLWNDPROC failed\n");
        ExitProcess(1);
    }
    g_dll.ds_getmsg_hook = SetWindowsHookExA(WH_GETMESSAGE, MSVC_getmessage,
                                             static_cast<HINSTANCE>(module), thread_id);
    if (!g_dll.ds_getmsg_hook) {
        tvide_print("WH_GETMSSAGE failed\n");
        ExitProcess(1);
    }
    return 0;
}

TVIDEDLL_API LRESULT CALLBACK MSVC_getmessage(int code, WPARAM wp, LPARAM lp)
{
    const MSG *m = reinterpret_cast<const MSG *>(lp);
    if (code >= 0 && g_dll.ds_in_ide && m) {
        run_pending_edit();
        if (!g_dll.ds_menu_timer)
            dll_menu_step();
        // A look at the queue without taking the message comes here too:
        // act once, when the message is really taken.
        if (wp == PM_REMOVE) {
            if (m->message == WM_COMMAND && m->wParam == TVIDE_MENU_ID)
                on_menu_command();
            else if (m->message == WM_ACTIVATE || m->message == WM_INITDIALOG)
                diagnostic(code, m);
        }
    }
    return CallNextHookEx(g_dll.ds_getmsg_hook, code, wp, lp);
}

TVIDEDLL_API LRESULT CALLBACK MSVC_callwndproc(int code, WPARAM wp, LPARAM lp)
{
    const CWPSTRUCT *c = reinterpret_cast<const CWPSTRUCT *>(lp);
    if (code >= 0 && g_dll.ds_in_ide && c) {
        if (c->message == WM_ACTIVATE && LOWORD(c->wParam) != WA_INACTIVE)
            on_activate();
    }
    return CallNextHookEx(g_dll.ds_callwnd_hook, code, wp, lp);
}
