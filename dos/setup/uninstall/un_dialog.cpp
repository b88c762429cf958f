// The progress dialog: its icon, title and place on the screen, and the
// two buttons.
#include "uninstall.h"

#include <algorithm>

#include "un_res.h"
#include "wrenlib/fmt.h"

namespace {

// Centred on the work area (the whole screen when there is none), no
// closer than a border to the left and a caption to the top, and wholly
// on the screen.  With the debug log on it sits in the top left corner,
// out of the way of the windows being debugged.
void place(HWND dlg)
{
    RECT wa;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0) || wa.right <= wa.left ||
        wa.bottom <= wa.top)
        wa = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT r;
    GetWindowRect(dlg, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    int x = wa.left, y = wa.top;
    if (!g_un.us_debug) {
        const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
        x = wa.left + (wa.right - wa.left - w) / 2;
        y = wa.top + (wa.bottom - wa.top - h) / 2;
        x = std::max(std::min(x, sw - w), (int)wa.left + GetSystemMetrics(SM_CXBORDER));
        y = std::max(std::min(y, sh - h), (int)wa.top + GetSystemMetrics(SM_CYCAPTION));
    }
    SetWindowPos(dlg, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void init_dialog(HWND dlg)
{
    HICON icon = LoadIconA(g_un.us_inst, "Tolva");
    if (icon) {
        SendMessageA(dlg, WM_SETICON, ICON_BIG, (LPARAM)icon);
        SendMessageA(dlg, WM_SETICON, ICON_SMALL, (LPARAM)icon);
    }
    char title[128];
    wl_snprintf(title, sizeof title, "Uninstalling Tolva Editor v%d.%d.%d%c Build %d",
                UN_VERSION_MAJOR, UN_VERSION_MINOR, UN_PATCH, UN_LETTER, UN_BUILD);
    SetWindowTextA(dlg, title);
    place(dlg);

    HWND edit = GetDlgItem(dlg, IDC_UN_EDIT);
    SetWindowTextA(edit, "Removing files...\r\n\r\n");
    SendMessageA(edit, EM_SETREADONLY, TRUE, 0);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    int len = GetWindowTextLengthA(edit);
    SendMessageA(edit, EM_SETSEL, len, len);
    g_un.us_dialog = dlg;
    g_un.us_edit = edit;
}

void proceed(HWND dlg)
{
    if (g_un.us_busy)
        return;
    g_un.us_busy = true;
    HWND button = GetDlgItem(dlg, IDC_UN_PROCEED);
    // Focus leaves the button before it goes grey, so the keyboard still
    // reaches the dialog.
    SetFocus(GetDlgItem(dlg, IDC_UN_EXIT));
    EnableWindow(button, FALSE);
    un_run_removal();
    g_un.us_busy = false;
}

} // namespace

INT_PTR CALLBACK un_dialog_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        init_dialog(dlg);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_UN_PROCEED:
            proceed(dlg);
            return TRUE;
        case IDC_UN_EXIT:
            EndDialog(dlg, 1);
            return TRUE;
        }
        break;
    case WM_DESTROY:
        g_un.us_dialog = nullptr;
        g_un.us_edit = nullptr;
        break;
    }
    return FALSE;
}
