// Class files through the class-file scanner.  The input is the class
// file; every emitted tag's strings are read, so a record pointing at freed
// or unterminated text shows up.
#include <cstdint>

#include "fuzz_scan.h"
#include "scanners/tvt_scanners.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::scan_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (fuzz::scan_text({tvt_class_scan, "f.class"}, reinterpret_cast<const char *>(data), size) != 0)
        __builtin_trap();   // a bad class file is never a failed run
    return 0;
}
