// The "&Tolva!" item on the IDE's menu bar.  The IDE rebuilds its bar when
// it changes mode (editing, debugging), which drops items it does not know,
// so a periodic timer looks again and puts the item back.
#include "dll_state.h"

namespace {

VOID CALLBACK menu_timer(HWND, UINT, UINT_PTR, DWORD)
{
    dll_menu_step();
}

bool menu_wanted(void)
{
    return g_dll.ds_in_ide && g_dll.ds_ide_main && (!g_dll.ds_ide || g_dll.ds_ide->ir_kind == 0);
}

} // namespace

void dll_menu_step(void)
{
    if (!menu_wanted())
        return;
    HWND main = g_dll.ds_ide_main;
    if (!IsWindow(main)) {
        // The IDE is closing: nothing left to put the item on.
        if (g_dll.ds_menu_timer)
            KillTimer(nullptr, g_dll.ds_menu_timer);
        g_dll.ds_menu_timer = 0;
        return;
    }
    DWORD pid = GetCurrentProcessId();
    HMENU bar = GetMenu(main);
    if (!bar) {
        tvide_log("pid:%x GetMenu failed\n", (unsigned)pid);
        return;
    }
    if (GetMenuState(bar, TVIDE_MENU_ID, MF_BYCOMMAND) != (UINT)-1)
        return;
    if (!AppendMenuA(bar, MF_STRING, TVIDE_MENU_ID, TVIDE_MENU_TEXT)) {
        tvide_log("pid:%x AppendMenu failed\n", (unsigned)pid);
        return;
    }
    g_dll.ds_menu_added = true;
    DrawMenuBar(main);
    tvide_log("pid:%x hwnd=%x mymenu: %x tid=%x\n", (unsigned)pid,
              (unsigned)(UINT_PTR)main, (unsigned)(UINT_PTR)bar,
              (unsigned)GetCurrentThreadId());
    if (!g_dll.ds_menu_timer) {
        g_dll.ds_menu_timer =
            SetTimer(nullptr, TVIDE_MENU_TIMER_ID, TVIDE_MENU_PERIOD_MS, menu_timer);
        if (!g_dll.ds_menu_timer)
            tvide_log("SetTimer failed\n");
    }
}

void dll_menu_remove(void)
{
    // Once the library is gone the item would do nothing: take it away.
    HWND main = g_dll.ds_ide_main;
    if (!g_dll.ds_menu_added || !IsWindow(main))
        return;
    HMENU bar = GetMenu(main);
    if (bar && DeleteMenu(bar, TVIDE_MENU_ID, MF_BYCOMMAND))
        DrawMenuBar(main);
    g_dll.ds_menu_added = false;
}
