// Joining the launcher's arguments into the command line to start.
#include "tvshell.h"

#include <string.h>

int tvshell_join(char *buf, size_t size, int argc, char **argv, size_t *needed)
{
    int first = 1;
    while (first < argc && argv[first][0] == '-')
        first++;
    // Arguments are not re-quoted: the editor hands over a command line
    // that is already quoted the way the started program expects.  Blanks
    // go only between arguments: a command line that begins with one is
    // not started by every system, and where it is the program's first
    // argument comes out empty.
    size_t len = 0;
    for (int i = first; i < argc; i++)
        len += (i > first ? 1 : 0) + strlen(argv[i]);
    *needed = len;
    if (size == 0)
        return -1;
    if (len > size - 1) {
        // Starting a cut command would run something the caller did not ask for.
        buf[0] = '\0';
        return -1;
    }
    char *p = buf;
    for (int i = first; i < argc; i++) {
        if (i > first)
            *p++ = ' ';
        size_t n = strlen(argv[i]);
        memcpy(p, argv[i], n);
        p += n;
    }
    *p = '\0';
    return (int)len;
}
