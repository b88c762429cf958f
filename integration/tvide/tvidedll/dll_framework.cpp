// Reaching the IDE's application framework.  The process's main module
// provides the table of operations; a table of another version, or one
// shorter than ours, or with a gap, is not used, so the library never calls
// through a pointer it cannot trust.
#include "dll_state.h"

namespace {

bool table_complete(const ide_framework_t *fw)
{
    return fw->fw_version == IDE_FRAMEWORK_VERSION && fw->fw_size >= sizeof *fw &&
           fw->fw_set_module && fw->fw_current_app && fw->fw_template_count &&
           fw->fw_template_at && fw->fw_template_doc_name && fw->fw_doc_count &&
           fw->fw_doc_at && fw->fw_doc_path && fw->fw_doc_modified && fw->fw_doc_first_view &&
           fw->fw_active_doc;
}

} // namespace

const ide_framework_t *dll_framework(void)
{
    if (g_dll.ds_fw)
        return g_dll.ds_fw;
    HMODULE main = GetModuleHandleA(nullptr);
    auto get = main ? reinterpret_cast<ide_framework_get_fn>(reinterpret_cast<void *>(
                          GetProcAddress(main, IDE_FRAMEWORK_EXPORT)))
                    : nullptr;
    const ide_framework_t *fw = get ? get() : nullptr;
    if (fw && table_complete(fw))
        g_dll.ds_fw = fw;
    return g_dll.ds_fw;
}

ide_app_t *dll_current_app(void)
{
    const ide_framework_t *fw = dll_framework();
    return fw ? fw->fw_current_app() : nullptr;
}
