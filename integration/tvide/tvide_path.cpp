// The editor's executable sits beside our own module: the tool finds it
// beside tvide.exe, the library beside tvidedll.dll.  No registry key or
// search path is consulted.
#include "tvide_common.h"

#include <string.h>

bool tvide_editor_path(HMODULE module, char *buf, size_t size)
{
    if (size < 2)
        return false;
    char self[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(module, self, sizeof self);
    // A full buffer means the name was cut: no path beside a cut name.
    if (n == 0 || n >= sizeof self - 1)
        return false;
    self[n] = '\0';
    char *slash = strrchr(self, '\\');
    if (slash)
        *slash = '\0';
    return tvide_format(buf, size, "%s\\tolva.exe", slash ? self : ".");
}
