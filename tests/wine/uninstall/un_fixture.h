#ifndef TV_UN_FIXTURE_H
#define TV_UN_FIXTURE_H
// What the uninstaller tests set up in the prefix: an installation tree,
// the installed-programs key with subkeys, and the shortcuts under the
// profiles directory for a user of the test's own; and the uninstaller
// run as the user runs it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui_driver.h"
#include "winkit.h"

extern const char kConfirmTitle[];
extern const char kProgressTitle[];
extern const char kNoticeTitle[];
extern const char kUninstallKey[];   // under HKEY_LOCAL_MACHINE

std::string uninstall_exe();

// Files and directories by wide "\\?\" paths, so trees of any depth can be
// made, inspected and cleared.
bool tree_make_file(const std::string &path, const std::string &data = "x");
bool tree_make_dir(const std::string &path);   // with its parents
bool tree_exists(const std::string &path);
void tree_clear(const std::string &path);      // read-only files too

class UninstallTest : public ::testing::Test {
protected:
    UninstallTest();
    ~UninstallTest() override;

    // (Re)creates the installed-programs key with its subkeys and the
    // shortcuts.
    void prepare();
    // The installation directory of the test (with a blank in its name).
    const std::string &inst() const { return u_inst; }
    std::string at(const std::string &rel) const { return u_inst + "\\" + rel; }
    // Creates each listed path under the installation; a trailing
    // backslash makes a directory.
    void install(const std::vector<std::string> &rels);

    bool key_exists(const std::string &sub = "") const;
    std::vector<std::string> shortcuts() const;  // the five paths
    int shortcuts_left() const;

    // Starts the uninstaller with `args` (as they stand on its command line).
    bool start(const std::string &args, std::vector<winkit::env_change> env = {},
               const std::string &cwd = "");
    // Answers the confirmation box; false when it did not come.
    bool confirm(bool yes);
    // Waits for the progress dialog, presses Proceed and reads the edit
    // control; then presses Exit and waits for the end.
    bool proceed_and_exit(std::string *text);
    // The whole run with Yes; the progress text comes back.
    std::string run_all(const std::string &args, std::vector<winkit::env_change> env = {});
    DWORD wait_exit(int timeout_ms = 20000);

    std::string u_base, u_inst, u_user;
    winkit::child u_proc;
    HWND u_dialog = nullptr;
};

std::vector<std::string> lines_of(const std::string &text);

#endif
