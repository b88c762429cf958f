// Starting and stopping the editor stand-in.
#include "winkit.h"

#include <stdio.h>

namespace winkit {

bool standin::start(const std::string &log_path, const std::string &args, int timeout_ms)
{
    stop();
    static unsigned serial;
    char tag[64];
    snprintf(tag, sizeof tag, "tv-standin-%lu-%u", GetCurrentProcessId(), serial++);
    std::string ready_name = std::string(tag) + "-ready";
    std::string stop_name = std::string(tag) + "-stop";
    s_ready = CreateEventA(nullptr, TRUE, FALSE, ready_name.c_str());
    s_stop = CreateEventA(nullptr, TRUE, FALSE, stop_name.c_str());
    s_log = log_path;

    std::vector<env_change> env = {{"TOLVA_LOG", log_path},
                                   {"TOLVA_READY_EVENT", ready_name},
                                   {"TOLVA_STOP_EVENT", stop_name},
                                   {"TOLVA_PARENT_PID", std::to_string(GetCurrentProcessId())}};
    // Quoted, as the IDE integrations start the editor.
    std::string line = "\"" + s_exe + "\"" + (args.empty() ? "" : " " + args);
    std::vector<char> buf(line.begin(), line.end());
    buf.push_back('\0');
    std::string block = env_block(env);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    BOOL ok = CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, block.data(),
                             nullptr, &si, &pi);
    if (!ok) {
        stop();
        return false;
    }
    CloseHandle(pi.hThread);
    s_proc = pi.hProcess;
    s_pid = pi.dwProcessId;
    HANDLE waits[2] = {s_ready, s_proc};
    DWORD r = WaitForMultipleObjects(2, waits, FALSE, timeout_ms);
    if (r != WAIT_OBJECT_0) {
        stop();
        return false;
    }
    return true;
}

bool standin::stop(int timeout_ms)
{
    bool clean = true;
    if (s_proc) {
        SetEvent(s_stop);
        if (WaitForSingleObject(s_proc, timeout_ms) != WAIT_OBJECT_0) {
            clean = false;
            TerminateProcess(s_proc, 255);
            WaitForSingleObject(s_proc, 5000);
        } else {
            DWORD code = 0;
            GetExitCodeProcess(s_proc, &code);
            clean = code == 0;
        }
        CloseHandle(s_proc);
        s_proc = nullptr;
    }
    for (HANDLE *h : {&s_stop, &s_ready})
        if (*h) {
            CloseHandle(*h);
            *h = nullptr;
        }
    return clean;
}

std::vector<std::string> standin::log_lines() const
{
    return split_lines(read_file(s_log));
}

} // namespace winkit
