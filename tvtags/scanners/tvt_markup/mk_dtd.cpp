// DTD modules: element, entity and attribute-list declarations.
#include <cstring>

#include "mk_internal.h"

namespace {

const keyword_t kw_dtd[] = {
    {"attlist", KEY_ATTLIST, 0},
    {"element", KEY_ELEMENT, 0},
    {"entity", KEY_ENTITY, 0},
    KW_END,
};

lang_desc_t desc_dtd = {LANG_DTD, kw_dtd, nullptr, nullptr, nullptr, nullptr, LEX_NOCASE, nullptr, nullptr};

// Characters of a declared name: letters, digits and the punctuation that
// names and qualified names use; a parameter-entity reference %name; is
// taken as its name.
bool name_char(int c)
{
    return mk_alnum(c) || c == '_' || c == '-' || c == '.' || c == ':' || c == '/' || c >= 0x80;
}

// The rest of a declaration up to its '>', passing over quoted literals
// (which may hold '>') and comments inside it.
void skip_declaration()
{
    for (int c = lex_getc(); c != 0; c = lex_getc()) {
        if (c == '>')
            return;
        if (c == '"' || c == '\'') {
            if (!mk_skip_past(c))
                return;
        } else if (c == '-') {
            int d = lex_getc();
            if (d == '-') {
                if (!mk_skip_past_text("--"))
                    return;
            } else {
                lex_ungetc(d);
            }
        }
    }
}

// The declared name after the keyword; its first character is returned
// pushed back.  Empty when the declaration has no name where one belongs.
void read_name(int type, mk_text_t &name)
{
    name.reset(TAG_NAME_SIZE - 1);
    int c = mk_skip_blanks();
    if (c == '%' && type != TT_ATTRIBUTE) {
        int d = lex_getc();
        if (mk_blank(d))
            c = mk_skip_blanks();   // "<!ENTITY % name": a parameter entity
        else
            c = d;                  // "<!ELEMENT %name.qname;"
    }
    if (c == '%')
        c = lex_getc();
    while (c != 0 && name_char(c)) {
        name.add(c);
        c = lex_getc();
    }
    lex_ungetc(c);
}

void emit(int type, const mk_text_t &name)
{
    if (name.len == 0)
        return;
    tag_capture(&tag_rec, TAG_CAP_LINE);
    mk_set_name(&tag_rec, name.buf, name.len);
    TAG_TRACE(type, &tag_rec);
    tag_add(type, &tag_rec);
}

// "<!ELEMENT (SUB|SUP) ...": one declaration for each name of the group.
void name_group(int type)
{
    mk_text_t name;
    for (;;) {
        read_name(type, name);
        emit(type, name);
        int c = mk_skip_blanks();
        if (c != '|' && c != ',' && c != '&') {
            if (c != ')')
                lex_ungetc(c);
            return;
        }
    }
}

void declaration(int code)
{
    int type = code == KEY_ATTLIST ? TT_ATTRIBUTE : code == KEY_ELEMENT ? TT_ELEMENT : TT_ENTITY;
    int c = mk_skip_blanks();
    if (c == '(') {
        name_group(type);
    } else {
        lex_ungetc(c);
        mk_text_t name;
        read_name(type, name);
        emit(type, name);
    }
    skip_declaration();
}

// After "<!".
void markup_declaration()
{
    int c = lex_getc();
    if (c == '-') {
        if (lex_getc() == '-')
            mk_skip_past_text("-->");
        else
            skip_declaration();
        return;
    }
    if (c == '[') {
        // A conditional section: its keyword part ends at the second '[';
        // the declarations inside are read as any others.
        mk_skip_past('[');
        return;
    }
    char word[16];
    int n = 0;
    while (mk_alpha(c)) {
        if (n < int(sizeof word) - 1)
            word[n++] = char(c);
        c = lex_getc();
    }
    word[n] = '\0';
    lex_ungetc(c);
    int code = n > 0 ? lex_keyword(word, 0) : -1;
    if (code == KEY_ATTLIST || code == KEY_ELEMENT || code == KEY_ENTITY)
        declaration(code);
    else
        skip_declaration();
}

} // namespace

extern "C" int tvt_dtd_scan(void)
{
    lex_init(&desc_dtd);
    lex_set_class(':', CC_IDENT);
    lex_set_class('/', CC_IDSTART);
    while (mk_skip_past('<')) {
        int c = lex_getc();
        if (c == '!')
            markup_declaration();
        else if (c == '?')
            mk_skip_past_text("?>");
        else
            lex_ungetc(c);
    }
    return 0;
}
