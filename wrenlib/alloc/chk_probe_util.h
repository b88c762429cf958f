#ifndef WRENLIB_ALLOC_CHK_PROBE_UTIL_H
#define WRENLIB_ALLOC_CHK_PROBE_UTIL_H
// Runs the chk_probe program (built beside the test executable) under given
// environment settings and collects what it wrote: standard output,
// standard error, the debug file, and how it ended.
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chk_testutil.h"

namespace chk_test {

struct probe_result_t {
    int status = -1;        /* exit status, -1 when it died */
    bool aborted = false;   /* ended by abort() */
    bool crashed = false;   /* ended by a fault */
    std::string out, err, dump;
};

inline std::string probe_path()
{
#ifdef _WIN32
    char buf[MAX_PATH];
    GetModuleFileNameA(nullptr, buf, sizeof buf);
    return (std::filesystem::path(buf).parent_path() / "chk_probe.exe").string();
#else
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "chk_probe").string();
#endif
}

/* A name for this test's files, unique across parallel ctest runs. */
inline std::string test_file(const char *what)
{
    const testing::TestInfo *t = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(t->test_suite_name()) + "." + t->name() + "." + what + "." +
                       std::to_string(pid());
    return (std::filesystem::temp_directory_path() / name).string();
}

/* Every variable the allocator reads starts out unset in the child. */
inline probe_result_t run_probe(std::vector<std::string> args,
                                std::map<std::string, std::string> env)
{
    std::string out = test_file("out"), err = test_file("err"), dump = test_file("dump");
    std::error_code ec;
    std::filesystem::remove(dump, ec);
    if (!env.count("CHK_FILE"))
        env["CHK_FILE"] = dump;
    std::vector<std::unique_ptr<scoped_env>> vars;
    for (const char *name : {"CHK", "CCHK", "CHKFLAGS", "CHK_FILE", "CHK1"})
        vars.push_back(std::make_unique<scoped_env>(name, nullptr));
    for (auto &kv : env)
        vars.push_back(std::make_unique<scoped_env>(kv.first.c_str(), kv.second.c_str()));

    std::string exe = probe_path();
    std::vector<const char *> argv{exe.c_str()};
    for (auto &a : args)
        argv.push_back(a.c_str());
    argv.push_back(nullptr);

    probe_result_t r;
    fflush(stdout);
    fflush(stderr);
#ifdef _WIN32
    int saved_out = _dup(1), saved_err = _dup(2);
    int fo = _open(out.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0644);
    int fe = _open(err.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0644);
    _dup2(fo, 1);
    _dup2(fe, 2);
    intptr_t rc = _spawnv(_P_WAIT, exe.c_str(), argv.data());
    _dup2(saved_out, 1);
    _dup2(saved_err, 2);
    _close(fo);
    _close(fe);
    _close(saved_out);
    _close(saved_err);
    r.status = static_cast<int>(rc);
    r.aborted = rc == 3;
    r.crashed = rc < 0 || static_cast<unsigned>(rc) >= 0xC0000000u;
#else
    pid_t child = fork();
    if (child == 0) {
        int fo = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int fe = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fo, 1);
        dup2(fe, 2);
        execv(exe.c_str(), const_cast<char *const *>(argv.data()));
        _exit(127);
    }
    int st = 0;
    waitpid(child, &st, 0);
    if (WIFEXITED(st)) {
        r.status = WEXITSTATUS(st);
    } else if (WIFSIGNALED(st)) {
        r.aborted = WTERMSIG(st) == SIGABRT;
        r.crashed = !r.aborted;
    }
#endif
    r.out = read_file(out);
    r.err = read_file(err);
    r.dump = read_file(dump);
    std::filesystem::remove(out, ec);
    std::filesystem::remove(err, ec);
    std::filesystem::remove(dump, ec);
    return r;
}

/* The address the probe printed after `label`, as the reports write it. */
inline std::string probe_addr(const probe_result_t &r, const std::string &label)
{
    size_t at = r.out.find(label + " 0x");
    if (at == std::string::npos)
        return "(no " + label + ")";
    size_t start = at + label.size() + 1;
    return r.out.substr(start, r.out.find('\n', start) - start);
}

inline bool has(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

} // namespace chk_test

#endif
