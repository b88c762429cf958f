#ifndef TVTAGS_DRIVER_TVT_DRIVER_H
#define TVTAGS_DRIVER_TVT_DRIVER_H
/* State of the driver for the whole run, and the file pass. */
#include "wrenlib/dstr.h"
#include "db/tvt_io.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct tvt_run_t {
    tvt_db_t *db;               /* open database, null in text mode */
    const char *current_file;   /* file being scanned, for the fault message */
    dstr_t scanned;             /* char * of every file opened for scanning, in order */
    int scanned_count;
    int file_start;             /* first text entry of the current file */
} tvt_run_t;

extern tvt_run_t tvt_run;

int tvtags_main(int argc, char **argv);
int process_file(const char *path);
void process_list_file(const char *path);
void refresh_pass(void);
void prune_pass(void);

#ifdef __cplusplus
}
#endif
#endif
