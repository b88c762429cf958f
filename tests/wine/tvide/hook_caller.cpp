// Calls the hook library's entry point as the tracker does, with the
// thread identifier from its command line, so a test can watch what the
// library does when the hooks cannot be set.
//   hook_caller LIBRARY THREAD-ID|self [nomodule]
// "nomodule" passes no module for the message hook, which the library
// hands to Windows as given.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tvidedll.h"

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 4)
        return 2;
    HMODULE lib = LoadLibraryA(argv[1]);
    auto install = lib ? reinterpret_cast<msvc_install_hook_fn>(reinterpret_cast<void *>(
                             GetProcAddress(lib, TVIDE_INSTALL_EXPORT)))
                       : nullptr;
    if (!install)
        return 3;
    unsigned long tid = strcmp(argv[2], "self") == 0 ? GetCurrentThreadId()
                                                      : strtoul(argv[2], nullptr, 0);
    void *module = argc == 4 && strcmp(argv[3], "nomodule") == 0 ? nullptr : lib;
    int r = install(module, nullptr, tid);
    printf("returned %d\n", r);
    return 0;
}
