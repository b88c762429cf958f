// The scan queue.  The main thread chooses files and owns the database,
// the report and the messages; the scanning threads own their lexers, their
// scanners' state and their tag emission (each has its own).  A job carries
// one file across: its name and language there, its gathered tags and
// captured diagnostics back.  Jobs are written strictly in the order they
// were submitted, so that the run's output is what one thread writes.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <thread>
#include <vector>

#include "driver/scan_queue.h"
#include "driver/tvt_driver.h"
#include "driver/tvt_output.h"
#include "scan/tvt_lex.h"
#include "scan/tvt_settings.h"
#include "scan/tvt_tag.h"
#include "scanners/tvt_scanners.h"
#include "wrenlib/chk.h"
#include "wrenlib/dstr.h"
#include "wrenlib/fmt.h"
#include "wrenlib/thread.h"

namespace {

// Files scanned ahead of the one being written, per scanning thread: enough
// to keep every thread busy over runs of small files, few enough to bound
// memory.
constexpr size_t kAheadPerThread = 8;
constexpr size_t kMinAhead = 16;
// And source bytes in flight: a run of very large files (generated
// register headers, say) holds their tags until they are written.
constexpr int64_t kMaxBytesAhead = int64_t(8) << 20;
// More threads than this buy nothing: the writer is the limit by then.
constexpr int kMaxThreads = 16;

struct scan_job_t {
    char *name;
    const ext_map_t *row;
    uint32_t mtime;
    int64_t size;             // of the file when it was chosen
    int open_errno = 0;       // why the file could not be opened, or 0
    int result = 0;           // the scanner's result
    long tags = 0;            // tags of the file, cross-references included
    int xrefs = 0;
    tvt_stage_t *stage = nullptr;     // the binary form's tags
    text_file_t *text = nullptr;      // the text form's, when scanned apart
    dstr_t messages = {nullptr, 0, 0};   // diagnostics, when captured
    // Anonymous names count over the whole run: where the counters stood
    // when the scan began, and how many names the file took.
    tag_anon_t anon_from = {0, 0};
    tag_anon_t anon_used = {0, 0};
    bool done = false;        // scanned; under the monitor
};

struct scan_queue_t {
    bool decided = false;
    bool threaded = false;
    std::vector<wl_thread_t *> threads;
    wl_monitor_t *mon = nullptr;
    size_t ahead = kMinAhead;
    std::deque<scan_job_t *> todo;       // for the scanning threads; under the monitor
    bool stop = false;                   // under the monitor
    std::deque<scan_job_t *> in_order;   // submitted, not yet written; under the monitor
    int64_t bytes_ahead = 0;             // their sizes; the main thread's own
    tag_anon_t anon_written = {0, 0};    // the counters after the written files; under the monitor
    // Who waits, so that a change wakes only those it concerns: the
    // monitor has one condition, and a wake-up per file for every thread
    // costs more than small files take to scan.  Under the monitor.
    int idle_scanners = 0;
    bool writer_waits = false;
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

bool uses_anon(const tag_anon_t &a)
{
    return a.ta_struct != 0 || a.ta_enum != 0;
}

bool same_anon(const tag_anon_t &a, const tag_anon_t &b)
{
    return a.ta_struct == b.ta_struct && a.ta_enum == b.ta_enum;
}

// On a scanning thread (or inline): open, scan, close.  The anonymous-name
// counters start from j->anon_from.
void run_job(scan_job_t *j, bool capture)
{
    tag_anon = j->anon_from;
    j->anon_used = {0, 0};
    if (lex_open_file(j->name) != 0) {
        j->open_errno = errno;
        return;
    }
    tvt_current_file = j->name;
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
    tvt_current_file = nullptr;
    j->anon_used = {tag_anon.ta_struct - j->anon_from.ta_struct, tag_anon.ta_enum - j->anon_from.ta_enum};
}

// A file that named anonymous aggregates was scanned before the files
// ahead of it were done, so its counters began at a guess; when the guess
// was wrong, the file is scanned again here, in turn, from the true count.
void rescan_if_misnumbered(scan_job_t *j, const tag_anon_t &written)
{
    if (!uses_anon(j->anon_used) || same_anon(j->anon_from, written))
        return;
    if (j->stage) {
        tvt_stage_free(j->stage);
        j->stage = tvt_stage_new();
    }
    if (j->text) {
        text_file_free(j->text);
        j->text = text_file_new();
    }
    if (j->messages.dl_str)
        dstr_free(&j->messages);
    j->messages = {nullptr, 0, 0};
    j->open_errno = 0;
    j->anon_from = written;
    run_job(j, true);
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

// Under the monitor: where the anonymous-name counters will stand when j
// is written, as far as the files ahead of it are done (those still being
// scanned are taken to name nothing, which is mostly so).
tag_anon_t guess_anon(const scan_queue_t &q, const scan_job_t *j)
{
    tag_anon_t a = q.anon_written;
    for (const scan_job_t *e : q.in_order) {
        if (e == j)
            break;
        if (e->done) {
            a.ta_struct += e->anon_used.ta_struct;
            a.ta_enum += e->anon_used.ta_enum;
        }
    }
    return a;
}

void scanning_thread(void *)
{
    scan_queue_t &q = queue();
    wl_monitor_enter(q.mon);
    for (;;) {
        while (q.todo.empty() && !q.stop) {
            q.idle_scanners++;
            wl_monitor_wait(q.mon);
            q.idle_scanners--;
        }
        if (q.stop)
            break;
        scan_job_t *j = q.todo.front();
        q.todo.pop_front();
        j->anon_from = guess_anon(q, j);
        wl_monitor_leave(q.mon);
        run_job(j, true);
        wl_monitor_enter(q.mon);
        j->done = true;
        // The writer waits for the first file in order only.
        if (q.writer_waits && !q.in_order.empty() && q.in_order.front() == j)
            wl_monitor_notify_all(q.mon);
    }
    wl_monitor_leave(q.mon);
    // What this thread's scans kept between files.
    tvt_scanners_release_thread();
}

// An exit in the middle of a run (a full disk, say) must not tear down
// what the scanning threads are using: they are stopped after their
// current files.
void end_threads()
{
    scan_queue_t &q = queue();
    if (q.threads.empty())
        return;
    for (wl_thread_t *t : q.threads)
        if (wl_thread_is_current(t))
            return;
    wl_monitor_enter(q.mon);
    q.stop = true;
    wl_monitor_notify_all(q.mon);
    wl_monitor_leave(q.mon);
    for (wl_thread_t *t : q.threads)
        wl_thread_join(t);
    q.threads.clear();
}

// How many scanning threads the run gets: TVTAGS_THREADS when set (0 keeps
// the run on the main thread alone), else one per processor.
int threads_asked()
{
    const char *v = getenv("TVTAGS_THREADS");
    if (v && *v) {
        char *end = nullptr;
        long n = strtol(v, &end, 10);
        if (end != v && *end == '\0' && n >= 0)
            return n > kMaxThreads ? kMaxThreads : static_cast<int>(n);
    }
    unsigned hw = std::thread::hardware_concurrency();
    if (hw == 0)
        hw = 2;
    return hw > unsigned(kMaxThreads) ? kMaxThreads : static_cast<int>(hw);
}

int threads_wanted()
{
    // Scanners print their traces as they go, and an extension's scanners
    // were not written for other threads: those runs stay on one.  So do
    // ctags runs that warn of names defined in two files, which look at
    // every earlier file as each tag comes.
    if (tvt_opt.debug || tvt_run.extension_loaded)
        return 0;
    if (!tvt_opt.binary && tvt_opt.warnings && !tvt_opt.all && tvt_opt.format == FMT_CTAGS)
        return 0;
    return threads_asked();
}

void start_threads(scan_queue_t &q)
{
    q.decided = true;
    int n = threads_wanted();
    if (n <= 0)
        return;
    if (!q.mon)
        q.mon = wl_monitor_new();
    q.stop = false;
    for (int i = 0; i < n; i++) {
        wl_thread_t *t = wl_thread_start(scanning_thread, nullptr);
        if (!t)
            break;
        q.threads.push_back(t);
    }
    if (q.threads.empty())
        return;
    q.threaded = true;
    q.ahead = kAheadPerThread * q.threads.size();
    if (q.ahead < kMinAhead)
        q.ahead = kMinAhead;
    static bool hooked = false;
    if (!hooked) {
        hooked = true;
        atexit(end_threads);
    }
}

// Writes the scanned jobs at the front, waiting while more than `keep`
// are left.
void write_done(size_t keep)
{
    scan_queue_t &q = queue();
    for (;;) {
        wl_monitor_enter(q.mon);
        if (q.in_order.empty()) {
            wl_monitor_leave(q.mon);
            return;
        }
        scan_job_t *j = q.in_order.front();
        while (!j->done && (q.in_order.size() > keep ||
                            (keep > 0 && q.in_order.size() > 1 && q.bytes_ahead > kMaxBytesAhead))) {
            q.writer_waits = true;
            wl_monitor_wait(q.mon);
            q.writer_waits = false;
        }
        if (!j->done) {
            wl_monitor_leave(q.mon);
            return;
        }
        q.in_order.pop_front();
        q.bytes_ahead -= j->size;
        tag_anon_t written = q.anon_written;
        wl_monitor_leave(q.mon);
        rescan_if_misnumbered(j, written);
        finish_job(j);
        wl_monitor_enter(q.mon);
        q.anon_written.ta_struct += j->anon_used.ta_struct;
        q.anon_written.ta_enum += j->anon_used.ta_enum;
        wl_monitor_leave(q.mon);
        free_job(j);
    }
}

} // namespace

extern "C" {

void scan_queue_submit(char *name, const ext_map_t *row, uint32_t mtime, int64_t size)
{
    scan_queue_t &q = queue();
    if (!q.decided)
        start_threads(q);
    scan_job_t *j = new scan_job_t;
    j->name = name;
    j->row = row;
    j->mtime = mtime;
    j->size = size > 0 ? size : 0;
    if (tvt_opt.binary)
        j->stage = tvt_stage_new();
    else if (q.threaded)
        j->text = text_file_new();
    if (!q.threaded) {
        // The main thread's own counters are the run's.
        j->anon_from = q.anon_written = tag_anon;
        run_job(j, false);
        finish_job(j);
        q.anon_written = tag_anon;
        free_job(j);
        return;
    }
    wl_monitor_enter(q.mon);
    q.in_order.push_back(j);
    q.bytes_ahead += j->size;
    q.todo.push_back(j);
    if (q.idle_scanners > 0)
        wl_monitor_notify_all(q.mon);
    wl_monitor_leave(q.mon);
    write_done(q.ahead);
}

int scan_queue_holds(const char *name)
{
    // A few files at most are in flight: a walk over them is cheapest.
    // Only the main thread changes the order list, and this is the main
    // thread, so it may read it without the monitor.
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
    end_threads();
    scan_queue_t &q = *queue_state;
    q.threaded = false;
    q.decided = false;
    // The main thread scans on from where the run's counters stand.
    tag_anon = q.anon_written;
}

} // extern "C"
