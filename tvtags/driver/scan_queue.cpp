// The scan queue.  The main thread chooses files and owns the database,
// the report and the messages; the scanning thread owns the lexer, the
// scanners and tag emission.  A job carries one file across: its name and
// language there, its gathered tags and captured diagnostics back.  Jobs
// are written strictly in the order they were submitted.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "driver/scan_queue.h"
#include "driver/tvt_driver.h"
#include "driver/tvt_output.h"
#include "scan/tvt_lex.h"
#include "scan/tvt_settings.h"
#include "scan/tvt_tag.h"
#include "wrenlib/chk.h"
#include "wrenlib/dstr.h"
#include "wrenlib/fmt.h"
#include "wrenlib/thread.h"

namespace {

// Files scanned ahead of the one being written: enough to keep both
// threads busy over runs of small files, few enough to bound memory.
constexpr size_t kAhead = 16;

struct scan_job_t {
    char *name;
    const ext_map_t *row;
    uint32_t mtime;
    int open_errno = 0;       // why the file could not be opened, or 0
    int result = 0;           // the scanner's result
    long tags = 0;            // tags of the file, cross-references included
    int xrefs = 0;
    tvt_stage_t *stage = nullptr;     // the binary form's tags
    text_file_t *text = nullptr;      // the text form's, when scanned apart
    dstr_t messages = {nullptr, 0, 0};   // diagnostics, when captured
    bool done = false;        // scanned; under the monitor
};

struct scan_queue_t {
    bool decided = false;
    bool threaded = false;
    wl_thread_t *thread = nullptr;
    wl_monitor_t *mon = nullptr;
    std::deque<scan_job_t *> todo;       // for the scanning thread; under the monitor
    bool stop = false;                   // under the monitor
    std::deque<scan_job_t *> in_order;   // submitted, not yet written
};

scan_queue_t *queue_state;

scan_queue_t &queue()
{
    if (!queue_state)
        queue_state = new scan_queue_t;
    return *queue_state;
}

void report_line(const char *name, const ext_map_t *row, int result, long defs, int xrefs)
{
    wl_printf("%-20s %s, ", name, row->em_desc);
    if (result == -3) {
        wl_printf("unsupported - skipped\n");
        return;
    }
    wl_printf("%3d definition%s", static_cast<int>(defs), defs == 1 ? "" : "s");
    if (xrefs)
        wl_printf(" + %d xref%s", xrefs, xrefs == 1 ? "" : "s");
    wl_printf("\n");
}

void remember_scanned(char *name)
{
    dstr_add_mem(&tvt_run.scanned, &name, sizeof name);
    tvt_run.scanned_count++;
}

// On the scanning thread (or inline): open, scan, close.
void run_job(scan_job_t *j, bool capture)
{
    if (lex_open_file(j->name) != 0) {
        j->open_errno = errno;
        return;
    }
    tvt_run.current_file = j->name;
    if (capture)
        lex_capture_errors(&j->messages);
    if (j->stage) {
        // The run's counters belong to the main thread: the stage counts.
        tag_set_db_sink(tvt_stage_sink, j->stage);
        j->result = lang_run_scanner(j->row->em_lang);
        tag_set_db_sink(nullptr, nullptr);
        j->tags = tvt_stage_tags(j->stage);
        j->xrefs = tvt_stage_xrefs(j->stage);
    } else if (j->text) {
        text_gather_into(j->text);
        j->result = lang_run_scanner(j->row->em_lang);
        text_gather_into(nullptr);
        j->tags = text_file_tags(j->text);
    } else {
        text_begin_file();
        tvt_counts.rc_file_xrefs = 0;
        long before = tvt_counts.rc_tags;
        j->result = lang_run_scanner(j->row->em_lang);
        j->tags = tvt_counts.rc_tags - before;
        j->xrefs = tvt_counts.rc_file_xrefs;
    }
    lex_close_file();
    if (capture)
        lex_capture_errors(nullptr);
    tvt_run.current_file = nullptr;
}

// On the main thread: the file's tags into the database, its messages and
// its report line.
void finish_job(scan_job_t *j)
{
    tvt_db_t *db = tvt_run.db;
    if (db)
        tvt_begin_file(db, j->name, j->mtime);
    if (j->messages.dl_len > 0) {
        fflush(stdout);
        fwrite(j->messages.dl_str, 1, static_cast<size_t>(j->messages.dl_len), tvt_opt.err);
    }
    if (j->open_errno != 0) {
        if (db)
            tvt_end_file(db);
        wl_fprintf(stderr, "%s: %s\n", j->name, strerror(j->open_errno));
        chk_free(j->name);
        return;
    }
    remember_scanned(j->name);
    if (db) {
        tvt_put_stage(db, j->stage);
        tvt_end_file(db);
    }
    if (j->text)
        text_add_file(j->text);
    if (!tvt_opt.quiet)
        report_line(j->name, j->row, j->result, j->tags - j->xrefs, j->xrefs);
}

void free_job(scan_job_t *j)
{
    tvt_stage_free(j->stage);
    text_file_free(j->text);
    if (j->messages.dl_str)
        dstr_free(&j->messages);
    delete j;
}

void scanning_thread(void *)
{
    scan_queue_t &q = queue();
    wl_monitor_enter(q.mon);
    for (;;) {
        while (q.todo.empty() && !q.stop)
            wl_monitor_wait(q.mon);
        if (q.stop)
            break;
        scan_job_t *j = q.todo.front();
        q.todo.pop_front();
        wl_monitor_leave(q.mon);
        run_job(j, true);
        wl_monitor_enter(q.mon);
        j->done = true;
        wl_monitor_notify_all(q.mon);
    }
    wl_monitor_leave(q.mon);
}

// An exit in the middle of a run (a full disk, say) must not tear down
// what the scanning thread is using: it is stopped after its current file.
void end_thread()
{
    scan_queue_t &q = queue();
    if (!q.thread || wl_thread_is_current(q.thread))
        return;
    wl_monitor_enter(q.mon);
    q.stop = true;
    wl_monitor_notify_all(q.mon);
    wl_monitor_leave(q.mon);
    wl_thread_join(q.thread);
    q.thread = nullptr;
}

bool threads_wanted()
{
    // Scanners print their traces as they go, and an extension's scanners
    // were not written for a second thread: those runs stay on one.  So do
    // ctags runs that warn of names defined in two files, which look at
    // every earlier file as each tag comes.
    if (tvt_opt.debug || tvt_run.extension_loaded)
        return false;
    if (!tvt_opt.binary && tvt_opt.warnings && !tvt_opt.all && tvt_opt.format == FMT_CTAGS)
        return false;
    const char *v = getenv("TVTAGS_THREADS");
    return !(v && strcmp(v, "0") == 0);
}

void start_thread(scan_queue_t &q)
{
    q.decided = true;
    if (!threads_wanted())
        return;
    if (!q.mon)
        q.mon = wl_monitor_new();
    q.stop = false;
    q.thread = wl_thread_start(scanning_thread, nullptr);
    if (!q.thread)
        return;
    q.threaded = true;
    static bool hooked = false;
    if (!hooked) {
        hooked = true;
        atexit(end_thread);
    }
}

// Writes the scanned jobs at the front, waiting while more than `keep`
// are left.
void write_done(size_t keep)
{
    scan_queue_t &q = queue();
    while (!q.in_order.empty()) {
        scan_job_t *j = q.in_order.front();
        wl_monitor_enter(q.mon);
        while (!j->done && q.in_order.size() > keep)
            wl_monitor_wait(q.mon);
        bool ready = j->done;
        wl_monitor_leave(q.mon);
        if (!ready)
            return;
        q.in_order.pop_front();
        finish_job(j);
        free_job(j);
    }
}

} // namespace

extern "C" {

void scan_queue_submit(char *name, const ext_map_t *row, uint32_t mtime)
{
    scan_queue_t &q = queue();
    if (!q.decided)
        start_thread(q);
    scan_job_t *j = new scan_job_t;
    j->name = name;
    j->row = row;
    j->mtime = mtime;
    if (tvt_opt.binary)
        j->stage = tvt_stage_new();
    else if (q.threaded)
        j->text = text_file_new();
    if (!q.threaded) {
        run_job(j, false);
        finish_job(j);
        free_job(j);
        return;
    }
    q.in_order.push_back(j);
    wl_monitor_enter(q.mon);
    q.todo.push_back(j);
    wl_monitor_notify_all(q.mon);
    wl_monitor_leave(q.mon);
    write_done(kAhead);
}

int scan_queue_holds(const char *name)
{
    // A few files at most are in flight: a walk over them is cheapest.
    if (!queue_state)
        return 0;
    for (const scan_job_t *j : queue_state->in_order)
        if (strcmp(j->name, name) == 0)
            return 1;
    return 0;
}

void scan_queue_drain(void)
{
    if (queue_state && queue_state->threaded)
        write_done(0);
}

void scan_queue_stop(void)
{
    if (!queue_state)
        return;
    scan_queue_drain();
    end_thread();
    scan_queue_t &q = *queue_state;
    q.threaded = false;
    q.decided = false;
}

} // extern "C"
