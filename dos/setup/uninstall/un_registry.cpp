// Deleting a registry key with all its subkeys: the key is tried first on
// its own; when it has subkeys, each goes the same way, first one first,
// and then the key itself.
#include "uninstall.h"

#include <string.h>

namespace {

constexpr DWORD kNameMax = 260;

} // namespace

int un_delete_key(HKEY parent, const char *name)
{
    if (RegDeleteKeyA(parent, name ? name : "") == ERROR_SUCCESS)
        return 0;
    HKEY key;
    LONG r = RegOpenKeyExA(parent, name ? name : "", 0, KEY_READ, &key);
    if (r == ERROR_FILE_NOT_FOUND || r == ERROR_PATH_NOT_FOUND) {
        un_report("Key %s not found.\n", name && *name ? name : "<anon>");
        return 0;
    }
    if (r != ERROR_SUCCESS) {
        un_report("Error opening key.\n");
        return -1;
    }
    int status = 0;
    char last[kNameMax + 1] = "";
    for (;;) {
        char sub[kNameMax + 1];
        DWORD len = sizeof sub;
        if (RegEnumKeyExA(key, 0, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        // A subkey that is still first after it was deleted cannot be
        // removed from here; going round again would never end.
        if (last[0] && strcmp(sub, last) == 0) {
            status = -1;
            break;
        }
        if (un_delete_key(key, sub) < 0) {
            status = -1;
            break;
        }
        memcpy(last, sub, len + 1);
    }
    RegCloseKey(key);
    if (RegDeleteKeyA(parent, name ? name : "") != ERROR_SUCCESS)
        status = -1;
    return status;
}
