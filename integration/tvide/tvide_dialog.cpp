// The integration dialog.  It is modeless and has no owner, so that it can
// sit minimised while its timer runs the watcher; every button press writes
// the two check boxes back to the registry, where the hook library inside
// the IDE reads them.
#include "tvide.h"

#include "tvide_res.h"

namespace {

constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchPeriodMs = 250;

void set_check(HWND dlg, int id, DWORD value)
{
    CheckDlgButton(dlg, id, value ? BST_CHECKED : BST_UNCHECKED);
}

DWORD get_check(HWND dlg, int id)
{
    return IsDlgButtonChecked(dlg, id) == BST_CHECKED ? 1 : 0;
}

INT_PTR CALLBACK about_proc(HWND dlg, UINT msg, WPARAM, LPARAM)
{
    if (msg == WM_INITDIALOG)
        return TRUE;
    if (msg == WM_COMMAND || msg == WM_CLOSE) {
        EndDialog(dlg, 0);
        return TRUE;
    }
    return FALSE;
}

void end_program(HWND dlg)
{
    KillTimer(dlg, kWatchTimer);
    DestroyWindow(dlg);
    PostQuitMessage(0);
}

void on_command(HWND dlg, int id)
{
    tvide_settings_t &s = g_tvide.tv_settings;
    s.ts_save_all = get_check(dlg, IDC_TVIDE_SAVE_ALL);
    s.ts_ide_save_all = get_check(dlg, IDC_TVIDE_IDE_SAVE);
    tvide_settings_write(&s);
    switch (id) {
    case IDC_TVIDE_OK:
        ShowWindow(dlg, SW_MINIMIZE);
        break;
    case IDC_TVIDE_ABOUT:
        DialogBoxParamA(g_tvide.tv_inst, MAKEINTRESOURCEA(IDD_TVIDE_ABOUT), dlg, about_proc, 0);
        break;
    case IDC_TVIDE_EXIT:
    case IDC_TVIDE_CANCEL:
    case IDC_TVIDE_CLOSE:
        end_program(dlg);
        break;
    default:
        break;
    }
}

INT_PTR CALLBACK dialog_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        set_check(dlg, IDC_TVIDE_SAVE_ALL, g_tvide.tv_settings.ts_save_all);
        set_check(dlg, IDC_TVIDE_IDE_SAVE, g_tvide.tv_settings.ts_ide_save_all);
        return TRUE;
    case WM_COMMAND:
        on_command(dlg, LOWORD(wp));
        return TRUE;
    case WM_CLOSE:
        on_command(dlg, IDC_TVIDE_CLOSE);
        return TRUE;
    case WM_TIMER:
        if (wp == kWatchTimer)
            tvide_watch();
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

int tvide_dialog_run(void)
{
    HWND dlg = CreateDialogParamA(g_tvide.tv_inst, MAKEINTRESOURCEA(IDD_TVIDE), nullptr,
                                  dialog_proc, 0);
    if (!dlg) {
        tvide_log("CreateDialog failed, error=%lu\n", GetLastError());
        return 1;
    }
    g_tvide.tv_dialog = dlg;
    HICON icon = LoadIconA(g_tvide.tv_inst, MAKEINTRESOURCEA(IDI_TVIDE));
    if (icon)
        SetClassLongPtrA(dlg, GCLP_HICON, (LONG_PTR)icon);
    RECT r;
    if (GetWindowRect(dlg, &r))
        MoveWindow(dlg, 100, 150, r.right - r.left, r.bottom - r.top, FALSE);
    ShowWindow(dlg, SW_SHOWNORMAL);
    if (!SetTimer(dlg, kWatchTimer, kWatchPeriodMs, nullptr))
        tvide_log("SetTimer failed\n");

    MSG msg;
    int got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        if (IsWindow(dlg) && IsDialogMessageA(dlg, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    tvide_watch_done();
    return got < 0 ? 1 : (int)msg.wParam;
}
