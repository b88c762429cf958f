#ifndef WRENLIB_FMT_H
#define WRENLIB_FMT_H
/* The library's own formatter and small string helpers.  They carry a wl_
 * prefix because the platform's C library declares the bare names; replacing
 * those would change them for every other component of the process. */
#include <stdarg.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

int wl_snprintf(char *buf, size_t size, const char *fmt, ...);
int wl_vsnprintf(char *buf, size_t size, const char *fmt, va_list ap);
int wl_sprintf(char *buf, const char *fmt, ...);       /* unbounded */
int wl_printf(const char *fmt, ...);                   /* standard output */
int wl_vprintf(const char *fmt, va_list ap);
int wl_fprintf(void *stream, const char *fmt, ...);    /* a FILE * */
int wl_vfprintf(void *stream, const char *fmt, va_list ap);

int wl_strcasecmp(const char *a, const char *b);
int wl_strncasecmp(const char *a, const char *b, int n);
size_t wl_strlcpy(char *dst, const char *src, size_t size);
char *wl_strtok_r(char *str, const char *delims, char **save);

#ifdef __cplusplus
}
#endif
#endif
