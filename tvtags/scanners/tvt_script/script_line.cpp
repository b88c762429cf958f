// The line reader and tag record filling the Perl, Python and Ruby
// scanners share.
#include "script_line.h"

#include <cstring>

bool script_next_line(script_line_t *ln)
{
    int before = lex_ctx.lx_lineno;
    int n = lex_read_line();
    if (n < 0)
        return false;
    ln->text = lex_ctx.lx_line;
    ln->len = n;
    ln->lineno = lex_ctx.lx_lineno;
    ln->continued = lex_ctx.lx_lineno == before && before > 0;
    return true;
}

void script_set_name(const script_line_t &ln, int start, const char *name, int len)
{
    tag_rec_t &r = tag_rec;
    if (len > TAG_NAME_SIZE - 1)
        len = TAG_NAME_SIZE - 1;
    if (len < 0)
        len = 0;
    memcpy(r.tr_name, name, size_t(len));
    r.tr_name[len] = '\0';
    r.tr_line = ln.lineno;
    r.tr_column = start + len;
    r.tr_depth = 0;
    r.tr_parent = -1;
    r.tr_args = nullptr;
    r.tr_type = nullptr;
    r.tr_inherit = nullptr;
    int n = ln.len;
    while (n > 0 && (ln.text[n - 1] == '\n' || ln.text[n - 1] == '\r'))
        n--;
    if (n > TAG_LINE_SIZE - 1)
        n = TAG_LINE_SIZE - 1;
    memcpy(r.tr_line_text, ln.text, size_t(n));
    r.tr_line_text[n] = '\0';
}
