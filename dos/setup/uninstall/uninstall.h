#ifndef UNINSTALL_H
#define UNINSTALL_H
/* uninstall: removes an installation of the editor (its files except the
 * "config" directories, its entry in the installed-programs list and its
 * shortcuts), reporting each step in a progress dialog.
 *
 * Paths are kept as wide strings and reach the file system through the
 * "\\?\" form, so names of any length and of any characters are removed as
 * they are listed; messages and the log show them in the ANSI code page. */
#include <windows.h>

#include <string>

/* Product identity, fixed in the program. */
#define UN_VERSION_MAJOR 9
#define UN_VERSION_MINOR 2
#define UN_PATCH 2
#define UN_LETTER 'b'
#define UN_BUILD 5308

/* Progress messages are formatted into this many characters at most; the
 * edit control keeps this many of the newest characters. */
#define UN_MSG_MAX 511
#define UN_EDIT_KEEP 28000

/* Process-wide state of the uninstaller. */
typedef struct un_state_t {
    HINSTANCE us_inst;
    HWND us_dialog;     /* the progress dialog once it exists */
    HWND us_edit;       /* its edit control: progress output goes here */
    bool us_debug;      /* TV_SETUP_DEBUG is set */
    bool us_busy;       /* the removal is running */
    std::wstring us_dir;/* the installation directory, full and normalised */
} un_state_t;

extern un_state_t g_un;

/* Debug log, "/tmp/uninstall.log", written only with TV_SETUP_DEBUG set. */
void un_log_at(const char *module, int line, const char *fmt, ...);
#define UN_LOG(...) un_log_at("uninstall", __LINE__, __VA_ARGS__)

/* Progress output: the edit control of the dialog, or a message box while
 * there is none. */
void un_report(const char *fmt, ...);
/* The text appended to the edit control for one formatted message: cut
 * after its first newline, which becomes CR LF. */
std::string un_shape_message(const char *msg, bool truncated);
/* How many leading characters to drop from a control holding `len`. */
int un_trim_count(int len);
/* Gives pending window messages their turn. */
void un_pump_messages(void);

/* Text conversions between wide names and the ANSI code page. */
std::string un_narrow(const std::wstring &w);
std::wstring un_widen(const std::string &s);
/* A full path in the "\\?\" form that the wide file functions take at any
 * length; relative or odd names are made full first. */
std::wstring un_long_path(const std::wstring &path);
/* The full, normalised form of a path (backslashes, no trailing one except
 * at a root), or an empty string when it cannot be formed. */
std::wstring un_full_path(const std::wstring &path);

/* The installation directory from a command line (program name first):
 * a leading double quote runs to the closing one, otherwise it ends at the
 * first white space.  *given is false when there is no argument at all. */
std::wstring un_cmdline_dir(const wchar_t *cmdline, bool *given);

/* Refusal of directories that must never be emptied: returns an empty
 * string when `dir` may be removed, else the message saying why not. */
std::string un_refusal(const std::wstring &dir);

/* The removal steps. */
int un_remove_dir(const std::wstring &dir);
int un_delete_key(HKEY parent, const char *name);
void un_remove_shortcut(const char *path);
void un_run_removal(void);

/* The path a shortcut entry stands for, with "[Documents]" replaced by
 * `profiles` and %SystemDrive% and %USERNAME% by the environment's values. */
std::string un_expand_shortcut(const char *path, const std::string &profiles);

/* The progress dialog. */
INT_PTR CALLBACK un_dialog_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);

#endif
