#ifndef TESTS_E2E_E2E_UTIL_H
#define TESTS_E2E_E2E_UTIL_H
/* Running the real tvtags program on real files in a temporary directory. */
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace e2e {

struct result_t {
    int status = -1;        /* exit status, or -1 when killed by a signal */
    int signal = 0;
    std::string out;
    std::string err;
};

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &text);
bool exists(const std::string &path);
void make_dirs(const std::string &path);
/* Moves the file's modification time by the given seconds from now. */
void set_mtime(const std::string &path, long offset_seconds);
int count_of(const std::string &text, const std::string &what);

/* A fresh temporary directory, removed with everything in it. */
class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::string &path() const { return path_; }
    std::string operator/(const std::string &name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

/* Each test gets its own directory; the program runs with it as the
 * current directory. */
class Tvtags : public ::testing::Test {
  protected:
    TempDir dir_;
    std::string exe_;

    Tvtags();
    std::string at(const std::string &name) const { return dir_ / name; }
    void file(const std::string &name, const std::string &text) { write_file(at(name), text); }
    result_t run(const std::vector<std::string> &args) const { return run_as(exe_, exe_, "", args); }
    /* Runs the program file exe as argv[0] (with PATH set when path is not
     * empty). */
    result_t run_as(const std::string &exe, const std::string &argv0, const std::string &path,
                    const std::vector<std::string> &args) const;
    /* Copies the program, and the test extension when ext is not empty,
     * to the given places below the test directory. */
    std::string install(const std::string &prog, const std::string &ext) const;
    /* The report line the file pass prints for a scanned file. */
    static std::string report_line(const std::string &name, const std::string &desc, const std::string &rest);
};

/* The same, with a copy of the program and the test extension library in
 * a directory of their own, so the extension is found beside the program. */
class TvtagsExt : public Tvtags {
  protected:
    TvtagsExt();
};

} // namespace e2e
#endif
