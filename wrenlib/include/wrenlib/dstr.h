#ifndef WRENLIB_DSTR_H
#define WRENLIB_DSTR_H
/* Growable byte strings.  After every append dl_len < dl_size, so one more
 * byte (a terminator) always fits at dl_str[dl_len]. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct dstr_t {
    char *dl_str;
    int32_t dl_size;
    int32_t dl_len;
} dstr_t;

void dstr_init(dstr_t *d, int size);
void dstr_zinit(dstr_t *d, int size);
void dstr_setup(dstr_t *d, char *buf, int size);
void dstr_free(dstr_t *d);
void dstr_clear(dstr_t *d);
void dstr_add_char(dstr_t *d, int c);
void dstr_add_nchar(dstr_t *d, int c, int n);
void dstr_add_mem(dstr_t *d, const void *p, int n);
void dstr_add_string(dstr_t *d, const char *s, int n);
void dstr_terminate(dstr_t *d);
void dstr_reserve(dstr_t *d, int n);
void dstr_reserve_zero(dstr_t *d, int n);
void dstr_remove(dstr_t *d, int n);
void dstr_resize(dstr_t *d, int size);
void dstr_size(dstr_t *d, int size);
void dstr_set_size(dstr_t *d, int size);
void dstr_set_space(dstr_t *d, int size);
void dstr_add_cstring(dstr_t *d, const char *s, int n);
void dstr_add_int16(dstr_t *d, uint32_t v);
void dstr_add_int24(dstr_t *d, uint32_t v);
void dstr_add_int32(dstr_t *d, uint32_t v);
void dstr_add_int64(dstr_t *d, uint64_t v);
void dstr_add_int(dstr_t *d, int32_t v);
void dstr_add_integer(dstr_t *d, int64_t v);
void dstr_add_float(dstr_t *d, double x);
void dstr_add_null(dstr_t *d);
void dstr_add_ptr(dstr_t *d, int type, uint32_t v);
void dstr_add_id(dstr_t *d, int id);

#ifdef __cplusplus
}
#endif
#endif
