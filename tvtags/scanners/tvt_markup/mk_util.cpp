// The raw character loops and text helpers of the markup scanners.
#include <cstring>

#include "mk_internal.h"

namespace {

int fold(int c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

} // namespace

int mk_skip_blanks(void)
{
    int c;
    do
        c = lex_getc();
    while (c != 0 && mk_blank(c));
    return c;
}

bool mk_skip_past(int c)
{
    for (int d = lex_getc(); d != 0; d = lex_getc())
        if (d == c)
            return true;
    return false;
}

bool mk_skip_past_text(const char *end)
{
    // The last characters seen, compared with the whole of `end` after
    // each one: a bounded amount of work per character.
    char last[16];
    int n = int(strlen(end));
    if (n <= 0 || n > 15)
        return false;
    int seen = 0;
    for (int c = lex_getc(); c != 0; c = lex_getc()) {
        if (seen == n) {
            memmove(last, last + 1, size_t(n - 1));
            seen--;
        }
        last[seen++] = char(fold(c));
        if (seen == n) {
            int i = 0;
            while (i < n && last[i] == fold(static_cast<unsigned char>(end[i])))
                i++;
            if (i == n)
                return true;
        }
    }
    return false;
}

int mk_skip_tag_rest(void)
{
    for (int c = lex_getc(); c != 0; c = lex_getc()) {
        if (c == '>')
            return '>';
        if (c == '"' || c == '\'') {
            // A value's quote that never closes would hide the rest of the
            // document; a newline ends it as it ends a value.
            int d;
            do
                d = lex_getc();
            while (d != 0 && d != c && d != '\n');
            if (d == 0)
                return 0;
        }
    }
    return 0;
}

void mk_set_name(tag_rec_t *rec, const char *value, int len)
{
    if (len > TAG_NAME_SIZE - 1)
        len = TAG_NAME_SIZE - 1;
    if (len < 0)
        len = 0;
    memcpy(rec->tr_name, value, size_t(len));
    rec->tr_name[len] = '\0';
}

void mk_capture_here(void)
{
    tag_capture(&tag_rec, TAG_CAP_LINE);
}
