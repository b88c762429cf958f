#ifndef WRENLIB_STRING_DSTR_INTERNAL_H
#define WRENLIB_STRING_DSTR_INTERNAL_H
#include <stdint.h>

#include "wrenlib/dstr.h"

namespace wl_dstr {

/* Makes sure `need` more bytes and a terminator fit after dl_len.  When they
 * do not, the buffer grows to old size + `extra` (+ old size / 10 with
 * `tenth`), the step each append has always used, or further when that step
 * is still too short.  A string without a buffer counts as empty. */
void room(dstr_t *d, int64_t need, int64_t extra, bool tenth = false);

/* Address of the first free byte. */
inline unsigned char *tail(dstr_t *d)
{
    return reinterpret_cast<unsigned char *>(d->dl_str) + d->dl_len;
}

} // namespace wl_dstr

#endif
