#ifndef TVTAGS_SCANNERS_TVT_MARKUP_MK_HTML_TAG_H
#define TVTAGS_SCANNERS_TVT_MARKUP_MK_HTML_TAG_H
// One HTML (or Miva) tag as read from the raw characters after its '<':
// its kind, keyword code, the values of its name and href attributes and
// the record captured where it started.
#include "mk_internal.h"

enum html_kind_t {
    HK_EOF,     // the input ended
    HK_TEXT,    // the '<' did not start a tag: it is text
    HK_OPEN,
    HK_CLOSE,
    HK_OTHER    // comment, declaration, processing instruction
};

constexpr int HTML_SLOT_SIZE = 509;

struct html_tag_t {
    html_kind_t kind = HK_EOF;
    int code = 0;              // keyword code of the tag word, 0 for none
    bool has_name = false;
    bool has_href = false;
    bool self_closed = false;  // ended by "/>"
    mk_text_t name;            // attribute slots, cleared at each tag
    mk_text_t href;
    tag_rec_t rec;             // line and column of the tag, when it has a code
};

// Reads the tag whose '<' was just consumed.  The bodies of script and
// style elements are passed over with their opening tag.
void html_read_tag(html_tag_t &t);

// The header level of a keyword code (1 to 9), or 0.
inline int html_header_level(int code)
{
    return code >= KEY_H1 && code <= KEY_H9 ? code - KEY_H1 + 1 : 0;
}

#endif
