// Source text of the Java, C#, JSP and JavaScript scanners through the
// shared lexer.  The first byte chooses the scanner (bits 0-1) and the
// locals, xref and warning settings (bits 3-5); the rest is the source.
#include <cstdint>

#include "fuzz_scan.h"
#include "scanners/tvt_scanners.h"

namespace {

constexpr fuzz::scanner_t scanners[] = {
    {tvt_java_scan, "f.java"}, {tvt_csharp_scan, "f.cs"}, {tvt_jsp_scan, "f.jsp"},
    {tvt_js_scan, "f.js"},
};

constexpr fuzz::pick_t pick = {3, 3, 4, 5};

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
