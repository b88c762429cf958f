// Child processes for the Windows tests: pipes on the standard handles,
// output collected without threads, and waits that always end.
#include "winkit.h"

#include <string.h>

#include <algorithm>
#include <map>

namespace winkit {

namespace {

struct nocase_less {
    bool operator()(const std::string &a, const std::string &b) const
    {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    }
};

} // namespace

std::string env_block(const std::vector<env_change> &changes)
{
    std::map<std::string, std::string, nocase_less> vars;
    std::vector<std::string> drive_vars;  // "=C:=C:\..." entries stay first
    if (char *env = GetEnvironmentStringsA()) {
        for (char *p = env; *p; p += strlen(p) + 1) {
            std::string entry = p;
            size_t eq = entry.find('=', 1);
            if (entry[0] == '=' || eq == std::string::npos)
                drive_vars.push_back(entry);
            else
                vars[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
        FreeEnvironmentStringsA(env);
    }
    for (const auto &[name, value] : changes) {
        if (value)
            vars[name] = *value;
        else
            vars.erase(name);
    }
    std::string block;
    for (const auto &d : drive_vars)
        block += d + '\0';
    for (const auto &[name, value] : vars)
        block += name + "=" + value + '\0';
    block += '\0';
    return block;
}

namespace {

bool make_pipe(HANDLE *ours, HANDLE *theirs, bool theirs_read)
{
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE r = nullptr, w = nullptr;
    if (!CreatePipe(&r, &w, &sa, 0))
        return false;
    *ours = theirs_read ? w : r;
    *theirs = theirs_read ? r : w;
    SetHandleInformation(*ours, HANDLE_FLAG_INHERIT, 0);
    return true;
}

void close_handle(HANDLE *h)
{
    if (*h) {
        CloseHandle(*h);
        *h = nullptr;
    }
}

// Moves what is waiting in a pipe into `into`; sets eof when the writers
// are gone.
void drain(HANDLE pipe, std::string &into, bool &eof)
{
    if (!pipe || eof)
        return;
    for (;;) {
        DWORD avail = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &avail, nullptr)) {
            eof = true;
            return;
        }
        if (avail == 0)
            return;
        char buf[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, buf, std::min<DWORD>(avail, sizeof buf), &got, nullptr) || got == 0) {
            eof = true;
            return;
        }
        into.append(buf, got);
    }
}

} // namespace

child::~child()
{
    kill();
}

bool child::start(const std::string &cmdline, const child_options &opts)
{
    kill();
    c_out.clear();
    c_err.clear();
    HANDLE in_child = nullptr, out_child = nullptr, err_child = nullptr;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (opts.co_pipes) {
        if (!make_pipe(&c_in, &in_child, true) || !make_pipe(&c_outp, &out_child, false) ||
            !make_pipe(&c_errp, &err_child, false))
            return false;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = in_child;
        si.hStdOutput = out_child;
        si.hStdError = err_child;
    }
    std::string block = env_block(opts.co_env);
    std::vector<char> line(cmdline.begin(), cmdline.end());
    line.push_back('\0');
    BOOL ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, opts.co_pipes, 0,
                             block.data(), opts.co_cwd.empty() ? nullptr : opts.co_cwd.c_str(),
                             &si, &c_pi);
    // Our copies of the child's ends go at once, so that end of output is
    // seen when the child (and whatever inherited them) is gone.
    close_handle(&in_child);
    close_handle(&out_child);
    close_handle(&err_child);
    if (!ok) {
        c_pi = {};
        close_handle(&c_in);
        close_handle(&c_outp);
        close_handle(&c_errp);
        return false;
    }
    c_exit = STILL_ACTIVE;
    c_out_eof = c_outp == nullptr;
    c_err_eof = c_errp == nullptr;
    return true;
}

bool child::write(const std::string &data)
{
    DWORD done = 0;
    return c_in && WriteFile(c_in, data.data(), (DWORD)data.size(), &done, nullptr) &&
           done == data.size();
}

void child::close_stdin()
{
    close_handle(&c_in);
}

void child::pump()
{
    drain(c_outp, c_out, c_out_eof);
    drain(c_errp, c_err, c_err_eof);
}

bool child::read_lines(size_t lines, int timeout_ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        pump();
        if ((size_t)std::count(c_out.begin(), c_out.end(), '\n') >= lines)
            return true;
        if (c_out_eof || (int)(GetTickCount() - start) > timeout_ms)
            return false;
        Sleep(5);
    }
}

bool child::wait(int timeout_ms)
{
    if (!c_pi.hProcess)
        return false;
    DWORD start = GetTickCount();
    for (;;) {
        pump();
        bool ended = WaitForSingleObject(c_pi.hProcess, 0) == WAIT_OBJECT_0;
        if (ended && c_out_eof && c_err_eof)
            break;
        if ((int)(GetTickCount() - start) > timeout_ms) {
            if (ended)
                break;  // something else holds the pipes; the process is done
            kill();
            return false;
        }
        Sleep(5);
    }
    GetExitCodeProcess(c_pi.hProcess, &c_exit);
    close_handle(&c_pi.hProcess);
    close_handle(&c_pi.hThread);
    close_handle(&c_in);
    close_handle(&c_outp);
    close_handle(&c_errp);
    return true;
}

void child::kill()
{
    if (c_pi.hProcess) {
        if (WaitForSingleObject(c_pi.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(c_pi.hProcess, 255);
            WaitForSingleObject(c_pi.hProcess, 5000);
        }
        GetExitCodeProcess(c_pi.hProcess, &c_exit);
    }
    close_handle(&c_pi.hProcess);
    close_handle(&c_pi.hThread);
    close_handle(&c_in);
    close_handle(&c_outp);
    close_handle(&c_errp);
}

run_result run(const std::string &cmdline, const std::string &input, const child_options &opts,
               int timeout_ms)
{
    run_result rr;
    child c;
    if (!c.start(cmdline, opts)) {
        rr.rr_err = "cannot start: " + cmdline;
        return rr;
    }
    if (!input.empty())
        c.write(input);
    c.close_stdin();
    rr.rr_finished = c.wait(timeout_ms);
    rr.rr_exit = c.exit_code();
    rr.rr_out = c.out();
    rr.rr_err = c.err();
    return rr;
}

} // namespace winkit
