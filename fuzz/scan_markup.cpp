// Documents for every markup scanner through the shared lexer.  The first
// byte chooses the scanner; the rest is the file.  Every emitted tag's
// strings are read, so a record pointing at freed or unterminated text
// shows up, and names longer than the record holds are a finding.
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
    {tvt_html_scan, "f.html"}, {tvt_miva_scan, "f.mv"},      {tvt_dtd_scan, "f.dtd"},
    {tvt_xml_scan, "f.xml"},   {tvt_tex_scan, "f.tex"},      {tvt_bibstyle_scan, "f.bts"},
    {tvt_tip_scan, "f.tip"},   {tvt_ini_scan, "f.ini"},      {tvt_text_scan, "f.log"},
};

size_t tag_count;
size_t text_bytes;

int count_tag(int type, tag_rec_t *rec)
{
    (void) type;
    size_t n = strlen(rec->tr_name);
    if (n >= TAG_NAME_SIZE)
        __builtin_trap();
    text_bytes += n + strlen(rec->tr_line_text);
    if (rec->tr_args)
        text_bytes += strlen(rec->tr_args);
    if (rec->tr_type)
        text_bytes += strlen(rec->tr_type);
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
    const setup_t &s = setups[data[0] % (sizeof setups / sizeof setups[0])];
    tag_count = 0;
    lex_open_string(reinterpret_cast<const char *>(data + 1), int(size - 1), s.path);
    int rc = s.entry();
    lex_close_file();
    if (rc != 0)
        __builtin_trap();   // the markup scanners have no failure status
    return 0;
}
