// The Developer Studio stand-in of the tests: a main window with the IDE's
// title and a menu bar, one MDI child frame ("AfxMDIFrame40") with a view
// per document, answers to "MsvcEditorCurPos" and to the save command, and
// the framework provider.  Written only from what the hook library expects
// of the IDE.
//
//   ide_standin SETUP-FILE
//
// The set-up file has one directive a line:
//   title TEXT            main window title
//   log PATH              log to append to (shared with the editor stand-in)
//   parent PID            exit when that process ends
//   noapp                 the framework has no application object
//   template NAME         a document template; the docs below belong to it
//   doc LINE COL FLAGS PATH   a document: FLAGS of m (modified), r (its
//                         save fails), o (view in another frame), n (no
//                         view), or -
//   active N              the N-th document (from 0) is the active one
//
// Log lines: "ide: module NAME", "ide: save PATH", "ide: save refused PATH",
// "ide: command ID", "ide: menu TEXT".
//
// The registered message "IdeStandin_control" on the main window asks:
//   wParam 0  number of menu-bar items with the library's identifier
//             (lParam 1: also log their texts)
//   wParam 1  replace the menu bar with a fresh one, as the IDE does when
//             it changes mode
//   wParam 2  number of documents still modified
//   wParam 3  the lParam-th document becomes modified (the user types)
//   wParam 4  the lParam-th document becomes the active one (-1: none)
//   wParam 5  1 when the main window is its thread's active window
//   wParam 6  1 when the hook library is loaded in the process
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

#include "ide_standin.h"
#include "tvidedll.h"

ide_app_s g_app;

namespace {

constexpr const char *kFrameClass = "IdeStandinFrame";
constexpr const char *kViewClass = "IdeStandinView";
constexpr UINT_PTR kIdleTimer = 1;

struct standin_t {
    std::string sd_title = "Microsoft Developer Studio";
    std::string sd_log;
    HANDLE sd_parent = nullptr;
    UINT sd_curpos = 0;
    UINT sd_control = 0;
    HWND sd_main = nullptr;
    std::vector<ide_doc_s *> sd_docs;
};

standin_t s_ide;

bool read_setup(const char *path)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    int active = -1;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream ls(line);
        std::string word;
        ls >> word;
        std::string rest;
        std::getline(ls >> std::ws, rest);
        if (word == "title") {
            s_ide.sd_title = rest;
        } else if (word == "log") {
            s_ide.sd_log = rest;
        } else if (word == "parent") {
            s_ide.sd_parent = OpenProcess(SYNCHRONIZE, FALSE, (DWORD)strtoul(rest.c_str(), 0, 10));
        } else if (word == "noapp") {
            g_app.ap_present = false;
        } else if (word == "template") {
            g_app.ap_templates.push_back(new ide_template_s{rest, {}});
        } else if (word == "doc" && !g_app.ap_templates.empty()) {
            auto *d = new ide_doc_s;
            std::istringstream ds(rest);
            std::string flags;
            ds >> d->dc_line >> d->dc_column >> flags;
            std::getline(ds >> std::ws, d->dc_path);
            d->dc_modified = flags.find('m') != std::string::npos;
            d->dc_refuse_save = flags.find('r') != std::string::npos;
            d->dc_other_frame = flags.find('o') != std::string::npos;
            d->dc_no_view = flags.find('n') != std::string::npos;
            g_app.ap_templates.back()->tp_docs.push_back(d);
            s_ide.sd_docs.push_back(d);
        } else if (word == "active") {
            active = atoi(rest.c_str());
        }
    }
    if (active >= 0 && active < (int)s_ide.sd_docs.size())
        g_app.ap_active = s_ide.sd_docs[active];
    return true;
}

HMENU make_menu_bar(void)
{
    HMENU bar = CreateMenu();
    const char *names[] = {"&File", "&Edit", "&Window"};
    UINT id = 100;
    for (const char *name : names) {
        HMENU popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, id++, "&Open");
        AppendMenuA(bar, MF_POPUP, (UINT_PTR)popup, name);
    }
    return bar;
}

LRESULT menu_query(bool log_texts)
{
    HMENU bar = GetMenu(s_ide.sd_main);
    int found = 0;
    for (int i = 0, n = bar ? GetMenuItemCount(bar) : 0; i < n; i++) {
        if (GetMenuItemID(bar, i) != TVIDE_MENU_ID)
            continue;
        found++;
        char text[64] = "";
        GetMenuStringA(bar, i, text, sizeof text, MF_BYPOSITION);
        if (log_texts)
            ide_log(std::string("ide: menu ") + text);
    }
    return found;
}

LRESULT control(WPARAM what, LPARAM lp)
{
    switch (what) {
    case 0:
        return menu_query(lp == 1);
    case 1: {
        HMENU old = GetMenu(s_ide.sd_main);
        SetMenu(s_ide.sd_main, make_menu_bar());
        if (old)
            DestroyMenu(old);
        return 1;
    }
    case 2: {
        int n = 0;
        for (ide_doc_s *d : s_ide.sd_docs)
            n += d->dc_modified;
        return n;
    }
    case 3:
        if (lp < 0 || lp >= (LPARAM)s_ide.sd_docs.size())
            return 0;
        s_ide.sd_docs[lp]->dc_modified = true;
        return 1;
    case 4:
        g_app.ap_active =
            lp >= 0 && lp < (LPARAM)s_ide.sd_docs.size() ? s_ide.sd_docs[lp] : nullptr;
        return 1;
    case 5:
        return GetActiveWindow() == s_ide.sd_main;
    case 6:
        return GetModuleHandleA("tvidedll.dll") != nullptr;
    default:
        return 0;
    }
}

// The save command, as the framework routes it: to the active document.
// The reply is zero when there is none or it cannot be saved.
LRESULT save_active(void)
{
    ide_doc_s *d = g_app.ap_active;
    if (!d)
        return 0;
    if (d->dc_modified && d->dc_refuse_save) {
        ide_log("ide: save refused " + d->dc_path);
        return 0;
    }
    if (d->dc_modified)
        ide_log("ide: save " + d->dc_path);
    d->dc_modified = false;
    return 1;
}

LRESULT CALLBACK frame_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == s_ide.sd_control && msg)
        return control(wp, lp);
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wp) == TVIDE_IDE_SAVE_COMMAND)
            return save_active();
        ide_log("ide: command " + std::to_string(LOWORD(wp)));
        return 0;
    case WM_TIMER:
        // The IDE's idle work; also notices the end of the test.
        if (s_ide.sd_parent && WaitForSingleObject(s_ide.sd_parent, 0) == WAIT_OBJECT_0)
            DestroyWindow(w);
        return 0;
    case WM_CLOSE:
        DestroyWindow(w);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(w, msg, wp, lp);
    }
}

LRESULT CALLBACK view_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == s_ide.sd_curpos && msg) {
        auto *d = reinterpret_cast<ide_doc_s *>(GetWindowLongPtrA(w, GWLP_USERDATA));
        return d ? (wp == 0 ? d->dc_line : d->dc_column) : 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

bool register_class(const char *name, WNDPROC proc, HINSTANCE inst)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = inst;
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

bool make_windows(HINSTANCE inst)
{
    if (!register_class(kFrameClass, frame_proc, inst) ||
        !register_class(kViewClass, view_proc, inst) ||
        !register_class("AfxMDIFrame40", DefWindowProcA, inst) ||
        !register_class("AfxFrameOrView40", DefWindowProcA, inst))
        return false;
    s_ide.sd_main = CreateWindowA(kFrameClass, s_ide.sd_title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0,
                                  640, 480, nullptr, make_menu_bar(), inst, nullptr);
    if (!s_ide.sd_main)
        return false;
    for (ide_doc_s *d : s_ide.sd_docs) {
        if (d->dc_no_view)
            continue;
        HWND frame = CreateWindowA(d->dc_other_frame ? "AfxFrameOrView40" : "AfxMDIFrame40", "",
                                   WS_CHILD, 0, 0, 100, 100, s_ide.sd_main, nullptr, inst, nullptr);
        d->dc_view = CreateWindowA(kViewClass, "", WS_CHILD, 0, 0, 100, 100, frame, nullptr, inst,
                                   nullptr);
        if (!frame || !d->dc_view)
            return false;
        SetWindowLongPtrA(d->dc_view, GWLP_USERDATA, (LONG_PTR)d);
    }
    return true;
}

} // namespace

void ide_log(const std::string &line)
{
    if (s_ide.sd_log.empty())
        return;
    HANDLE h = CreateFileA(s_ide.sd_log.c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    std::string text = line + "\n";
    DWORD done = 0;
    WriteFile(h, text.data(), (DWORD)text.size(), &done, nullptr);
    CloseHandle(h);
}

int main(int argc, char **argv)
{
    if (argc != 2 || !read_setup(argv[1])) {
        fprintf(stderr, "usage: ide_standin SETUP-FILE\n");
        return 2;
    }
    s_ide.sd_curpos = RegisterWindowMessageA("MsvcEditorCurPos");
    s_ide.sd_control = RegisterWindowMessageA("IdeStandin_control");
    HINSTANCE inst = GetModuleHandleA(nullptr);
    if (!make_windows(inst)) {
        fprintf(stderr, "ide_standin: cannot create its windows (error %lu)\n", GetLastError());
        return 2;
    }
    ShowWindow(s_ide.sd_main, SW_SHOWNORMAL);
    SetTimer(s_ide.sd_main, kIdleTimer, 100, nullptr);
    // The framework's loop looks at the queue before it takes a message,
    // to know when the application is idle: the message hook sees most
    // messages twice, once without removal.
    MSG msg;
    for (;;) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
            WaitMessage();
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0)
            break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
