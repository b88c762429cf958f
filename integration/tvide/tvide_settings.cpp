// The integration settings: three DWORD values under the TvIDE key, read
// and written in one fixed order.  The tool writes them from its dialog;
// the library reads them again each time it needs one, so a change in the
// dialog takes effect in the IDE at once.
#include "tvide_common.h"

namespace {

struct setting_row_t {
    const char *sr_name;
    DWORD tvide_settings_t::*sr_field;
};

constexpr setting_row_t kRows[] = {
    {"Tolva_load_all", &tvide_settings_t::ts_load_all},
    {"Tolva_save_all", &tvide_settings_t::ts_save_all},
    {"IDE_save_all", &tvide_settings_t::ts_ide_save_all},
};

} // namespace

void tvide_settings_read(tvide_settings_t *s, bool print)
{
    HKEY key = nullptr;
    LONG ret = RegOpenKeyExA(HKEY_CURRENT_USER, TVIDE_SETTINGS_KEY, 0, KEY_QUERY_VALUE, &key);
    if (ret != ERROR_SUCCESS) {
        if (print)
            tvide_print("RegOpenKeyEx failed\n");
        tvide_log("RegOpenKeyEx failed\n");
        return;
    }
    for (const setting_row_t &row : kRows) {
        DWORD type = 0, value = 0, size = sizeof value;
        ret = RegQueryValueExA(key, row.sr_name, nullptr, &type,
                               reinterpret_cast<BYTE *>(&value), &size);
        // Only a real DWORD counts: a string or a short binary value left by
        // hand would otherwise be read as a number.
        if (ret == ERROR_SUCCESS && (type != REG_DWORD || size != sizeof value))
            ret = ERROR_INVALID_DATA;
        if (ret != ERROR_SUCCESS) {
            tvide_log("RegQueryValueEx(%s) failed, ret=%d\n", row.sr_name, (int)ret);
            continue;
        }
        s->*row.sr_field = value;
    }
    RegCloseKey(key);
}

bool tvide_settings_write(const tvide_settings_t *s)
{
    HKEY key = nullptr;
    LONG ret = RegCreateKeyExA(HKEY_CURRENT_USER, TVIDE_SETTINGS_KEY, 0, nullptr,
                               REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (ret != ERROR_SUCCESS) {
        tvide_log("save: RegCreateKeyEx(%s) failed, ret=%d\n", TVIDE_SETTINGS_KEY, (int)ret);
        return false;
    }
    bool ok = true;
    for (const setting_row_t &row : kRows) {
        DWORD value = s->*row.sr_field;
        ret = RegSetValueExA(key, row.sr_name, 0, REG_DWORD,
                             reinterpret_cast<const BYTE *>(&value), sizeof value);
        if (ret != ERROR_SUCCESS) {
            tvide_log("save: RegSetValueEx failed, ret=%d\n", (int)ret);
            ok = false;
        }
    }
    RegCloseKey(key);
    return ok;
}
