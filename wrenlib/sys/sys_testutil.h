#ifndef WRENLIB_SYS_TESTUTIL_H
#define WRENLIB_SYS_TESTUTIL_H
// Shared fixtures of the file-system tests: a scratch directory that is
// removed afterwards, a scoped change of the current directory and scoped
// environment variables.
#include <stdlib.h>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <map>
#include <fstream>
#include <optional>
#include <random>
#include <stdexcept>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "wrenlib/files.h"

namespace wl_test {

namespace fs = std::filesystem;

inline int current_pid() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

// Directories still present when the process exits (a test that ends the
// process, as death tests do) are removed then, but only by the process
// that made them: a forked child must not take its parent's away.
class LeftoverDirs {
public:
    static LeftoverDirs &get() {
        static LeftoverDirs d;
        return d;
    }
    void add(const std::string &p) { dirs_[p] = current_pid(); }
    void remove(const std::string &p) { dirs_.erase(p); }
    ~LeftoverDirs() {
        std::error_code ec;
        if (!dirs_.empty())
            fs::current_path(fs::temp_directory_path(ec), ec);   // Windows keeps a current directory
        for (const auto &[p, pid] : dirs_) {
            if (pid == current_pid())
                fs::remove_all(p, ec);
        }
    }

private:
    std::map<std::string, int> dirs_;
};

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        std::mt19937_64 gen(rd());
        for (int i = 0; i < 100; ++i) {
            fs::path p = fs::temp_directory_path() / ("wlsys-" + std::to_string(gen() % 1000000000ULL));
            std::error_code ec;
            if (fs::create_directory(p, ec)) {
                path_ = p.string();
                LeftoverDirs::get().add(path_);
                return;
            }
        }
        throw std::runtime_error("no temporary directory");
    }
    ~TempDir() {
        std::error_code ec;
        // Read-only entries cannot be removed on Windows.
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
        LeftoverDirs::get().remove(path_);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }

    // rel uses '/'; the result uses the written separator.
    std::string at(const std::string &rel) const { return join(path_, rel); }

    void write(const std::string &rel, const std::string &content = "x") const {
        fs::path p(at(rel));
        fs::create_directories(p.parent_path());
        std::ofstream out(p, std::ios::binary);
        out << content;
    }
    void mkdir(const std::string &rel) const { fs::create_directories(fs::path(at(rel))); }

    static std::string join(const std::string &dir, const std::string &rel) {
        std::string out = dir;
        if (!rel.empty() && !out.empty() && !WL_IS_SEP(out.back()))
            out.push_back(WL_SEP);
        for (char c : rel)
            out.push_back(WL_IS_SEP(c) ? WL_SEP : c);
        return out;
    }

private:
    std::string path_;
};

class ChangeDir {
public:
    explicit ChangeDir(const std::string &to) : saved_(fs::current_path()) { fs::current_path(to); }
    ~ChangeDir() {
        std::error_code ec;
        fs::current_path(saved_, ec);
    }

private:
    fs::path saved_;
};

inline void set_env(const char *name, const char *value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

// Sets (or with null, removes) a variable for the scope.  On Windows an
// empty value removes the variable, so tests do not rely on empty values.
class EnvVar {
public:
    EnvVar(const char *name, const char *value) : name_(name) {
        if (const char *old = getenv(name))
            saved_ = old;
        set_env(name, value);
    }
    ~EnvVar() { set_env(name_.c_str(), saved_ ? saved_->c_str() : nullptr); }

private:
    std::string name_;
    std::optional<std::string> saved_;
};

inline std::string read_file(const std::string &name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Matches text that contains (or, with want false, lacks) a substring; for
// the standard error of death tests.
class SubstringMatcher : public ::testing::MatcherInterface<const std::string &> {
public:
    SubstringMatcher(std::string sub, bool want) : sub_(std::move(sub)), want_(want) {}
    bool MatchAndExplain(const std::string &s, ::testing::MatchResultListener *) const override {
        return (s.find(sub_) != std::string::npos) == want_;
    }
    void DescribeTo(std::ostream *os) const override {
        *os << (want_ ? "contains \"" : "does not contain \"") << sub_ << "\"";
    }

private:
    std::string sub_;
    bool want_;
};

inline ::testing::Matcher<const std::string &> Contains(std::string sub, bool want = true) {
    return ::testing::MakeMatcher(new SubstringMatcher(std::move(sub), want));
}

} // namespace wl_test

#endif
