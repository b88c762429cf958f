// Class files through the class-file scanner.  The input is the class
// file; every emitted tag's strings are read, so a record pointing at freed
// or unterminated text shows up.
#include <cstdint>
#include <cstring>

#include "driver/tvt_driver.h"
#include "fuzz_util.h"
#include "scan/tvt_scan.h"
#include "scanners/tvt_scanners.h"

namespace {

size_t text_bytes;

int count_tag(int, tag_rec_t *rec)
{
    text_bytes += strlen(rec->tr_name) + strlen(rec->tr_line_text);
    if (rec->tr_type)
        text_bytes += strlen(rec->tr_type);
    if (rec->tr_args)
        text_bytes += strlen(rec->tr_args);
    return int(text_bytes & 0xFFFF);
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
    lex_open_string(reinterpret_cast<const char *>(data), int(size), "f.class");
    int rc = tvt_class_scan();
    lex_close_file();
    if (rc != 0)
        __builtin_trap();   // a bad class file is never a failed run
    return 0;
}
