#ifndef TVIDE_COMMON_H
#define TVIDE_COMMON_H
// What the integration tool and its hook library share: the log, the
// integration settings, finding Developer Studio by its title and the
// path of the editor beside a module.  This code is linked into the hook
// library too, which lives inside the IDE, so it uses only Win32 and the C
// library and keeps every text in a bounded buffer.
#include <windows.h>

#include <stddef.h>

#define TVIDE_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))

// ---- log and standard output -------------------------------------------

// Every line is appended to the log file, which is opened and closed for
// the line, so that a crash loses nothing and several processes can share
// it.  The path is "c:/tmp/tvide.log" until tvide_log_init() finds
// TVIDE_DEBUG in the environment and takes `debug_path` instead.
void tvide_log_init(const char *debug_path);
void tvide_log(const char *fmt, ...) TVIDE_PRINTF(1, 2);

// Writes to the process's standard output handle, if it has one; a dialog
// program started from a console or a test sees the text, others lose it.
void tvide_print(const char *fmt, ...) TVIDE_PRINTF(1, 2);

// ---- integration settings ------------------------------------------------

#define TVIDE_SETTINGS_KEY "SOFTWARE\\Quenlock\\TvIDE"

struct tvide_settings_t {
    DWORD ts_load_all = 1;   // "Tolva_load_all": kept, shown nowhere
    DWORD ts_save_all = 1;   // "Tolva_save_all": save-all request on activation
    DWORD ts_ide_save_all = 1;  // "IDE_save_all": hand over every text document
};

// Reads the three values in order; a value that is missing, or is not a
// four-byte DWORD, keeps what `s` held.  `print` sends the failure to open
// the key to standard output as well as the log.
void tvide_settings_read(tvide_settings_t *s, bool print);
// Creates or opens the key and writes the three values in order.
bool tvide_settings_write(const tvide_settings_t *s);

// ---- Developer Studio ----------------------------------------------------

struct ide_row_t {
    int ir_kind;             // 0: the IDE whose menu bar gets our item
    const char *ir_prefix;   // its main window's title begins with this
};

// The IDE table, tried in order.
extern const ide_row_t g_ide_rows[];
extern const size_t g_ide_row_count;

// The first top-level window (or child of `parent` when it is not null)
// whose title, read into 256 bytes, begins with `prefix`.
HWND tvide_find_prefix(HWND parent, const char *prefix);

// The first row of the IDE table with a matching window; null when none.
const ide_row_t *tvide_find_ide(HWND *main_window);

// ---- the editor's executable ------------------------------------------

// The editor's path: the directory of `module` (null: the program) with
// "tolva.exe".  False when the module path does not fit in `size`.
bool tvide_editor_path(HMODULE module, char *buf, size_t size);

// snprintf that says whether the whole text fitted.
bool tvide_format(char *buf, size_t size, const char *fmt, ...) TVIDE_PRINTF(3, 4);

#endif
