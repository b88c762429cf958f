// VHDL design units and the declarations inside them: entities,
// architectures (tagged by their entity's name), configurations,
// packages, components, constants, types, subprograms and labelled
// processes.
#include <cstring>

#include "hdl_internal.h"
#include "wrenlib/fmt.h"

namespace {

// The architecture being read: its own name, which its "end" may repeat.
thread_local char arch_name[TAG_NAME_SIZE];
thread_local dstr_t vh_args;

bool same_name_nocase(const char *a, const char *b)
{
    for (; *a && *b; a++, b++) {
        char x = *a, y = *b;
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return *a == *b;
}

// Reads up to one of two tokens (or the end); identifiers on the way are
// cross-referenced when asked.
int skip_until(int a, int b, bool xref)
{
    for (;;) {
        int t = vh_next();
        if (t == a || t == b || t == TOK_EOF)
            return t;
        if (xref && t == TOK_SYMBOL)
            tag_xref();
    }
}

// Reads up to "end" followed by the keyword (or the end of the file).
void skip_to_end_of(int kw)
{
    for (;;) {
        int t = vh_next();
        if (t == TOK_EOF)
            return;
        if (t != KEY_END)
            continue;
        t = vh_next();
        if (t == kw || t == TOK_EOF)
            return;
        if (t == TOK_SYMBOL)
            tag_xref();
    }
}

// The identifier after a keyword, optionally behind a '('; false when
// there is none (the token is pushed back).
bool next_name()
{
    int t = vh_next();
    if (t == '(')
        t = vh_next();
    // The library's own names (std_logic, ...) are ignored words elsewhere
    // but are declared like any other.
    bool word = t == TOK_IGNORE && lex_ctx.lx_text.dl_len > 0 &&
                (lex_class_of(static_cast<unsigned char>(lex_ctx.lx_text.dl_str[0])) & CC_IDSTART);
    if (t != TOK_SYMBOL && !word) {
        vh_unget(t);
        return false;
    }
    hdl_capture();
    return true;
}

// "is record": the fields, each name before a ':', up to "end record".
void record_fields(int parent)
{
    int t = vh_next();
    if (t != KEY_IS) {
        vh_unget(t);
        return;
    }
    t = vh_next();
    if (t != TOK_IGNORE || !hdl_text_is_nocase("record")) {
        vh_unget(t);
        return;
    }
    bool names = true;
    for (;;) {
        t = vh_next();
        if (t == TOK_EOF)
            return;
        if (t == KEY_END) {
            t = vh_next();
            if (t != TOK_IGNORE)
                vh_unget(t);
            return;
        }
        if (t == ':')
            names = false;
        else if (t == ';')
            names = true;
        else if (t == TOK_SYMBOL && names) {
            hdl_capture();
            hdl_emit(TT_MEMBER, parent);
        }
    }
}

// After "end": the word that says what ends is no statement of its own.
// Returns true when the architecture being read ends here.
bool end_word()
{
    int t = vh_next();
    if (t == ';' || t == TOK_EOF) {
        vh_unget(t);
        return false;
    }
    if (t == KEY_ARCHITECTURE)
        return true;
    if (t == TOK_SYMBOL) {
        tag_xref();
        return arch_name[0] && same_name_nocase(lex_ctx.lx_text.dl_str, arch_name);
    }
    return false;
}

void architecture(int &parent)
{
    arch_name[0] = '\0';
    int t;
    for (;;) {
        t = vh_next();
        if (t == KEY_OF || t == TOK_EOF || t == ';')
            break;
        if (t == TOK_SYMBOL && !arch_name[0])
            wl_strlcpy(arch_name, lex_ctx.lx_text.dl_str, sizeof arch_name);
    }
    if (t != KEY_OF)
        return;
    if (!next_name())
        return;
    parent = hdl_emit(TT_ARCHITECTURE, -1);
    skip_until(KEY_IS, ';', false);
}

} // namespace

void vh_constants(int parent)
{
    for (;;) {
        int t = vh_next();
        if (t == TOK_SYMBOL) {
            hdl_capture();
            hdl_emit(TT_CONST, parent);
        } else if (t != ',') {
            if (t != ';' && t != TOK_EOF)
                skip_until(';', ';', false);
            return;
        }
    }
}

void vh_subprogram(int parent)
{
    int t = vh_next();
    if (t != TOK_SYMBOL && t != TOK_STRING) {
        vh_unget(t);
        return;
    }
    // An operator's name is its symbol without the quotes.
    tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME | TAG_CAP_UNQUOTE);
    t = vh_next();
    dstr_t &args = vh_args;
    if (t == '(') {
        lex_collect_args(&args, 1);
    } else {
        if (!args.dl_str)
            dstr_init(&args, 64);
        dstr_clear(&args);
        // The end of the input appends nothing: the text must still end.
        args.dl_str[0] = '\0';
        lex_append_token(&args, t);
        if (t == ';' || t == TOK_EOF)
            vh_unget(t);
    }
    hdl_emit(TT_FUNCTION, parent, args.dl_str);
}

void vh_labelled(int parent)
{
    hdl_capture();
    int t = vh_next();
    if (t != ':') {
        vh_unget(t);
        tag_xref_rec();
        return;
    }
    t = vh_next();
    if (t == KEY_POSTPONED)
        t = vh_next();
    if (t == KEY_PROCESS) {
        t = vh_next();
        dstr_t &args = vh_args;
        if (!args.dl_str)
            dstr_init(&args, 64);
        dstr_clear(&args);
        args.dl_str[0] = '\0';
        if (t == '(') {
            // The sensitivity list: its names, and "all" in VHDL-2008.
            dstr_add_char(&args, '(');
            bool first = true;
            for (t = vh_next(); t != ')' && t != TOK_EOF; t = vh_next()) {
                if (t != TOK_SYMBOL && !(t == TOK_IGNORE && hdl_text_is_nocase("all")))
                    continue;
                if (!first)
                    dstr_add_string(&args, ", ", 2);
                dstr_add_string(&args, lex_ctx.lx_text.dl_str, lex_ctx.lx_text.dl_len);
                first = false;
            }
            dstr_add_char(&args, ')');
            args.dl_str[args.dl_len] = '\0';
        } else {
            vh_unget(t);
        }
        hdl_emit(TT_PROCESS, parent, args.dl_str);
        return;
    }
    if (t == KEY_ENTITY || t == KEY_CONFIG || t == KEY_COMPONENT) {
        // An instance of a design entity: the name that follows is used,
        // not declared.
        t = vh_next();
    }
    if (t == TOK_SYMBOL)
        tag_xref();
    else
        vh_unget(t);
}

void vh_statement(int t, int &parent, int &unit)
{
    switch (t) {
    case TOK_SYMBOL:
        vh_labelled(parent);
        return;
    case KEY_ARCHITECTURE:
        architecture(parent);
        unit = parent;
        return;
    case KEY_COMPONENT:
        if (next_name())
            hdl_emit(TT_COMPONENT, parent);
        skip_to_end_of(KEY_COMPONENT);
        return;
    case KEY_CONFIG:
        parent = unit = -1;
        if (next_name())
            hdl_emit(TT_CONFIGURATION, -1);
        skip_until(';', KEY_IS, true);
        return;
    case KEY_CONSTANT:
        vh_constants(parent);
        return;
    case KEY_TYPE:
        if (next_name())
            record_fields(hdl_emit(TT_TYPEDEF, parent));
        return;
    case KEY_ENTITY:
        parent = unit = -1;
        if (next_name())
            hdl_emit(TT_ENTITY, -1);
        skip_until(';', KEY_IS, false);
        return;
    case KEY_FUNCTION:
    case KEY_PROCEDURE:
        vh_subprogram(parent);
        return;
    case KEY_LIBRARY:
    case KEY_USE:
        skip_until(';', ';', false);
        return;
    case KEY_PACKAGE: {
        int u = vh_next();
        if (u != KEY_BODY)
            vh_unget(u);
        arch_name[0] = '\0';
        if (next_name())
            parent = unit = hdl_emit(TT_PACKAGE, -1);
        return;
    }
    case KEY_PROCESS: {
        int u = vh_next();
        if (u == '(')
            skip_until(')', ')', false);
        else
            vh_unget(u);
        return;
    }
    case KEY_END:
        if (end_word() && parent == unit) {
            parent = unit = -1;
            arch_name[0] = '\0';
        }
        return;
    default:
        return;
    }
}

extern "C" void tvt_hdl_release(void)
{
    if (vh_args.dl_str)
        dstr_free(&vh_args);
    if (vl_st.args.dl_str)
        dstr_free(&vl_st.args);
}
