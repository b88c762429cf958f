#ifndef TVTAGS_DRIVER_SCAN_QUEUE_H
#define TVTAGS_DRIVER_SCAN_QUEUE_H
/* The files chosen for scanning, scanned in the order they were chosen and
 * written in that order, to the database or the text store.  With a second
 * thread, one file is scanned while the tags of the one before it are
 * written; the database, the text files, the report lines and the messages
 * come out as they would one file at a time. */
#include <stdint.h>
#include "scan/tvt_lang.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Scans the file (name is taken over) with the row's language; size is
 * the file's as it was found (0 when unknown). */
void scan_queue_submit(char *name, const ext_map_t *row, uint32_t mtime, int64_t size);
/* 1 while the named file is chosen and not yet written. */
int scan_queue_holds(const char *name);
/* Returns once every chosen file is scanned, written and reported. */
void scan_queue_drain(void);
/* Drains the queue and ends the scanning thread. */
void scan_queue_stop(void);

#ifdef __cplusplus
}
#endif
#endif
