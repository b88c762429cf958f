// The tag database at the size of a kernel tree: fill, then re-enter one
// file.  The second figure is what every later run pays per changed file, so
// it must not grow with the database.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "db/tvt_io.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Names as a C tree has them: a few thousand that recur everywhere
// (common identifiers, struct members) and many of their own.
struct Workload {
    std::mt19937 rng{12345};
    std::vector<std::string> common;
    char name[64], type_text[64], args[96];

    Workload()
    {
        for (int i = 0; i < 4000; i++)
            common.push_back("common_" + std::to_string(i));
    }
    const char *pick_name(int file, int tag)
    {
        if (rng() % 100 < 45)
            return common[rng() % common.size()].c_str();
        snprintf(name, sizeof name, "f%d_sym%d", file, tag);
        return name;
    }
};

void scan_file(tvt_db_t *db, Workload &w, int file, uint32_t mtime, int tags)
{
    char path[96];
    snprintf(path, sizeof path, "drivers/sub%d/file%d.c", file / 500, file);
    tvt_begin_file(db, path, mtime);
    int last_struct = -1;
    for (int t = 0; t < tags; t++) {
        tag_entry_t e;
        memset(&e, 0, sizeof e);
        e.te_name = w.pick_name(file, t);
        e.te_file = path;
        e.te_line = (uint32_t) (t * 7 + 1);
        e.te_parent = -1;
        int kind = (int) (w.rng() % 10);
        if (kind < 2) {
            e.te_type = TT_STRUCT;
        } else if (kind < 5 && last_struct >= 0) {
            e.te_type = TT_MEMBER;
            e.te_parent = last_struct;
        } else if (kind < 8) {
            e.te_type = TT_FUNCTION;
            snprintf(w.type_text, sizeof w.type_text, "static int");
            snprintf(w.args, sizeof w.args, "(struct device *dev, int arg%d)", t);
            e.te_type_text = w.type_text;
            e.te_args = w.args;
        } else {
            e.te_type = TT_MACRO;
        }
        int h = tvt_add_tag(db, &e);
        if (e.te_type == TT_STRUCT)
            last_struct = h;
    }
    tvt_end_file(db);
}

} // namespace

int main(int argc, char **argv)
{
    std::string dir = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    int files = argc > 2 ? atoi(argv[2]) : 55000;
    int tags = argc > 3 ? atoi(argv[3]) : 130;
    std::string path = dir + "/tvt_db_bench.tags";
    std::filesystem::remove(path);
    Workload w;

    auto t0 = Clock::now();
    int err = 0;
    tvt_db_t *db = tvt_open(path.c_str(), TVT_OPEN_WRITE, "bench", &err);
    if (!db) {
        fprintf(stderr, "cannot open %s (%d)\n", path.c_str(), err);
        return 1;
    }
    for (int f = 0; f < files; f++)
        scan_file(db, w, f, 1000, tags);
    tvt_close(db);
    double fill = since(t0);

    auto t1 = Clock::now();
    db = tvt_open(path.c_str(), TVT_OPEN_WRITE, "bench", &err);
    double open = since(t1);
    auto t2 = Clock::now();
    scan_file(db, w, files / 2, 2000, tags);
    double rescan = since(t2);
    auto t3 = Clock::now();
    size_t size = tvt_size(db);
    tvt_close(db);
    double close = since(t3);
    double reenter = since(t1);

    printf("database: %d files x %d tags = %ld tags, %zu bytes\n", files, tags, (long) files * tags, size);
    printf("fill:     %.3f s (%.2f us per tag)\n", fill, fill * 1e6 / ((double) files * tags));
    printf("re-enter: %.3f s (open %.3f s, rescan of one file %.6f s, close %.3f s)\n", reenter, open, rescan,
           close);
    std::filesystem::remove(path);
    return 0;
}
