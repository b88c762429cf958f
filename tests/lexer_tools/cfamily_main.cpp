// tvtags with the C-family scanners registered for their languages before
// the driver runs.
#include "driver/tvt_driver.h"
#include "scan/tvt_lang.h"
#include "scanners/tvt_scanners.h"

int main(int argc, char **argv)
{
    const struct {
        int lang;
        scanner_fn_t fn;
    } rows[] = {
        {LANG_C, tvt_c_scan},         {LANG_BRIEF, tvt_c_scan},   {LANG_D, tvt_c_scan},
        {LANG_CPP, tvt_cpp_scan},     {LANG_TOLVA, tvt_tolva_scan}, {LANG_OBJC, tvt_objc_scan},
        {LANG_OBJCPP, tvt_objcpp_scan},
    };
    for (const auto &r : rows)
        pub_tag_add_dispatch(r.lang, r.fn, nullptr);
    return tvtags_main(argc, argv);
}
