// TeX and LaTeX: \label{...} as labels and the citation keys of BibTeX
// entries (@article{key, ...}) written into the file.
#include <cstring>

#include "mk_internal.h"

namespace {

const keyword_t kw_tex[] = {
    {"\\label", KEY_LABEL, 0},
    {"\\ref", KEY_REF, 0},
    KW_END,
};

lang_desc_t desc_tex = {LANG_TEX, kw_tex, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr};

constexpr const char *kEntryTypes[] = {
    "ARTICLE",     "BOOK",         "BOOKLET",    "CONFERENCE", "INBOOK",
    "INCOLLECTION", "INPROCEEDINGS", "MANUAL",   "MASTERTHESIS", "MISC",
    "PHDTHESIS",   "PROCEEDINGS",  "TECHREPORT", "UNPUBLISHED",
};

bool entry_type(const char *word)
{
    for (const char *t : kEntryTypes) {
        const char *a = word, *b = t;
        while (*a && *b && ((*a & ~0x20) == *b))
            a++, b++;
        if (!*a && !*b)
            return true;
    }
    return false;
}

// The text up to the '}' matching an opening brace just read, at most
// `limit` characters kept; a backslash keeps the character after it from
// counting as a brace.
void read_braced(mk_text_t &text, int limit)
{
    text.reset(limit);
    int depth = 1;
    for (int c = lex_getc(); c != 0; c = lex_getc()) {
        if (c == '\\') {
            text.add(c);
            c = lex_getc();
            if (c == 0)
                return;
        } else if (c == '{') {
            depth++;
        } else if (c == '}' && --depth == 0) {
            return;
        }
        text.add(c);
    }
}

void emit(int type, const tag_rec_t &at, const char *name, int len)
{
    tag_rec = at;
    mk_set_name(&tag_rec, name, len);
    TAG_TRACE(type, &tag_rec);
    tag_add(type, &tag_rec);
}

void label()
{
    int c = mk_skip_blanks();
    if (c != '{') {
        lex_ungetc(c);
        return;
    }
    tag_rec_t at = {};
    tag_capture(&at, TAG_CAP_LINE);
    mk_text_t text;
    read_braced(text, TAG_NAME_SIZE - 1);
    emit(TT_LABEL, at, text.buf, text.len);
}

void bib_entry()
{
    char word[16];
    int n = 0;
    int c = lex_getc();
    while (mk_alpha(c)) {
        if (n < int(sizeof word) - 1)
            word[n++] = char(c);
        c = lex_getc();
    }
    word[n] = '\0';
    if (mk_blank(c))
        c = mk_skip_blanks();
    if (!entry_type(word) || c != '{') {
        lex_ungetc(c);
        return;
    }
    tag_rec_t at = {};
    tag_capture(&at, TAG_CAP_LINE);
    mk_text_t text;
    read_braced(text, mk_text_t::kMax - 1);
    int k = 0;
    while (k < text.len && text.buf[k] != '\n' && text.buf[k] != '\r' && text.buf[k] != ',')
        k++;
    emit(TT_BIBLIOGRAPHY, at, text.buf, k);
}

// A control word after its backslash.
void command()
{
    char word[16] = "\\";
    int n = 1;
    int c = lex_getc();
    if (!mk_alpha(c))
        return;     // a control symbol such as \% or \{
    while (mk_alpha(c)) {
        if (n < int(sizeof word) - 1)
            word[n++] = char(c);
        c = lex_getc();
    }
    word[n] = '\0';
    lex_ungetc(c);
    if (lex_keyword(word, 0) == KEY_LABEL)
        label();
}

} // namespace

extern "C" int tvt_tex_scan(void)
{
    lex_init(&desc_tex);
    lex_set_class('\\', CC_IDSTART);
    for (int c = lex_getc(); c != 0; c = lex_getc()) {
        if (c == '%')
            lex_skip_line();    // a comment: what it names is not there
        else if (c == '\\')
            command();
        else if (c == '@')
            bib_entry();
    }
    return 0;
}
