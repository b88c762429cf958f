#ifndef TVTAGS_SCANNERS_TVT_MARKUP_MK_INTERNAL_H
#define TVTAGS_SCANNERS_TVT_MARKUP_MK_INTERNAL_H
// Helpers the markup scanners share: bounded text collection and the raw
// character loops that find the end of a tag, a comment or a quoted value.
// Every loop consumes each input character once and stops at the end of
// input, so no document costs more than linear time.
#include "scan/tvt_scan.h"
#include "scanners/tvt_scanners.h"

// A fixed-size text that keeps its first `cap` characters and counts what
// it dropped, so that overlong names are cut instead of growing.
struct mk_text_t {
    static constexpr int kMax = 512;
    char buf[kMax];
    int len = 0;
    int cap = kMax - 1;

    void reset(int limit)
    {
        len = 0;
        cap = limit < kMax - 1 ? limit : kMax - 1;
        buf[0] = '\0';
    }
    void add(int c)
    {
        if (len < cap) {
            buf[len++] = char(c);
            buf[len] = '\0';
        }
    }
    void trim_end()
    {
        while (len > 0 && buf[len - 1] == ' ')
            buf[--len] = '\0';
    }
    bool full() const { return len >= cap; }
};

inline bool mk_blank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
inline bool mk_alpha(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool mk_alnum(int c) { return mk_alpha(c) || (c >= '0' && c <= '9'); }

// The next character that is not blank (0 at the end of input).
int mk_skip_blanks(void);
// Consumes up to and including `c`; false at the end of input.
bool mk_skip_past(int c);
// Consumes up to and including the characters of `end` (at most 15);
// false at the end of input.  Letters compare without regard to case.
bool mk_skip_past_text(const char *end);
// Skips the rest of a tag up to its `>`, passing over quoted values.
// Returns '>' or 0 at the end of input.
int mk_skip_tag_rest(void);
// Copies the characters of `value` into the record's name (at most 255).
void mk_set_name(tag_rec_t *rec, const char *value, int len);
// Fills the record's line, column and depth with no name.
void mk_capture_here(void);

#endif
