// The built-in scanners, by language id.  A scanner registered by an
// extension library for the same id is called instead.
#include "scan/tvt_lang.h"

extern "C" {

const scanner_row_t scanner_table[] = {
    {-1, nullptr},
};

} // extern "C"
