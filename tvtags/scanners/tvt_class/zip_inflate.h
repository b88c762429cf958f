#ifndef TVTAGS_SCANNERS_TVT_CLASS_ZIP_INFLATE_H
#define TVTAGS_SCANNERS_TVT_CLASS_ZIP_INFLATE_H
// Raw inflate (deflate data without a zlib or gzip wrapper) through the
// compression library.  Only zip_inflate.cpp sees the library's header:
// it declares a crc32 of its own, which must not meet the support
// library's in one translation unit.
#include <cstddef>
#include <cstdint>

namespace zip {

enum { INF_MORE = 0, INF_END = 1, INF_BAD = -1, INF_NOMEM = -2 };

struct inflater_t;

inflater_t *inflater_new();           // null when out of memory
void inflater_free(inflater_t *z);
bool inflater_reset(inflater_t *z);   // for the next stream
// Inflates from in into out.  Tells how much of each was used; INF_END
// once the stream's last block is done, INF_MORE when it wants more input
// or more room, INF_BAD for data that is not deflate, INF_NOMEM.
int inflater_run(inflater_t *z, const uint8_t *in, size_t in_len, size_t *in_used, uint8_t *out,
                 size_t out_len, size_t *out_made);

} // namespace zip

#endif
