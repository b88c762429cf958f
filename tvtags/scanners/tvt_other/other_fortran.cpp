// Fortran, one line at a time, in fixed form (a c, C or * in the first
// column is a comment) and free form (.f90 and later: only ! comments).
// Program units (program, module, subroutine, function, entry) are tagged
// by their name; type declarations tag their variables as data, and a
// typed function ("integer function f") is tagged as a function.
#include <cstring>
#include <initializer_list>

#include "other_internal.h"
#include "scanners/tvt_scanners.h"

namespace {

struct unit_word_t {
    const char *word;
    int type;
};

constexpr unit_word_t kUnits[] = {
    {"function", TT_FUNCTION},    {"module", TT_MODULE},      {"subroutine", TT_PROCEDURE},
    {"entry", TT_PROCEDURE},      {"program", TT_PROCEDURE},  {"submodule", TT_MODULE},
};

constexpr const char *kTypes[] = {"complex", "double", "character", "integer", "logical", "real"};

// Words that may stand before a program unit's keyword.
constexpr const char *kPrefixes[] = {"recursive", "pure", "elemental", "impure", "non_recursive"};

bool free_form()
{
    const char *p = lex_file_path();
    const char *dot = p ? strrchr(p, '.') : nullptr;
    if (!dot)
        return false;
    return oth_eq(dot, ".f90") || oth_eq(dot, ".f95") || oth_eq(dot, ".f03") || oth_eq(dot, ".f08");
}

// Length of word w at s when s starts with it as a whole word, else 0.
int starts_word(const char *s, const char *w)
{
    size_t n = strlen(w);
    if (!oth_eqn(s, w, n) || oth_ident(static_cast<unsigned char>(s[n])))
        return 0;
    return int(n);
}

int skip_blanks(const char *s, int i)
{
    while (oth_blank(s[i]) || s[i] == '\r')
        i++;
    return i;
}

int skip_group(const char *s, int i)
{
    int depth = 0;
    for (; s[i]; i++) {
        if (s[i] == '(')
            depth++;
        else if (s[i] == ')' && --depth == 0)
            return i + 1;
    }
    return i;
}

int name_end(const char *s, int i)
{
    while (oth_ident(static_cast<unsigned char>(s[i])))
        i++;
    return i;
}

// A program unit's name: the word after its keyword, ending at a blank or (.
void unit_name(int type, const char *s, int i)
{
    i = skip_blanks(s, i);
    if (s[i] == ':' && s[i + 1] == ':')
        i = skip_blanks(s, i + 2);
    if (type == TT_MODULE && s[i] == '(')    // submodule (parent) name
        i = skip_blanks(s, skip_group(s, i));
    int e = name_end(s, i);
    if (e > i && oth_alpha(static_cast<unsigned char>(s[i])))
        oth_emit_line(type, s + i, e - i, i, -1, 0);
}

// Variables of a declaration: after "::" when present, else after the type
// and its kind or length; initial values and dimensions are passed over.
void declaration(const char *s, int i)
{
    const char *colons = strstr(s + i, "::");
    if (colons) {
        i = int(colons - s) + 2;
    } else {
        i = skip_blanks(s, i);
        if (s[i] == '(')
            i = skip_group(s, i);
        if (s[i] == '*') {
            i = skip_blanks(s, i + 1);
            i = s[i] == '(' ? skip_group(s, i) : name_end(s, i);
        }
        i = skip_blanks(s, i);
        if (int n = starts_word(s + i, "function")) {
            unit_name(TT_FUNCTION, s, i + n);
            return;
        }
        if (s[i] == ',')            // an attribute list without "::"
            return;
    }
    for (;;) {
        i = skip_blanks(s, i);
        if (!oth_alpha(static_cast<unsigned char>(s[i])))
            return;
        int e = name_end(s, i);
        oth_emit_line(TT_DATA, s + i, e - i > 256 ? 256 : e - i, i, -1, 0);
        i = skip_blanks(s, e);
        if (s[i] == '(')
            i = skip_blanks(s, skip_group(s, i));
        if (s[i] == '*')
            i = skip_blanks(s, name_end(s, skip_blanks(s, i + 1)));
        while (s[i] && s[i] != ',' && s[i] != '!') {
            if (s[i] == '(')
                i = skip_group(s, i);
            else
                i++;
        }
        if (s[i] != ',')
            return;
        i++;
    }
}

bool type_word(const char *s, int i, int *after)
{
    for (const char *t : kTypes) {
        size_t n = strlen(t);
        if (!oth_eqn(s + i, t, n))
            continue;
        int c = static_cast<unsigned char>(s[i + n]);
        if (oth_alpha(c))
            return false;
        i += int(n);
        if (strcmp(t, "double") == 0) {
            i = skip_blanks(s, i);
            if (int p = starts_word(s + i, "precision"))
                i += p;
            else if (int p2 = starts_word(s + i, "complex"))
                i += p2;
        }
        *after = i;
        return true;
    }
    return false;
}

void scan_line(const char *s, bool free)
{
    if (s[0] == '%')
        s++;
    if (!free && (s[0] == 'c' || s[0] == 'C' || s[0] == '*' || s[0] == 'd' || s[0] == 'D'))
        return;
    int i = skip_blanks(s, 0);
    while (s[i] >= '0' && s[i] <= '9')      // a statement label
        i++;
    i = skip_blanks(s, i);
    for (bool more = true; more;) {
        more = false;
        for (const char *p : kPrefixes)
            if (int n = starts_word(s + i, p)) {
                i = skip_blanks(s, i + n);
                more = true;
            }
    }
    int after = 0;
    if (type_word(s, i, &after)) {
        declaration(s, after);
        return;
    }
    for (const unit_word_t &u : kUnits) {
        int n = starts_word(s + i, u.word);
        if (!n)
            continue;
        if (u.type == TT_MODULE) {
            int j = skip_blanks(s, i + n);
            if (starts_word(s + j, "procedure"))
                return;
            for (const char *w : {"subroutine", "function"})
                if (int m = starts_word(s + j, w)) {
                    unit_name(w[0] == 's' ? TT_PROCEDURE : TT_FUNCTION, s, j + m);
                    return;
                }
        }
        unit_name(u.type, s, i + n);
        return;
    }
}

} // namespace

extern "C" int tvt_fortran_scan(void)
{
    lex_init(oth_line_desc());
    bool free = free_form();
    while (lex_read_line() >= 0)
        scan_line(lex_ctx.lx_line, free);
    return 0;
}
