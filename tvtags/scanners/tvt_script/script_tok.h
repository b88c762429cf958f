#ifndef TVTAGS_SCANNERS_TVT_SCRIPT_SCRIPT_TOK_H
#define TVTAGS_SCANNERS_TVT_SCRIPT_SCRIPT_TOK_H
// Small helpers of the token scanners.
#include "scan/tvt_scan.h"

// An identifier or a keyword: a token with a word for its text.
inline bool script_is_word(int t)
{
    return t == TOK_SYMBOL || (t >= KEY_ABSTRACT && t <= KEY_WITH);
}

// '=' in whichever code the lexer gives it.
inline bool script_is_assign(int t)
{
    return t == '=' || t == TOK_ASSIGN || t == TOK_EQUAL;
}

// Tokens up to and including the next '='; false at the end of input.
inline bool script_skip_past_assign()
{
    for (;;) {
        int t = lex_next();
        if (t == TOK_EOF)
            return false;
        if (script_is_assign(t))
            return true;
    }
}

// Remembers the current token as the tag's name, with its line.
inline void script_remember()
{
    tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
}

// Emits the remembered name; the tag's handle or -1.
inline int script_emit(int type, int parent)
{
    tag_rec.tr_parent = parent;
    return tag_add(type, &tag_rec);
}

#endif
