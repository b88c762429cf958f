#ifndef TVTAGS_DRIVER_TVT_DRIVER_H
#define TVTAGS_DRIVER_TVT_DRIVER_H
/* State of the driver for the whole run, and the file pass. */
#include "wrenlib/dstr.h"
#include "db/tvt_io.h"

#ifdef __cplusplus
extern "C" {
#endif

#define TVT_VERSION_MAJOR 3
#define TVT_VERSION_MINOR 26

typedef struct tvt_run_t {
    tvt_db_t *db;               /* open database, null in text mode */
    dstr_t scanned;             /* char * of every file opened for scanning, in order */
    int scanned_count;
    int file_start;             /* first text entry of the current file */
    int extension_loaded;       /* an extension library registered scanners */
    char version[16];           /* "3.026" */
} tvt_run_t;

extern tvt_run_t tvt_run;
/* The file this thread is scanning, for the fault message and the text
 * entries; null between files. */
extern thread_local const char *tvt_current_file;

int tvtags_main(int argc, char **argv);
int process_file(const char *path);
void process_list_file(const char *path);
void refresh_pass(void);
void prune_pass(void);

/* The pieces of the main flow, in the order it calls them. */
void tvt_settings_reset(void);
void tvt_settings_free(void);      /* what the switches allocated */
void tvt_scanned_free(void);       /* the scanned-files list and its names */
/* 1 when the file pass found the stored file of this id on disk. */
int tvt_file_seen(int id);
/* Parses the switches from argv[1]; returns the index of the first
 * argument that is not a switch.  Dump switches run and exit here. */
int tvt_parse_switches(int argc, char **argv);
/* 1 when the run may write path: new, empty, or a tags file of ours. */
int tvt_output_is_ours(const char *path);
void tvt_load_extension(const char *program_path);
void tvt_install_fault_handler(void);
/* Remaps, -I list files and file arguments from argv[first] on. */
void tvt_file_args(int argc, char **argv, int first);
/* The name with the -path_prefix removed when it starts with it. */
const char *tvt_strip_prefix(const char *name);

#ifdef __cplusplus
}
#endif
#endif
