// Source text of the Verilog and VHDL scanners through the shared lexer.
// The first byte chooses the scanner (bit 0) and the xref and locals
// settings (bits 1-2); the rest is the source file.
#include <cstdint>

#include "fuzz_scan.h"
#include "scanners/tvt_scanners.h"

namespace {

constexpr fuzz::scanner_t scanners[] = {
    {tvt_verilog_scan, "f.sv"}, {tvt_vhdl_scan, "f.vhd"},
};

constexpr fuzz::pick_t pick = {1, 2, 1, -1};

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
