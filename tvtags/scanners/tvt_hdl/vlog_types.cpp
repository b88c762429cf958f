// Verilog type declarations: structures and unions with their members,
// enums with their values, and typedefs.
#include "hdl_internal.h"

namespace {

// Words between "struct" and its brace that are no name.
bool is_aggregate_word()
{
    return hdl_text_is("packed") || hdl_text_is("tagged") || hdl_text_is("signed") ||
           hdl_text_is("unsigned");
}

bool is_base_type(int t)
{
    if (t == KEY_LOGIC || t == KEY_REGISTER || t == KEY_INTEGER || t == KEY_WIRE)
        return true;
    if (t != TOK_SYMBOL)
        return false;
    int r = vl_role();
    return r == VR_VAR || r == VR_TYPE || r == VR_NET;
}

// The members of a braced body whose '{' has been read, up to its '}'.
int read_members(int parent)
{
    bool have = false;
    tag_rec_t cand = {};
    for (;;) {
        int t = vl_next();
        switch (t) {
        case TOK_EOF:
            return t;
        case '}':
            if (have)
                hdl_emit_rec(TT_MEMBER, parent, cand);
            return t;
        case ',': case ';':
            if (have)
                hdl_emit_rec(TT_MEMBER, parent, cand);
            have = false;
            continue;
        case '[': case '(': case '{':
            if (vl_skip_group(t) == TOK_EOF)
                return TOK_EOF;
            continue;
        case TOK_EQUAL:
            do {
                t = vl_next();
                if ((t == '(' || t == '[' || t == '{') && vl_skip_group(t) == TOK_EOF)
                    return TOK_EOF;
            } while (t != ',' && t != ';' && t != '}' && t != TOK_EOF);
            vl_unget(t);
            continue;
        case KEY_STRUCT: case KEY_UNION:
            have = false;
            if (vl_st.nest < HDL_MAX_NEST) {
                vl_st.nest++;
                t = vl_aggregate(t, parent, false);
                vl_st.nest--;
                if (t == TOK_EOF)
                    return t;
            }
            continue;
        case KEY_ENUM:
            have = false;
            if (vl_enum(parent, false) == TOK_EOF)
                return TOK_EOF;
            continue;
        case TOK_SYMBOL:
            if (vl_role() == VR_NONE && !is_aggregate_word()) {
                tag_capture(&cand, TAG_CAP_LINE | TAG_CAP_NAME);
                have = true;
            }
            continue;
        default:
            if (t == KEY_ENDMODULE || t == KEY_ENDPACKAGE) {
                vl_unget(t);
                return t;
            }
            continue;
        }
    }
}

// The name after a closing brace: the typedef's name, or the variable of
// a plain declaration.
void name_after(int type, int parent)
{
    int t = vl_next();
    while (t == '[') {
        if (vl_skip_group(t) == TOK_EOF)
            return;
        t = vl_next();
    }
    if (t == TOK_SYMBOL) {
        hdl_capture();
        hdl_emit(type, parent);
    } else {
        vl_unget(t);
    }
}

} // namespace

int vl_aggregate(int kw, int parent, bool from_typedef)
{
    int t = vl_next();
    while (t == TOK_SYMBOL && is_aggregate_word())
        t = vl_next();
    if (t == '{') {
        hdl_anon_name();
    } else if (t == TOK_SYMBOL) {
        hdl_capture();
        int u = vl_next();
        while (u == TOK_SYMBOL && is_aggregate_word())
            u = vl_next();
        if (u != '{') {
            vl_unget(u);
            return u;
        }
    } else {
        vl_unget(t);
        return t;
    }
    int type = kw == KEY_UNION ? TT_UNION : TT_STRUCT;
    int h = hdl_emit(type, parent);
    if (read_members(h) == TOK_EOF)
        return TOK_EOF;
    name_after(from_typedef ? TT_TYPEDEF : type, parent);
    return '}';
}

int vl_enum(int parent, bool from_typedef)
{
    (void) from_typedef;
    int t = vl_next();
    if (t != '{' && is_base_type(t)) {
        // "enum logic [1:0] {...}": a base type, the enum has no name.
        do {
            if (t == '[' && vl_skip_group(t) == TOK_EOF)
                return TOK_EOF;
            t = vl_next();
        } while (t == '[' || is_base_type(t));
        if (t != '{') {
            vl_unget(t);
            return t;
        }
    }
    if (t == '{') {
        hdl_anon_name();
    } else if (t == TOK_SYMBOL) {
        hdl_capture();
        int u = vl_next();
        if (u != '{') {
            vl_unget(u);
            return u;
        }
    } else {
        vl_unget(t);
        return t;
    }
    int h = hdl_emit(TT_ENUM, parent);
    bool want = true;
    for (;;) {
        t = vl_next();
        if (t == TOK_EOF)
            return t;
        if (t == '}')
            break;
        if (t == ',') {
            want = true;
        } else if (t == '(' || t == '[' || t == '{') {
            if (vl_skip_group(t) == TOK_EOF)
                return TOK_EOF;
        } else if (t == TOK_SYMBOL && want) {
            hdl_capture();
            hdl_emit(TT_ENUM_MEMBER, h);
            want = false;
        } else if (t == KEY_ENDMODULE || t == KEY_ENDPACKAGE) {
            vl_unget(t);
            return t;
        }
    }
    name_after(TT_ENUM, h);
    return '}';
}

int vl_typedef(int parent)
{
    int t = vl_next();
    switch (t) {
    case KEY_STRUCT: case KEY_UNION:
        return vl_aggregate(t, parent, true);
    case KEY_ENUM:
        return vl_enum(parent, true);
    case KEY_CLASS: case KEY_INTERFACE:
        // A forward declaration of a class: the class itself is tagged
        // where it is defined.
        return vl_skip_to_semi();
    default:
        break;
    }
    // Any other typedef names its last word before the ';'.
    bool have = false;
    tag_rec_t cand = {};
    for (;; t = vl_next()) {
        if (t == TOK_EOF)
            return t;
        if (t == ';')
            break;
        if (t == '(' || t == '[' || t == '{') {
            if (vl_skip_group(t) == TOK_EOF)
                return TOK_EOF;
        } else if (t == TOK_SYMBOL && vl_role() == VR_NONE) {
            tag_capture(&cand, TAG_CAP_LINE | TAG_CAP_NAME);
            have = true;
        } else if (t == KEY_ENDMODULE || t == KEY_ENDPACKAGE || t == KEY_ENDCLASS) {
            vl_unget(t);
            return t;
        }
    }
    if (have)
        hdl_emit_rec(TT_TYPEDEF, parent, cand);
    return t;
}
