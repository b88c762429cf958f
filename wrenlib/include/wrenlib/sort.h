#ifndef WRENLIB_SORT_H
#define WRENLIB_SORT_H
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Stable in-place sort of count records of width bytes.  The comparison
 * function is kept in a process global for the length of the sort. */
void merge_sort(void *base, int count, int width, int (*compare)(const void *, const void *));

#ifdef __cplusplus
}
#endif
#endif
