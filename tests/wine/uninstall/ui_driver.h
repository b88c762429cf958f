#ifndef TV_UI_DRIVER_H
#define TV_UI_DRIVER_H
// Window automation of another process's dialogs: find them by title,
// read their controls and press their buttons, always with a time limit.
#include <windows.h>

#include <string>

namespace ui {

// The visible top-level dialog of process `pid` with this title, waited
// for up to `timeout_ms`; null when none came.
HWND wait_dialog(DWORD pid, const std::string &title, int timeout_ms = 20000);
// Any top-level dialog of the process, with its title in *title.
HWND wait_any_dialog(DWORD pid, std::string *title, int timeout_ms = 20000);

std::string text_of(HWND w);
std::string class_of(HWND w);
// The longest static text of a dialog: a message box's message.
std::string static_text(HWND dlg);

// Presses a button by BM_CLICK and waits up to `timeout_ms` for the
// owner's handling of it (the removal runs inside it).
bool click(HWND dlg, int id, int timeout_ms = 120000);

} // namespace ui

#endif
