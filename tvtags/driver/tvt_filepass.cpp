/* The file pass: whether one file is scanned, with which language, and the
 * report line that says what came of it.  Directories are walked here too. */
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "driver/scan_queue.h"
#include "driver/tvt_driver.h"
#include "scan/tvt_lang.h"
#include "scan/tvt_settings.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"
#include "wrenlib/fmt.h"
#include "wrenlib/list.h"

tvt_run_t tvt_run;
thread_local const char *tvt_current_file;

namespace {

/* Stored files the pass found on disk, by id: the prune of deleted files
 * need not look for them again. */
std::vector<bool> *seen_ids;

/* Directories walked in this run, by device and file number: a tree
 * reached twice (named twice, or through a bind mount or a link named on
 * the command line) is walked once, and a cycle ends. */
std::set<std::pair<uint64_t, uint64_t>> *walked_dirs;

/* True the first time a directory is met; a directory whose identity the
 * platform cannot tell is always walked. */
bool first_visit(const char *dir)
{
    wl_file_id_t id;
    if (wl_file_id(dir, &id) != 0)
        return true;
    if (!walked_dirs)
        walked_dirs = new std::set<std::pair<uint64_t, uint64_t>>;
    return walked_dirs->emplace(id.fi_dev, id.fi_ino).second;
}

/* s.main.c and p.main.c are SCCS history and lock files, not sources. */
bool is_sccs_name(const char *base)
{
    if ((base[0] != 's' && base[0] != 'p') || base[1] != '.')
        return false;
    const char *rest = base + 2;
    if (strlen(rest) < 2)
        return false;
    return strchr(rest, '.') != nullptr;
}

bool matches_any(const char *name, Head_p patterns)
{
    if (!patterns)
        return false;
    for (List_p lp = ll_first(patterns); lp; lp = ll_next(lp))
        if (wild_match(name, static_cast<const char *>(ll_elem(lp)), 0))
            return true;
    return false;
}

bool list_empty(Head_p hp)
{
    return !hp || !ll_first(hp);
}

void report_system_error(const char *name)
{
    wl_fprintf(stderr, "%s: %s\n", name, strerror(errno));
}

/* A directory marked with ".notags" is left out of recursive walks. */
bool has_notags(const char *dir)
{
    char *marker = filename_append_filename(dir, ".notags");
    wl_stat_t st;
    bool found = wl_stat(marker, &st) == 0;
    chk_free(marker);
    return found;
}

void walk_directory(const char *dir)
{
    if (!first_visit(dir))
        return;
    char *pattern = filename_append_filename(dir, "*");
    // Links to directories are not followed: a link named on the command
    // line is walked, one met inside a tree is not.
    wild_entry_t *entries = wild_expand(pattern, WILD_FILES | WILD_DIRS | WILD_NOLINKDIRS);
    chk_free(pattern);
    if (!entries)
        return;
    for (wild_entry_t *e = entries; e->we_name; e++) {
        uint32_t mode = e->we_stat.st_mode;
        if (mode & WL_S_IFREG) {
            process_file(e->we_name);
        } else if (mode & WL_S_IFDIR) {
            if (matches_any(wl_basename(e->we_name), tvt_opt.exclude_dirs))
                continue;
            if (has_notags(e->we_name))
                continue;
            walk_directory(e->we_name);
        }
    }
    wild_free(entries);
}

void note_seen(int id)
{
    if (!seen_ids)
        seen_ids = new std::vector<bool>;
    if ((size_t) id >= seen_ids->size())
        seen_ids->resize((size_t) id + 1 + seen_ids->size() / 2);
    (*seen_ids)[(size_t) id] = true;
}

} // namespace

extern "C" int process_file(const char *path)
{
    const tvt_settings_t &o = tvt_opt;
    const char *base = wl_basename(path);
    if (is_sccs_name(base))
        return -1;

    wl_stat_t st;
    bool have_stat = wl_stat(path, &st) == 0;
    if (have_stat && (st.st_mode & WL_S_IFDIR)) {
        walk_directory(path);
        return -1;
    }
    if (!list_empty(o.include_pats) && !matches_any(base, o.include_pats))
        return 0;
    if (matches_any(base, o.exclude_files))
        return 0;

    char *name = o.absolute ? simplify_filename(path) : chk_strdup(path);
    const ext_map_t *row = lang_of_file(name, o.forced_lang);
    if (!row) {
        chk_free(name);
        return -1;
    }

    tvt_db_t *db = tvt_run.db;
    uint32_t mtime = have_stat ? static_cast<uint32_t>(st.st_mtime_s) : 0;
    if (db) {
        /* A file named twice is judged once its first scan is written. */
        if (scan_queue_holds(name))
            scan_queue_drain();
        int id;
        int current = tvt_file_is_current(db, name, mtime, &id);
        if (id >= 0 && have_stat)
            note_seen(id);
        /* A file that cannot be read is not "up to date": it goes on to the
         * scan, which reports it. */
        if (current && !o.force && have_stat) {
            chk_free(name);
            return 0;
        }
    }
    scan_queue_submit(name, row, mtime, have_stat ? st.st_size : 0);
    return 0;
}

extern "C" void process_list_file(const char *path)
{
    FILE *f = fopen(path, "r");
    if (!f) {
        int saved = errno;
        wl_fprintf(stderr, "tvtags: Cannot read include file\n");
        errno = saved;
        report_system_error(path);
        return;
    }
    /* Lines of up to 511 characters; a longer one comes in pieces. */
    char line[512];
    while (fgets(line, sizeof line, f)) {
        size_t n = strlen(line);
        if (n && line[n - 1] == '\n')
            line[--n] = '\0';
        if (n && line[n - 1] == '\r')
            line[--n] = '\0';
        if (n)
            process_file(line);
    }
    fclose(f);
}

extern "C" void tvt_file_args(int argc, char **argv, int first)
{
    for (int i = first; i < argc; i++) {
        const char *arg = argv[i];
        if (strchr(arg, '=')) {
            scan_queue_drain();   // files chosen so far keep their language
            lang_remap(arg);
        } else if (strcmp(arg, "-I") == 0) {
            if (i + 1 >= argc)
                break;
            process_list_file(argv[++i]);
        } else {
            process_file(arg);
        }
    }
}

extern "C" int tvt_file_seen(int id)
{
    return seen_ids && id >= 0 && (size_t) id < seen_ids->size() && (*seen_ids)[(size_t) id] ? 1 : 0;
}

extern "C" void tvt_scanned_free(void)
{
    delete seen_ids;
    seen_ids = nullptr;
    delete walked_dirs;
    walked_dirs = nullptr;
    auto **names = reinterpret_cast<char **>(tvt_run.scanned.dl_str);
    int n = tvt_run.scanned.dl_len / static_cast<int>(sizeof(char *));
    for (int i = 0; i < n; i++)
        chk_free(names[i]);
    dstr_free(&tvt_run.scanned);
    tvt_run.scanned_count = 0;
}
