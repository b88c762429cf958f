#ifndef TVTAGS_SCANNERS_TVT_CLASS_CLASS_INTERNAL_H
#define TVTAGS_SCANNERS_TVT_CLASS_CLASS_INTERNAL_H
// Compiled Java: the class-file reader, the constant pool it keeps, the
// descriptor words, and the state one scanned file shares between the
// class files it holds (an archive holds many).
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scan/tvt_scan.h"

namespace cls {

constexpr uint32_t CLASS_MAGIC = 0xCAFEBABE;

// A bounded big-endian reader over one class file's bytes: every read
// past the end fails (and keeps failing) instead of reading outside.
class cursor_t {
  public:
    explicit cursor_t(std::span<const uint8_t> b) : b_(b) {}
    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }
    size_t left() const { return ok_ ? b_.size() - pos_ : 0; }
    uint32_t u1() { return take(1) ? b_[pos_ - 1] : 0; }
    uint32_t u2() { return take(2) ? uint32_t(b_[pos_ - 2]) << 8 | b_[pos_ - 1] : 0; }
    uint32_t u4()
    {
        if (!take(4))
            return 0;
        const uint8_t *p = b_.data() + pos_ - 4;
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    }
    bool skip(size_t n) { return take(n); }
    // n bytes at the current position, or an empty view when cut short.
    std::string_view bytes(size_t n)
    {
        if (!take(n))
            return {};
        return {reinterpret_cast<const char *>(b_.data() + pos_ - n), n};
    }

  private:
    bool take(size_t n)
    {
        if (!ok_ || n > b_.size() - pos_) {
            ok_ = false;
            return false;
        }
        pos_ += n;
        return true;
    }
    std::span<const uint8_t> b_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Constant pool tags.
enum {
    CP_UTF8 = 1, CP_INTEGER = 3, CP_FLOAT = 4, CP_LONG = 5, CP_DOUBLE = 6, CP_CLASS = 7,
    CP_STRING = 8, CP_FIELDREF = 9, CP_METHODREF = 10, CP_IMETHODREF = 11,
    CP_NAME_AND_TYPE = 12, CP_METHOD_HANDLE = 15, CP_METHOD_TYPE = 16, CP_DYNAMIC = 17,
    CP_INVOKE_DYNAMIC = 18, CP_MODULE = 19, CP_PACKAGE = 20
};

// One constant pool slot.  Text points into the class file's bytes, which
// outlive the pool.
struct cp_entry_t {
    uint8_t ce_tag = 0;
    uint32_t ce_first = 0;     // an index, or a 32-bit number
    uint32_t ce_second = 0;    // the second index of the two-index kinds
    std::string_view ce_text;  // Utf8 entries
};

class pool_t {
  public:
    // Reads the count and the entries.  On failure the reason is in
    // error() and the pool is not to be used.
    bool read(cursor_t &c);
    const std::string &error() const { return error_; }
    // The text of the Utf8 entry at index, or false with a message.
    bool utf8(uint32_t index, std::string_view &out);
    // The name of the Class entry at index, the same way.
    bool class_name(uint32_t index, std::string_view &out);

  private:
    std::vector<cp_entry_t> e_;
    std::string error_;
};

// Which scanned file the tags go to, and what it has emitted that later
// class files of the same file reuse: its PACKAGE tags by name.
struct file_state_t {
    std::map<std::string, int, std::less<>> packages;
};

// Reads one class file from memory and emits its tags.  Returns 1 when
// the class was read to its end, 0 when the bytes are not a class file
// (quietly), -1 when it was damaged (after a diagnostic; the tags emitted
// before the damage stay).  `where` names the class in diagnostics (an
// archive entry's name), or is empty.
int class_read(std::span<const uint8_t> bytes, file_state_t &fs, std::string_view where);

// The access flags of a field or method as tag flags.
uint32_t class_map_flags(uint32_t access);
// A method descriptor as argument text "(int, String)" and type text.
void class_descriptor_text(std::string_view desc, std::string &args, std::string &type);

} // namespace cls

#endif
