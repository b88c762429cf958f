// The exit() wrapper (linked with -Wl,--wrap=exit) and the scratch set-up.
#include "fuzz_util.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

extern "C" [[noreturn]] void __real_exit(int status);

// The reports, the database writer and the driver end the process on
// some inputs; inside a guarded call that becomes an exception so the
// fuzzer can go on with the next input.  Anywhere else (libFuzzer's own
// exit at the end of a run) the real exit runs.
extern "C" [[noreturn]] void __wrap_exit(int status)
{
    if (fuzz::guard_depth > 0)
        throw fuzz::exit_called{status};
    __real_exit(status);
}

// A program fault handler would hide the sanitizer's report.
extern "C" const char *__asan_default_options()
{
    return "allow_user_segv_handler=0:handle_abort=1";
}

extern "C" const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

namespace fuzz {

int guard_depth = 0;

const std::string &scratch_dir()
{
    static const std::string dir = [] {
        std::string templ = (std::filesystem::temp_directory_path() / "tvtfuzz-XXXXXX").string();
        if (!mkdtemp(templ.data())) {
            perror("mkdtemp");
            abort();
        }
        setenv("TVCONFIG", templ.c_str(), 1);
        setenv("HOME", templ.c_str(), 1);
        setenv("TV_TAG_TIMEOUT", "0", 1);
        // The path is copied: the static string may be destroyed before
        // this handler runs.
        static char *copy = strdup(templ.c_str());
        atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(copy, ec);
        });
        return templ;
    }();
    return dir;
}

void silence_stdout()
{
    fflush(stdout);
    int fd = open("/dev/null", O_WRONLY);
    if (fd >= 0) {
        dup2(fd, 1);
        close(fd);
    }
}

bool write_file(const std::string &path, const uint8_t *data, size_t size)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = size == 0 || fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}

} // namespace fuzz
