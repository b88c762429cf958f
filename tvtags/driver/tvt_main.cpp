/* The main flow of tvtags: set up the run, parse the switches, open the
 * database, hand every file argument to the file pass, run the end-of-run
 * passes and write the result. */
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/scan_queue.h"
#include "driver/tvt_driver.h"
#include "driver/tvt_output.h"
#include "scan/tvt_lang.h"
#include "scan/tvt_lex.h"
#include "scan/tvt_settings.h"
#include "scan/tvt_tag.h"
#include "scanners/tvt_scanners.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"
#include "wrenlib/fmt.h"

namespace {

/* Switches whose next argument is a pattern, not a file to expand. */
constexpr const char *const keep_next[] = {"-xd", "-xf", "-if", "-regexp", "+regexp", nullptr};

int db_sink(void *db, const tag_entry_t *entry)
{
    return tvt_add_tag(static_cast<tvt_db_t *>(db), entry);
}

/* The program's own file, to find the extension library beside it. */
char *find_program(char *argv0)
{
    if (!argv0 || !*argv0)
        return nullptr;
    filename_normalise(argv0);
    const char *env = getenv("PATH");
    char *found = path_search(env ? env : "", argv0);
    return found;
}

void open_database()
{
    tvt_settings_t &o = tvt_opt;
    int err = 0;
    tvt_db_t *db = tvt_open(o.tag_file, TVT_OPEN_WRITE, o.db_name, &err);
    if (!db) {
        if (err == TVT_ERR_VERSION)
            wl_printf("%s: is an old version tags file. Please remove and rebuild it\n", o.tag_file);
        else
            wl_printf("Failed to open file %s\n", o.tag_file);
        fflush(stdout);
        exit(1);
    }
    tvt_run.db = db;
    tag_set_db_sink(db_sink, db);
    if (o.path_prefix)
        tvt_set_path_prefix(db, o.path_prefix);
    /* -xref and -noxref change the database; without either the database
     * keeps what it had. */
    if (o.xref < 0)
        o.xref = tvt_set_xref(db, -1) ? 1 : 0;
    else
        tvt_set_xref(db, o.xref);
}

} // namespace

extern "C" int tvtags_main(int argc, char **argv)
{
    tag_set_text_sink(text_sink);
    wild_read_limits();
    chk_init();
    lang_clear_remaps();
    char *program = find_program(argc > 0 ? argv[0] : nullptr);
    tvt_opt.program_path = program;

    tvt_settings_reset();
    tvt_opt.err = stderr;
    wl_snprintf(tvt_run.version, sizeof tvt_run.version, "%d.%03d", TVT_VERSION_MAJOR, TVT_VERSION_MINOR);
    dstr_init(&tvt_run.scanned, 512);

    int nargc = 0;
    char **nargv = wild_expand_args(argc, argv, &nargc, keep_next);
    tvt_opt.xref = -1;

    int first = tvt_parse_switches(nargc, nargv);
    bool refresh = tvt_opt.refresh & 1;
    if (first >= nargc && !refresh) {
        fflush(stdout);
        usage(0);
        exit(0);
    }
    if (refresh && !tvt_opt.binary) {
        /* The refresh pass walks the database's file table; the text form
         * has no database to walk. */
        wl_fprintf(stderr, "tvtags: -refresh needs the binary tags database; it cannot be used with -text\n");
        exit(1);
    }
    lex_set_error_stream(tvt_opt.err);
    lex_set_debug(tvt_opt.debug);

    // The listing goes to standard output; anything else lands in a file
    // that must not be some other file of the user's.
    const char *out_name = tvt_opt.tag_file ? tvt_opt.tag_file : "tags";
    if ((tvt_opt.binary || !tvt_opt.cxref) && !tvt_output_is_ours(out_name)) {
        wl_fprintf(stderr, "%s: not a tags file; not overwritten\n", out_name);
        exit(1);
    }
    tvt_load_extension(tvt_opt.program_path);
    if (tvt_opt.binary)
        open_database();
    tvt_install_fault_handler();

    tvt_file_args(nargc, nargv, first);
    scan_queue_drain();
    if (refresh) {
        refresh_pass();
        scan_queue_drain();
    }
    scan_queue_stop();
    if (tvt_opt.prune && tvt_opt.binary)
        prune_pass();

    if (tvt_opt.binary) {
        // The engine has said what went wrong; the status must say so too.
        int closed = tvt_close(tvt_run.db);
        tvt_run.db = nullptr;
        if (closed != 0) {
            fflush(stdout);
            exit(1);
        }
        tag_set_db_sink(nullptr, nullptr);
    } else {
        text_write();
        text_free();
    }
    fflush(stdout);

    // What the scanners kept between files on this thread (the scanning
    // threads let go of theirs as they end): thread storage is no root of
    // the leak check.
    tvt_scanners_release_thread();
    lang_clear_remaps();
    tvt_scanned_free();
    tvt_settings_free();
    wild_free_args(nargc, nargv);
    tvt_opt.program_path = nullptr;
    chk_free(program);
    chk_exit_report();
    return 0;
}
