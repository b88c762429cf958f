// Pascal type declarations: records, classes, interfaces and objects with
// their members, and every other type as a typedef.
#include <initializer_list>

#include "pascal_internal.h"

namespace {

bool text_in(std::initializer_list<const char *> words)
{
    for (const char *w : words)
        if (oth_text_is(w))
            return true;
    return false;
}

// To the ";" ending a field; an inline record's fields are passed over up
// to its own "end".
void skip_field()
{
    int depth = 0;
    for (;;) {
        int t = lex_next();
        if (t == TOK_EOF)
            return;
        if (t == '(' || t == '[')
            lex_skip_group(t);
        else if (t == KEY_RECORD)
            depth++;
        else if (t == KEY_END && depth > 0)
            depth--;
        else if (t == ';' && depth == 0)
            return;
        else if (t == KEY_END) {
            lex_unget_token(t);
            return;
        }
    }
}

// After a routine heading inside a body: its directives ("virtual;").
void skip_directives()
{
    lex_skip_to(';');
    for (;;) {
        int t = lex_next();
        if (t != TOK_SYMBOL || !pas_is_directive()) {
            lex_unget_token(t);
            return;
        }
        lex_skip_to(';');
    }
}

void property(int parent)
{
    int t = lex_next();
    if (t == TOK_SYMBOL)
        oth_emit_token(TT_MEMBER, parent);
    else
        lex_unget_token(t);
    skip_directives();
}

bool section_word()
{
    return text_in({"protected", "published", "strict", "automated", "const", "threadvar",
                    "of", "resourcestring"});
}

// A record or class body up to its "end": fields, properties and routines
// are members of parent.
void body(int parent)
{
    for (;;) {
        int t = lex_next();
        switch (t) {
        case TOK_EOF:
        case KEY_END:
            return;
        case KEY_IMPLEMENTATION:
        case KEY_BEGIN:
            lex_unget_token(t);       // an unclosed body
            return;
        case '[':
        case '(':
            lex_skip_group(t);
            continue;
        case KEY_FUNCTION:
        case KEY_PROCEDURE:
            pas_routine(t == KEY_FUNCTION ? TT_FUNCTION : TT_PROCEDURE, parent, true);
            skip_directives();
            continue;
        case TOK_SYMBOL:
            break;
        default:
            continue;
        }
        if (section_word() || pas_is_directive())
            continue;
        if (text_in({"constructor", "destructor"})) {
            pas_routine(TT_PROCEDURE, parent, true);
            skip_directives();
            continue;
        }
        if (oth_text_is("property")) {
            property(parent);
            continue;
        }
        oth_mark_t m;
        oth_mark(&m);
        int u = lex_next();
        if (u == ':' || u == ',') {
            oth_emit_mark(TT_MEMBER, &m, parent, nullptr);
            if (u == ':')
                skip_field();
        } else if (oth_is_equal(u) || u == TOK_LT) {
            pas_declaration_rest(&m, u, parent);
        } else {
            lex_unget_token(u);
        }
    }
}

// "= class" or "= interface": forward declarations, class references,
// helpers and ancestor lists before the body.
void class_like(int type, oth_mark_t *m, int parent)
{
    int t = lex_next();
    if (t == ';')
        return;                             // forward declaration
    if (t == TOK_SYMBOL && oth_text_is("of")) {
        oth_emit_mark(TT_TYPEDEF, m, parent, nullptr);
        lex_skip_to(';');
        return;
    }
    while (t == TOK_SYMBOL && text_in({"sealed", "abstract", "helper", "for"})) {
        bool helper_for = oth_text_is("for");
        t = lex_next();
        if (helper_for)
            t = lex_next();
    }
    int h = oth_emit_mark(type, m, parent, nullptr);
    if (t == '(') {
        lex_skip_group('(');
        t = lex_next();
        if (t == ';')
            return;                         // class(TBase);
    }
    lex_unget_token(t);
    body(h);
    lex_skip_to(';');
}

} // namespace

void pas_declaration(int parent)
{
    oth_mark_t m;
    oth_mark(&m);
    pas_declaration_rest(&m, lex_next(), parent);
}

void pas_declaration_rest(oth_mark_t *mp, int t, int parent)
{
    oth_mark_t &m = *mp;
    if (t == TOK_LT) {
        if (pas_skip_generic())
            t = TOK_EQUAL;
        else
            t = lex_next();
    }
    if (!oth_is_equal(t)) {
        lex_unget_token(t);
        return;
    }
    int v = lex_next();
    if (v == TOK_SYMBOL && (oth_text_is("packed") || oth_text_is("bitpacked")))
        v = lex_next();
    if (v == KEY_RECORD) {
        int w = lex_next();
        if (w == TOK_SYMBOL && oth_text_is("helper")) {
            lex_next();
            lex_next();
        } else {
            lex_unget_token(w);
        }
        int h = oth_emit_mark(TT_STRUCT, &m, parent, nullptr);
        body(h);
        lex_skip_to(';');
    } else if (v == KEY_CLASS || (v == TOK_SYMBOL && oth_text_is("object"))) {
        class_like(TT_CLASS, &m, parent);
    } else if (v == KEY_INTERFACE || (v == TOK_SYMBOL && oth_text_is("dispinterface"))) {
        class_like(TT_INTERFACE, &m, parent);
    } else {
        oth_emit_mark(TT_TYPEDEF, &m, parent, nullptr);
        if (v != ';')
            lex_skip_to(';');
    }
}
