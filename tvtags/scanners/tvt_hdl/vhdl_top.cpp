// The VHDL scanner: language set-up, the token reader and the loop over
// the design units of a file.
//
// VHDL has no '#' directives, and '#' closes a based literal (16#FF#), so
// the descriptor leaves the C preprocessor rule off: with it the rest of
// such a line would be lost.
#include <cstring>

#include "hdl_internal.h"
#include "wrenlib/fmt.h"

namespace {

constexpr keyword_t kw_vhdl[] = {
    {"architecture", KEY_ARCHITECTURE, 0}, {"and", TOK_AMP, 0},
    {"begin", KEY_BEGIN, 0},         {"body", KEY_BODY, 0},
    {"case", KEY_CASE, 0},           {"configuration", KEY_CONFIG, 0},
    {"component", KEY_COMPONENT, 0}, {"constant", KEY_CONSTANT, 0},
    {"else", KEY_ELSE, 0},           {"elsif", KEY_ELSEIF, 0},
    {"end", KEY_END, 0},             {"entity", KEY_ENTITY, 0},
    {"for", KEY_FOR, 0},             {"function", KEY_FUNCTION, 0},
    {"if", KEY_IF, 0},               {"impure", KEY_IMPURE, 0},
    {"is", KEY_IS, 0},               {"library", KEY_LIBRARY, 0},
    {"loop", KEY_LOOP, 0},           {"of", KEY_OF, 0},
    {"or", TOK_OR, 0},               {"package", KEY_PACKAGE, 0},
    {"postponed", KEY_POSTPONED, 0}, {"procedure", KEY_PROCEDURE, 0},
    {"process", KEY_PROCESS, 0},     {"return", KEY_RETURN, 0},
    {"subtype", KEY_TYPE, 0},        {"type", KEY_TYPE, 0},
    {"use", KEY_USE, 0},             {"when", KEY_WHEN, 0},
    {"while", KEY_WHILE, 0},         {"=>", TOK_ARROW, KW_OPERATOR},
    {"abs", TOK_IGNORE, 0},      {"access", TOK_IGNORE, 0},   {"active", TOK_IGNORE, 0},
    {"after", TOK_IGNORE, 0},    {"alias", TOK_IGNORE, 0},    {"all", TOK_IGNORE, 0},
    {"array", TOK_IGNORE, 0},    {"assert", TOK_IGNORE, 0},   {"attribute", TOK_IGNORE, 0},
    {"block", TOK_IGNORE, 0},    {"buffer", TOK_IGNORE, 0},   {"bus", TOK_IGNORE, 0},
    {"disconnect", TOK_IGNORE, 0}, {"downto", TOK_IGNORE, 0}, {"exit", TOK_IGNORE, 0},
    {"false", TOK_IGNORE, 0},    {"file", TOK_IGNORE, 0},     {"generate", TOK_IGNORE, 0},
    {"generic", TOK_IGNORE, 0},  {"guarded", TOK_IGNORE, 0},  {"in", TOK_IGNORE, 0},
    {"inout", TOK_IGNORE, 0},    {"label", TOK_IGNORE, 0},    {"linkage", TOK_IGNORE, 0},
    {"map", TOK_IGNORE, 0},      {"mod", TOK_IGNORE, 0},      {"nand", TOK_IGNORE, 0},
    {"new", TOK_IGNORE, 0},      {"next", TOK_IGNORE, 0},     {"nor", TOK_IGNORE, 0},
    {"not", TOK_IGNORE, 0},      {"null", TOK_IGNORE, 0},     {"on", TOK_IGNORE, 0},
    {"open", TOK_IGNORE, 0},     {"others", TOK_IGNORE, 0},   {"out", TOK_IGNORE, 0},
    {"port", TOK_IGNORE, 0},     {"range", TOK_IGNORE, 0},    {"record", TOK_IGNORE, 0},
    {"register", TOK_IGNORE, 0}, {"rem", TOK_IGNORE, 0},      {"report", TOK_IGNORE, 0},
    {"select", TOK_IGNORE, 0},   {"severity", TOK_IGNORE, 0}, {"signal", TOK_IGNORE, 0},
    {"std_logic", TOK_IGNORE, 0}, {"std_logic_vector", TOK_IGNORE, 0},
    {"std_logic_1164", TOK_IGNORE, 0}, {"std_logic_arith", TOK_IGNORE, 0},
    {"std_logic_signed", TOK_IGNORE, 0}, {"std_logic_unsigned", TOK_IGNORE, 0},
    {"then", TOK_IGNORE, 0},     {"to", TOK_IGNORE, 0},       {"transport", TOK_IGNORE, 0},
    {"true", TOK_IGNORE, 0},     {"units", TOK_IGNORE, 0},    {"until", TOK_IGNORE, 0},
    {"variable", TOK_IGNORE, 0}, {"wait", TOK_IGNORE, 0},     {"with", TOK_IGNORE, 0},
    {"xor", TOK_IGNORE, 0},
    KW_END,
};

lang_desc_t desc_vhdl = {46, kw_vhdl, nullptr, nullptr, nullptr, nullptr,
                         LEX_DASH_COMMENT | LEX_ASSIGN | LEX_NOCASE, nullptr, vh_next};

thread_local int prev_token;

// A tick after a name or a closing bracket is an attribute or a
// qualified expression; elsewhere 'x' is a character literal, which must
// not be read as a bracket or the start of a string.
bool char_literal()
{
    const lex_t &x = lex_ctx;
    if (prev_token == TOK_SYMBOL || prev_token == ')' || prev_token == ']')
        return false;
    if (x.lx_unget_char || x.lx_pos + 1 >= x.lx_end || x.lx_line[x.lx_pos + 1] != '\'')
        return false;
    dstr_t &text = lex_ctx.lx_text;
    int c = lex_getc();
    lex_getc();
    dstr_clear(&text);
    dstr_add_char(&text, '\'');
    dstr_add_char(&text, c);
    dstr_add_char(&text, '\'');
    text.dl_str[text.dl_len] = '\0';
    return true;
}

} // namespace

int vh_next()
{
    // A token pushed back was shown when it was first read.
    bool fresh = lex_ctx.lx_nstack == 0;
    int t = lex_token();
    if (t == '\'' && char_literal())
        t = TOK_STRING;
    prev_token = t;
    if (tvt_opt.debug && fresh && t != TOK_EOF)
        wl_printf("Parsing %s\n", lex_token_text(t));
    return t;
}

void vh_unget(int t)
{
    lex_unget_token(t);
}

extern "C" int tvt_vhdl_scan(void)
{
    lex_init(&desc_vhdl);
    prev_token = 0;
    int parent = -1;
    int unit = -1;
    for (;;) {
        int t = vh_next();
        if (t == TOK_EOF)
            break;
        vh_statement(t, parent, unit);
    }
    return 0;
}
