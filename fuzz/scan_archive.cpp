// JAR, ZIP and gzip input through the archive scanner.  The first byte
// picks the form: 0 the rest is the archive as it is; 1 and 2 the rest is
// wrapped as one stored or deflated entry with its right CRC (and, for 2,
// a data descriptor), so that mutated class files reach the class-file
// reader past the archive's checks.
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_scan.h"
#include "scanners/tvt_class/zip_reader.h"
#include "scanners/tvt_scanners.h"

namespace {

void put16(std::string &s, uint32_t v)
{
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}

void put32(std::string &s, uint32_t v)
{
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

std::string deflated(const uint8_t *data, size_t size)
{
    z_stream zs{};
    if (deflateInit2(&zs, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::string out(deflateBound(&zs, uLong(size)) + 16, '\0');
    zs.next_in = const_cast<Bytef *>(data);
    zs.avail_in = uInt(size);
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

std::string wrap(const uint8_t *data, size_t size, bool deflate)
{
    std::string body = deflate ? deflated(data, size) : std::string(reinterpret_cast<const char *>(data), size);
    uint32_t crc = zip::zip_crc32(0, data, size);
    std::string s;
    put32(s, 0x04034b50);
    put16(s, 20);
    put16(s, deflate ? 8 : 0);
    put16(s, deflate ? 8 : 0);
    put32(s, 0);
    put32(s, deflate ? 0 : crc);
    put32(s, deflate ? 0 : uint32_t(body.size()));
    put32(s, deflate ? 0 : uint32_t(size));
    put16(s, 7);
    put16(s, 0);
    s += "X.class";
    s += body;
    if (deflate) {
        put32(s, 0x08074b50);
        put32(s, crc);
        put32(s, uint32_t(body.size()));
        put32(s, uint32_t(size));
    }
    put32(s, 0x02014b50);
    return s;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::scan_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const unsigned form = data[0] % 3;
    std::string input = form == 0 ? std::string(reinterpret_cast<const char *>(data + 1), size - 1)
                                  : wrap(data + 1, size - 1, form == 2);
    if (fuzz::scan_text({tvt_archive_scan, "f.jar"}, input.data(), input.size()) != 0)
        __builtin_trap();   // a damaged archive is never a failed run
    return 0;
}
