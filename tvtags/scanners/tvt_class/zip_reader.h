#ifndef TVTAGS_SCANNERS_TVT_CLASS_ZIP_READER_H
#define TVTAGS_SCANNERS_TVT_CLASS_ZIP_READER_H
// The archive reader: ZIP local entries and gzip members read one after
// the other from a byte source, in one pass, each entry's bytes handed to
// the caller in pieces.  Nothing is written to disk.
#include <cstddef>
#include <cstdint>
#include <string>

namespace zip {

// Result of zip_read_entry.
enum {
    ZIP_END = 0,        // no more entries
    ZIP_ENTRY = 1,      // one entry delivered whole, checked
    ZIP_SKIPPED = 2,    // the entry was declined by the writer or too large
};

// Errors (negative results); each one ends the archive.
enum {
    ZIP_ERR_NOT_ARCHIVE = -1, ZIP_ERR_METHOD = -2, ZIP_ERR_ENCRYPTED = -3, ZIP_ERR_MULTIPART = -4,
    ZIP_ERR_MEMORY = -5, ZIP_ERR_FORMAT = -6, ZIP_ERR_LENGTH_MISMATCH = -7, ZIP_ERR_CRC = -8,
    ZIP_ERR_LENGTH = -9, ZIP_ERR_ZIP_SHORT = -10, ZIP_ERR_GZIP_SHORT = -11, ZIP_ERR_WRITE = -12,
    ZIP_ERR_UNKNOWN_SIZE = -13,
};

// What the writer answers: go on, or the rest of this entry is not wanted.
enum { ZIP_WRITE_MORE = 0, ZIP_WRITE_SKIP = 1 };

struct zip_reader_t {
    // Reads up to n bytes; the count, 0 at the end of input.
    int (*zr_read)(void *ctx, uint8_t *buf, int n);
    // Optional: called with 0 before an entry's data and 1 after it.
    void (*zr_notify)(void *ctx, int when);
    // Appends bytes of the entry: ZIP_WRITE_MORE, ZIP_WRITE_SKIP, or
    // negative on failure.
    int (*zr_write)(void *ctx, const uint8_t *buf, int n);
    void *zr_ctx;
    // An entry that grows past this many bytes is skipped; so is one that
    // has grown past zr_ratio_floor bytes and more than zr_ratio times its
    // compressed size.  Only entries that are kept count: a declined
    // entry is read to its end without being held.
    uint64_t zr_max_entry;
    uint64_t zr_ratio_floor;
    uint32_t zr_ratio;
};

struct zip_state_t;

// An open archive: the reader record plus what reading keeps.
class archive_t {
  public:
    explicit archive_t(const zip_reader_t &r);
    ~archive_t();
    archive_t(const archive_t &) = delete;
    archive_t &operator=(const archive_t &) = delete;

    // Reads the next entry: ZIP_ENTRY, ZIP_SKIPPED, ZIP_END, or a
    // negative error (see message()).
    int next();
    // The name of the entry being or last read ("" for gzip without one).
    const std::string &name() const;
    bool deflated() const;
    // The text of the last error, or of why an entry was skipped.
    const std::string &message() const;

  private:
    zip_state_t *st_;
};

// The text of an error code.
const char *zip_error_text(int code);

// The CRC-32 of ZIP and gzip (reflected polynomial 0xEDB88320), continued
// from crc (0 to begin).  Not the support library's crc32, a different
// checksum, and not the compression library's: its name is its own.
uint32_t zip_crc32(uint32_t crc, const uint8_t *p, size_t n);

} // namespace zip

#endif
