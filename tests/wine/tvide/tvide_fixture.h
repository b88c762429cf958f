#ifndef TV_TVIDE_FIXTURE_H
#define TV_TVIDE_FIXTURE_H
// The pieces of the integration tests: an installation directory with the
// tool, its library and the editor stand-in side by side; the registry keys
// the tool uses; the IDE stand-in; the tool's dialog and its tracker.
// Every process started here is stopped by its owner, on failure too.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "winkit.h"

namespace tvt {

constexpr const char *kToolsKey = "SOFTWARE\\Microsoft\\Developer\\Tools";
constexpr const char *kSettingsKey = "SOFTWARE\\Quenlock\\TvIDE";
constexpr const char *kDialogTitle = "Tolva IDE Integration Tool";

// Polls `done` every 20 ms until it holds or the time is up.
bool wait_until(const std::function<bool()> &done, int timeout_ms);

// ---- registry (HKEY_CURRENT_USER) ----------------------------------------
void reg_delete(const char *key);
bool reg_set_dword(const char *key, const std::string &name, DWORD value);
bool reg_set_string(const char *key, const std::string &name, const std::string &value);
std::optional<DWORD> reg_dword(const char *key, const std::string &name);
std::optional<std::string> reg_string(const char *key, const std::string &name);

// The three settings, written together.
void set_settings(DWORD load_all, DWORD save_all, DWORD ide_save_all);

// ---- an installation ------------------------------------------------------
class install_dir {
public:
    explicit install_dir(const char *tag, bool with_dll = true);
    bool ok() const { return id_ok; }
    const std::string &dir() const { return id_tmp.path(); }
    std::string tvide() const { return id_tmp.file("tvide.exe"); }
    std::string editor() const { return id_tmp.file("tolva.exe"); }
    std::string file(const std::string &name) const { return id_tmp.file(name); }

private:
    winkit::temp_dir id_tmp;
    bool id_ok = false;
};

// ---- the IDE stand-in -----------------------------------------------------
struct ide_setup {
    std::string is_title = "Microsoft Developer Studio";
    std::vector<std::string> is_lines;   // template/doc/active/noapp lines
};

class ide_proc {
public:
    ide_proc() = default;
    ~ide_proc();
    ide_proc(const ide_proc &) = delete;
    ide_proc &operator=(const ide_proc &) = delete;

    // Starts it with its set-up in `dir`; the editors started from it log
    // to the same file.  Waits for its main window.
    bool start(const std::string &dir, const ide_setup &setup);
    HWND main() const { return ip_main; }
    DWORD pid() const { return ip_pid; }
    // Asks the stand-in through its control message (see ide_standin.cpp).
    LRESULT control(WPARAM what, LPARAM lp = 0) const;
    int menu_items() const { return (int)control(0); }
    // The shared log of the IDE and of the editors it started.
    std::vector<std::string> log() const;
    std::vector<std::string> editor_lines() const;   // the "cmdline: " lines
    // Closes the main window and waits for the end; true when it ended.
    bool close(int timeout_ms = 10000);

private:
    PROCESS_INFORMATION ip_pi{};
    HWND ip_main = nullptr;
    DWORD ip_pid = 0;
    std::string ip_log;
    HANDLE ip_editor_stop = nullptr;  // makes the editors started from it exit
};

// ---- the tool -------------------------------------------------------------
class tvide_proc {
public:
    tvide_proc() = default;
    ~tvide_proc();
    tvide_proc(const tvide_proc &) = delete;
    tvide_proc &operator=(const tvide_proc &) = delete;

    bool start(const std::string &exe, const std::string &args = "");
    // Its dialog, waited for; null when it did not come.
    HWND wait_dialog(int timeout_ms = 20000);
    // Waits for the end; true when it ended in time.
    bool wait(int timeout_ms = 20000);
    DWORD exit_code() const { return tp_child.exit_code(); }
    std::string out() const { return tp_child.out(); }
    DWORD pid() const { return tp_child.pid(); }

private:
    winkit::child tp_child;
};

// Presses a dialog button without waiting for what it starts (a modal
// dialog of its own, say).
bool press(HWND dlg, int id);
bool is_checked(HWND dlg, int id);
// Sends a dialog a command that has no button (cancel, close).
bool command(HWND dlg, int id);

// The running tracker, found by its window; stopped if still running when
// the object goes.
class tracker_ref {
public:
    tracker_ref() = default;
    ~tracker_ref();
    tracker_ref(const tracker_ref &) = delete;
    tracker_ref &operator=(const tracker_ref &) = delete;
    bool wait_found(int timeout_ms = 20000);
    // Waits for the end; true when it ended in time, with its status.
    bool wait_end(DWORD *status, int timeout_ms = 10000);

private:
    HANDLE tr_proc = nullptr;
};

// Number of top-level windows titled "TvIDE_tracker".
int tracker_windows();

// A top-level dialog of process `pid` with this title.
HWND find_dialog(DWORD pid, const std::string &title);
std::string window_text(HWND w);
// The longest static text of a dialog: a message box's message.
std::string longest_static(HWND dlg);

} // namespace tvt

#endif
