#ifndef TVTAGS_SCANNERS_TVT_SCRIPT_SCRIPT_LINE_H
#define TVTAGS_SCANNERS_TVT_SCRIPT_SCRIPT_LINE_H
// What the line scanners share: the current line's text and number, and
// filling the tag record from a name found in it.
#include "scan/tvt_scan.h"

struct script_line_t {
    const char *text;   // the lexer's line buffer, newline included
    int len;
    int lineno;
    bool continued;     // a later piece of a line longer than the buffer
};

// The next raw line; false at the end of input.
bool script_next_line(script_line_t *ln);

// Fills the tag record: name (at most 255 bytes), line, column after the
// name, the line's text without its newline, no parent, no arguments.
void script_set_name(const script_line_t &ln, int start, const char *name, int len);

inline bool script_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\f' || c == '\r' || c == '\v';
}

inline bool script_word_char(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           (static_cast<unsigned char>(c) >= 0x80);
}

// c is one of the characters of set (a zero byte never is).
inline bool script_in(char c, const char *set)
{
    for (; *set; set++)
        if (*set == c)
            return true;
    return false;
}

#endif
