#ifndef TVIDE_H
#define TVIDE_H
// tvide: registers the editor as a Developer Studio tool, shows the
// integration dialog and, while the IDE runs, keeps one tracker running
// that hooks the IDE's user-interface thread with tvidedll.
#include <windows.h>

#include "tvide_common.h"

#define TVIDE_DIALOG_TITLE "Tolva IDE Integration Tool"
#define TVIDE_TRACKER_TITLE "TvIDE_tracker"
#define TVIDE_TRACKER_CLASS "TvIDE_tracker_class"
#define TVIDE_DLL_NAME "tvidedll.dll"

struct tvide_state_t {
    HINSTANCE tv_inst = nullptr;
    tvide_settings_t tv_settings;
    char tv_self[MAX_PATH + 1] = "";    // our own executable
    HWND tv_dialog = nullptr;
    // The watcher's tracker, while it runs, and the IDE window for which a
    // tracker failed: it is not started again for that window.
    HANDLE tv_tracker = nullptr;
    HWND tv_tracker_ide = nullptr;
    HWND tv_failed_ide = nullptr;
};

extern tvide_state_t g_tvide;

// Tools registration; 0 when the entry was written, negative otherwise.
int tvide_register_tool(void);

// The integration dialog: created, shown and served until the user ends
// the program; returns the exit status.
int tvide_dialog_run(void);

// One round of the watcher (run every 250 ms by the dialog's timer).
void tvide_watch(void);
// Closes our hold on a tracker that has ended.
void tvide_watch_done(void);

// The tracker (tvide -track); returns the exit status.
int tvide_tracker_run(void);

#endif
