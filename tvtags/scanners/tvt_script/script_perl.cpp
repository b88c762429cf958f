// Perl: a line scanner over the first word of each line.  "sub" and
// "package" take a qualified name (Foo::Bar::baz; the old ' separator reads
// as ::); BEGIN and END blocks are tagged by their word.  Documentation
// (=pod .. =cut) and everything after __END__ or __DATA__ is not code.
#include <cstring>

#include "script_line.h"
#include "scanners/tvt_scanners.h"

namespace {

// The Perl keywords serve the beautifier; the tagger reads lines.
const keyword_t kw_perl[] = {
    {".=", TOK_IGNORE, KW_OPERATOR}, {"=>", TOK_IGNORE, KW_OPERATOR},
    {"and", TOK_IGNORE, 0}, {"eq", TOK_IGNORE, 0}, {"ge", TOK_IGNORE, 0},
    {"gt", TOK_IGNORE, 0}, {"le", TOK_IGNORE, 0}, {"lt", TOK_IGNORE, 0},
    {"my", TOK_IGNORE, 0}, {"ne", TOK_IGNORE, 0}, {"or", TOK_IGNORE, 0},
    {"sub", TOK_IGNORE, 0},
    {"foreach", KEY_FOREACH, 0}, {"if", KEY_IF, 0}, {"m", KEY_M, 0},
    {"package", KEY_PACKAGE, 0}, {"s", KEY_S, 0}, {"tr", KEY_TR, 0},
    {"use", KEY_USE, 0}, {"while", KEY_WHILE, 0},
    KW_END,
};

lang_desc_t desc_perl = {31, kw_perl, nullptr, nullptr, nullptr, nullptr,
                         LEX_CHAR_CONST | LEX_HASH_COMMENT, nullptr, nullptr};

bool word_is(const char *s, int n, const char *w)
{
    return n == int(strlen(w)) && strncmp(s, w, size_t(n)) == 0;
}

// The qualified name at ln.text[i] (after blanks), emitted with type;
// false when there is none.
bool record(const script_line_t &ln, int i, int type)
{
    const char *t = ln.text;
    while (i < ln.len && script_blank(t[i]))
        i++;
    char name[TAG_NAME_SIZE];
    int n = 0;
    int start = i;
    while (i < ln.len && n < TAG_NAME_SIZE - 3) {
        if (script_word_char(t[i])) {
            name[n++] = t[i++];
        } else if (t[i] == ':' && i + 2 < ln.len && t[i + 1] == ':' && script_word_char(t[i + 2])) {
            name[n++] = ':';
            name[n++] = ':';
            i += 2;
        } else if (t[i] == '\'' && n > 0 && i + 1 < ln.len && script_word_char(t[i + 1])) {
            name[n++] = ':';
            name[n++] = ':';
            i++;
        } else {
            break;
        }
    }
    if (n == 0)
        return false;
    script_set_name(ln, start, name, n);
    tag_rec.tr_column = i;
    tag_add(type, &tag_rec);
    return true;
}

// Only blanks or a comment are left on the line.
bool nothing_left(const script_line_t &ln, int i)
{
    while (i < ln.len && (script_blank(ln.text[i]) || ln.text[i] == '\n'))
        i++;
    return i >= ln.len || ln.text[i] == '#';
}

// A sub is only declared when a ';' ends the line's text before any block.
bool forward_declaration(const script_line_t &ln, int i)
{
    for (; i < ln.len; i++) {
        if (ln.text[i] == '{' || ln.text[i] == '#')
            return false;
        if (ln.text[i] == ';')
            return true;
    }
    return false;
}

} // namespace

extern "C" {

int tvt_perl_scan(void)
{
    lex_init(&desc_perl);
    bool in_pod = false;
    bool package_next = false;      // "package" ended its line without a name
    script_line_t ln;
    while (script_next_line(&ln)) {
        if (ln.continued)
            continue;
        const char *t = ln.text;
        if (t[0] == '=' && ((t[1] >= 'a' && t[1] <= 'z') || (t[1] >= 'A' && t[1] <= 'Z'))) {
            in_pod = strncmp(t, "=cut", 4) != 0 || script_word_char(t[4]);
            continue;
        }
        if (in_pod)
            continue;
        if (strncmp(t, "__END__", 7) == 0 || strncmp(t, "__DATA__", 8) == 0)
            break;
        int i = 0;
        while (i < ln.len && script_blank(t[i]))
            i++;
        int w = i;
        while (w < ln.len && script_word_char(t[w]))
            w++;
        if (package_next && i < ln.len && t[i] != '#' && t[i] != '\n') {
            package_next = false;
            if (script_word_char(t[i]) && record(ln, i, TT_PACKAGE))
                continue;
        }
        const char *word = t + i;
        int n = w - i;
        bool ends = w >= ln.len || script_blank(t[w]) || t[w] == '\n';
        if ((word_is(word, n, "BEGIN") || word_is(word, n, "END")) &&
            (ends || t[w] == '{')) {
            script_set_name(ln, i, word, n);
            tag_add(TT_INTERFACE, &tag_rec);
        } else if (word_is(word, n, "sub") && ends) {
            record(ln, w, forward_declaration(ln, w) ? TT_PROTOTYPE : TT_PROCEDURE);
        } else if (word_is(word, n, "package") && ends) {
            if (nothing_left(ln, w))
                package_next = true;
            else
                record(ln, w, TT_PACKAGE);
        }
    }
    return 0;
}

} // extern "C"
