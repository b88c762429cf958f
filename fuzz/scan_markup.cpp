// Documents for every markup scanner through the shared lexer.  The first
// byte chooses the scanner; the rest is the file.
#include <cstdint>

#include "fuzz_scan.h"
#include "scanners/tvt_scanners.h"

namespace {

constexpr fuzz::scanner_t scanners[] = {
    {tvt_html_scan, "f.html"}, {tvt_miva_scan, "f.mv"},      {tvt_dtd_scan, "f.dtd"},
    {tvt_xml_scan, "f.xml"},   {tvt_tex_scan, "f.tex"},      {tvt_bibstyle_scan, "f.bts"},
    {tvt_tip_scan, "f.tip"},   {tvt_ini_scan, "f.ini"},      {tvt_text_scan, "f.log"},
};

constexpr fuzz::pick_t pick = {0xff, -1, -1, -1};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::scan_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::scan_picked(scanners, pick, data, size);
    return 0;
}
