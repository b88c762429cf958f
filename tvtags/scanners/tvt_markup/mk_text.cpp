// Plain text files: every word of two or more characters, and every
// one-letter word, as a function at its line.
#include <cstring>

#include "mk_internal.h"

namespace {

lang_desc_t desc_text = {LANG_TEXT, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr};

constexpr int kWordMax = 256;

bool separator(int c)
{
    return mk_blank(c) || (c != 0 && strchr("[](){};:.,'#$%^@<>?\\\"+=*/", c) != nullptr);
}

void emit_word(const char *w, int n)
{
    if (n == 0 || (n == 1 && !mk_alpha(w[0])))
        return;
    tag_capture(&tag_rec, TAG_CAP_LINE);
    mk_set_name(&tag_rec, w, n);
    TAG_TRACE(TT_FUNCTION, &tag_rec);
    tag_add(TT_FUNCTION, &tag_rec);
}

} // namespace

extern "C" int tvt_text_scan(void)
{
    lex_init(&desc_text);
    char word[kWordMax + 1];
    int n = 0;
    for (int c = lex_getc();; c = lex_getc()) {
        if (c == 0 || separator(c)) {
            // The word is tagged before a newline moves the line on.
            emit_word(word, n);
            n = 0;
            if (c == 0)
                break;
        } else if (n < kWordMax) {
            word[n++] = char(c);
        }
    }
    return 0;
}
