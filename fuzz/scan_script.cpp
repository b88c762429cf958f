// Source text of every scripting-language scanner through the shared
// lexer.  The first byte chooses the scanner (bits 0-3) and the xref and
// locals settings (bits 4-5); the rest is the source file.
#include <cstdint>

#include "fuzz_scan.h"
#include "scanners/tvt_scanners.h"

namespace {

constexpr fuzz::scanner_t scanners[] = {
    {tvt_python_scan, "f.py"}, {tvt_ruby_scan, "f.rb"},    {tvt_perl_scan, "f.pl"},
    {tvt_php_scan, "f.php"},   {tvt_tcl_scan, "f.tcl"},    {tvt_lisp_scan, "f.el"},
    {tvt_matlab_scan, "f.m"},  {tvt_idl_scan, "f.pro"},    {tvt_pvwave_scan, "f.pv"},
    {tvt_slick_scan, "f.e"},
};

constexpr fuzz::pick_t pick = {15, 5, 4, -1};

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
