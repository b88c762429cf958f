// tvidedll: the hook library.  The tracker loads it to install the hooks;
// Windows then loads it into Developer Studio, where attaching decides
// whether this process is the IDE it serves.  The allocation exports are
// the library interface's placeholders: the library allocates nothing.
#include "dll_state.h"

dll_state_t g_dll;

namespace {

constexpr const char *kToolTitle = "Tolva IDE Integration Tool";

// Attaching in a process: true unless the load must fail.
bool attach(HMODULE module)
{
    g_dll.ds_module = module;
    // Without the tool's dialog the integration is not running; the
    // library then only lends its code.
    if (!FindWindowA(nullptr, kToolTitle))
        return true;

    const ide_framework_t *fw = dll_framework();
    if (fw)
        fw->fw_set_module(module);
    tvide_log_init("c:/tmp/tvidedll.log");
    tvide_log("DLL_PROCESS_ATTACH pid 0x%x\n", (unsigned)GetCurrentProcessId());

    HWND main = nullptr;
    const ide_row_t *ide = tvide_find_ide(&main);
    if (!ide) {
        tvide_log("failed to locate ourselves\n");
        return false;
    }
    // The tracker and the dialog see the IDE too, in another process:
    // there the library has nothing to do, and no framework to ask.
    DWORD owner = 0;
    GetWindowThreadProcessId(main, &owner);
    if (owner != GetCurrentProcessId())
        return true;
    if (ide->ir_kind == 0 && !dll_current_app()) {
        tvide_log("AfxGetApp: returns zero Is this MFC40?!!!!!!!!!!\n");
        return false;
    }
    g_dll.ds_ide = ide;
    g_dll.ds_edit_msg = RegisterWindowMessageA("Tolva_edit");
    g_dll.ds_curpos_msg = RegisterWindowMessageA("MsvcEditorCurPos");
    g_dll.ds_ide_main = tvide_find_prefix(nullptr, ide->ir_prefix);
    if (!g_dll.ds_ide_main || !g_dll.ds_edit_msg || !g_dll.ds_curpos_msg)
        return false;
    g_dll.ds_in_ide = true;
    g_dll.ds_edit_pending = true;
    return true;
}

void detach(bool process_ends)
{
    // The timer calls into this library: it must not outlive it.  When
    // the whole process ends nothing runs any more, and the window
    // functions must not be called.
    if (process_ends || !g_dll.ds_in_ide)
        return;
    if (g_dll.ds_menu_timer)
        KillTimer(nullptr, g_dll.ds_menu_timer);
    g_dll.ds_menu_timer = 0;
    dll_menu_remove();
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return attach(inst) ? TRUE : FALSE;
    case DLL_THREAD_ATTACH:
        if (g_dll.ds_in_ide)
            tvide_log("DLL_THREAD_ATTACH pid 0x%x\n", (unsigned)GetCurrentProcessId());
        return TRUE;
    case DLL_PROCESS_DETACH:
        detach(reserved != nullptr);
        return TRUE;
    default:
        return TRUE;
    }
}

TVIDEDLL_API void *chk_alloc(size_t)
{
    return nullptr;
}

TVIDEDLL_API void chk_free(void *)
{
}

TVIDEDLL_API void trace_log(const char *, ...)
{
}
