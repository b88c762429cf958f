// Finding Developer Studio: its main window is known only by the start of
// its title, which goes on with the open workspace and document.
#include "tvide_common.h"

#include <string.h>

const ide_row_t g_ide_rows[] = {
    {0, "Microsoft Developer Studio"},
    {1, "Microsoft Visual C++"},
};
const size_t g_ide_row_count = sizeof g_ide_rows / sizeof g_ide_rows[0];

namespace {

struct prefix_search_t {
    const char *ps_prefix;
    size_t ps_len;
    HWND ps_found;
};

BOOL CALLBACK match_prefix(HWND w, LPARAM lp)
{
    auto *ps = reinterpret_cast<prefix_search_t *>(lp);
    char title[256];
    int n = GetWindowTextA(w, title, sizeof title);
    if (n > 0 && (size_t)n >= ps->ps_len && strncmp(title, ps->ps_prefix, ps->ps_len) == 0) {
        ps->ps_found = w;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND tvide_find_prefix(HWND parent, const char *prefix)
{
    prefix_search_t ps{prefix, strlen(prefix), nullptr};
    if (parent)
        EnumChildWindows(parent, match_prefix, reinterpret_cast<LPARAM>(&ps));
    else
        EnumWindows(match_prefix, reinterpret_cast<LPARAM>(&ps));
    return ps.ps_found;
}

const ide_row_t *tvide_find_ide(HWND *main_window)
{
    for (size_t i = 0; i < g_ide_row_count; i++) {
        HWND w = tvide_find_prefix(nullptr, g_ide_rows[i].ir_prefix);
        if (w) {
            if (main_window)
                *main_window = w;
            return &g_ide_rows[i];
        }
    }
    if (main_window)
        *main_window = nullptr;
    return nullptr;
}
