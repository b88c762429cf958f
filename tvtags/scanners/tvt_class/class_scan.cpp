// The scanners of compiled Java: a class file (language 10), and a JAR or
// ZIP archive or gzip file (22, 52) whose entries are read in one pass
// and handed, each from memory, to the class-file reader.
#include <cstdlib>
#include <vector>

#include "class_internal.h"
#include "scanners/tvt_scanners.h"
#include "wrenlib/fmt.h"
#include "zip_reader.h"

namespace {

// No real class file comes near this; a larger entry is a damaged size
// or a bomb, and is skipped rather than held.
constexpr uint64_t kMaxClassBytes = 64u << 20;
// Past this size, an entry that expands more than kMaxRatio times is
// skipped too: compiled classes compress a few times, not hundreds.
constexpr uint64_t kRatioFloor = 1u << 20;
constexpr uint32_t kMaxRatio = 100;
constexpr int kReadPiece = 64 * 1024;

bool zip_debug()
{
    const char *v = getenv("TV_ZIP_DEBUG");
    return v != nullptr;
}

bool is_class_start(const std::vector<uint8_t> &b)
{
    return b.size() >= 4 && b[0] == 0xCA && b[1] == 0xFE && b[2] == 0xBA && b[3] == 0xBE;
}

// The entry being read: its bytes while it may be a class file.
struct entry_sink_t {
    std::vector<uint8_t> bytes;
    bool declined = false;
    bool debug = false;
    const zip::archive_t *archive = nullptr;
};

int read_input(void *, uint8_t *buf, int n)
{
    return lex_getbytes(buf, n);
}

void on_entry(void *ctx, int when)
{
    auto *s = static_cast<entry_sink_t *>(ctx);
    if (when != 0)
        return;
    s->bytes.clear();
    s->declined = false;
    if (s->debug && s->archive) {
        wl_fprintf(stderr, "Zip file: %s\n", s->archive->name().c_str());
        if (s->archive->deflated())
            wl_fprintf(stderr, "deflated\n");
    }
}

// Entries that do not begin as class files are declined at once, so
// resources of any size are read through without being held.
int take_bytes(void *ctx, const uint8_t *buf, int n)
{
    auto *s = static_cast<entry_sink_t *>(ctx);
    if (s->declined)
        return zip::ZIP_WRITE_SKIP;
    s->bytes.insert(s->bytes.end(), buf, buf + n);
    if (s->bytes.size() >= 4 && !is_class_start(s->bytes)) {
        s->declined = true;
        s->bytes.clear();
        return zip::ZIP_WRITE_SKIP;
    }
    return zip::ZIP_WRITE_MORE;
}

void report(const zip::archive_t &a, int code, bool debug)
{
    const std::string &name = a.name();
    if (debug && code < 0)
        wl_fprintf(stderr, "unzip: error: %d %s\n", -code, a.message().c_str());
    if (name.empty())
        lex_error("%s", a.message().c_str());
    else
        lex_error("%s: %s", name.c_str(), a.message().c_str());
}

} // namespace

extern "C" int tvt_class_scan(void)
{
    lex_init(nullptr);
    lex_ctx.lx_lineno = 1;
    std::vector<uint8_t> bytes;
    for (;;) {
        size_t at = bytes.size();
        if (at >= kMaxClassBytes) {
            lex_error("class file larger than %d bytes, not read", int(kMaxClassBytes));
            return 0;
        }
        bytes.resize(at + kReadPiece);
        int n = lex_getbytes(bytes.data() + at, kReadPiece);
        bytes.resize(at + size_t(n > 0 ? n : 0));
        if (n <= 0)
            break;
        if (at == 0 && !is_class_start(bytes))
            return 0;   // not a class file: nothing to read further
    }
    cls::file_state_t fs;
    cls::class_read(bytes, fs, "");
    return 0;
}

extern "C" int tvt_archive_scan(void)
{
    lex_init(nullptr);
    lex_ctx.lx_lineno = 1;
    entry_sink_t sink;
    sink.debug = zip_debug();
    zip::zip_reader_t r{read_input, on_entry, take_bytes, &sink, kMaxClassBytes, kRatioFloor, kMaxRatio};
    zip::archive_t a(r);
    sink.archive = &a;
    cls::file_state_t fs;
    for (int n = 1;; n++) {
        if (tvt_opt.debug)
            wl_printf("Zip tags file %d\n", n);
        int rc = a.next();
        if (rc == zip::ZIP_END)
            break;
        if (rc < 0) {
            report(a, rc, sink.debug);
            break;
        }
        if (rc == zip::ZIP_SKIPPED) {
            if (!a.message().empty())
                report(a, 0, sink.debug);
            continue;
        }
        if (is_class_start(sink.bytes))
            cls::class_read(sink.bytes, fs, a.name());
        sink.bytes.clear();
    }
    return 0;
}
