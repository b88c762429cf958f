// tolva.exe for the tests: plays the part of the editor that our programs
// talk to.  It serves DDE service "Tolva" topic "COMMAND", creates windows
// of the classes "Tolva_WNDCLASS" and "Tolva_INSTANCE_WNDCLASS", answers the
// registered message "Tolva_edit", and appends one line per event, in
// order, to its log:
//
//   cmdline: <its own command line, raw>
//   dde: <text of an XTYP_EXECUTE command>
//   Tolva_edit: wParam=<unsigned> lParam=<signed>
//
// Environment:
//   TOLVA_LOG           log file (default tolva.log in the current directory)
//   TOLVA_READY_EVENT   named event set once the DDE service is registered
//   TOLVA_STOP_EVENT    named event that asks it to exit
//   TOLVA_PARENT_PID    process whose end makes it exit
// It also exits on the DDE command "tolva_standin_exit" and on WM_CLOSE.
// After logging "Tolva_edit" it activates, by a sent WM_ACTIVATE, a window
// of class "Tolva_test_activate" if one exists: the way a sender's own
// window becomes active while it waits for the reply.
// With -single_inst and an instance already running it only logs its
// command line and exits, as the running editor would take the files.
#include <windows.h>
#include <ddeml.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

constexpr const char *kService = "Tolva";
constexpr const char *kTopic = "COMMAND";
constexpr const char *kExitCommand = "tolva_standin_exit";

struct standin_t {
    HANDLE st_log = INVALID_HANDLE_VALUE;
    DWORD st_inst = 0;
    HSZ st_service = nullptr;
    HSZ st_topic = nullptr;
    UINT st_edit_msg = 0;
    HWND st_main = nullptr;
    HWND st_instance = nullptr;
};

standin_t g_standin;

void log_line(const std::string &text)
{
    if (g_standin.st_log == INVALID_HANDLE_VALUE)
        return;
    // One write per line: with FILE_APPEND_DATA each lands whole at the end,
    // even when a second instance logs to the same file.
    std::string line = text + "\n";
    DWORD done = 0;
    WriteFile(g_standin.st_log, line.data(), (DWORD)line.size(), &done, nullptr);
}

std::string env(const char *name)
{
    char buf[1024];
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

bool has_switch(const char *cmdline, const char *sw)
{
    const char *p = strstr(cmdline, sw);
    size_t len = strlen(sw);
    return p && (p == cmdline || p[-1] == ' ' || p[-1] == '\t') &&
           (p[len] == '\0' || p[len] == ' ' || p[len] == '\t');
}

HDDEDATA CALLBACK dde_callback(UINT type, UINT, HCONV, HSZ hsz1, HSZ, HDDEDATA data,
                               ULONG_PTR, ULONG_PTR)
{
    switch (type) {
    case XTYP_CONNECT:
        // hsz1 is the topic; the service was matched by the DDE library.
        return (HDDEDATA)(ULONG_PTR)(DdeCmpStringHandles(hsz1, g_standin.st_topic) == 0);
    case XTYP_EXECUTE: {
        DWORD size = DdeGetData(data, nullptr, 0, 0);
        std::string text(size, '\0');
        if (size)
            DdeGetData(data, reinterpret_cast<LPBYTE>(text.data()), size, 0);
        text.resize(strnlen(text.c_str(), text.size()));
        log_line("dde: " + text);
        if (text == kExitCommand)
            PostQuitMessage(0);
        return (HDDEDATA)DDE_FACK;
    }
    default:
        return nullptr;
    }
}

LRESULT CALLBACK wnd_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == g_standin.st_edit_msg && msg != 0) {
        char buf[96];
        snprintf(buf, sizeof buf, "Tolva_edit: wParam=%llu lParam=%lld",
                 (unsigned long long)wp, (long long)lp);
        log_line(buf);
        if (HWND w = FindWindowA("Tolva_test_activate", nullptr))
            SendMessageA(w, WM_ACTIVATE, WA_ACTIVE, 0);
        return 0;
    }
    if (msg == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

bool make_windows(HINSTANCE inst)
{
    for (const char *cls : {"Tolva_WNDCLASS", "Tolva_INSTANCE_WNDCLASS"}) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = wnd_proc;
        wc.hInstance = inst;
        wc.lpszClassName = cls;
        if (!RegisterClassA(&wc))
            return false;
    }
    // Ordinary top-level windows (never shown): FindWindow does not see
    // message-only windows.
    g_standin.st_main = CreateWindowA("Tolva_WNDCLASS", "Tolva", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                      100, nullptr, nullptr, inst, nullptr);
    g_standin.st_instance = CreateWindowA("Tolva_INSTANCE_WNDCLASS", "Tolva instance",
                                          WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                          inst, nullptr);
    return g_standin.st_main && g_standin.st_instance;
}

bool start_dde()
{
    UINT flags = APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_REQUESTS | CBF_FAIL_POKES |
                 CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS;
    if (DdeInitializeA(&g_standin.st_inst, dde_callback, flags, 0) != DMLERR_NO_ERROR)
        return false;
    g_standin.st_service = DdeCreateStringHandleA(g_standin.st_inst, kService, CP_WINANSI);
    g_standin.st_topic = DdeCreateStringHandleA(g_standin.st_inst, kTopic, CP_WINANSI);
    return g_standin.st_service && g_standin.st_topic &&
           DdeNameService(g_standin.st_inst, g_standin.st_service, nullptr, DNS_REGISTER);
}

void stop_dde()
{
    if (!g_standin.st_inst)
        return;
    if (g_standin.st_service) {
        DdeNameService(g_standin.st_inst, g_standin.st_service, nullptr, DNS_UNREGISTER);
        DdeFreeStringHandle(g_standin.st_inst, g_standin.st_service);
    }
    if (g_standin.st_topic)
        DdeFreeStringHandle(g_standin.st_inst, g_standin.st_topic);
    DdeUninitialize(g_standin.st_inst);
    g_standin.st_inst = 0;
}

// Pumps messages until a quit message, the stop event or the parent's end.
void serve(HANDLE stop, HANDLE parent)
{
    HANDLE waits[2];
    DWORD n = 0;
    if (stop)
        waits[n++] = stop;
    if (parent)
        waits[n++] = parent;
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(n, waits, FALSE, INFINITE, QS_ALLINPUT);
        if (r < WAIT_OBJECT_0 + n || r == WAIT_FAILED)
            return;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

} // namespace

int main()
{
    std::string log_path = env("TOLVA_LOG");
    if (log_path.empty())
        log_path = "tolva.log";
    g_standin.st_log = CreateFileA(log_path.c_str(), FILE_APPEND_DATA,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const char *cmdline = GetCommandLineA();
    log_line(std::string("cmdline: ") + cmdline);

    if (has_switch(cmdline, "-single_inst") && FindWindowA("Tolva_WNDCLASS", nullptr)) {
        CloseHandle(g_standin.st_log);
        return 0;
    }

    HANDLE stop = nullptr, parent = nullptr, ready = nullptr;
    std::string name = env("TOLVA_STOP_EVENT");
    if (!name.empty())
        stop = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    name = env("TOLVA_PARENT_PID");
    if (!name.empty())
        parent = OpenProcess(SYNCHRONIZE, FALSE, (DWORD)strtoul(name.c_str(), nullptr, 10));

    g_standin.st_edit_msg = RegisterWindowMessageA("Tolva_edit");
    int status = 0;
    if (!make_windows(GetModuleHandleA(nullptr)) || !start_dde()) {
        fprintf(stderr, "tolva stand-in: cannot set up windows or DDE (error %lu)\n",
                GetLastError());
        status = 2;
    } else {
        name = env("TOLVA_READY_EVENT");
        if (!name.empty()) {
            ready = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
            if (ready)
                SetEvent(ready);
        }
        serve(stop, parent);
    }

    stop_dde();
    if (g_standin.st_instance)
        DestroyWindow(g_standin.st_instance);
    if (g_standin.st_main)
        DestroyWindow(g_standin.st_main);
    for (HANDLE h : {stop, parent, ready})
        if (h)
            CloseHandle(h);
    if (g_standin.st_log != INVALID_HANDLE_VALUE)
        CloseHandle(g_standin.st_log);
    return status;
}
