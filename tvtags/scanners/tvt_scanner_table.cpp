// The built-in scanners, by language id.  A scanner registered by an
// extension library for the same id is called instead.
#include "scan/tvt_lang.h"
#include "scanners/tvt_scanners.h"

extern "C" {

const scanner_row_t scanner_table[] = {
    {LANG_C, tvt_c_scan},
    {LANG_BRIEF, tvt_c_scan},
    {LANG_CPP, tvt_cpp_scan},
    {LANG_TOLVA, tvt_tolva_scan},
    {LANG_D, tvt_d_scan},
    {LANG_OBJC, tvt_objc_scan},
    {LANG_OBJCPP, tvt_objcpp_scan},
    {-1, nullptr},
};

} // extern "C"
