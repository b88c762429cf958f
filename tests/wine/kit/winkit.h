#ifndef TV_WINKIT_H
#define TV_WINKIT_H
// Test kit for the Windows programs: child processes with pipes and bounded
// waits, the editor stand-in, temporary directories and files.  Every wait
// has a time limit and every process started here is stopped by its owner.
#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace winkit {

// A build-tree path as the programs see it: absolute Unix paths become
// paths on wine's Z: drive; others only get backslashes.
std::string win_path(const std::string &path);

// Quotes one argument so that the C runtime's argument splitting gives it
// back unchanged.
std::string quote_arg(const std::string &arg);

// The text with CR LF turned into LF, split at LF (a last empty piece is
// dropped).
std::vector<std::string> split_lines(const std::string &text);

std::string read_file(const std::string &path);
bool write_file(const std::string &path, const std::string &data);
bool file_exists(const std::string &path);

// A fresh empty directory under the temporary directory, removed with its
// files when the object goes.
class temp_dir {
public:
    explicit temp_dir(const char *tag);
    ~temp_dir();
    temp_dir(const temp_dir &) = delete;
    temp_dir &operator=(const temp_dir &) = delete;
    const std::string &path() const { return td_path; }
    std::string file(const std::string &name) const { return td_path + "\\" + name; }

private:
    std::string td_path;
};

// Environment change for a child: a value sets the variable, nullopt
// removes it.
using env_change = std::pair<std::string, std::optional<std::string>>;

// Our environment with the changes applied, as a CreateProcess block.
std::string env_block(const std::vector<env_change> &changes);

struct child_options {
    std::string co_cwd;                 // empty: the test's own
    std::vector<env_change> co_env;
    bool co_pipes = true;               // standard handles are pipes to us
};

// A child process.  Its standard output and error are collected as they
// come; the destructor kills it if it still runs.
class child {
public:
    child() = default;
    ~child();
    child(const child &) = delete;
    child &operator=(const child &) = delete;

    bool start(const std::string &cmdline, const child_options &opts = {});
    bool write(const std::string &data);    // one WriteFile on its input
    void close_stdin();
    // Collects output until its standard output holds `lines` complete
    // lines or the time is up; true when the lines arrived.
    bool read_lines(size_t lines, int timeout_ms);
    // Waits for the end of the process and of its output; kills it when
    // the time is up and returns false.
    bool wait(int timeout_ms);
    void kill();

    DWORD pid() const { return c_pi.dwProcessId; }
    DWORD exit_code() const { return c_exit; }
    const std::string &out() const { return c_out; }
    const std::string &err() const { return c_err; }

private:
    void pump();
    PROCESS_INFORMATION c_pi{};
    HANDLE c_in = nullptr, c_outp = nullptr, c_errp = nullptr;
    bool c_out_eof = false, c_err_eof = false;
    DWORD c_exit = STILL_ACTIVE;
    std::string c_out, c_err;
};

struct run_result {
    bool rr_finished = false;   // ended within the time limit
    DWORD rr_exit = 0;
    std::string rr_out, rr_err;
};

// Starts a program, gives it `input` and end of input, and waits for it.
run_result run(const std::string &cmdline, const std::string &input = "",
               const child_options &opts = {}, int timeout_ms = 20000);

// The editor stand-in (tolva.exe of the tests).
class standin {
public:
    explicit standin(std::string exe) : s_exe(std::move(exe)) {}
    ~standin() { stop(); }
    standin(const standin &) = delete;
    standin &operator=(const standin &) = delete;

    // Starts it with a log in `log_path` and waits until it serves DDE.
    bool start(const std::string &log_path, const std::string &args = "",
               int timeout_ms = 20000);
    // Asks it to exit and waits a bounded time; kills it if it does not.
    // True when it exited on request.
    bool stop(int timeout_ms = 10000);
    bool running() const { return s_proc != nullptr; }
    std::vector<std::string> log_lines() const;
    DWORD pid() const { return s_pid; }

private:
    std::string s_exe, s_log;
    HANDLE s_proc = nullptr, s_stop = nullptr, s_ready = nullptr;
    DWORD s_pid = 0;
};

} // namespace winkit

#endif
