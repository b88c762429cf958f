// Verilog design units (module, program, interface, package, class,
// primitive) with their header lists, their bodies, and the functions and
// tasks inside them.
#include <cstring>

#include "hdl_internal.h"

namespace {

enum { END_UNIT, END_FUNCTION, END_TASK };

bool is_unit_end(int t)
{
    switch (t) {
    case KEY_ENDMODULE: case KEY_ENDPROGRAM: case KEY_ENDINTERFACE: case KEY_ENDPACKAGE:
    case KEY_ENDCLASS:
        return true;
    case TOK_SYMBOL: {
        int r = vl_role();
        return r == VR_ENDUNIT || r == VR_PRIMITIVE_END;
    }
    default:
        return false;
    }
}

bool is_unit_start(int t)
{
    return t == KEY_MODULE || t == KEY_MACROMODULE || t == KEY_PROGRAM || t == KEY_PACKAGE ||
           t == KEY_PRIMITIVE || t == KEY_INTERFACE;
}

int unit_type(int kw)
{
    switch (kw) {
    case KEY_INTERFACE: return TT_INTERFACE;
    case KEY_PACKAGE: return TT_PACKAGE;
    case KEY_CLASS: return TT_CLASS;
    default: return TT_MODULE;
    }
}

// ": label" after an end word names the unit again; it is no new tag.
void drop_end_label()
{
    int t = vl_next();
    if (t != ':') {
        vl_unget(t);
        return;
    }
    t = vl_next();
    if (t != TOK_SYMBOL && t != KEY_ENDMODULE)
        vl_unget(t);
}

// The port list after '(' with its argument text; the closing ')' is no
// part of the text.
int header_ports(std::vector<hdl_pending_t> &hold, dstr_t &args)
{
    dstr_clear(&args);
    args.dl_str[0] = '\0';
    vl_st.collect = &args;
    int t = vl_port_list(-1, &hold);
    vl_st.collect = nullptr;
    if (t == ')' && args.dl_len > 0 && args.dl_str[args.dl_len - 1] == ')')
        args.dl_str[--args.dl_len] = '\0';
    return t;
}

// What a body does with a word that starts a declaration: the last token
// read, or -1 when the word is nothing of the kind.
int body_declaration(int t, int parent, bool proto)
{
    switch (t) {
    case KEY_INPUT: return vl_name_list(parent, TT_INPUT, true);
    case KEY_OUTPUT: return vl_name_list(parent, TT_OUTPUT, true);
    case KEY_INOUT: return vl_name_list(parent, TT_IO, true);
    case KEY_REGISTER: return vl_name_list(parent, TT_REG, true);
    case KEY_WIRE: return vl_name_list(parent, TT_WIRE, true);
    case KEY_LOGIC: return vl_name_list(parent, TT_DATA, true);
    case KEY_INTEGER: return vl_name_list(parent, TT_REG, true);
    case KEY_NETTYPE: return vl_skip_to_semi();
    case KEY_PARAMETER: return vl_params(parent, nullptr);
    case KEY_FUNCTION: case KEY_TASK:
        return vl_subprogram(t == KEY_FUNCTION ? TT_FUNCTION : TT_TASK, parent, proto);
    case KEY_TYPEDEF: return vl_typedef(parent);
    case KEY_ENUM: return vl_enum(parent, false);
    case KEY_STRUCT: case KEY_UNION: return vl_aggregate(t, parent, false);
    case KEY_CLASS: return vl_unit(t, parent);
    default: return -1;
    }
}

int symbol_declaration(int parent)
{
    switch (vl_role()) {
    case VR_REF: return vl_name_list(parent, TT_IO, true);
    case VR_NET: return vl_name_list(parent, TT_WIRE, true);
    case VR_VAR: return vl_name_list(parent, TT_REG, true);
    case VR_PARAM: return vl_params(parent, nullptr);
    case VR_DEFPARAM: case VR_MODPORT: case VR_IMPORT: return vl_skip_to_semi();
    default: return -1;
    }
}

// Where a statement or declaration may start.
bool at_statement_start(int prev)
{
    return prev == 0 || prev == ';' || prev == KEY_BEGIN || prev == KEY_END ||
           prev == KEY_ENDFUNCTION || prev == KEY_ENDCASE;
}

// "type_t name ...;" where type_t is a user's type: the names are
// variables.  Anything else after the first word (an instance, an
// assignment) is pushed back; returns -1 then.
int user_typed(int parent)
{
    int u = vl_next();
    while (u == TOK_SCOPE) {
        u = vl_next();
        if (u != TOK_SYMBOL)
            return u == TOK_EOF ? TOK_EOF : 0;
        u = vl_next();
    }
    if (u != TOK_SYMBOL || vl_role() != VR_NONE) {
        vl_unget(u);
        return -1;
    }
    hdl_capture();
    int v = vl_next();
    vl_unget(v);
    if (v == ';' || v == ',' || v == TOK_EQUAL || v == '[')
        return vl_name_list_after(parent, TT_REG);
    // The word goes back with its own text, not the text of the token
    // read after it.
    dstr_t &text = lex_ctx.lx_text;
    dstr_clear(&text);
    dstr_add_string(&text, tag_rec.tr_name, int(strlen(tag_rec.tr_name)));
    text.dl_str[text.dl_len] = '\0';
    vl_unget(u);
    return -1;
}

} // namespace

int vl_unit(int kw, int parent)
{
    int t;
    do {
        t = vl_next();
        if (t == TOK_EOF || t == ';')
            return t;
    } while (t != TOK_SYMBOL || vl_role() != VR_NONE);
    hdl_capture();
    tag_rec_t unit = tag_rec;
    std::vector<hdl_pending_t> hold;
    dstr_t &args = vl_st.args;
    if (!args.dl_str)
        dstr_init(&args, 64);
    dstr_clear(&args);
    args.dl_str[0] = '\0';
    bool have_args = false;
    for (;;) {
        t = vl_next();
        if (t == TOK_EOF || t == ';')
            break;
        if (t == '#') {
            t = vl_next();
            if (t == '(')
                t = vl_params(-1, &hold);
        } else if (t == '(' && !have_args) {
            t = header_ports(hold, args);
            have_args = true;
        } else if (t == '(' || t == '[' || t == '{') {
            t = vl_skip_group(t);
        } else if (t == TOK_SYMBOL && vl_role() == VR_IMPORT) {
            t = vl_skip_to_semi();
            if (t == ';')
                continue;
        } else if (is_unit_end(t) || is_unit_start(t)) {
            vl_unget(t);
            break;
        }
        if (t == TOK_EOF)
            break;
    }
    int h = hdl_emit_rec(unit_type(kw), parent, unit, have_args ? args.dl_str : nullptr);
    for (hdl_pending_t &p : hold)
        hdl_emit_rec(p.type, h, p.rec);
    if (t == TOK_EOF)
        return t;
    if (vl_st.nest >= HDL_MAX_NEST)
        return t;
    vl_st.nest++;
    t = vl_body(h, END_UNIT, false);
    vl_st.nest--;
    if (t != TOK_EOF && is_unit_end(t))
        drop_end_label();
    return t;
}

int vl_body(int parent, int end_kind, bool in_subprogram)
{
    int prev = 0;
    bool proto = false;   // after "extern", "pure" or "with": a head only
    for (;;) {
        int t = vl_next();
        if (t == TOK_EOF)
            return t;
        if (end_kind == END_FUNCTION && t == KEY_ENDFUNCTION)
            return t;
        if (end_kind == END_TASK && t == TOK_SYMBOL && vl_role() == VR_ENDTASK)
            return t;
        if (is_unit_end(t)) {
            if (in_subprogram)
                vl_unget(t);
            return t;
        }
        if (is_unit_start(t) && !(t == KEY_INTERFACE && prev == TOK_SYMBOL)) {
            // A unit inside another is a lost end word: the outer unit
            // ends here, so that the inner one is still read.
            vl_unget(t);
            return t;
        }
        if (in_subprogram && (t == KEY_FUNCTION || t == KEY_TASK)) {
            vl_unget(t);
            return t;
        }
        // "pure virtual function": qualifiers keep the head a head.
        bool next_proto = t == TOK_SYMBOL && (vl_role() == VR_PROTO || hdl_text_is("with") ||
                                              (proto && vl_role() == VR_QUALIFIER));
        // "protected T name;": a qualifier leaves the statement start.
        bool qualifier = t == TOK_SYMBOL && vl_role() == VR_QUALIFIER;
        int r;
        if (t == TOK_SYMBOL) {
            // "$time" and "$bits" are system words, not declarations.
            int role = vl_role();
            r = prev == '$' ? -1 : symbol_declaration(parent);
            if (r < 0 && prev != '$' && role == VR_NONE) {
                tag_xref();
                if (at_statement_start(prev))
                    r = user_typed(parent);
            }
        } else if (t == KEY_PROPERTY) {
            int u = vl_next();
            vl_unget(u);
            r = u == '(' ? -1 : lex_skip_statement(KEY_ENDPROPERTY, KEY_ENDPROPERTY);
        } else if (t == KEY_CONSTRAINT) {
            int u;
            do
                u = vl_next();
            while (u != '{' && u != ';' && u != TOK_EOF && !is_unit_end(u));
            r = u == '{' ? vl_skip_group(u) : u;
            if (is_unit_end(u))
                vl_unget(u);
        } else {
            r = body_declaration(t, parent, proto);
        }
        if (r == TOK_EOF)
            return r;
        proto = next_proto;
        // A declaration's own last token (its ';') is what came before.
        if (!qualifier)
            prev = r > 0 ? r : t;
    }
}

int vl_subprogram(int type, int parent, bool proto)
{
    int t;
    bool have = false;
    for (;;) {
        t = vl_next();
        if (t == TOK_EOF)
            return t;
        if (t == '(' || t == ';')
            break;
        if (t == '[') {
            if (vl_skip_group(t) == TOK_EOF)
                return TOK_EOF;
        } else if (t == TOK_SYMBOL && vl_role() == VR_NONE) {
            hdl_capture();
            have = true;
        } else if (is_unit_end(t) || t == KEY_ENDFUNCTION) {
            vl_unget(t);
            return t;
        }
    }
    int h = have ? hdl_emit(type, parent) : -1;
    if (t == '(') {
        t = vl_port_list(h, nullptr);
        if (t == TOK_EOF)
            return t;
        t = vl_skip_to_semi();
    }
    if (proto || t == TOK_EOF)
        return t;
    return vl_body(h, type == TT_TASK ? END_TASK : END_FUNCTION, true);
}
