#ifndef TVTAGS_SCANNERS_TVT_OTHER_PASCAL_INTERNAL_H
#define TVTAGS_SCANNERS_TVT_OTHER_PASCAL_INTERNAL_H
// The Pascal scanner's state and the parts its two files share.
#include "other_internal.h"

enum pas_section_t { PAS_NONE, PAS_INTERFACE, PAS_IMPLEMENTATION, PAS_FINALIZATION };

struct pas_state_t {
    int unit;             // the unit's tag, -1 before "unit"
    pas_section_t section;
    bool in_types;        // inside a "type" section
};

extern constinit thread_local pas_state_t pas_st;

// A routine after "function" or "procedure" (or constructor, destructor);
// inside a record or class body it is a member of parent.
void pas_routine(int type, int parent, bool member);
// A type declaration starting with the name just read.
void pas_declaration(int parent);
// The same with the name already marked and t the token after it.
void pas_declaration_rest(oth_mark_t *m, int t, int parent);
// Passes over <...> after a generic type's name; true when a closing ">="
// also took the "=" that follows.
bool pas_skip_generic();
// From after an opening word (begin, case, try, asm) to its "end": each
// of those closes with one.
void pas_skip_block();
// Directive words that may follow a routine's heading (virtual; ...).
bool pas_is_directive();

#endif
