// Source text of every C-family language set-up through the shared lexer.
// The first byte chooses the set-up and a few settings; the rest is the
// source file.  Every emitted tag's strings are read, so a record pointing
// at freed or unterminated text shows up.
#include <cstdint>
#include <cstring>

#include "driver/tvt_driver.h"
#include "fuzz_util.h"
#include "scan/tvt_scan.h"
#include "scanners/tvt_scanners.h"

namespace {

struct setup_t {
    int (*entry)(void);
    const char *path;
};

constexpr setup_t setups[] = {
    {tvt_c_scan, "f.c"},     {tvt_cpp_scan, "f.cpp"},   {tvt_objc_scan, "f.m"},
    {tvt_objcpp_scan, "f.mm"}, {tvt_tolva_scan, "f.tm"},   {tvt_d_scan, "f.d"},
};

size_t tag_count;
size_t text_bytes;

int count_tag(int type, tag_rec_t *rec)
{
    (void) type;
    text_bytes += strlen(rec->tr_name);
    text_bytes += strlen(rec->tr_line_text);
    if (rec->tr_type)
        text_bytes += strlen(rec->tr_type);
    if (rec->tr_args)
        text_bytes += strlen(rec->tr_args);
    if (rec->tr_inherit)
        for (List_p lp = ll_first(rec->tr_inherit); lp; lp = ll_next(lp))
            text_bytes += strlen(static_cast<const char *>(ll_elem(lp)));
    return int(tag_count++);
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
    const setup_t &s = setups[(pick & 7) % (sizeof setups / sizeof setups[0])];
    tvt_opt.locals = (pick >> 3) & 1;
    tvt_opt.xref = (pick >> 4) & 1 ? 1 : -1;
    tvt_opt.warnings = (pick >> 5) & 1;

    tag_count = 0;
    lex_open_string(reinterpret_cast<const char *>(data + 1), int(size - 1), s.path);
    int rc = s.entry();
    lex_close_file();
    if (rc != 0)
        __builtin_trap();   // the C family has no failure status on text
    return 0;
}
