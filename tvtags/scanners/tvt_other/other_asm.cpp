// Assembler, one line at a time: labels, equates, procedures, macros,
// structures and their members, data, and with cross-references on, the
// words of every other line.  Lines of the preprocessed form (.S) are read
// too: #define names are defines and C comments are passed over.
#include <cstring>

#include "other_internal.h"
#include "scanners/tvt_scanners.h"

namespace {

struct asm_directive_t {
    const char *word;
    int type;
    bool name_after;   // GNU form: the name follows the directive
};

constexpr asm_directive_t kDirectives[] = {
    {"equ", TT_CONST, false},   {".equ", TT_CONST, true},  {".set", TT_CONST, true},
    {"proc", TT_PROCEDURE, false}, {"macro", TT_MACRO, false}, {".macro", TT_MACRO, true},
    {".req", TT_CONST, false},   // a register alias (ARM)
};

struct asm_state_t {
    bool in_struct;
    bool in_comment;
    const char *line;
    int pos;
};

int word_end(const char *s, int i)
{
    while (oth_ident(static_cast<unsigned char>(s[i])) || s[i] == '$' || s[i] == '.')
        i++;
    return i;
}

int skip_blanks(const char *s, int i)
{
    while (oth_blank(s[i]))
        i++;
    return i;
}

// The directive the text at s starts with, as a whole word, or null.
const asm_directive_t *directive_at(const char *s)
{
    for (const asm_directive_t &d : kDirectives) {
        size_t n = strlen(d.word);
        if (oth_eqn(s, d.word, n) && !oth_ident(static_cast<unsigned char>(s[n])))
            return &d;
    }
    return nullptr;
}

bool data_directive(const char *s)
{
    return (s[0] == 'd' || s[0] == 'D') && s[1] && strchr("bwdqtBWDQT", s[1]) && oth_blank(s[2]);
}

// Copies the line with C comments blanked, carrying an open comment over
// to the next line.
void strip_comments(asm_state_t &st, char *out, const char *in)
{
    int j = 0;
    for (int i = 0; in[i]; i++) {
        if (st.in_comment) {
            if (in[i] == '*' && in[i + 1] == '/') {
                st.in_comment = false;
                out[j++] = ' ';
                i++;
            }
            out[j++] = in[i] == '\n' ? '\n' : ' ';
            continue;
        }
        if (in[i] == '/' && in[i + 1] == '*') {
            st.in_comment = true;
            out[j++] = ' ';
            out[j++] = ' ';
            i++;
            continue;
        }
        out[j++] = in[i];
    }
    out[j] = '\0';
}

void emit_xrefs(const char *s, int i)
{
    bool first = true;
    while (s[i]) {
        const char *stops = first ? " \t()[]," : " \t()[],*\n";
        while (s[i] && strchr(stops, s[i]))
            i++;
        int start = i;
        while (s[i] && !strchr(stops, s[i]))
            i++;
        first = false;
        if (i == start)
            continue;
        if (s[start] == '/' || s[start] == ';' || s[start] == '#')
            return;
        if (oth_alpha(static_cast<unsigned char>(s[start])))
            oth_emit_line(TT_XREF, s + start, word_end(s, start) - start, start, -1, 0);
    }
}

void scan_define(const char *s, int i)
{
    i = skip_blanks(s, i + 1);
    if (strncmp(s + i, "define", 6) != 0 || !oth_blank(s[i + 6]))
        return;
    i = skip_blanks(s, i + 6);
    int e = word_end(s, i);
    if (oth_alpha(static_cast<unsigned char>(s[i])))
        oth_emit_line(TT_DEFINE, s + i, e - i, i, -1, 0);
}

void scan_line(asm_state_t &st, const char *s)
{
    int i = 0;
    int name = -1, name_len = 0;
    if (s[0] == '#') {
        scan_define(s, 0);
        return;
    }
    // A label may be indented; any other name stands in the first column.
    int w = skip_blanks(s, 0);
    if (oth_alpha(static_cast<unsigned char>(s[w])) || s[w] == '.') {
        int e = word_end(s, w);
        int after = skip_blanks(s, e);
        if (s[after] == ':' && s[after + 1] != '=') {
            oth_emit_line(TT_LABEL, s + w, e - w, w, -1, 0);
            i = after + 1;
        } else if (s[w] != '.' && s[after] == '=' && s[after + 1] != '=') {
            oth_emit_line(TT_CONST, s + w, e - w, w, -1, 0);    // name = value
            return;
        } else if (w == 0 && s[0] != '.') {
            name = 0;
            name_len = e;
            i = e;
        }
    }
    i = skip_blanks(s, i);
    if (!s[i] || s[i] == '\n' || s[i] == '\r' || s[i] == ';')
        return;
    if (const asm_directive_t *d = directive_at(s + i)) {
        if (name >= 0) {
            oth_emit_line(d->type, s + name, name_len, name, -1, 0);
        } else if (d->name_after) {
            int n = skip_blanks(s, i + int(strlen(d->word)));
            if (oth_alpha(static_cast<unsigned char>(s[n])) || s[n] == '.')
                oth_emit_line(d->type, s + n, word_end(s, n) - n, n, -1, 0);
        }
        return;
    }
    if (name >= 0) {
        if (oth_eqn(s + i, "struc", 5) && !oth_ident(static_cast<unsigned char>(s[i + 5]))) {
            oth_emit_line(TT_STRUCT, s + name, name_len, name, -1, 0);
            st.in_struct = true;
            return;
        }
        if (oth_eqn(s + i, "ends", 4) && !oth_ident(static_cast<unsigned char>(s[i + 4]))) {
            st.in_struct = false;
            return;
        }
        if (data_directive(s + i)) {
            oth_emit_line(st.in_struct ? TT_MEMBER : TT_DATA, s + name, name_len, name, -1, 0);
            return;
        }
    }
    if (tvt_opt.xref > 0)
        emit_xrefs(s, name >= 0 ? 0 : i);
}

} // namespace

extern "C" int tvt_asm_scan(void)
{
    lex_init(oth_line_desc());
    asm_state_t st{};
    char clean[LEX_LINE_SIZE];
    while (lex_read_line() >= 0) {
        strip_comments(st, clean, lex_ctx.lx_line);
        scan_line(st, clean);
    }
    return 0;
}
