#ifndef TVTAGS_DB_TVT_CHECK_H
#define TVTAGS_DB_TVT_CHECK_H
/* Integrity checker of the binary tag database, for the tests and the
 * fuzzers.  It walks every structure of a tag file's bytes and verifies the
 * invariants the engine keeps: the chunks and free blocks tile the used area,
 * the bytes after top are zero, the free lists are sorted, coalesced and
 * disjoint, free index blocks are marked and filled, every record block
 * belongs to an occupied file slot, parents name definitions of the same
 * file, the per-type counters and the shared names' reference counts match
 * the records, and every reference points inside the file.  It never trusts
 * the bytes: any input is checked in bounded time without faults. */
#include <stddef.h>
#include "tvt_io.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Returns the number of violations found, 0 for a sound file.  The first
 * few are described, one per line, in msg (always terminated when
 * msg_size > 0; msg may be null). */
int tvt_check(const unsigned char *base, size_t size, char *msg, size_t msg_size);

/* Mode of tvt_check_mode: only the structures a writer walks or changes
 * (header, counter table, name block, file table and the names of files,
 * the chains of blocks, the free lists, the pools) and their overlaps; the
 * records, and the shared names and texts they lead to, are not read, so
 * the bytes between the structures are taken as they are. */
#define TVT_CHECK_STRUCTURE 1
int tvt_check_mode(const unsigned char *base, size_t size, int mode, char *msg, size_t msg_size);

/* The same on an open database, or on a file read from disk (-1 when it
 * cannot be read). */
int tvt_check_db(const tvt_db_t *db, char *msg, size_t msg_size);
int tvt_check_file(const char *path, char *msg, size_t msg_size);

#ifdef __cplusplus
}
#endif
#endif
