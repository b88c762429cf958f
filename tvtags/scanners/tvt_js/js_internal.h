#ifndef TVTAGS_SCANNERS_TVT_JS_JS_INTERNAL_H
#define TVTAGS_SCANNERS_TVT_JS_JS_INTERNAL_H
// The parts of the JavaScript scanner: its token reader and the pattern
// reader over the token stream.
#include "scan/tvt_scan.h"
#include "scanners/tvt_scanners.h"

// Token codes of the reader beyond the lexer's: "=>" is TOK_ARROW; regular
// expressions and template literals are TOK_STRING.

// The next token: template literals and regular expressions are read
// whole, "=>" is one token, "#" of a private name is dropped.
int js_next();
// The spelling of the current word, or "" when the token is no word.
bool js_is_word(int t);
bool js_text_is(const char *s);
void js_reset_reader();



#endif
