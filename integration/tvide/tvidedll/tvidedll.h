#ifndef TVIDEDLL_H
#define TVIDEDLL_H
/* What the integration tool and the tests know of the hook library: its
 * entry point, looked up by name after LoadLibrary, and the numbers it
 * uses inside the IDE. */
#include <windows.h>

#define TVIDE_INSTALL_EXPORT "MSVC_Install_hook"

/* The "&Tolva!" item on the IDE's menu bar, and the timer that puts it
 * back when the IDE rebuilds the bar. */
#define TVIDE_MENU_ID 30874
#define TVIDE_MENU_TEXT "&Tolva!"
#define TVIDE_MENU_TIMER_ID 30875
#define TVIDE_MENU_PERIOD_MS 250
/* The IDE's save command, sent as WM_COMMAND to its main window. */
#define TVIDE_IDE_SAVE_COMMAND 0xE103
/* The editor's command line from the library holds at most this many
 * bytes of items, with the terminating NUL. */
#define TVIDE_ARGS_MAX 4096

typedef int (*msvc_install_hook_fn)(void *module, HWND__ *ide_window, unsigned long thread_id);

#endif
