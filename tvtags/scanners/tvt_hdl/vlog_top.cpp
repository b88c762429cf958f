// The Verilog and System Verilog scanner: language set-up, the token
// reader that handles the backtick directives, and the top level.
//
// '#' is a delay or a parameter list in these languages, never a
// directive, so the descriptor leaves the C preprocessor rule off: with it
// "module m #(parameter W = 8) (...)" would lose the rest of its line.
#include <cstring>

#include "hdl_internal.h"

constinit thread_local vl_state_t vl_st{};

namespace {

constexpr keyword_t kw_verilog[] = {
    {"assign", KEY_ASSIGN, 0},       {"automatic", KEY_AUTO, 0},
    {"begin", KEY_BEGIN, 0},         {"case", KEY_CASE, 0},
    {"class", KEY_CLASS, 0},         {"component", KEY_COMPONENT, 0},
    {"config", KEY_CONFIG, 0},       {"constraint", KEY_CONSTRAINT, 0},
    {"define", TOK_DEFINE, 0},       {"else", KEY_ELSE, 0},
    {"end", KEY_END, 0},             {"endcase", KEY_ENDCASE, 0},
    {"endclass", KEY_ENDCLASS, 0},   {"endconfig", KEY_ENDCONFIG, 0},
    {"endfunction", KEY_ENDFUNCTION, 0}, {"endinterface", KEY_ENDINTERFACE, 0},
    {"endmodule", KEY_ENDMODULE, 0}, {"endpackage", KEY_ENDPACKAGE, 0},
    {"endprogram", KEY_ENDPROGRAM, 0}, {"endproperty", KEY_ENDPROPERTY, 0},
    {"entity", KEY_ENTITY, 0},       {"enum", KEY_ENUM, 0},
    {"function", KEY_FUNCTION, 0},   {"if", KEY_IF, 0},
    {"input", KEY_INPUT, 0},         {"inout", KEY_INOUT, 0},
    {"integer", KEY_INTEGER, 0},     {"interface", KEY_INTERFACE, 0},
    {"library", KEY_LIBRARY, 0},     {"logic", KEY_LOGIC, 0},
    {"nettype", KEY_NETTYPE, 0},     {"macromodule", KEY_MACROMODULE, 0},
    {"module", KEY_MODULE, 0},       {"of", KEY_OF, 0},
    {"output", KEY_OUTPUT, 0},       {"package", KEY_PACKAGE, 0},
    {"parameter", KEY_PARAMETER, 0}, {"program", KEY_PROGRAM, 0},
    {"property", KEY_PROPERTY, 0},   {"reg", KEY_REGISTER, 0},
    {"primitive", KEY_PRIMITIVE, 0}, {"struct", KEY_STRUCT, 0},
    {"task", KEY_TASK, 0},           {"typedef", KEY_TYPEDEF, 0},
    {"union", KEY_UNION, 0},         {"wire", KEY_WIRE, 0},
    {"initial", TOK_IGNORE, 0},      {"always", TOK_IGNORE, 0},
    {"and", TOK_IGNORE, 0},          {"in", TOK_IGNORE, 0},
    {"disable", TOK_IGNORE, 0},      {"enable", TOK_IGNORE, 0},
    {"negedge", TOK_IGNORE, 0},      {"nmos", TOK_IGNORE, 0},
    {"nor", TOK_IGNORE, 0},          {"not", TOK_IGNORE, 0},
    {"or", TOK_IGNORE, 0},           {"posedge", TOK_IGNORE, 0},
    {"repeat", TOK_IGNORE, 0},       {"release", TOK_IGNORE, 0},
    {"realtime", TOK_IGNORE, 0},
    KW_END,
};

lang_desc_t desc_verilog = {45, kw_verilog, nullptr, "$", nullptr, nullptr,
                            LEX_C_COMMENT | LEX_CPP_COMMENT | LEX_ASSIGN | LEX_BASED_NUMBER,
                            nullptr, vl_next};

struct role_word_t {
    const char *word;
    int role;
};

// Sorted by word for the binary search.
constexpr role_word_t vl_roles[] = {
    {"alias", VR_STATEMENT}, {"always_comb", VR_STATEMENT}, {"always_ff", VR_STATEMENT},
    {"always_latch", VR_STATEMENT}, {"assert", VR_STATEMENT}, {"assume", VR_STATEMENT},
    {"bind", VR_STATEMENT}, {"bins", VR_STATEMENT}, {"bit", VR_VAR}, {"break", VR_STATEMENT},
    {"byte", VR_VAR}, {"chandle", VR_VAR}, {"checker", VR_CLASS_LIKE},
    {"continue", VR_STATEMENT}, {"cover", VR_STATEMENT}, {"coverpoint", VR_STATEMENT},
    {"cross", VR_STATEMENT}, {"deassign", VR_STATEMENT}, {"default", VR_STATEMENT},
    {"defparam", VR_DEFPARAM}, {"endchecker", VR_ENDUNIT}, {"endgenerate", VR_STATEMENT},
    {"endgroup", VR_STATEMENT}, {"endprimitive", VR_PRIMITIVE_END},
    {"endsequence", VR_STATEMENT}, {"endtask", VR_ENDTASK}, {"expect", VR_STATEMENT},
    {"export", VR_IMPORT}, {"extern", VR_PROTO}, {"final", VR_STATEMENT},
    {"force", VR_STATEMENT}, {"foreach", VR_STATEMENT}, {"forever", VR_STATEMENT},
    {"fork", VR_STATEMENT}, {"generate", VR_STATEMENT}, {"genvar", VR_VAR},
    {"ignore_bins", VR_STATEMENT}, {"illegal_bins", VR_STATEMENT}, {"import", VR_IMPORT},
    {"int", VR_VAR}, {"interconnect", VR_NET}, {"join", VR_STATEMENT},
    {"join_any", VR_STATEMENT}, {"join_none", VR_STATEMENT}, {"local", VR_QUALIFIER},
    {"localparam", VR_PARAM}, {"longint", VR_VAR}, {"modport", VR_MODPORT},
    {"priority", VR_STATEMENT}, {"protected", VR_QUALIFIER}, {"pure", VR_PROTO},
    {"rand", VR_QUALIFIER}, {"randc", VR_QUALIFIER}, {"real", VR_VAR}, {"ref", VR_REF},
    {"restrict", VR_STATEMENT}, {"return", VR_STATEMENT}, {"sequence", VR_STATEMENT},
    {"shortint", VR_VAR}, {"shortreal", VR_VAR}, {"signed", VR_TYPE}, {"specparam", VR_PARAM},
    {"static", VR_QUALIFIER}, {"string", VR_VAR}, {"super", VR_STATEMENT}, {"supply0", VR_NET},
    {"supply1", VR_NET}, {"this", VR_STATEMENT}, {"time", VR_VAR}, {"tri", VR_NET},
    {"tri0", VR_NET}, {"tri1", VR_NET}, {"triand", VR_NET}, {"trior", VR_NET},
    {"trireg", VR_NET}, {"type", VR_TYPE}, {"unique", VR_STATEMENT}, {"unique0", VR_STATEMENT},
    {"unsigned", VR_TYPE}, {"uwire", VR_NET}, {"var", VR_TYPE}, {"virtual", VR_QUALIFIER},
    {"void", VR_STATEMENT}, {"wait", VR_STATEMENT}, {"wand", VR_NET},
    {"wildcard", VR_STATEMENT}, {"wor", VR_NET},
};

int role_by_text(const char *s)
{
    size_t lo = 0, hi = sizeof vl_roles / sizeof vl_roles[0];
    while (lo < hi) {
        size_t mid = (lo + hi) / 2;
        int c = strcmp(s, vl_roles[mid].word);
        if (c == 0)
            return vl_roles[mid].role;
        if (c < 0)
            hi = mid;
        else
            lo = mid + 1;
    }
    return VR_NONE;
}

// The rest of a directive's line, continued by a backslash at its end.
void skip_directive_line()
{
    int prev = 0;
    for (;;) {
        int c = lex_getc();
        if (c == 0)
            return;
        if (c == '\n' && prev != '\\')
            return;
        if (c != '\r')
            prev = c;
    }
}

// `define NAME ...: the name is a DEFINE; the body is no code here.
void read_define()
{
    int t = lex_token();
    if (t == TOK_SYMBOL || (t >= 256 && t != TOK_STRING && t != TOK_INT && t != TOK_FLOAT &&
                            lex_ctx.lx_text.dl_len > 0 && lex_ctx.lx_text.dl_str[0] != '`')) {
        hdl_capture();
        hdl_emit(TT_DEFINE, -1);
    }
    if (t != TOK_EOF)
        skip_directive_line();
}

// Directives whose operand, up to the end of the line, is no code.
bool whole_line_directive(const char *w)
{
    static const char *const words[] = {
        "`timescale", "`default_nettype", "`resetall", "`celldefine", "`endcelldefine",
        "`undef", "`pragma", "`line", "`unconnected_drive", "`nounconnected_drive",
        "`begin_keywords", "`end_keywords", "`undefineall",
    };
    for (const char *x : words)
        if (strcmp(w, x) == 0)
            return true;
    return false;
}

// `ifdef, `ifndef and `elsif take a name that is no code either.
bool name_directive(const char *w)
{
    return strcmp(w, "`ifdef") == 0 || strcmp(w, "`ifndef") == 0 || strcmp(w, "`elsif") == 0;
}

int top_step(int t)
{
    switch (t) {
    case KEY_BEGIN:
        // Code between units is statement text; nothing in it is a tag.
        lex_skip_statement(KEY_END, KEY_END);
        return t;
    case KEY_CLASS:
        return vl_unit(t, -1);
    case KEY_STRUCT:
    case KEY_UNION:
        return vl_aggregate(t, -1, false);
    case KEY_COMPONENT:
    case KEY_ENTITY:
    case KEY_LIBRARY: {
        int u = vl_next();
        if (u == TOK_SYMBOL) {
            hdl_capture();
            hdl_emit(t == KEY_COMPONENT ? TT_COMPONENT : t == KEY_ENTITY ? TT_ENTITY : TT_LIBRARY, -1);
        } else {
            vl_unget(u);
        }
        return t;
    }
    case KEY_CONFIG:
        return vl_name_list(-1, TT_CONFIGURATION, false);
    case KEY_END:
        return vl_next();
    case KEY_MODULE: case KEY_MACROMODULE: case KEY_PROGRAM: case KEY_INTERFACE:
    case KEY_PACKAGE: case KEY_PRIMITIVE:
        return vl_unit(t, -1);
    case KEY_PARAMETER:
        return vl_params(-1, nullptr);
    case KEY_PROPERTY: {
        int u = vl_next();
        if (u == TOK_SYMBOL) {
            hdl_capture();
            hdl_emit(TT_PROPERTY, -1);
        }
        lex_skip_statement(KEY_ENDPROPERTY, KEY_ENDPROPERTY);
        return t;
    }
    case KEY_TASK:
        return vl_subprogram(TT_TASK, -1, false);
    case KEY_FUNCTION:
        return vl_subprogram(TT_FUNCTION, -1, false);
    case KEY_TYPEDEF:
        return vl_typedef(-1);
    case KEY_ENUM:
        return vl_enum(-1, false);
    case TOK_SYMBOL:
        if (vl_role() == VR_PARAM)
            return vl_params(-1, nullptr);
        if (vl_role() == VR_CLASS_LIKE)
            return vl_unit(KEY_MODULE, -1);
        tag_xref();
        return t;
    default:
        return t;
    }
}

} // namespace

int vl_role()
{
    const dstr_t &t = lex_ctx.lx_text;
    if (!t.dl_str || t.dl_len < 3 || t.dl_len > 12)
        return VR_NONE;
    return role_by_text(t.dl_str);
}

int vl_next()
{
    for (;;) {
        int t = lex_token();
        if (vl_st.collect && t != TOK_BACKTICK_WORD && t != TOK_DEFINE)
            lex_append_token(vl_st.collect, t);
        if (t == TOK_DEFINE) {
            read_define();
            continue;
        }
        if (t != TOK_BACKTICK_WORD)
            return t;
        const char *w = lex_ctx.lx_text.dl_str;
        if (strcmp(w, "`define") == 0) {
            read_define();
        } else if (whole_line_directive(w)) {
            skip_directive_line();
        } else if (name_directive(w)) {
            lex_token();
        } else if (strcmp(w, "`include") == 0) {
            // The file name is a string or a macro; neither is code.
            lex_token();
        } else if (strcmp(w, "`else") != 0 && strcmp(w, "`endif") != 0) {
            // A macro's use stands for code the scanner cannot see.
            return TOK_BACKTICK_WORD;
        }
    }
}

void vl_unget(int t)
{
    lex_unget_token(t);
}

extern "C" int tvt_verilog_scan(void)
{
    lex_init(&desc_verilog);
    vl_st.nest = 0;
    vl_st.collect = nullptr;
    for (;;) {
        int t = vl_next();
        if (t == TOK_EOF)
            break;
        if (top_step(t) == TOK_EOF)
            break;
    }
    vl_st.pending.clear();
    return 0;
}
