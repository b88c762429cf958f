#ifndef TVTAGS_FUZZ_FUZZ_UTIL_H
#define TVTAGS_FUZZ_FUZZ_UTIL_H
// Shared pieces of the fuzz targets: a private scratch directory, quiet
// standard output, and a way to survive the program's exit() calls.
#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Thrown by the wrapped exit() while a guarded call runs.
struct exit_called {
    int status;
};

// Runs fn; an exit() inside it returns here with its status instead of
// ending the fuzzer.  Returns -1 when fn returned normally.
template <class F> int guard_exit(F &&fn);

// Creates (once) a scratch directory under the temporary directory, points
// TVCONFIG and HOME at it and turns off the in-use wait; returns its path.
const std::string &scratch_dir();

// Sends standard output to /dev/null for the rest of the process.
void silence_stdout();

// Writes bytes to path (truncating); false on failure.
bool write_file(const std::string &path, const uint8_t *data, size_t size);

// Set while a guarded call runs; the exit wrapper checks it.
extern int guard_depth;

template <class F> int guard_exit(F &&fn)
{
    ++guard_depth;
    try {
        fn();
    } catch (const exit_called &e) {
        --guard_depth;
        return e.status;
    }
    --guard_depth;
    return -1;
}

} // namespace fuzz

#endif
