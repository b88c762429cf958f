// The compression library behind zip_inflate.h.
#include "zip_inflate.h"

#include <new>
#include <zlib.h>

namespace zip {

struct inflater_t {
    z_stream zs{};
};

inflater_t *inflater_new()
{
    inflater_t *z = new (std::nothrow) inflater_t;
    if (!z)
        return nullptr;
    // Negative window bits: raw deflate, so the library computes no
    // checksum of its own; the caller checks the archive's CRC.
    if (inflateInit2(&z->zs, -MAX_WBITS) != Z_OK) {
        delete z;
        return nullptr;
    }
    return z;
}

void inflater_free(inflater_t *z)
{
    if (!z)
        return;
    inflateEnd(&z->zs);
    delete z;
}

bool inflater_reset(inflater_t *z)
{
    return inflateReset(&z->zs) == Z_OK;
}

int inflater_run(inflater_t *z, const uint8_t *in, size_t in_len, size_t *in_used, uint8_t *out,
                 size_t out_len, size_t *out_made)
{
    // uInt counts: the callers' pieces are far below 4 GiB.
    z->zs.next_in = const_cast<Bytef *>(in);
    z->zs.avail_in = uInt(in_len);
    z->zs.next_out = out;
    z->zs.avail_out = uInt(out_len);
    int rc = inflate(&z->zs, Z_NO_FLUSH);
    *in_used = in_len - z->zs.avail_in;
    *out_made = out_len - z->zs.avail_out;
    switch (rc) {
    case Z_STREAM_END:
        return INF_END;
    case Z_OK:
        return INF_MORE;
    case Z_BUF_ERROR:
        // No progress possible with what was given: the caller gives more.
        return INF_MORE;
    case Z_MEM_ERROR:
        return INF_NOMEM;
    default:
        return INF_BAD;
    }
}

} // namespace zip
