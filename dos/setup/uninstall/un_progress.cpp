// Progress output.  Messages go to the dialog's edit control once it
// exists, before that to a message box.  The control keeps the newest
// UN_EDIT_KEEP characters: an edit control stops taking text near 32K, and
// a long removal reports far more than that.
#include "uninstall.h"

#include <stdarg.h>
#include <string.h>

#include "wrenlib/fmt.h"

std::string un_shape_message(const char *msg, bool truncated)
{
    std::string out;
    for (const char *p = msg; *p; p++) {
        if (*p == '\n') {
            if (out.empty() || out.back() != '\r')
                out += '\r';
            out += '\n';
            return out;
        }
        out += *p;
    }
    // A message cut at the bound still ends its line, so the next one
    // does not run on after it.
    if (truncated)
        out += "\r\n";
    return out;
}

int un_trim_count(int len)
{
    return len > UN_EDIT_KEEP ? len - UN_EDIT_KEEP : 0;
}

void un_pump_messages(void)
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            // Leave it for the dialog's own loop.
            PostQuitMessage((int)m.wParam);
            return;
        }
        if (g_un.us_dialog && IsDialogMessageA(g_un.us_dialog, &m))
            continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

namespace {

void append_to_edit(HWND edit, const std::string &text)
{
    int len = GetWindowTextLengthA(edit);
    int drop = un_trim_count(len);
    if (drop > 0) {
        SendMessageA(edit, EM_SETSEL, 0, drop);
        SendMessageA(edit, EM_REPLACESEL, FALSE, (LPARAM) "");
        len -= drop;
    }
    SendMessageA(edit, EM_SETSEL, len, len);
    SendMessageA(edit, EM_REPLACESEL, FALSE, (LPARAM)text.c_str());
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

} // namespace

void un_report(const char *fmt, ...)
{
    // Formatted with room to spare, so a cut at the bound can be told
    // from a message that just fits.
    char msg[4 * (UN_MSG_MAX + 1)];
    va_list ap;
    va_start(ap, fmt);
    int n = wl_vsnprintf(msg, sizeof msg, fmt, ap);
    va_end(ap);
    bool truncated = n > UN_MSG_MAX;
    msg[UN_MSG_MAX] = '\0';
    std::string text = un_shape_message(msg, truncated);
    UN_LOG("%s", text.c_str());
    if (g_un.us_edit) {
        append_to_edit(g_un.us_edit, text);
        un_pump_messages();
    } else {
        char title[128];
        wl_snprintf(title, sizeof title, "Tolva v%d.%d Editor", UN_VERSION_MAJOR,
                    UN_VERSION_MINOR);
        MessageBoxA(nullptr, text.c_str(), title, MB_OK | MB_ICONINFORMATION);
    }
}
