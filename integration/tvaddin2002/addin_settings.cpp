// The debug log and the integration settings in the registry.  Both are
// process-wide: every Connect object and the activation hook share them.
#include "addin.h"

#include <stdarg.h>

namespace {

constexpr const char *kLogPath = "/tmp/addin.log";
constexpr const char *kSettingsKey = "SOFTWARE\\Quenlock\\TVADDIN";

// Query order of the values, and where each one lands.
struct setting_row_t {
    const char *sr_name;
    DWORD addin_settings_t::*sr_field;
};

constexpr setting_row_t kSettingRows[] = {
    {"ADDIN_debug", &addin_settings_t::as_addin_debug},
    {"Tolva_save_all", &addin_settings_t::as_tolva_save_all},
    {"IDE_save_all", &addin_settings_t::as_ide_save_all},
    {"SETUP_toolbar", &addin_settings_t::as_setup_toolbar},
};

} // namespace

void addin_log(const char *fmt, ...)
{
    if (!g_addin.ad_log)
        return;
    va_list ap;
    va_start(ap, fmt);
    vfprintf(g_addin.ad_log, fmt, ap);
    va_end(ap);
    fflush(g_addin.ad_log);
}

void addin_log_open()
{
    if (g_addin.ad_log)
        return;
    g_addin.ad_log = fopen(kLogPath, "wb");
    if (g_addin.ad_log)
        setvbuf(g_addin.ad_log, nullptr, _IONBF, 0);
}

void addin_log_close()
{
    if (g_addin.ad_log) {
        fclose(g_addin.ad_log);
        g_addin.ad_log = nullptr;
    }
}

void addin_read_settings()
{
    HKEY key = nullptr;
    LONG ret = RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key);
    if (ret != ERROR_SUCCESS) {
        addin_log("RegOpenKeyEx failed, ret=%d\n", (int)ret);
        return;
    }
    for (const setting_row_t &row : kSettingRows) {
        // Read into a scratch buffer first, so that a failed or odd-sized
        // read leaves the record as it was.
        DWORD value = 0, type = 0, size = sizeof value;
        ret = RegQueryValueExA(key, row.sr_name, nullptr, &type, reinterpret_cast<BYTE *>(&value),
                               &size);
        if (ret == ERROR_SUCCESS) {
            addin_log("RegQueryValueEx(%s) %d %x\n", row.sr_name, 0, (unsigned)type);
            if (size == sizeof value)
                g_addin.ad_settings.*row.sr_field = value;
        } else {
            addin_log("RegQueryValueEx(%s) failed, ret=%d\n", row.sr_name, (int)ret);
        }
    }
    RegCloseKey(key);
}

LONG addin_write_setting(const char *key_name, const char *name, DWORD value)
{
    char path[128];
    snprintf(path, sizeof path, "SOFTWARE\\Quenlock\\%s", key_name);
    HKEY key = nullptr;
    LONG ret = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_SET_VALUE, nullptr, &key, nullptr);
    if (ret != ERROR_SUCCESS)
        return ret;
    ret = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                         sizeof value);
    RegCloseKey(key);
    return ret;
}
