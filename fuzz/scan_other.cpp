// Source text of the other languages' scanners (assembler, Ada, BASIC,
// CHILL, Fortran, Pascal, SQL, xBase, yacc) through the shared lexer.  The
// first byte chooses the scanner (bits 0-3) and the xref and warning
// settings (bits 4-5); the rest is the source file.
#include <cstdint>

#include "fuzz_scan.h"
#include "scanners/tvt_scanners.h"

namespace {

constexpr fuzz::scanner_t scanners[] = {
    {tvt_asm_scan, "f.s"},      {tvt_ada_scan, "f.adb"},    {tvt_basic_scan, "f.bas"},
    {tvt_chill_scan, "f.chill"}, {tvt_fortran_scan, "f.f"},  {tvt_fortran_scan, "f.f90"},
    {tvt_pascal_scan, "f.pas"}, {tvt_sql_scan, "f.sql"},    {tvt_xbase_scan, "f.prg"},
    {tvt_yacc_scan, "f.y"},
};

constexpr fuzz::pick_t pick = {15, -1, 4, 5};

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
