// The integration tests' processes, registry keys and installation.
#include "tvide_fixture.h"

#include <stdio.h>
#include <string.h>

#include <fstream>

namespace tvt {

bool wait_until(const std::function<bool()> &done, int timeout_ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (done())
            return true;
        if ((int)(GetTickCount() - start) > timeout_ms)
            return false;
        Sleep(20);
    }
}

// ---- registry -------------------------------------------------------------

void reg_delete(const char *key)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, key);
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
}

namespace {

bool reg_set(const char *key, const std::string &name, DWORD type, const void *data, DWORD size)
{
    HKEY h = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(h, name.c_str(), 0, type, static_cast<const BYTE *>(data), size) ==
              ERROR_SUCCESS;
    RegCloseKey(h);
    return ok;
}

bool reg_get(const char *key, const std::string &name, DWORD want, std::string *data)
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    bool ok = RegQueryValueExA(h, name.c_str(), nullptr, &type, nullptr, &size) ==
                  ERROR_SUCCESS &&
              type == want;
    if (ok) {
        data->assign(size, '\0');
        ok = RegQueryValueExA(h, name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE *>(data->data()), &size) == ERROR_SUCCESS;
        data->resize(size);
    }
    RegCloseKey(h);
    return ok;
}

} // namespace

bool reg_set_dword(const char *key, const std::string &name, DWORD value)
{
    return reg_set(key, name, REG_DWORD, &value, sizeof value);
}

bool reg_set_string(const char *key, const std::string &name, const std::string &value)
{
    return reg_set(key, name, REG_SZ, value.c_str(), (DWORD)value.size() + 1);
}

std::optional<DWORD> reg_dword(const char *key, const std::string &name)
{
    std::string data;
    if (!reg_get(key, name, REG_DWORD, &data) || data.size() != sizeof(DWORD))
        return std::nullopt;
    DWORD v;
    memcpy(&v, data.data(), sizeof v);
    return v;
}

std::optional<std::string> reg_string(const char *key, const std::string &name)
{
    std::string data;
    if (!reg_get(key, name, REG_SZ, &data))
        return std::nullopt;
    while (!data.empty() && data.back() == '\0')
        data.pop_back();
    return data;
}

void set_settings(DWORD load_all, DWORD save_all, DWORD ide_save_all)
{
    reg_set_dword(kSettingsKey, "Tolva_load_all", load_all);
    reg_set_dword(kSettingsKey, "Tolva_save_all", save_all);
    reg_set_dword(kSettingsKey, "IDE_save_all", ide_save_all);
}

// ---- installation -----------------------------------------------------------

install_dir::install_dir(const char *tag, bool with_dll) : id_tmp(tag)
{
    // The logs of the programs, kept for a failing test to show.
    CreateDirectoryA("C:\\tmp", nullptr);
    id_ok = !id_tmp.path().empty() &&
            CopyFileA(winkit::win_path(TV_TVIDE_EXE).c_str(), tvide().c_str(), FALSE) &&
            CopyFileA(winkit::win_path(TV_STANDIN_EXE).c_str(), editor().c_str(), FALSE) &&
            (!with_dll || CopyFileA(winkit::win_path(TV_TVIDEDLL_DLL).c_str(),
                                    file("tvidedll.dll").c_str(), FALSE));
}

// ---- the IDE stand-in ---------------------------------------------------------

namespace {

struct window_search_t {
    DWORD ws_pid;
    const char *ws_class;   // null: any
    const char *ws_title;   // null: any
    HWND ws_found;
};

BOOL CALLBACK match_window(HWND w, LPARAM lp)
{
    auto *ws = reinterpret_cast<window_search_t *>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != ws->ws_pid)
        return TRUE;
    char buf[256];
    if (ws->ws_class && (!GetClassNameA(w, buf, sizeof buf) || strcmp(buf, ws->ws_class) != 0))
        return TRUE;
    if (ws->ws_title && window_text(w) != ws->ws_title)
        return TRUE;
    ws->ws_found = w;
    return FALSE;
}

HWND find_window_of(DWORD pid, const char *cls, const char *title)
{
    window_search_t ws{pid, cls, title, nullptr};
    EnumWindows(match_window, reinterpret_cast<LPARAM>(&ws));
    return ws.ws_found;
}

UINT control_message()
{
    static UINT msg = RegisterWindowMessageA("IdeStandin_control");
    return msg;
}

} // namespace

ide_proc::~ide_proc()
{
    close();
}

bool ide_proc::start(const std::string &dir, const ide_setup &setup)
{
    static unsigned serial;
    char tag[64];
    snprintf(tag, sizeof tag, "tv-ide-%lu-%u", GetCurrentProcessId(), serial++);
    std::string stop_name = std::string(tag) + "-editors-stop";
    ip_editor_stop = CreateEventA(nullptr, TRUE, FALSE, stop_name.c_str());
    ip_log = dir + "\\" + tag + ".log";
    std::string setup_path = dir + "\\" + tag + ".txt";
    {
        std::ofstream out(setup_path);
        out << "title " << setup.is_title << "\n"
            << "log " << ip_log << "\n"
            << "parent " << GetCurrentProcessId() << "\n";
        for (const std::string &line : setup.is_lines)
            out << line << "\n";
    }
    std::string pid = std::to_string(GetCurrentProcessId());
    std::string env = winkit::env_block({{"TOLVA_LOG", ip_log},
                                         {"TOLVA_STOP_EVENT", stop_name},
                                         {"TOLVA_PARENT_PID", pid},
                                         {"TOLVA_READY_EVENT", std::nullopt},
                                         {"TVIDE_DEBUG", std::string("1")}});
    std::string cmd = winkit::quote_arg(winkit::win_path(TV_IDE_STANDIN_EXE)) + " " +
                      winkit::quote_arg(setup_path);
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, env.data(), nullptr,
                        &si, &ip_pi))
        return false;
    ip_pid = ip_pi.dwProcessId;
    wait_until([&] {
        ip_main = find_window_of(ip_pid, "IdeStandinFrame", nullptr);
        return ip_main != nullptr ||
               WaitForSingleObject(ip_pi.hProcess, 0) == WAIT_OBJECT_0;
    }, 20000);
    return ip_main != nullptr;
}

LRESULT ide_proc::control(WPARAM what, LPARAM lp) const
{
    DWORD_PTR r = 0;
    if (!ip_main || !SendMessageTimeoutA(ip_main, control_message(), what, lp,
                                         SMTO_ABORTIFHUNG, 5000, &r))
        return -1;
    return (LRESULT)r;
}

std::vector<std::string> ide_proc::log() const
{
    return winkit::split_lines(winkit::read_file(ip_log));
}

std::vector<std::string> ide_proc::editor_lines() const
{
    std::vector<std::string> out;
    for (const std::string &l : log())
        if (l.rfind("cmdline: ", 0) == 0)
            out.push_back(l.substr(9));
    return out;
}

bool ide_proc::close(int timeout_ms)
{
    bool ended = true;
    if (ip_pi.hProcess) {
        if (ip_main)
            PostMessageA(ip_main, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(ip_pi.hProcess, timeout_ms) != WAIT_OBJECT_0) {
            ended = false;
            TerminateProcess(ip_pi.hProcess, 255);
            WaitForSingleObject(ip_pi.hProcess, 5000);
        }
        CloseHandle(ip_pi.hProcess);
        CloseHandle(ip_pi.hThread);
        ip_pi = {};
        ip_main = nullptr;
    }
    if (ip_editor_stop) {
        SetEvent(ip_editor_stop);
        // The editors started from this IDE see the event at once.
        wait_until([] { return !FindWindowA("Tolva_WNDCLASS", nullptr); }, 5000);
        CloseHandle(ip_editor_stop);
        ip_editor_stop = nullptr;
    }
    return ended;
}

// ---- the tool -------------------------------------------------------------

tvide_proc::~tvide_proc()
{
    tp_child.kill();
}

bool tvide_proc::start(const std::string &exe, const std::string &args)
{
    winkit::child_options opts;
    opts.co_env = {{"TVIDE_DEBUG", std::string("1")}};
    std::string cmd = winkit::quote_arg(exe) + (args.empty() ? "" : " " + args);
    if (!tp_child.start(cmd, opts))
        return false;
    tp_child.close_stdin();
    return true;
}

HWND tvide_proc::wait_dialog(int timeout_ms)
{
    HWND dlg = nullptr;
    wait_until([&] { return (dlg = find_dialog(pid(), kDialogTitle)) != nullptr; }, timeout_ms);
    return dlg;
}

bool tvide_proc::wait(int timeout_ms)
{
    return tp_child.wait(timeout_ms);
}

bool press(HWND dlg, int id)
{
    HWND b = GetDlgItem(dlg, id);
    return b && PostMessageA(b, BM_CLICK, 0, 0);
}

bool command(HWND dlg, int id)
{
    return PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

bool is_checked(HWND dlg, int id)
{
    DWORD_PTR r = 0;
    HWND b = GetDlgItem(dlg, id);
    return b && SendMessageTimeoutA(b, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &r) &&
           r == BST_CHECKED;
}

// ---- the tracker ------------------------------------------------------------

tracker_ref::~tracker_ref()
{
    if (tr_proc) {
        if (WaitForSingleObject(tr_proc, 0) != WAIT_OBJECT_0) {
            TerminateProcess(tr_proc, 255);
            WaitForSingleObject(tr_proc, 5000);
        }
        CloseHandle(tr_proc);
    }
}

bool tracker_ref::wait_found(int timeout_ms)
{
    return wait_until([&] {
        HWND w = FindWindowA(nullptr, "TvIDE_tracker");
        DWORD pid = 0;
        if (!w || !GetWindowThreadProcessId(w, &pid))
            return false;
        tr_proc = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE,
                              FALSE, pid);
        return tr_proc != nullptr;
    }, timeout_ms);
}

bool tracker_ref::wait_end(DWORD *status, int timeout_ms)
{
    if (!tr_proc || WaitForSingleObject(tr_proc, timeout_ms) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(tr_proc, status) != 0;
}

namespace {

BOOL CALLBACK count_trackers(HWND w, LPARAM lp)
{
    if (window_text(w) == "TvIDE_tracker")
        ++*reinterpret_cast<int *>(lp);
    return TRUE;
}

} // namespace

int tracker_windows()
{
    int n = 0;
    EnumWindows(count_trackers, reinterpret_cast<LPARAM>(&n));
    return n;
}

HWND find_dialog(DWORD pid, const std::string &title)
{
    HWND w = find_window_of(pid, "#32770", title.c_str());
    return w && IsWindowVisible(w) ? w : nullptr;
}

std::string window_text(HWND w)
{
    char buf[512];
    int n = GetWindowTextA(w, buf, sizeof buf);
    return std::string(buf, n > 0 ? n : 0);
}

namespace {

BOOL CALLBACK longest_child(HWND w, LPARAM lp)
{
    auto *best = reinterpret_cast<std::string *>(lp);
    char cls[32];
    if (GetClassNameA(w, cls, sizeof cls) && lstrcmpiA(cls, "Static") == 0) {
        std::string t = window_text(w);
        if (t.size() > best->size())
            *best = t;
    }
    return TRUE;
}

} // namespace

std::string longest_static(HWND dlg)
{
    std::string best;
    EnumChildWindows(dlg, longest_child, reinterpret_cast<LPARAM>(&best));
    return best;
}

} // namespace tvt
