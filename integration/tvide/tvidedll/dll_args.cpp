// Building the editor's argument text within its bound.
#include "dll_args.h"

#include <stdio.h>
#include <string.h>

void edit_args_init(edit_args_t *ea)
{
    ea->ea_text[0] = '\0';
    ea->ea_len = 0;
}

bool edit_args_add(edit_args_t *ea, int line, int column, const char *path)
{
    char item[TVIDE_ARGS_MAX];
    int n = snprintf(item, sizeof item, "+%d,%d \"%s\" ", line, column, path);
    // The item and the text so far, with the NUL, must fit the buffer.
    if (n < 0 || (size_t)n >= sizeof item || ea->ea_len + (size_t)n + 1 > sizeof ea->ea_text)
        return false;
    memcpy(ea->ea_text + ea->ea_len, item, (size_t)n + 1);
    ea->ea_len += (size_t)n;
    return true;
}
