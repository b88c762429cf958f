// The scanner targets' shared sink and run.
#include "fuzz_scan.h"

#include <cstring>

#include "driver/tvt_driver.h"
#include "scan/tvt_scan.h"

namespace fuzz {
namespace {

size_t tag_count;
size_t text_bytes;   // read into a global so the reads are not optimised away

void read_text(const char *s)
{
    if (s)
        text_bytes += strlen(s);
}

int read_tag(int, tag_rec_t *rec)
{
    const size_t name = strlen(rec->tr_name);
    if (name >= TAG_NAME_SIZE)
        __builtin_trap();   // longer than the record holds
    text_bytes += name;
    read_text(rec->tr_line_text);
    read_text(rec->tr_type);
    read_text(rec->tr_args);
    if (rec->tr_inherit)
        for (List_p lp = ll_first(rec->tr_inherit); lp; lp = ll_next(lp))
            read_text(static_cast<const char *>(ll_elem(lp)));
    return int(tag_count++);
}

void set_bit(int &setting, unsigned byte, int bit, int on, int off)
{
    if (bit >= 0)
        setting = (byte >> bit) & 1 ? on : off;
}

} // namespace

void scan_init()
{
    tvt_settings_reset();
    tvt_opt.binary = 0;
    tvt_opt.debug = 0;
    lex_set_error_stream(nullptr);
    tag_set_text_sink(read_tag);
}

size_t scan_tag_count()
{
    return tag_count;
}

int scan_text(const scanner_t &s, const char *text, size_t size)
{
    tag_count = 0;
    lex_open_string(text, int(size), s.path);
    int rc = s.entry();
    lex_close_file();
    return rc;
}

void scan_picked(std::span<const scanner_t> scanners, const pick_t &pick, const uint8_t *data,
                 size_t size)
{
    if (size < 1)
        return;
    const unsigned byte = data[0];
    const scanner_t &s = scanners[(byte & pick.select_mask) % scanners.size()];
    set_bit(tvt_opt.locals, byte, pick.locals_bit, 1, 0);
    set_bit(tvt_opt.xref, byte, pick.xref_bit, 1, -1);
    set_bit(tvt_opt.warnings, byte, pick.warnings_bit, 1, 0);
    if (scan_text(s, reinterpret_cast<const char *>(data + 1), size - 1) != 0)
        __builtin_trap();   // no scanner has a failure status on text
}

} // namespace fuzz
