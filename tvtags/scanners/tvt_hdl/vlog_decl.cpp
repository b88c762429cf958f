// Verilog declaration lists: the names of port, net, variable and
// parameter declarations, in a module body or in a parenthesised header
// list, and the group skipping they rely on.
#include "hdl_internal.h"

namespace {

bool is_open(int t)
{
    return t == '(' || t == '[' || t == '{';
}

bool is_close(int t)
{
    return t == ')' || t == ']' || t == '}';
}

// Words that belong to a declaration's type: passed over in a list.
bool is_type_word(int t)
{
    switch (t) {
    case KEY_REGISTER: case KEY_WIRE: case KEY_INTEGER: case KEY_AUTO: case KEY_LOGIC:
    case KEY_PARAMETER: case TOK_IGNORE:
        return true;
    case TOK_SYMBOL:
        switch (vl_role()) {
        case VR_NET: case VR_VAR: case VR_TYPE: case VR_QUALIFIER: case VR_PARAM:
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

int direction_type(int t)
{
    switch (t) {
    case KEY_INPUT: return TT_INPUT;
    case KEY_OUTPUT: return TT_OUTPUT;
    case KEY_INOUT: return TT_IO;
    case TOK_SYMBOL: return vl_role() == VR_REF ? TT_IO : 0;
    default: return 0;
    }
}

// One list being read.
struct vl_list_t {
    int parent;
    int type;              // the tag type of the names; 0: none yet
    bool mark_logic;       // a "logic" in an entry records its name as REG too
    bool in_parens;        // a header list: ')' ends it, directions switch type
    bool every_entry;      // a name alone is recorded (not a bare port name)
    std::vector<hdl_pending_t> *hold;
    vl_list_t(int parent_, int type_, bool mark, bool parens, bool every,
              std::vector<hdl_pending_t> *hold_)
        : parent(parent_), type(type_), mark_logic(mark), in_parens(parens),
          every_entry(every), hold(hold_), cand()
    {
    }
    // The entry at hand.
    bool have = false;
    bool logic = false;
    bool typed = false;    // a data or net type came before the name
    bool iface = false;    // "bus_if.mp name": an interface port
    int nids = 0;
    tag_rec_t cand;
};

void record(vl_list_t &l, int type)
{
    if (l.hold)
        l.hold->push_back(hdl_pending_t{type, l.cand});
    else
        hdl_emit_rec(type, l.parent, l.cand);
}

void flush(vl_list_t &l)
{
    bool ansi = l.type != 0 || l.nids >= 2 || l.typed;
    if (l.iface && l.have && l.in_parens) {
        // An interface port has no direction of its own, and the entries
        // after it must give theirs.
        record(l, TT_IO);
        l.type = 0;
        l.logic = false;
    } else if (l.have && (l.every_entry || ansi)) {
        record(l, l.type ? l.type : TT_IO);
        if (l.logic)
            record(l, TT_REG);
    }
    l.iface = false;
    l.have = false;
    l.typed = false;
    l.nids = 0;
}

// An initial value: read up to the ',' or the end of the list, which is
// pushed back.
int skip_value(const vl_list_t &l)
{
    for (;;) {
        int t = vl_next();
        if (t == TOK_EOF)
            return t;
        if (t == ',' || t == ';' || (l.in_parens && t == ')')) {
            vl_unget(t);
            return t;
        }
        if (is_open(t) && vl_skip_group(t) == TOK_EOF)
            return TOK_EOF;
        if (is_close(t) || t == KEY_ENDMODULE) {
            vl_unget(t);
            return t;
        }
    }
}

int read_list(vl_list_t &l)
{
    for (;;) {
        int t = vl_next();
        switch (t) {
        case TOK_EOF:
            return t;
        case ';':
            flush(l);
            return t;
        case ')':
            flush(l);
            if (!l.in_parens)
                vl_unget(t);
            return t;
        case ']': case '}':
            flush(l);
            vl_unget(t);
            return t;
        case ',':
            flush(l);
            continue;
        case '(': case '[': case '{':
            if (vl_skip_group(t) == TOK_EOF)
                return TOK_EOF;
            continue;
        case TOK_EQUAL:
            if (skip_value(l) == TOK_EOF)
                return TOK_EOF;
            continue;
        case '#': {
            int u = vl_next();
            if (u == '(' && vl_skip_group(u) == TOK_EOF)
                return TOK_EOF;
            continue;
        }
        case TOK_DOT:
            l.iface = l.nids == 1;
            continue;
        case KEY_LOGIC:
            if (l.mark_logic)
                l.logic = true;
            l.typed = true;
            continue;
        default:
            break;
        }
        int dir = direction_type(t);
        if (dir) {
            if (!l.in_parens) {
                // A direction where a name belongs: the ';' is missing.
                flush(l);
                vl_unget(t);
                return t;
            }
            flush(l);
            l.type = dir;
            l.logic = false;
            continue;
        }
        if (is_type_word(t)) {
            if (t != TOK_IGNORE && t != KEY_AUTO && t != KEY_PARAMETER &&
                (t != TOK_SYMBOL || vl_role() != VR_QUALIFIER))
                l.typed = true;
            continue;
        }
        if (t == TOK_SYMBOL) {
            tag_capture(&l.cand, TAG_CAP_LINE | TAG_CAP_NAME);
            l.have = true;
            l.nids++;
            continue;
        }
        if (t >= KEY_ABSTRACT && t != KEY_INTERFACE && !l.in_parens) {
            flush(l);
            vl_unget(t);
            return t;
        }
    }
}

} // namespace

int vl_skip_group(int open)
{
    int depth = 1;
    (void) open;
    for (;;) {
        int t = vl_next();
        if (t == TOK_EOF)
            return t;
        if (is_open(t))
            depth++;
        else if (is_close(t) && --depth == 0)
            return t;
        else if (t == KEY_ENDMODULE || t == KEY_ENDPACKAGE || t == KEY_ENDINTERFACE) {
            // An unbalanced group never swallows the end of its unit.
            vl_unget(t);
            return t;
        }
    }
}

int vl_skip_to_semi()
{
    for (;;) {
        int t = vl_next();
        if (t == ';' || t == TOK_EOF)
            return t;
        if (is_open(t) && vl_skip_group(t) == TOK_EOF)
            return TOK_EOF;
        if (t == KEY_ENDMODULE || t == KEY_ENDPACKAGE || t == KEY_ENDINTERFACE ||
            t == KEY_ENDCLASS) {
            vl_unget(t);
            return t;
        }
    }
}

int vl_name_list(int parent, int type, bool mark_logic)
{
    int t = vl_next();
    // A cast such as int'(x) or a system word such as $time is no
    // declaration.
    if (t == '\'')
        return t;
    vl_unget(t);
    vl_list_t l(parent, type, mark_logic, false, true, nullptr);
    return read_list(l);
}

int vl_name_list_after(int parent, int type)
{
    vl_list_t l(parent, type, false, false, true, nullptr);
    l.cand = tag_rec;
    l.have = true;
    l.nids = 1;
    return read_list(l);
}

int vl_params(int parent, std::vector<hdl_pending_t> *hold)
{
    vl_list_t l(parent, TT_CONST, false, hold != nullptr, true, hold);
    return read_list(l);
}

int vl_port_list(int parent, std::vector<hdl_pending_t> *hold)
{
    vl_list_t l(parent, 0, true, true, false, hold);
    return read_list(l);
}
