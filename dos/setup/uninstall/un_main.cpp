// uninstall installation-directory: asks for confirmation, then shows the
// progress dialog in which the user starts the removal.
#include "uninstall.h"

#include <stdlib.h>

#include "un_res.h"
#include "wrenlib/chk.h"
#include "wrenlib/fmt.h"

un_state_t g_un;

namespace {

const char kConfirmText[] =
    "This will remove Tolva from your computer. Press <Yes> to proceed,\r\n"
    "or <Cancel> to abort the removal.\r\n"
    "\r\n"
    "When removing Tolva, all installed files will be deleted, but your\r\n"
    "configuration directory will be left in tact, in case you decide\r\n"
    "to reinstall the software.\r\n";

} // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int)
{
    chk_init();
    g_un.us_inst = inst;
    g_un.us_debug = getenv("TV_SETUP_DEBUG") != nullptr;

    bool given = false;
    std::wstring dir = un_cmdline_dir(GetCommandLineW(), &given);
    if (!given)
        return 0;
    UN_LOG("argv[0]=%s", un_narrow(dir).c_str());

    std::string refusal = un_refusal(dir);
    if (!refusal.empty()) {
        UN_LOG("refused: %s", refusal.c_str());
        un_report("%s", refusal.c_str());
        return 2;
    }
    g_un.us_dir = un_full_path(dir);

    char title[128];
    wl_snprintf(title, sizeof title, "Tolva v%d.%d Editor -- Unstalling...", UN_VERSION_MAJOR,
                UN_VERSION_MINOR);
    int ret = MessageBoxA(nullptr, kConfirmText, title, MB_YESNO | MB_ICONQUESTION);
    UN_LOG("ret=%d", ret);
    if (ret != IDYES)
        return 0;

    INT_PTR r = DialogBoxParamA(inst, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, un_dialog_proc, 0);
    if (r == -1) {
        UN_LOG("DialogBox failed, error=%d", (int)GetLastError());
        return 1;
    }
    return 0;
}
