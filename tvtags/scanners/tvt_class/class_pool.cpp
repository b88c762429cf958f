// The constant pool of a class file: every kind the format defines is read
// with its size, so files of any Java release walk through; a kind we do
// not know stops this class only.
#include <cstdio>

#include "class_internal.h"

namespace cls {

namespace {

// Bytes after the tag byte, by tag; 0 for tags the format does not define.
// Utf8 is variable and handled apart.
constexpr uint8_t kFixedSize[21] = {
    0, 0, 0, 4, 4, 8, 8, 2, 2, 4, 4, 4, 4, 0, 0, 3, 2, 4, 4, 2, 2,
};

std::string format(const char *fmt, long a, long b = 0, long c = 0)
{
    char buf[128];
    snprintf(buf, sizeof buf, fmt, a, b, c);
    return buf;
}

} // namespace

bool pool_t::read(cursor_t &c)
{
    uint32_t count = c.u2();
    if (!c.ok())
        return error_ = "class file cut short in the constant pool", false;
    if (count == 0)
        return error_ = "constant pool count is 0", false;
    // Every entry takes at least three bytes: a count the file cannot hold
    // must not size the table.
    if (size_t(count - 1) * 3 > c.left())
        return error_ = format("constant pool count %ld larger than the file", long(count)), false;
    e_.assign(count, cp_entry_t{});
    for (uint32_t i = 1; i < count; i++) {
        cp_entry_t &e = e_[i];
        e.ce_tag = uint8_t(c.u1());
        if (!c.ok())
            break;
        if (e.ce_tag == CP_UTF8) {
            uint32_t len = c.u2();
            e.ce_text = c.bytes(len);
        } else if (e.ce_tag < sizeof kFixedSize && kFixedSize[e.ce_tag] != 0) {
            switch (kFixedSize[e.ce_tag]) {
            case 2:
                e.ce_first = c.u2();
                break;
            case 3:
                e.ce_first = c.u1();
                e.ce_second = c.u2();
                break;
            case 4:
                if (e.ce_tag == CP_INTEGER || e.ce_tag == CP_FLOAT) {
                    e.ce_first = c.u4();
                } else {
                    e.ce_first = c.u2();
                    e.ce_second = c.u2();
                }
                break;
            default: // Long and Double: eight bytes and two slots
                e.ce_first = c.u4();
                e.ce_second = c.u4();
                i++;
                break;
            }
        } else {
            error_ = format("Unknown CONSTANT type %ld", long(e.ce_tag));
            return false;
        }
    }
    if (!c.ok())
        return error_ = "class file cut short in the constant pool", false;
    return true;
}

bool pool_t::utf8(uint32_t index, std::string_view &out)
{
    if (index == 0 || index >= e_.size()) {
        error_ = format("Error getting string (wanted %ld out of %ld)", long(index), long(e_.size()));
        return false;
    }
    if (e_[index].ce_tag != CP_UTF8) {
        error_ = format("Error getting string (entry %ld is not text)", long(index));
        return false;
    }
    out = e_[index].ce_text;
    return true;
}

bool pool_t::class_name(uint32_t index, std::string_view &out)
{
    if (index == 0 || index >= e_.size() || e_[index].ce_tag != CP_CLASS) {
        error_ = format("Error getting string (wanted %ld out of %ld)", long(index), long(e_.size()));
        return false;
    }
    uint32_t name = e_[index].ce_first;
    if (name == 0 || name >= e_.size() || e_[name].ce_tag != CP_UTF8) {
        error_ = format("Error getting string, index=%ld (%ld out of %ld)", long(index), long(name),
                        long(e_.size()));
        return false;
    }
    out = e_[name].ce_text;
    return true;
}

} // namespace cls
