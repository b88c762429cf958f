// Source text of the Verilog and VHDL scanners through the shared lexer.
// The first byte chooses the scanner (bit 0) and a few settings; the rest
// is the source file.  Every emitted tag's strings are read, so a record
// pointing at freed or unterminated text shows up.
#include <cstdint>
#include <cstring>

#include "driver/tvt_driver.h"
#include "fuzz_util.h"
#include "scan/tvt_scan.h"
#include "scanners/tvt_scanners.h"

namespace {

size_t text_bytes;

int count_tag(int type, tag_rec_t *rec)
{
    (void) type;
    text_bytes += strlen(rec->tr_name);
    text_bytes += strlen(rec->tr_line_text);
    if (rec->tr_args)
        text_bytes += strlen(rec->tr_args);
    return int(text_bytes & 0xffff);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    tvt_settings_reset();
    tvt_opt.binary = 0;
    tvt_opt.debug = 0;
    lex_set_error_stream(nullptr);
    tag_set_text_sink(count_tag);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const unsigned pick = data[0];
    const bool vhdl = pick & 1;
    tvt_opt.xref = (pick >> 1) & 1 ? 1 : -1;
    tvt_opt.locals = (pick >> 2) & 1;
    lex_open_string(reinterpret_cast<const char *>(data + 1), int(size - 1), vhdl ? "f.vhd" : "f.sv");
    int rc = vhdl ? tvt_vhdl_scan() : tvt_verilog_scan();
    lex_close_file();
    if (rc != 0)
        __builtin_trap();   // neither scanner has a failure status on text
    return 0;
}
