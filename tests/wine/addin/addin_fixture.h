#ifndef ADDIN_FIXTURE_H
#define ADDIN_FIXTURE_H
// The add-in installed in the tests' prefix, and the host stand-in that
// drives it.  One installation serves the whole program: the DLL and the
// editor stand-in are copied into a directory whose name holds a blank,
// the DLL is registered there with the prefix's regsvr32, and one editor
// stand-in runs for the editor that -single_inst starts hand over to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "tvaddin2002.h"
#include "winkit.h"

namespace addin_test {

// Where the installation lives, as the programs see it.
struct install_t {
    std::string in_dir;         // holds tvaddin2002.dll and tolva.exe
    std::string in_dll;
    std::string in_tolva;
    std::string in_tolva_log;   // the editor stand-in's log
};
const install_t &install();

// Runs the prefix's regsvr32 on the installed DLL; its exit code.
DWORD regsvr32(bool unregister);

// The log file of the add-in, as the process sees "/tmp/addin.log".
std::string addin_log_path();
std::vector<std::string> addin_log_lines();

// Lines of the editor stand-in's log (each "cmdline: ..." line is one
// start of tolva.exe).
std::vector<std::string> tolva_lines();

// The integration settings under HKCU\SOFTWARE\Quenlock\TVADDIN.
struct settings_t {
    DWORD st_debug = 0, st_tolva_save_all = 0, st_ide_save_all = 0, st_setup_toolbar = 0;
};
void write_settings(const settings_t &s);
void clear_settings();

// A document of the host, with a text selection or without one.
struct doc_t {
    std::string dc_name;    // journal name, e.g. "Doc1"
    std::wstring dc_path;
    long dc_line = 1, dc_column = 1;
    bool dc_selection = true;
};

// A test with a fresh host stand-in and a fresh add-in object.
class AddinHost : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replaces the add-in object by one made while TVADDIN_DEBUG is set.
    void remake_with_echoes();
    // OnConnection with our application and add-in objects.
    HRESULT connect(long mode);
    HRESULT disconnect();
    // Exec of a command; returns the handled flag.
    bool exec(const wchar_t *name, long option = 0, HRESULT *hr = nullptr);

    // Sets the documents: the first one is also the active document unless
    // `active` is false.
    void set_documents(const std::vector<doc_t> &docs, bool active = true);
    // Makes Commands.Item answer for these full names.
    void set_existing_commands(const std::vector<std::string> &names);

    // Waits until the stand-in's log holds `n` more command lines than when
    // the test began; returns those lines (without "cmdline: ").
    std::vector<std::string> wait_cmdlines(size_t n, int timeout_ms = 10000);
    // The command line prefix that launch_tolva writes.
    std::string tolva_prefix() const;

    fakehost::host h;
    fakehost::object *dte = nullptr, *addin_obj = nullptr, *events = nullptr,
                     *windows = nullptr, *out_window = nullptr, *output = nullptr,
                     *panes = nullptr, *pane = nullptr, *commands = nullptr, *bars = nullptr,
                     *tools = nullptr, *bar = nullptr, *new_bar = nullptr, *documents = nullptr;
    std::vector<std::string> existing_commands;
    IDTExtensibility2 *ext = nullptr;
    IDTCommandTarget *target = nullptr;
    bool connected = false;
    size_t cmdlines_before = 0;
};

} // namespace addin_test

#endif
