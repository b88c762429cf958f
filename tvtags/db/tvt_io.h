#ifndef TVTAGS_DB_TVT_IO_H
#define TVTAGS_DB_TVT_IO_H
/* The storage engine of the binary tag database: open, lock, allocate,
 * stage and flush a file's tags, remove a file, close.  It knows nothing of
 * languages; the driver wires it to tag emission. */
#include <stddef.h>
#include <stdint.h>
#include "../scan/tvt_tag.h"

#ifdef __cplusplus
extern "C" {
#endif

#define TVT_OPEN_WRITE 2

#define TVT_ERR_OPEN    -1   /* cannot be opened */
#define TVT_ERR_VERSION -2   /* a tag file of another version */
#define TVT_ERR_NOTTAGS -3   /* not a tag file */
#define TVT_ERR_BUSY    -4   /* read-only: a writer kept it past the wait */

#define TVT_KIND_FILENAME 1
#define TVT_KIND_NAME     2
#define TVT_KIND_TEXT     3

typedef struct tvt_db_t tvt_db_t;

/* Counters of the run, kept by the engine (and by the text sink). */
typedef struct tvt_run_counts_t {
    long rc_tags;        /* tags staged in this run */
    int rc_file_xrefs;   /* cross-references of the current file */
} tvt_run_counts_t;
extern tvt_run_counts_t tvt_counts;

tvt_db_t *tvt_open(const char *name, int mode, const char *db_name, int *err);
/* 0, or -1 when what was written could not be kept (the file then holds
 * what it held before the run). */
int tvt_close(tvt_db_t *db);
void tvt_set_path_prefix(tvt_db_t *db, const char *prefix);

/* A file's tags go in between tvt_begin_file and tvt_end_file, which
 * writes them.  tvt_begin_file returns 1 when the stored copy of the file
 * is at least as new as mtime.  tvt_file_is_current asks the same without
 * beginning anything, and gives the stored file's id (-1 for none). */
int tvt_begin_file(tvt_db_t *db, const char *name, uint32_t mtime);
int tvt_file_is_current(tvt_db_t *db, const char *name, uint32_t mtime, int *id);
int tvt_add_tag(tvt_db_t *db, const tag_entry_t *entry);
void tvt_end_file(tvt_db_t *db);

/* A file's tags gathered apart from the database, for instance on another
 * thread: tvt_stage_add gives every tag the handle tvt_add_tag would, and
 * tvt_put_stage makes them the current file's tags (replacing any added
 * before) and leaves st empty for the next file. */
typedef struct tvt_stage_t tvt_stage_t;
tvt_stage_t *tvt_stage_new(void);
void tvt_stage_free(tvt_stage_t *st);
int tvt_stage_add(tvt_stage_t *st, const tag_entry_t *entry);
int tvt_stage_sink(void *st, const tag_entry_t *entry);   /* tvt_stage_add as a sink */
long tvt_stage_tags(const tvt_stage_t *st);               /* tags gathered */
int tvt_stage_xrefs(const tvt_stage_t *st);               /* of them cross-references */
void tvt_put_stage(tvt_db_t *db, tvt_stage_t *st);
int tvt_remove_file(tvt_db_t *db, const char *name);
int tvt_file_at(tvt_db_t *db, int id, const char **name, uint32_t *mtime);
int tvt_find_file(tvt_db_t *db, const char *name);
int tvt_set_xref(tvt_db_t *db, int value);

uint32_t tvt_alloc(tvt_db_t *db, int n);
void tvt_free(tvt_db_t *db, uint32_t chunk, int size);
uint32_t tvt_intern(tvt_db_t *db, int kind, const char *bytes, int len);
const char *tvt_name_text(tvt_db_t *db, uint32_t ref);

/* The file's bytes, for the reports.  Pointers into them (and the names
 * tvt_file_at and tvt_name_text return) stay good until the next call that
 * may grow the file. */
const unsigned char *tvt_base(const tvt_db_t *db);
size_t tvt_size(const tvt_db_t *db);

/* 1 when the database was opened for writing. */
int tvt_is_writable(const tvt_db_t *db);

/* Largest size the file may grow to (0: no limit besides the 4 GiB that
 * 32-bit references can address).  Growth past it fails as a full disk
 * would: the run stops with status 1 and the file is left valid. */
void tvt_set_size_limit(tvt_db_t *db, uint64_t bytes);

/* tvt_add_tag in the shape of tag emission's database sink. */
int tvt_tag_sink(void *db, const tag_entry_t *entry);

#ifdef __cplusplus
}
#endif
#endif
