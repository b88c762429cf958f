// The database writer on a damaged existing file.  The bytes become a tag
// file, the writer works on it (db_writer_run.h), and the result is judged:
// untouched, started afresh, or built on without damaging what the writer
// is answerable for.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "db_writer_run.h"
#include "fuzz_util.h"

namespace {

std::vector<uint8_t> read_all(const std::string &path)
{
    std::vector<uint8_t> out;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) {
        fprintf(stderr, "db_writer: the tag file is gone\n");
        abort();
    }
    for (int c; (c = fgetc(f)) != EOF;)
        out.push_back(uint8_t(c));
    fclose(f);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::scratch_dir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string path = fuzz::scratch_dir() + "/tags";
    remove(path.c_str());
    if (!fuzz::write_file(path, data, size))
        return 0;

    tvt_db_t *db = nullptr;
    // An exit() during the run must leave an acceptable file too.
    fuzz::guard_exit([&] { db_writer_run::writer_pass(path.c_str(), &db); });

    std::string why = db_writer_run::verdict(std::vector<uint8_t>(data, data + size), read_all(path));
    if (!why.empty()) {
        fprintf(stderr, "db_writer: %s\n", why.c_str());
        abort();
    }
    return 0;
}
