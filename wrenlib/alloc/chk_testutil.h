#ifndef WRENLIB_ALLOC_CHK_TESTUTIL_H
#define WRENLIB_ALLOC_CHK_TESTUTIL_H
// Helpers of the allocation tests: scoped environment variables, a scratch
// file name per process, reading a whole file.
#include <stdlib.h>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace chk_test {

inline void set_env(const char *name, const char *value)
{
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

/* Sets (or, with null, removes) a variable for the life of the object. */
class scoped_env {
public:
    scoped_env(const char *name, const char *value) : name_(name)
    {
        if (const char *old = getenv(name))
            old_ = old;
        set_env(name, value);
    }
    ~scoped_env() { set_env(name_.c_str(), old_ ? old_->c_str() : nullptr); }
    scoped_env(const scoped_env &) = delete;
    scoped_env &operator=(const scoped_env &) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

inline int pid()
{
#ifdef _WIN32
    return _getpid();
#else
    return getpid();
#endif
}

/* A name in the temporary directory, the same for a test and the death-test
 * children it starts (they inherit the run id through the environment). */
inline std::string scratch_file(const std::string &stem)
{
    const char *run = getenv("CHK_TEST_RUN_ID");
    std::string id = run ? run : std::to_string(pid());
    if (!run)
        set_env("CHK_TEST_RUN_ID", id.c_str());
    return (std::filesystem::temp_directory_path() / (stem + "." + id + ".txt")).string();
}

/* The whole file, with the line ends of text-mode output taken back to
 * plain newlines. */
inline std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    std::string text = ss.str();
    std::string out;
    for (size_t i = 0; i < text.size(); i++)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            out += text[i];
    return out;
}

/* The address text the reports use. */
inline std::string hex_addr(const void *p)
{
    char buf[32];
    snprintf(buf, sizeof buf, "0x%08llx",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
    return buf;
}

} // namespace chk_test

#endif
