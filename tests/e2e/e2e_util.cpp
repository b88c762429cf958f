#include "e2e_util.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

namespace e2e {

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    ASSERT_TRUE(out.good()) << path;
}

bool exists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

void make_dirs(const std::string &path)
{
    std::string so_far;
    std::stringstream parts(path);
    std::string part;
    if (!path.empty() && path[0] == '/')
        so_far = "/";
    while (std::getline(parts, part, '/')) {
        if (part.empty())
            continue;
        so_far += part;
        mkdir(so_far.c_str(), 0777);
        so_far += "/";
    }
}

void set_mtime(const std::string &path, long offset_seconds)
{
    struct timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec += offset_seconds;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0)) << path;
}

int count_of(const std::string &text, const std::string &what)
{
    int n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size()))
        n++;
    return n;
}

TempDir::TempDir()
{
    const char *base = getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/tvtags-e2e-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data()))
        abort();
    /* The program simplifies names; compare with the resolved directory. */
    char *real = realpath(buf.data(), nullptr);
    path_ = real ? real : buf.data();
    free(real);
}

TempDir::~TempDir()
{
    nftw(path_.c_str(),
         [](const char *p, const struct stat *, int, struct FTW *) { return remove(p); },
         16, FTW_DEPTH | FTW_PHYS);
}

Tvtags::Tvtags() : exe_(TVTAGS_EXE) {}

std::string Tvtags::install(const std::string &prog, const std::string &ext) const
{
    std::string exe = at(prog);
    make_dirs(exe.substr(0, exe.rfind('/')));
    write_file(exe, read_file(TVTAGS_EXE));
    chmod(exe.c_str(), 0755);
    if (!ext.empty()) {
        make_dirs(at(ext).substr(0, at(ext).rfind('/')));
        write_file(at(ext), read_file(TVTAGS_EXT));
    }
    return exe;
}

TvtagsExt::TvtagsExt()
{
    exe_ = install("bin/tvtags", "bin/tvtags.so");
}

result_t Tvtags::run_as(const std::string &exe, const std::string &argv0, const std::string &path,
                        const std::vector<std::string> &args) const
{
    std::string out_path = at(".out"), err_path = at(".err");
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir_.path().c_str()) != 0)
            _exit(127);
        int o = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int e = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int in = open("/dev/null", O_RDONLY);
        dup2(in, 0);
        dup2(o, 1);
        dup2(e, 2);
        setenv("TVCONFIG", dir_.path().c_str(), 1);
        unsetenv("TV_ECHO_ARGS");
        unsetenv("TV_EXPAND_SILENTLY");
        if (!path.empty())
            setenv("PATH", path.c_str(), 1);
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(argv0.c_str()));
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    result_t r;
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        r.status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        r.signal = WTERMSIG(status);
    r.out = read_file(out_path);
    r.err = read_file(err_path);
    unlink(out_path.c_str());
    unlink(err_path.c_str());
    return r;
}

std::string Tvtags::report_line(const std::string &name, const std::string &desc, const std::string &rest)
{
    char head[4096];
    snprintf(head, sizeof head, "%-20s %s, ", name.c_str(), desc.c_str());
    return head + rest + "\n";
}

} // namespace e2e
