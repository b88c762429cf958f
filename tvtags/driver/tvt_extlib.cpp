/* The optional extension library: a shared library beside the program that
 * registers more scanners through pub_tag_add_dispatch.  Anything missing is
 * silently ignored; a library that loads stays loaded for the run. */
#include "driver/tvt_driver.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"
#include "wrenlib/sysdep.h"

namespace {

constexpr const char *ext_places[] = {"tvtags.so", "../etc/tvtags.so"};
constexpr const char *ext_entries[] = {"init_tvtags_extension", "_init_tvtags_extension"};

using ext_init_t = int (*)(void);

} // namespace

extern "C" void tvt_load_extension(const char *program_path)
{
    if (!program_path)
        return;
    char *dir = wl_dirname(program_path);
    void *handle = nullptr;
    for (const char *place : ext_places) {
        char *lib = filename_append_filename(dir, place);
        handle = wl_dlopen(lib, 1);
        chk_free(lib);
        if (handle)
            break;
    }
    chk_free(dir);
    if (!handle)
        return;
    for (const char *entry : ext_entries) {
        if (void *fn = wl_dlsym(handle, entry)) {
            reinterpret_cast<ext_init_t>(fn)();
            tvt_run.extension_loaded = 1;
            return;
        }
    }
}
