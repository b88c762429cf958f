#ifndef TVTAGS_SCANNERS_TVT_OTHER_OTHER_INTERNAL_H
#define TVTAGS_SCANNERS_TVT_OTHER_OTHER_INTERNAL_H
// Helpers shared by the smaller scanners: emitting a tag from a line
// scanner's current line, keeping a captured name while the scanner reads
// further, and comparing words without regard to case.
#include <cstddef>
#include <cstdint>

#include "scan/tvt_scan.h"

// A line scanner's descriptor: language 0, no keywords, no flags.
lang_desc_t *oth_line_desc();

// Emits name[0..len) from the lexer's current line, starting at column col.
int oth_emit_line(int type, const char *name, int len, int col, int parent, uint32_t flags);

// The current token captured as a tag name and line, emitted later.
struct oth_mark_t {
    tag_rec_t rec;
    bool set;
};
void oth_mark(oth_mark_t *m);
int oth_emit_mark(int type, oth_mark_t *m, int parent, const char *args);

// The current token, emitted as it stands.
int oth_emit_token(int type, int parent);

// Case-blind comparisons of ASCII words.
bool oth_eq(const char *a, const char *b);
bool oth_eqn(const char *a, const char *b, size_t n);
bool oth_text_is(const char *word);    // the current token's text
inline bool oth_ident(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
inline bool oth_alpha(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
// A lone "." comes from the lexer as its own code.
inline bool oth_is_dot(int t) { return t == '.' || t == TOK_DOT; }
// "=" comes from the lexer as its operator code.
inline bool oth_is_equal(int t) { return t == '=' || t == TOK_EQUAL; }
inline bool oth_blank(int c) { return c == ' ' || c == '\t'; }

// Tokens up to the next t (consumed) with groups skipped; returns t or 0.
int oth_skip_to(int t);

#endif
