// BibTeX style files: the functions and the integer, string and macro
// variables they declare.
#include "mk_internal.h"

namespace {

const keyword_t kw_bibstyle[] = {
    {"INTEGERS", KEY_INTEGER, 0},
    {"FUNCTION", KEY_FUNCTION, 0},
    {"MACRO", KEY_MACRO, 0},
    {"STRINGS", KEY_STRING, 0},
    KW_END,
};

lang_desc_t desc_bibstyle = {LANG_BIBTEX, kw_bibstyle, nullptr, nullptr, nullptr, nullptr,
                             LEX_PERCENT_COMMENT, nullptr, nullptr};

// Every identifier in the braces after a declaring word; the braces end
// at the first token that is not an identifier.
int declared_names(int type)
{
    int t = lex_next();
    if (t != '{')
        return t;
    for (t = lex_next(); t == TOK_SYMBOL; t = lex_next()) {
        tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
        TAG_TRACE(type, &tag_rec);
        tag_add(type, &tag_rec);
    }
    return t;
}

} // namespace

extern "C" int tvt_bibstyle_scan(void)
{
    lex_init(&desc_bibstyle);
    lex_set_class('.', CC_IDSTART | CC_IDENT);
    int t = lex_next();
    while (t != TOK_EOF) {
        if (t == KEY_FUNCTION)
            t = declared_names(TT_FUNCTION);
        else if (t == KEY_INTEGER || t == KEY_MACRO || t == KEY_STRING)
            t = declared_names(TT_DATA);
        else
            t = lex_next();
    }
    return 0;
}
