// The removal, step by step.  No failure stops it: each step reports what
// happened and the next one runs.
#include "uninstall.h"

#include "wrenlib/fmt.h"

namespace {

// The desktop shortcut first, then the Start-menu entries and their folder.
constexpr const char *kDesktopShortcut = "[Documents]\\All Users\\Desktop\\Tolva.lnk";
constexpr const char *kStartMenu[] = {
    "[Documents]\\%USERNAME%\\Start Menu\\Programs\\Tolva\\Tolva.lnk",
    "[Documents]\\%USERNAME%\\Start Menu\\Programs\\Tolva\\Uninstall Tolva.lnk",
    "[Documents]\\%USERNAME%\\Start Menu\\Programs\\Tolva\\Release Notes.lnk",
    "[Documents]\\%USERNAME%\\Start Menu\\Programs\\Tolva",
};

} // namespace

void un_run_removal(void)
{
    un_remove_dir(g_un.us_dir);
    un_report("File removal completed.\r\n");

    un_report("Removing Install registry entry...\n");
    char key[MAX_PATH];
    wl_snprintf(key, sizeof key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolva v%d.%d Editor",
                UN_VERSION_MAJOR, UN_VERSION_MINOR);
    un_delete_key(HKEY_LOCAL_MACHINE, key);

    un_report("Removing Desktop shortcut...\n");
    un_remove_shortcut(kDesktopShortcut);

    un_report("Removing Start Menu shortcut...\r\n");
    for (const char *path : kStartMenu)
        un_remove_shortcut(path);
}
