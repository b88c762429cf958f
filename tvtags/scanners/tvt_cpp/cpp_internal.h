#ifndef TVTAGS_SCANNERS_TVT_CPP_CPP_INTERNAL_H
#define TVTAGS_SCANNERS_TVT_CPP_CPP_INTERNAL_H
// The parts of the C-family scanner and the state they share.
#include "scan/tvt_scan.h"
#include "scanners/tvt_scanners.h"

// Nesting beyond this is skipped rather than parsed, so that no input can
// exhaust the stack.
constexpr int CPP_MAX_NEST = 96;

struct cpp_state_t {
    hash_t *specials = nullptr;     // CPP_SPECIALS words
    char *specials_text = nullptr;  // their storage
    int nest = 0;                   // parser recursion depth
    bool objc = false;              // '@' and method rules on
    bool cplusplus = false;         // the C++ words are keywords
    bool dlang = false;             // D: no declarators after a body
    dstr_t texts[CPP_MAX_NEST + 4] = {};  // one type text per nesting level
    dstr_t args = {};               // parameter list of the function at hand
    dstr_t scratch = {};
};

extern constinit thread_local cpp_state_t cpp_st;

// Counts a parser's recursion for the nesting limit.
struct cpp_nest_guard_t {
    cpp_nest_guard_t() { cpp_st.nest++; }
    ~cpp_nest_guard_t() { cpp_st.nest--; }
    cpp_nest_guard_t(const cpp_nest_guard_t &) = delete;
    cpp_nest_guard_t &operator=(const cpp_nest_guard_t &) = delete;
};

// What the previous token of a declaration was.
enum { PK_NONE, PK_QUAL, PK_TYPE };

// One declaration being collected.
struct cpp_decl_t {
    int parent;
    int deftype;
    bool is_static = false;
    bool have_name = false;   // a candidate name sits in tag_rec
    bool name_first = false;  // it was the statement's first token
    bool firm = false;        // it followed a type, so it is surely the name
    int ntype = 0;            // type words collected before the name
    int prev = PK_NONE;
    int base_len = 0;         // type text shared by later declarators
    bool based = false;       // base_len was set
    int pending = 0;          // a token read ahead by a helper
    bool inner_params = false;  // "(*f(int))": the list sat inside
    bool quiet = false;         // declarators are read, not tagged
    dstr_t *text;
    int level;

    cpp_decl_t(int parent, int deftype);
    ~cpp_decl_t();
    cpp_decl_t(const cpp_decl_t &) = delete;
    cpp_decl_t &operator=(const cpp_decl_t &) = delete;

    void add(int t);          // appends the current token's text
    void add_text(const char *s);
    const char *type_text() const;
};

// Token helpers.
int cpp_next();
void cpp_unget(int t);
void cpp_unget2(int first, const char *first_text, int second);
bool cpp_is_special();
bool cpp_text_is(const char *s);
bool cpp_text_starts(const char *s);
// Words of the GNU dialect: 1 an attribute taking a group
// (__attribute__, __declspec, asm), 2 a type taking a group (typeof),
// 0 neither.
int cpp_attr_kind();
bool cpp_is_type_kw(int t);
bool cpp_is_qualifier(int t);

// Emission: fills parent and texts, traces, emits, clears the texts.
int cpp_emit(int type, int parent, const char *type_text, const char *args);
void cpp_set_name(const char *name);
void cpp_anon_name(bool is_enum);

// Skipping.
int cpp_skip_to_semi();
void cpp_skip_angle();
int cpp_skip_init(bool in_enum);
void cpp_body(int parent);

// The parsers.
int cpp_decl(cpp_decl_t &d, int t);
// A function declarator after its name: from the "(" of the list (tail)
// or from the token after the list (end).  CPP_MORE_DECLARATORS when a
// ',' follows, else the token that ended the declaration.
constexpr int CPP_MORE_DECLARATORS = -2;
int cpp_function_tail(cpp_decl_t &d);
int cpp_function_end(cpp_decl_t &d, int t);
int cpp_struct(int kw, cpp_decl_t &d);
int cpp_enum(cpp_decl_t &d);
int cpp_typedef(cpp_decl_t &d);
int cpp_using(cpp_decl_t &d);  // after "using"
int cpp_objc_at(int parent);
int cpp_objc_method(int parent);

#endif
