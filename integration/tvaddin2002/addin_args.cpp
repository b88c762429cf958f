// Building the editor's argument text within its buffer.
#include "addin_args.h"

#include <stdio.h>

args_status_t args_append(std::string &text, bool lead_blank, long line, long column,
                          const std::string &path)
{
    if (path.find('"') != std::string::npos)
        return ARGS_QUOTE;
    char head[64];
    snprintf(head, sizeof head, "%s+%ld,%ld \"", lead_blank ? " " : "", line, column);
    std::string item = head;
    item += path;
    item += '"';
    if (text.size() + item.size() + 1 > ADDIN_ARGS_SIZE)
        return ARGS_FULL;
    text += item;
    return ARGS_ADDED;
}
