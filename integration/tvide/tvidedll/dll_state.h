#ifndef TVIDEDLL_STATE_H
#define TVIDEDLL_STATE_H
// The hook library's own state and its modules.  Each process that loads
// the library has its own copy: the tracker only installs the hooks, the
// IDE runs them.
#include <windows.h>

#include <stddef.h>

#include "ide_framework.h"
#include "tvide_common.h"
#include "tvidedll.h"

#define TVIDEDLL_API extern "C" __declspec(dllexport)

TVIDEDLL_API int MSVC_Install_hook(void *module, HWND__ *ide_window, unsigned long thread_id);
TVIDEDLL_API LRESULT CALLBACK MSVC_callwndproc(int code, WPARAM wp, LPARAM lp);
TVIDEDLL_API LRESULT CALLBACK MSVC_getmessage(int code, WPARAM wp, LPARAM lp);
TVIDEDLL_API void *chk_alloc(size_t size);
TVIDEDLL_API void chk_free(void *ptr);
TVIDEDLL_API void trace_log(const char *fmt, ...);

struct dll_state_t {
    HMODULE ds_module = nullptr;
    // Set when the library found, in its own process, the IDE it serves;
    // in any other process the hooks do nothing.
    bool ds_in_ide = false;
    const ide_row_t *ds_ide = nullptr;
    HWND ds_ide_main = nullptr;
    UINT ds_edit_msg = 0;      // "Tolva_edit"
    UINT ds_curpos_msg = 0;    // "MsvcEditorCurPos"
    HHOOK ds_callwnd_hook = nullptr;
    HHOOK ds_getmsg_hook = nullptr;
    UINT_PTR ds_menu_timer = 0;
    bool ds_menu_added = false;
    // The hand-over that attach asks for, run from the first hook call:
    // the loader lock is held while the library attaches.
    bool ds_edit_pending = false;
    // Re-entry guards: a sent message or a modal loop inside the work
    // below may bring the same message round again.
    bool ds_in_activate = false;
    bool ds_in_command = false;
    bool ds_in_diagnostic = false;
    const ide_framework_t *ds_fw = nullptr;
};

extern dll_state_t g_dll;

// The framework table of this process, or null (dll_framework.cpp).
const ide_framework_t *dll_framework(void);
// The current application object, or null.
ide_app_t *dll_current_app(void);

// The menu item and its timer (dll_menu.cpp).
void dll_menu_step(void);
void dll_menu_remove(void);

// Hands documents to the editor (dll_edit.cpp).
void edit_files(void);

// The name of a window message for the diagnostic (dll_msgnames.cpp):
// the header's spelling, or "WM_0x%04x" in `buf`.
const char *dll_message_name(UINT msg, char *buf, size_t size);
size_t dll_message_name_count(void);

#endif
