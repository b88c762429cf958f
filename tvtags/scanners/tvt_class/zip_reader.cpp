// The archive reader.  ZIP archives are read by their local headers, in
// the order the entries lie, so the central directory at the end is never
// needed and a cut archive still gives its entries up to the cut.  A gzip
// file is one entry (its members, when there are several, joined).
#include <cstdio>
#include <cstring>
#include <vector>

#include "zip_inflate.h"
#include "zip_reader.h"

namespace zip {

namespace {

constexpr size_t kInSize = 64 * 1024;
constexpr size_t kPiece = 32768;   // the largest piece handed to the writer
constexpr size_t kMaxName = 4096;

constexpr uint16_t ZF_ENCRYPTED = 0x0001;
constexpr uint16_t ZF_DESCRIPTOR = 0x0008;

struct error_text_t {
    int et_code;
    const char *et_text;
};

constexpr error_text_t kErrors[] = {
    {ZIP_ERR_NOT_ARCHIVE, "input not a zip or gzip file"},
    {ZIP_ERR_METHOD, "first entry not deflated or stored--can't funzip"},
    {ZIP_ERR_ENCRYPTED, "cannot decrypt entry (need to recompile with full crypt.c)"},
    {ZIP_ERR_MEMORY, "out of memory"},
    {ZIP_ERR_FORMAT, "invalid compressed data--format violated"},
    {ZIP_ERR_LENGTH_MISMATCH, "invalid compressed data--length mismatch"},
    {ZIP_ERR_CRC, "invalid compressed data--crc error"},
    {ZIP_ERR_LENGTH, "invalid compressed data--length error"},
    {ZIP_ERR_ZIP_SHORT, "zip file ended prematurely"},
    {ZIP_ERR_GZIP_SHORT, "gzip file ended prematurely"},
    {ZIP_ERR_WRITE, "out of space on stdout"},
    {ZIP_ERR_UNKNOWN_SIZE, "stored entry without its size"},
};

uint32_t get16(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

uint32_t get32(const uint8_t *p)
{
    return get16(p) | get16(p + 2) << 16;
}

uint64_t get64(const uint8_t *p)
{
    return uint64_t(get32(p)) | uint64_t(get32(p + 4)) << 32;
}

} // namespace

// What one entry's data is and what has come of it so far.
struct entry_t {
    bool deflated = false;
    bool has_descriptor = false;
    bool zip64 = false;
    bool sizes_known = true;
    uint32_t crc = 0;           // from the header
    uint64_t csize = 0, usize = 0;
    uint32_t got_crc = 0;       // of the bytes delivered
    uint64_t consumed = 0;      // compressed bytes read
    uint64_t produced = 0;      // bytes of data
    bool keep = true;           // the writer still wants it
    bool dropped = false;       // skipped: declined or too large
};

struct zip_state_t {
    zip_reader_t r;
    std::vector<uint8_t> in;
    size_t ipos = 0, iend = 0;
    bool eof = false;
    std::vector<uint8_t> out;
    inflater_t *inf = nullptr;
    bool started = false, ended = false, is_gzip = false;
    std::string name, msg;
    entry_t e;

    explicit zip_state_t(const zip_reader_t &rr) : r(rr), in(kInSize), out(kPiece) {}
    ~zip_state_t() { inflater_free(inf); }

    int fail(int code, const char *detail = nullptr)
    {
        msg = zip_error_text(code);
        if (detail)
            msg += detail;
        ended = true;
        return code;
    }

    // Makes at least n (at most kInSize) bytes available; false at the end.
    bool need(size_t n)
    {
        if (iend - ipos >= n)
            return true;
        if (ipos > 0) {
            memmove(in.data(), in.data() + ipos, iend - ipos);
            iend -= ipos;
            ipos = 0;
        }
        while (iend < n && !eof) {
            int k = r.zr_read(r.zr_ctx, in.data() + iend, int(in.size() - iend));
            if (k <= 0)
                eof = true;
            else
                iend += size_t(k);
        }
        return iend - ipos >= n;
    }

    // Whatever is buffered, refilled when empty: false at the end.
    bool some()
    {
        return ipos < iend || need(1);
    }

    // Drops n bytes of input; false when the input ends first.
    bool skip(uint64_t n)
    {
        while (n > 0) {
            if (!some())
                return false;
            size_t k = iend - ipos;
            if (k > n)
                k = size_t(n);
            ipos += k;
            n -= k;
        }
        return true;
    }

    int get_byte()
    {
        return some() ? in[ipos++] : -1;
    }

    // Hands produced bytes to the writer while it wants them, checking
    // the bounds on what is kept.
    int deliver(const uint8_t *p, size_t n)
    {
        e.produced += n;
        if (!e.keep)
            return 0;
        e.got_crc = zip_crc32(e.got_crc, p, n);
        if (e.produced > r.zr_max_entry) {
            char buf[96];
            snprintf(buf, sizeof buf, "entry larger than %llu bytes, skipped",
                     (unsigned long long) r.zr_max_entry);
            return drop(buf);
        }
        if (e.produced > r.zr_ratio_floor && e.deflated && e.produced / r.zr_ratio > e.consumed) {
            char buf[96];
            snprintf(buf, sizeof buf, "entry expands more than %u times, skipped", unsigned(r.zr_ratio));
            return drop(buf);
        }
        int w = r.zr_write(r.zr_ctx, p, int(n));
        if (w < 0)
            return fail(ZIP_ERR_WRITE);
        if (w == ZIP_WRITE_SKIP) {
            e.keep = false;
            e.dropped = true;
        }
        return 0;
    }

    int drop(const char *why)
    {
        msg = why;
        e.keep = false;
        e.dropped = true;
        return 0;
    }

    int stored_data();
    int deflated_data(int short_code);
    int check(uint32_t crc, uint64_t usize);
    int descriptor();
    int zip_entry();
    int gzip_member(bool first);
    int gzip_entry();
    int entry_end(int rc);
};

int zip_state_t::stored_data()
{
    if (e.csize != e.usize)
        return fail(ZIP_ERR_LENGTH_MISMATCH);
    uint64_t left = e.csize;
    while (left > 0) {
        if (!e.keep)
            return skip(left) ? 0 : fail(ZIP_ERR_ZIP_SHORT);
        if (!some())
            return fail(ZIP_ERR_ZIP_SHORT);
        size_t k = iend - ipos;
        if (k > kPiece)
            k = kPiece;
        if (k > left)
            k = size_t(left);
        int rc = deliver(in.data() + ipos, k);
        if (rc < 0)
            return rc;
        ipos += k;
        left -= k;
        e.consumed += k;
    }
    return 0;
}

int zip_state_t::deflated_data(int short_code)
{
    if (!inf) {
        inf = inflater_new();
        if (!inf)
            return fail(ZIP_ERR_MEMORY);
    } else if (!inflater_reset(inf)) {
        return fail(ZIP_ERR_MEMORY);
    }
    for (;;) {
        // A declined entry whose compressed size is known is stepped over
        // without inflating the rest.
        if (!e.keep && e.sizes_known && !is_gzip) {
            if (e.consumed > e.csize)
                return fail(ZIP_ERR_FORMAT);
            return skip(e.csize - e.consumed) ? 0 : fail(short_code);
        }
        // Output may still be pending when the input has run out.
        bool have = some();
        size_t used = 0, made = 0;
        int rc = inflater_run(inf, in.data() + ipos, have ? iend - ipos : 0, &used, out.data(), out.size(),
                              &made);
        ipos += used;
        e.consumed += used;
        if (rc == INF_NOMEM)
            return fail(ZIP_ERR_MEMORY);
        if (rc == INF_BAD)
            return fail(ZIP_ERR_FORMAT);
        if (made > 0) {
            int d = deliver(out.data(), made);
            if (d < 0)
                return d;
        }
        if (rc == INF_END)
            break;
        if (used == 0 && made == 0 && (!have || !need(iend - ipos + 1)))
            return fail(short_code);
    }
    // A stream that ends before the size in the header: the next header
    // lies where the header says.
    if (e.sizes_known && !is_gzip) {
        if (e.consumed > e.csize)
            return fail(ZIP_ERR_FORMAT);
        if (!skip(e.csize - e.consumed))
            return fail(short_code);
    }
    return 0;
}

int zip_state_t::check(uint32_t crc, uint64_t usize)
{
    if (!e.keep)
        return 0;   // nobody reads the bytes of a skipped entry
    if (crc != e.got_crc)
        return fail(ZIP_ERR_CRC);
    uint64_t produced = e.zip64 ? e.produced : (e.produced & 0xFFFFFFFFu);
    if (usize != produced)
        return fail(ZIP_ERR_LENGTH);
    return 0;
}

int zip_state_t::descriptor()
{
    // The signature is optional: a first word that is not it, or that is
    // the CRC of the data, is the CRC.
    size_t sizes = e.zip64 ? 16 : 8;
    if (!need(4))
        return fail(ZIP_ERR_ZIP_SHORT);
    const uint32_t sig = 0x08074b50;
    bool has_sig = get32(&in[ipos]) == sig && !(e.keep && e.got_crc == sig);
    if (has_sig)
        ipos += 4;
    if (!need(4 + sizes))
        return fail(ZIP_ERR_ZIP_SHORT);
    const uint8_t *p = &in[ipos];
    uint32_t crc = get32(p);
    uint64_t csize = e.zip64 ? get64(p + 4) : get32(p + 4);
    uint64_t usize = e.zip64 ? get64(p + 12) : get32(p + 8);
    ipos += 4 + sizes;
    if (!e.deflated && !e.sizes_known && (csize != 0 || usize != 0))
        return fail(ZIP_ERR_UNKNOWN_SIZE);
    return check(crc, usize);
}

int zip_state_t::zip_entry()
{
    if (!need(30))
        return fail(ZIP_ERR_ZIP_SHORT);
    const uint8_t *h = &in[ipos];
    uint32_t flags = get16(h + 6);
    uint32_t method = get16(h + 8);
    e = entry_t{};
    e.crc = get32(h + 14);
    e.csize = get32(h + 18);
    e.usize = get32(h + 22);
    uint32_t name_len = get16(h + 26);
    uint32_t extra_len = get16(h + 28);
    ipos += 30;
    name.clear();
    for (uint32_t i = 0; i < name_len; i++) {
        int c = get_byte();
        if (c < 0)
            return fail(ZIP_ERR_ZIP_SHORT);
        if (name.size() < kMaxName)
            name += char(c);
    }
    // The extra field: only the ZIP64 sizes matter here.
    for (uint32_t left = extra_len; left > 0;) {
        if (left < 4 || !need(4)) {
            if (!skip(left))
                return fail(ZIP_ERR_ZIP_SHORT);
            break;
        }
        uint32_t id = get16(&in[ipos]), len = get16(&in[ipos + 2]);
        ipos += 4;
        left -= 4;
        if (len > left)
            len = left;
        if (id == 0x0001 && len <= 64 && need(len)) {
            e.zip64 = true;
            const uint8_t *p = &in[ipos];
            uint32_t at = 0;
            if (e.usize == 0xFFFFFFFFu && at + 8 <= len)
                e.usize = get64(p + at), at += 8;
            if (e.csize == 0xFFFFFFFFu && at + 8 <= len)
                e.csize = get64(p + at);
        }
        if (!skip(len))
            return fail(ZIP_ERR_ZIP_SHORT);
        left -= len;
    }
    e.deflated = method == 8;
    e.has_descriptor = (flags & ZF_DESCRIPTOR) != 0;
    e.sizes_known = !e.has_descriptor || e.csize != 0;
    bool readable = method == 0 || method == 8;
    if ((flags & ZF_ENCRYPTED) || !readable) {
        // Its data is of no use to us; with its size in the header the
        // archive goes on after it.
        if (!e.has_descriptor) {
            if (!skip(e.csize))
                return fail(ZIP_ERR_ZIP_SHORT);
            msg = (flags & ZF_ENCRYPTED) ? "cannot decrypt entry, skipped"
                                         : "entry not deflated or stored, skipped";
            return ZIP_SKIPPED;
        }
        if (flags & ZF_ENCRYPTED)
            return fail(ZIP_ERR_ENCRYPTED);
        char buf[16];
        snprintf(buf, sizeof buf, " (%02x)", unsigned(method));
        return fail(ZIP_ERR_METHOD, buf);
    }
    if (r.zr_notify)
        r.zr_notify(r.zr_ctx, 0);
    int rc = e.deflated ? deflated_data(ZIP_ERR_ZIP_SHORT) : stored_data();
    if (rc < 0)
        return rc;
    rc = e.has_descriptor ? descriptor() : check(e.crc, e.usize);
    if (rc < 0)
        return rc;
    if (r.zr_notify)
        r.zr_notify(r.zr_ctx, 1);
    return e.dropped ? ZIP_SKIPPED : ZIP_ENTRY;
}

int zip_state_t::gzip_member(bool first)
{
    if (!need(10))
        return fail(ZIP_ERR_GZIP_SHORT);
    const uint8_t *h = &in[ipos];
    if (h[2] != 8) {
        msg = "gzip file not deflated";
        ended = true;
        return ZIP_ERR_METHOD;
    }
    uint32_t flags = h[3];
    ipos += 10;
    if (flags & 0x20)
        return fail(ZIP_ERR_ENCRYPTED);
    if (flags & 0x04) {
        if (!need(2))
            return fail(ZIP_ERR_GZIP_SHORT);
        uint32_t len = get16(&in[ipos]);
        ipos += 2;
        if (!skip(len))
            return fail(ZIP_ERR_GZIP_SHORT);
    }
    for (uint32_t bit : {0x08u, 0x10u}) {
        if (!(flags & bit))
            continue;
        for (;;) {
            int c = get_byte();
            if (c < 0)
                return fail(ZIP_ERR_GZIP_SHORT);
            if (c == 0)
                break;
            if (bit == 0x08 && name.size() < kMaxName)
                name += char(c);
        }
    }
    // A header CRC: two bytes that guard only the header just read.
    if ((flags & 0x02) && !skip(2))
        return fail(ZIP_ERR_GZIP_SHORT);
    if (first && r.zr_notify)
        r.zr_notify(r.zr_ctx, 0);   // the name is known now
    uint64_t size_before = e.produced;
    e.got_crc = 0;
    int rc = deflated_data(ZIP_ERR_GZIP_SHORT);
    if (rc < 0)
        return rc;
    if (!need(8))
        return fail(ZIP_ERR_GZIP_SHORT);
    uint32_t crc = get32(&in[ipos]);
    uint32_t isize = get32(&in[ipos + 4]);
    ipos += 8;
    if (e.keep && crc != e.got_crc)
        return fail(ZIP_ERR_CRC);
    if (e.keep && isize != uint32_t(e.produced - size_before))
        return fail(ZIP_ERR_LENGTH);
    return 0;
}

int zip_state_t::gzip_entry()
{
    e = entry_t{};
    e.deflated = true;
    e.sizes_known = false;
    name.clear();
    bool first = true;
    do {
        int rc = gzip_member(first);
        if (rc < 0)
            return rc;
        first = false;
    } while (need(2) && in[ipos] == 0x1F && in[ipos + 1] == 0x8B);
    ended = true;
    if (r.zr_notify)
        r.zr_notify(r.zr_ctx, 1);
    return e.dropped ? ZIP_SKIPPED : ZIP_ENTRY;
}

archive_t::archive_t(const zip_reader_t &r) : st_(new zip_state_t(r)) {}

archive_t::~archive_t()
{
    delete st_;
}

int archive_t::next()
{
    zip_state_t &s = *st_;
    if (s.ended)
        return ZIP_END;
    s.msg.clear();
    if (!s.started) {
        s.started = true;
        if (!s.need(2)) {
            s.ended = true;   // an empty file holds no entries
            return ZIP_END;
        }
        const uint8_t *p = &s.in[s.ipos];
        if (p[0] == 0x1F && p[1] == 0x8B) {
            s.is_gzip = true;
            return s.gzip_entry();
        }
        // The marker of an archive written for spanning may come first.
        if (s.need(8) && get32(&s.in[s.ipos]) == 0x08074b50 && get32(&s.in[s.ipos + 4]) == 0x04034b50)
            s.ipos += 4;
        if (!s.need(4))
            return s.fail(ZIP_ERR_NOT_ARCHIVE);
        uint32_t sig = get32(&s.in[s.ipos]);
        if (sig == 0x06054b50) {   // the end record alone: an empty archive
            s.ended = true;
            return ZIP_END;
        }
        if (sig != 0x04034b50)
            return s.fail(ZIP_ERR_NOT_ARCHIVE);
    } else if (!s.need(4) || get32(&s.in[s.ipos]) != 0x04034b50) {
        // The central directory, or whatever follows the last entry.
        s.ended = true;
        return ZIP_END;
    }
    return s.zip_entry();
}

const std::string &archive_t::name() const
{
    return st_->name;
}

bool archive_t::deflated() const
{
    return st_->e.deflated;
}

const std::string &archive_t::message() const
{
    return st_->msg;
}

const char *zip_error_text(int code)
{
    for (const error_text_t &t : kErrors)
        if (t.et_code == code)
            return t.et_text;
    return "unknown error";
}

} // namespace zip
