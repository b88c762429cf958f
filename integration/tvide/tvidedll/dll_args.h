#ifndef TVIDEDLL_ARGS_H
#define TVIDEDLL_ARGS_H
// The editor's argument text built by the hand-over: items
// "+line,column \"path\" ", each ending in a blank, in a buffer of fixed
// size.  An item that does not fit whole is left out, so the text never
// holds a cut path.
#include <stddef.h>

#include "tvidedll.h"

struct edit_args_t {
    char ea_text[TVIDE_ARGS_MAX];
    size_t ea_len;
};

void edit_args_init(edit_args_t *ea);
// Appends the item for one document; false when it was left out.
bool edit_args_add(edit_args_t *ea, int line, int column, const char *path);

#endif
