#ifndef WRENLIB_CHK_H
#define WRENLIB_CHK_H
/* Allocation functions.  Every allocation of the programs goes through
 * these; they never return a null pointer (running out of memory ends the
 * program with a report), and every block carries a header so that a double
 * or wild free is reported. */
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CHK_MAGIC_LIVE 0x57524E59u
#define CHK_MAGIC_FREE 0x46524545u
/* Bytes in front of the caller's data: the magic word, then the requested
 * size as a 64-bit value, padded so the data stays 16-byte aligned. */
#define CHK_HEADER_SIZE 16

void *chk_alloc(size_t size);
void *chk_calloc(size_t count, size_t size);
void *chk_zalloc(size_t size);
void *chk_realloc(void *ptr, size_t size);
void chk_free(void *ptr);
void chk_free_safe(void *ptr);
void chk_free_ptr(void *pptr); /* void ** in disguise: frees *pptr, nulls it */
char *chk_strdup(const char *s);
char *chk_strndup(const char *s, size_t n);
char *chk_makestr(const char *first, ...); /* list ends with a null pointer */

void *check_alloc(size_t size, const char *tag, const void *caller);
void *check_calloc(size_t count, size_t size, const char *tag, const void *caller);
void *check_zalloc(size_t size, const char *tag, const void *caller);
void *check_realloc(void *ptr, size_t size, const char *tag, const void *caller);
void check_free(void *ptr, const char *tag, const void *caller);

void chk_init(void);
void chk_exit_report(void);

/* 1 when the CHK settings turned the debugging mode on for this run. */
int chk_debugging(void);

/* A routine the error reports call, before they stop the program. */
void chk_set_error_hook(void (*hook)(const char *msg));

typedef struct chk_stats_t {
    unsigned long cs_bytes;          /* bytes currently allocated */
    unsigned long cs_largest_alloc;  /* largest block requested by allocation */
    unsigned long cs_largest_realloc;/* largest block requested by reallocation */
    unsigned long cs_blocks;         /* blocks allocated so far */
    unsigned long cs_alloc, cs_calloc, cs_zalloc, cs_realloc, cs_free, cs_strdup;
} chk_stats_t;

void chk_get_stats(chk_stats_t *out);

#ifdef __cplusplus
}
#endif
#endif
