// INI files: one section tag for each [name] line.
#include "mk_internal.h"

namespace {

lang_desc_t desc_ini = {LANG_INI, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr};

void section(const char *s, int n)
{
    int k = 0;
    while (k < n && s[k] != ']' && s[k] != '\r' && s[k] != '\n')
        k++;
    tag_capture(&tag_rec, TAG_CAP_LINE);
    mk_set_name(&tag_rec, s, k);
    TAG_TRACE(TT_SECTION, &tag_rec);
    tag_add(TT_SECTION, &tag_rec);
}

} // namespace

extern "C" int tvt_ini_scan(void)
{
    lex_init(&desc_ini);
    // A line longer than the line buffer comes in pieces; only a piece
    // that starts a line can start a section.
    bool line_start = true;
    for (int n = lex_read_line(); n >= 0; n = lex_read_line()) {
        const char *s = lex_ctx.lx_line;
        bool starts = line_start;
        line_start = n > 0 && s[n - 1] == '\n';
        if (!starts)
            continue;
        int i = 0;
        while (i < n && (s[i] == ' ' || s[i] == '\t'))
            i++;
        if (i < n && s[i] == '[')
            section(s + i + 1, n - i - 1);
    }
    return 0;
}
