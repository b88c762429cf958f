// Reading one HTML tag from raw characters: the tag word, its attributes
// (only name and href are kept), comments and element bodies that hold
// '<' and '>' as text.
#include <cstring>

#include "mk_html_tag.h"

namespace {

bool word_char(int c) { return mk_alnum(c) || c == ':' || c == '-' || c == '_' || c == '.'; }

// The tag word, lower-cased, at most 31 characters kept; the character
// after it is pushed back.
void read_word(int c, char *word, int size)
{
    int n = 0;
    while (c != 0 && word_char(c)) {
        if (n < size - 1)
            word[n++] = char((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
        c = lex_getc();
    }
    word[n] = '\0';
    lex_ungetc(c);
}

// One attribute value after its '='.  A quoted value ends at its quote or
// a newline, a bare one at a blank or '>' (pushed back).
void read_value(mk_text_t *keep)
{
    int c = mk_skip_blanks();
    if (c == '"' || c == '\'') {
        int q = c;
        for (c = lex_getc(); c != 0 && c != q && c != '\n'; c = lex_getc())
            if (keep)
                keep->add(c);
        return;
    }
    while (c != 0 && !mk_blank(c) && c != '>') {
        if (keep)
            keep->add(c);
        c = lex_getc();
    }
    lex_ungetc(c);
}

// Attributes up to the tag's '>'.
void read_attributes(html_tag_t &t)
{
    for (;;) {
        int c = mk_skip_blanks();
        if (c == 0 || c == '>')
            return;
        t.self_closed = c == '/';
        if (c == '/' || c == '"' || c == '\'' || c == '=')
            continue;
        char attr[8];
        int n = 0;
        bool too_long = false;
        while (c != 0 && !mk_blank(c) && c != '=' && c != '>' && c != '/') {
            if (n < int(sizeof attr) - 1)
                attr[n++] = char((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
            else
                too_long = true;
            c = lex_getc();
        }
        attr[n] = '\0';
        if (mk_blank(c))
            c = mk_skip_blanks();
        if (c != '=') {
            lex_ungetc(c);
            continue;
        }
        mk_text_t *keep = nullptr;
        if (!too_long && strcmp(attr, "name") == 0) {
            t.name.reset(HTML_SLOT_SIZE);
            t.has_name = true;
            keep = &t.name;
        } else if (!too_long && strcmp(attr, "href") == 0) {
            t.href.reset(HTML_SLOT_SIZE);
            t.has_href = true;
            keep = &t.href;
        }
        read_value(keep);
    }
}

void read_markup_declaration(html_tag_t &t)
{
    t.kind = HK_OTHER;
    int c = lex_getc();
    if (c == '-') {
        c = lex_getc();
        if (c == '-') {
            mk_skip_past_text("-->");
            return;
        }
    }
    lex_ungetc(c);
    mk_skip_tag_rest();
}

} // namespace

void html_read_tag(html_tag_t &t)
{
    t.code = 0;
    t.has_name = t.has_href = t.self_closed = false;
    t.name.reset(HTML_SLOT_SIZE);
    t.href.reset(HTML_SLOT_SIZE);
    char word[32];
    int c = lex_getc();
    if (c == 0) {
        t.kind = HK_EOF;
        return;
    }
    if (c == '!') {
        read_markup_declaration(t);
        return;
    }
    if (c == '?') {
        t.kind = HK_OTHER;
        mk_skip_tag_rest();
        return;
    }
    if (c == '/') {
        t.kind = HK_CLOSE;
        read_word(lex_getc(), word, sizeof word);
        int k = word[0] ? lex_keyword(word, 0) : -1;
        t.code = k > 0 ? k : 0;
        mk_skip_tag_rest();
        return;
    }
    if (!mk_alpha(c)) {
        lex_ungetc(c);
        t.kind = HK_TEXT;
        return;
    }
    t.kind = HK_OPEN;
    read_word(c, word, sizeof word);
    int k = lex_keyword(word, 0);
    t.code = k > 0 ? k : 0;
    if (t.code)
        tag_capture(&t.rec, TAG_CAP_LINE);
    read_attributes(t);
    const char *body_end = strcmp(word, "script") == 0  ? "</script"
                           : strcmp(word, "style") == 0 ? "</style"
                                                        : nullptr;
    if (body_end && !t.self_closed && mk_skip_past_text(body_end))
        mk_skip_tag_rest();
}
