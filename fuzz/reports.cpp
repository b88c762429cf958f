// Every report over arbitrary bytes given as a tag database.  The reports
// read files they did not write, so none may fault on any content.
#include <cstdint>
#include <string>

#include "driver/tvt_output.h"
#include "fuzz_util.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::scratch_dir();
    fuzz::silence_stdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string path = fuzz::scratch_dir() + "/tags";
    if (!fuzz::write_file(path, data, size))
        return 0;
    const char *f = path.c_str();
    // A report may end the run with exit(); each gets its own guard so the
    // later ones still run.
    fuzz::guard_exit([&] { report_list(f, REPORT_LIST, nullptr); });
    fuzz::guard_exit([&] { report_list(f, REPORT_LOOKUP, "main"); });
    fuzz::guard_exit([&] { report_list(f, REPORT_LOOKUP, "s"); });
    fuzz::guard_exit([&] { report_list(f, REPORT_BITMAP, nullptr); });
    fuzz::guard_exit([&] { report_info(f, 0); });
    fuzz::guard_exit([&] { report_info(f, 1); });
    fuzz::guard_exit([&] { report_filelist(f); });
    fuzz::guard_exit([&] { report_freelist(f); });
    fuzz::guard_exit([&] { report_stats(f); });
    return 0;
}
