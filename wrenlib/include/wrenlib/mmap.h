#ifndef WRENLIB_MMAP_H
#define WRENLIB_MMAP_H
/* Whole files in memory: mapped, or copied when mapping is off or fails. */
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define MMAP_COPY_OK 1   /* fall back to a copy when mapping is not possible */
#define MMAP_CLOSE_FD 2  /* close the descriptor right after mapping */
#define MMAP_WRITE 4     /* writable; a missing file is created with 4096 zero bytes */

typedef struct mmap_file_t {
    intptr_t mf_fd;      /* descriptor (a HANDLE on Windows) or -1 */
    unsigned char *mf_base;
    char *mf_name;       /* owned copy of the name */
    size_t mf_size;
    int mf_flags;
    int mf_mapped;
    void *mf_map;        /* platform mapping object, if any */
    size_t mf_reserved;  /* address space held for growth (POSIX), 0 if none */
} mmap_file_t;

mmap_file_t *mmap_file_open(const char *name, int flags);
void mmap_file_close(mmap_file_t *f);
/* mmap_file_close that tells whether a copy was written back: 0, or -1
 * when it was not (the file then holds what it held before). */
int mmap_file_finish(mmap_file_t *f);
int mmap_file_probe(mmap_file_t *f, size_t size);
int mmap_is_mapped(mmap_file_t *f);
/* Flushes a mapped writable file's pages to the file (no-op in copy mode). */
int mmap_file_sync(mmap_file_t *f);
/* Forgets the TV_MMAP_ENABLE setting read on first use, so that the next
 * open reads it again. */
void mmap_file_reset(void);

#ifdef __cplusplus
}
#endif
#endif
