#ifndef TVTAGS_DRIVER_TVT_OUTPUT_H
#define TVTAGS_DRIVER_TVT_OUTPUT_H
/* Text outputs and the reports on a binary database. */
#include <stdio.h>
#include "scan/tvt_tag.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Text-mode tag sink: returns the entry's index (the parent handle). */
int text_sink(int type, tag_rec_t *rec);
/* Called when a file starts, so -noall searches only its entries. */
void text_begin_file(void);

/* One file's entries gathered apart from the store, so that a file can be
 * scanned on another thread: while text_gather_into(f) holds, the sink
 * puts entries into f, with handles counted from 0 within it (null puts
 * them into the store again).  text_add_file appends them to the store,
 * as though the sink had put them there, and leaves f empty. */
typedef struct text_file_t text_file_t;
text_file_t *text_file_new(void);
void text_file_free(text_file_t *f);
long text_file_tags(const text_file_t *f);
void text_gather_into(text_file_t *f);
void text_add_file(text_file_t *f);
/* Writes the collected entries to the tag file (or standard output with
 * -x); exits 1 when the file cannot be opened. */
void text_write(void);
void text_free(void);

enum { REPORT_LIST, REPORT_LOOKUP, REPORT_BITMAP };

/* Each returns the process exit status. */
int report_list(const char *tag_file, int mode, const char *symbol);
int report_filelist(const char *tag_file);
int report_info(const char *tag_file, int records);
int report_freelist(const char *tag_file);
int report_stats(const char *tag_file);

/* n < 1: short form, exit 0; otherwise the long form, exit 1. */
void usage(int n);
/* The usage text without exiting; long_form adds the formats, the
 * extension map and the tag types. */
void usage_print(FILE *out, int long_form);

#ifdef __cplusplus
}
#endif
#endif
