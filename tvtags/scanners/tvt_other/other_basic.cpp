// Basic, one line at a time: Sub and Function definitions.  A leading
// Public is dropped; a leading Private is dropped and marks the tag
// private.
#include <cstring>

#include "other_internal.h"
#include "scanners/tvt_scanners.h"

namespace {

constexpr uint32_t kPrivateFlag = 4;

struct word_t {
    int start;
    int len;
};

word_t next_word(const char *s, int i)
{
    while (oth_blank(s[i]))
        i++;
    int start = i;
    while (s[i] && !oth_blank(s[i]) && s[i] != '\n' && s[i] != '\r')
        i++;
    return {start, i - start};
}

bool word_is(const char *s, word_t w, const char *k)
{
    return size_t(w.len) == strlen(k) && oth_eqn(s + w.start, k, size_t(w.len));
}

void scan_line(const char *s)
{
    uint32_t flags = 0;
    word_t w = next_word(s, 0);
    if (word_is(s, w, "public") || word_is(s, w, "private")) {
        if (word_is(s, w, "private"))
            flags = kPrivateFlag;
        w = next_word(s, w.start + w.len);
    }
    if (word_is(s, w, "static"))
        w = next_word(s, w.start + w.len);
    int type;
    if (word_is(s, w, "sub"))
        type = TT_PROCEDURE;
    else if (word_is(s, w, "function"))
        type = TT_FUNCTION;
    else
        return;
    word_t n = next_word(s, w.start + w.len);
    int len = 0;
    while (len < n.len && s[n.start + len] != '(')
        len++;
    if (len > 256)
        len = 256;
    oth_emit_line(type, s + n.start, len, n.start, -1, flags);
}

} // namespace

extern "C" int tvt_basic_scan(void)
{
    lex_init(oth_line_desc());
    while (lex_read_line() >= 0)
        scan_line(lex_ctx.lx_line);
    return 0;
}
