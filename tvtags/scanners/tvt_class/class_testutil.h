#ifndef TVTAGS_SCANNERS_TVT_CLASS_CLASS_TESTUTIL_H
#define TVTAGS_SCANNERS_TVT_CLASS_CLASS_TESTUTIL_H
// Runs the compiled-Java scanners over bytes in memory, records what they
// emit through the text sink and the diagnostics they give, and builds
// ZIP and gzip archives for the archive tests.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scan/tvt_scan.h"
#include "scanners/tvt_scanners.h"
#include "zip_reader.h"

namespace cls_test {

struct seen_t {
    int type;
    std::string name;
    int line;
    int parent;   // index into the recorded tags, -1 for none
    uint32_t flags;
    std::string args, type_text;
};

inline std::vector<seen_t> &seen()
{
    static std::vector<seen_t> tags;
    return tags;
}

inline int record(int type, tag_rec_t *r)
{
    seen().push_back({type, r->tr_name, r->tr_line, r->tr_parent, r->tr_flags, r->tr_args ? r->tr_args : "",
                      r->tr_type ? r->tr_type : ""});
    return int(seen().size()) - 1;
}

inline std::string fixture(const std::string &name)
{
    std::ifstream f(std::string(TVT_CLASS_TESTDATA) + "/" + name, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    EXPECT_TRUE(f.good() || f.eof()) << name;
    return s.str();
}

class ClassScan : public ::testing::Test {
  protected:
    tvt_settings_t saved_;
    dstr_t errors_{nullptr, 0, 0};
    std::string bytes_;

    void SetUp() override
    {
        saved_ = tvt_opt;
        tvt_opt.binary = 0;
        tvt_opt.debug = 0;
        tvt_opt.filters = nullptr;
        tag_set_text_sink(record);
        seen().clear();
        dstr_init(&errors_, 128);
        lex_set_error_stream(stderr);
        lex_capture_errors(&errors_);
    }
    void TearDown() override
    {
        lex_capture_errors(nullptr);
        dstr_free(&errors_);
        tag_set_text_sink(nullptr);
        lex_close_file();
        tvt_opt = saved_;
    }

    const std::vector<seen_t> &scan(const std::string &bytes, int (*entry)(void), const char *path = "t.jar")
    {
        seen().clear();
        errors_.dl_len = 0;
        bytes_ = bytes;
        lex_open_string(bytes_.data(), int(bytes_.size()), path);
        EXPECT_EQ(entry(), 0);
        lex_close_file();
        return seen();
    }
    std::string errors() const { return std::string(errors_.dl_str, size_t(errors_.dl_len)); }

    // "TYPE name<parent" for each tag, one a line.
    static std::string dump()
    {
        std::string out;
        for (const seen_t &t : seen()) {
            out += std::string(tag_type_name(t.type)) + " " + t.name;
            if (t.parent >= 0 && t.parent < int(seen().size()))
                out += "<" + seen()[size_t(t.parent)].name;
            out += "\n";
        }
        return out;
    }
    static const seen_t *find(const std::string &name, int type = -1)
    {
        for (const seen_t &t : seen())
            if (t.name == name && (type < 0 || t.type == type))
                return &t;
        return nullptr;
    }
};

// Archives written the way ZIP writers do, entry by entry.
inline void put16(std::string &s, uint32_t v)
{
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}

inline void put32(std::string &s, uint32_t v)
{
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

inline std::string raw_deflate(const std::string &data, int level = 9)
{
    z_stream zs{};
    EXPECT_EQ(deflateInit2(&zs, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&zs, uLong(data.size())) + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

inline uint32_t crc_of(const std::string &s)
{
    return zip::zip_crc32(0, reinterpret_cast<const uint8_t *>(s.data()), s.size());
}

struct zip_entry_spec_t {
    std::string name;
    std::string data;
    bool deflate = true;
    bool descriptor = false;       // sizes and CRC after the data
    bool descriptor_sig = true;
    uint16_t extra_flags = 0;      // e.g. 1: encrypted
    int32_t crc_delta = 0;         // a wrong CRC
    int64_t usize_delta = 0;       // a wrong uncompressed size in the header
};

inline std::string zip_entry(const zip_entry_spec_t &e)
{
    std::string body = e.deflate ? raw_deflate(e.data) : e.data;
    uint32_t crc = crc_of(e.data) + uint32_t(e.crc_delta);
    uint32_t usize = uint32_t(int64_t(e.data.size()) + e.usize_delta);
    std::string s;
    put32(s, 0x04034b50);
    put16(s, 20);
    put16(s, (e.descriptor ? 8 : 0) | e.extra_flags);
    put16(s, e.deflate ? 8 : 0);
    put32(s, 0);   // time and date
    put32(s, e.descriptor ? 0 : crc);
    put32(s, e.descriptor ? 0 : uint32_t(body.size()));
    put32(s, e.descriptor ? 0 : usize);
    put16(s, uint16_t(e.name.size()));
    put16(s, 4);
    s += e.name;
    put16(s, 0xCAFE);   // an extra field of no meaning here, skipped
    put16(s, 0);
    s += body;
    if (e.descriptor) {
        if (e.descriptor_sig)
            put32(s, 0x08074b50);
        put32(s, crc);
        put32(s, uint32_t(body.size()));
        put32(s, usize);
    }
    return s;
}

// The central directory's first record ends the local entries.
inline std::string zip_end()
{
    std::string s;
    put32(s, 0x02014b50);
    s += std::string(42, '\0');
    put32(s, 0x06054b50);
    s += std::string(18, '\0');
    return s;
}

inline std::string gzip_member(const std::string &data, const std::string &name = "", int32_t crc_delta = 0)
{
    std::string s = "\x1f\x8b\x08";
    s += char(name.empty() ? 0x04 : 0x0C);   // an extra field, and the name
    put32(s, 0);
    s += '\0';
    s += '\3';
    put16(s, 3);
    s += "abc";
    if (!name.empty())
        s += name + '\0';
    s += raw_deflate(data);
    put32(s, crc_of(data) + uint32_t(crc_delta));
    put32(s, uint32_t(data.size()));
    return s;
}

} // namespace cls_test

#endif
