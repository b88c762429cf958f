// Source text of every C-family language set-up through the shared lexer.
// The first byte chooses the set-up (bits 0-2) and the locals, xref and
// warning settings (bits 3-5); the rest is the source file.
#include <cstdint>

#include "fuzz_scan.h"
#include "scanners/tvt_scanners.h"

namespace {

constexpr fuzz::scanner_t scanners[] = {
    {tvt_c_scan, "f.c"},     {tvt_cpp_scan, "f.cpp"},   {tvt_objc_scan, "f.m"},
    {tvt_objcpp_scan, "f.mm"}, {tvt_tolva_scan, "f.tm"},   {tvt_d_scan, "f.d"},
};

constexpr fuzz::pick_t pick = {7, 3, 4, 5};

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
