// The tracker (tvide -track): a hidden process that installs the library's
// hooks on the IDE's user-interface thread and lives exactly as long as the
// IDE's main window.  Its window is never shown; its title tells the
// watcher, and a second tracker, that one runs.
#include "tvide.h"

#include "tvidedll/tvidedll.h"

namespace {

constexpr UINT_PTR kEndTimer = 1;
constexpr UINT kEndCheckMs = 1000;

struct tracker_t {
    HWND tr_ide = nullptr;
};

tracker_t s_tracker;

VOID CALLBACK end_check(HWND, UINT, UINT_PTR, DWORD)
{
    if (!IsWindow(s_tracker.tr_ide))
        PostQuitMessage(0);
}

HWND make_window(void)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = g_tvide.tv_inst;
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = TVIDE_TRACKER_CLASS;
    if (!RegisterClassA(&wc))
        return nullptr;
    return CreateWindowA(TVIDE_TRACKER_CLASS, TVIDE_TRACKER_TITLE, WS_OVERLAPPEDWINDOW, 200, 200,
                         50, 40, nullptr, nullptr, g_tvide.tv_inst, nullptr);
}

} // namespace

int tvide_tracker_run(void)
{
    tvide_log_init("c:/tmp/tvide_tracker.log");
    HWND ide = nullptr;
    if (!tvide_find_ide(&ide))
        return 0;
    // Two trackers would hook the IDE twice and hand every document over
    // twice; the first one keeps the job.
    if (FindWindowA(nullptr, TVIDE_TRACKER_TITLE))
        return 0;
    s_tracker.tr_ide = ide;
    HWND self = make_window();
    if (!self) {
        tvide_log("cannot create the tracker window, error=%lu\n", GetLastError());
        return 1;
    }

    HMODULE dll = LoadLibraryA(TVIDE_DLL_NAME);
    // Through void *: a FARPROC takes no arguments, the entry point does.
    auto install = dll ? reinterpret_cast<msvc_install_hook_fn>(reinterpret_cast<void *>(
                             GetProcAddress(dll, TVIDE_INSTALL_EXPORT)))
                       : nullptr;
    if (!install) {
        tvide_print("Failed to load %s\n", TVIDE_DLL_NAME);
        tvide_log("Failed to load %s\n", TVIDE_DLL_NAME);
        DestroyWindow(self);
        return 1;
    }
    DWORD tid = GetWindowThreadProcessId(ide, nullptr);
    install(dll, ide, tid);

    if (!SetTimer(nullptr, kEndTimer, kEndCheckMs, end_check)) {
        tvide_log("SetTimer failed\n");
        DestroyWindow(self);
        return 1;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DestroyWindow(self);
    return 0;
}
