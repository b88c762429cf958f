// Window automation across processes.  Every call that reaches into the
// other process carries a time-out, so a hung program fails the test
// instead of stopping it.
#include "ui_driver.h"

#include <vector>

namespace ui {

namespace {

struct search_t {
    DWORD s_pid;
    const std::string *s_title;  // null: any title
    HWND s_found;
};

BOOL CALLBACK match_top(HWND w, LPARAM lp)
{
    auto *s = reinterpret_cast<search_t *>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->s_pid || !IsWindowVisible(w) || class_of(w) != "#32770")
        return TRUE;
    if (s->s_title && text_of(w) != *s->s_title)
        return TRUE;
    s->s_found = w;
    return FALSE;
}

HWND find(DWORD pid, const std::string *title, int timeout_ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        search_t s{pid, title, nullptr};
        EnumWindows(match_top, reinterpret_cast<LPARAM>(&s));
        if (s.s_found)
            return s.s_found;
        if ((int)(GetTickCount() - start) > timeout_ms)
            return nullptr;
        Sleep(20);
    }
}

BOOL CALLBACK longest_static(HWND w, LPARAM lp)
{
    auto *best = reinterpret_cast<std::string *>(lp);
    if (class_of(w) == "Static") {
        std::string t = text_of(w);
        if (t.size() > best->size())
            *best = t;
    }
    return TRUE;
}

} // namespace

HWND wait_dialog(DWORD pid, const std::string &title, int timeout_ms)
{
    return find(pid, &title, timeout_ms);
}

HWND wait_any_dialog(DWORD pid, std::string *title, int timeout_ms)
{
    HWND w = find(pid, nullptr, timeout_ms);
    if (w && title)
        *title = text_of(w);
    return w;
}

std::string text_of(HWND w)
{
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutA(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 10000, &len))
        return "<no answer>";
    std::vector<char> buf(len + 2);
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(w, WM_GETTEXT, buf.size(), (LPARAM)buf.data(), SMTO_ABORTIFHUNG,
                             10000, &got))
        return "<no answer>";
    return std::string(buf.data(), got);
}

std::string class_of(HWND w)
{
    char name[256];
    int n = GetClassNameA(w, name, sizeof name);
    return n > 0 ? std::string(name, n) : std::string();
}

std::string static_text(HWND dlg)
{
    std::string best;
    EnumChildWindows(dlg, longest_static, reinterpret_cast<LPARAM>(&best));
    return best;
}

bool click(HWND dlg, int id, int timeout_ms)
{
    HWND b = GetDlgItem(dlg, id);
    if (!b)
        return false;
    DWORD_PTR r = 0;
    return SendMessageTimeoutA(b, BM_CLICK, 0, 0, SMTO_NORMAL, timeout_ms, &r) != 0;
}

} // namespace ui
