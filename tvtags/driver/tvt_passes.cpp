/* The two passes over the whole database at the end of a run: rescanning
 * the files it already holds (-refresh) and dropping files that are gone. */
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "driver/tvt_driver.h"
#include "scan/tvt_settings.h"
#include "wrenlib/files.h"
#include "wrenlib/fmt.h"
#include "wrenlib/sysdep.h"

extern "C" const char *tvt_strip_prefix(const char *name)
{
    const char *prefix = tvt_opt.path_prefix;
    if (prefix && *prefix) {
        size_t n = strlen(prefix);
        if (strncmp(name, prefix, n) == 0)
            return name + n;
    }
    return name;
}

extern "C" void refresh_pass(void)
{
    tvt_db_t *db = tvt_run.db;
    if (!db)
        return;
    /* Collect first: the scans below change the file table. */
    std::vector<std::string> todo;
    const char *stored;
    uint32_t stored_time;
    for (int id = 0;; id++) {
        int r = tvt_file_at(db, id, &stored, &stored_time);
        if (r < 0)
            break;
        if (r == 0)
            continue;
        /* Stored names carry the path prefix; the local file is found
         * without it, and process_file adds it back. */
        const char *local = tvt_strip_prefix(stored);
        wl_stat_t st;
        if (wl_stat(local, &st) != 0)
            continue;
        if (tvt_opt.force || static_cast<uint32_t>(st.st_mtime_s) > stored_time)
            todo.emplace_back(local);
    }
    for (const std::string &name : todo)
        process_file(name.c_str());
}

namespace {

struct prune_progress_t {
    bool announced = false;
    int64_t last = wl_time_now();

    void announce()
    {
        if (!announced) {
            wl_printf("Scanning for deleted files..\n");
            announced = true;
        }
    }
    void tick(int visited)
    {
        int64_t now = wl_time_now();
        if (now != last) {
            last = now;
            announce();
            wl_printf(" (%d files scanned)\n", visited);
        }
    }
};

// The names the run opened and scanned: those files were there a moment
// ago, so the prune need not ask for them again.
std::unordered_set<std::string_view> scanned_names()
{
    std::unordered_set<std::string_view> names;
    auto **p = reinterpret_cast<char **>(tvt_run.scanned.dl_str);
    int n = tvt_run.scanned.dl_len / static_cast<int>(sizeof(char *));
    names.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; i++)
        names.insert(p[i]);
    return names;
}

} // namespace

extern "C" void prune_pass(void)
{
    tvt_db_t *db = tvt_run.db;
    if (!db)
        return;
    prune_progress_t progress;
    const std::unordered_set<std::string_view> scanned = scanned_names();
    const char *stored;
    uint32_t stored_time;
    int visited = 0;
    for (int id = 0;; id++) {
        int r = tvt_file_at(db, id, &stored, &stored_time);
        if (r < 0)
            break;
        progress.tick(++visited);
        if (r == 0)
            continue;
        const char *local = tvt_strip_prefix(stored);
        wl_stat_t st;
        if (tvt_file_seen(id) || scanned.count(local) || wl_stat(local, &st) == 0)
            continue;
        /* Removal frees the stored name, so work on copies. */
        std::string name(stored);
        std::string shown(local);
        progress.announce();
        wl_printf("Removing tag entry for: %s\n", shown.c_str());
        tvt_remove_file(db, name.c_str());
    }
}
