#ifndef TVTAGS_DRIVER_TEXT_ENTRIES_H
#define TVTAGS_DRIVER_TEXT_ENTRIES_H
/* The tags collected by the text-mode sink, shared between the sink and the
 * writer.  Private to the driver. */
#include <stdint.h>

/* One collected tag.  te_file is the pointer the driver keeps in its list
 * of scanned files; every other string lives in the sink's string pool
 * until the entries are freed. */
typedef struct text_entry_t {
    char *te_name;
    const char *te_file;
    int te_type;
    int te_line;
    int te_parent;
    char *te_type_text;   /* browser only; null when absent */
    char *te_args;        /* browser only; null when absent */
    char *te_line_text;   /* null when the scanner captured no line */
} text_entry_t;

/* Capacity grows by this many entries at a time. */
#define TEXT_GROW 1024

typedef struct text_store_t {
    text_entry_t *ts_entries;
    int ts_count;
    int ts_capacity;
} text_store_t;

extern text_store_t text_store;

/* Output that is written in collection order can be written file by file
 * as the files are finished: text_stream_entries opens the tag file on
 * first use and writes the entries; text_write then only closes it. */
#ifdef __cplusplus
extern "C" {
#endif
int text_can_stream(void);
void text_stream_entries(const text_entry_t *entries, int n);
#ifdef __cplusplus
}
#endif

#endif
