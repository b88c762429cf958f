#ifndef TVTAGS_SCANNERS_TVT_JAVA_JAVA_INTERNAL_H
#define TVTAGS_SCANNERS_TVT_JAVA_JAVA_INTERNAL_H
// The parts of the Java-family scanner (Java, C#, Java Server Pages) and
// the state they share.
#include "scan/tvt_scan.h"
#include "scanners/tvt_scanners.h"

// Class bodies nested deeper than this are skipped rather than parsed, so
// that no input can exhaust the stack.
constexpr int JV_MAX_NEST = 64;

// The "language" word of a page's script tag, and the start of a script
// element, as the token reader hands them to the statement parser.
constexpr int JV_TOK_LANGUAGE = 480;

struct jv_state_t {
    int lang = LANG_JAVA;    // the language of the file: 23, 13 or 25
    bool csharp = false;
    bool jsp = false;
    bool in_code = true;     // inside <% %> (always, but for pages)
    int nest = 0;            // parser recursion depth
    dstr_t texts[JV_MAX_NEST + 4] = {};  // one type text per nesting level
    dstr_t args = {};        // parameter list of the method at hand
    dstr_t scratch = {};
};

extern constinit thread_local jv_state_t jv_st;

struct jv_nest_guard_t {
    jv_nest_guard_t() { jv_st.nest++; }
    ~jv_nest_guard_t() { jv_st.nest--; }
    jv_nest_guard_t(const jv_nest_guard_t &) = delete;
    jv_nest_guard_t &operator=(const jv_nest_guard_t &) = delete;
};

// Token reading.
int jv_next();
void jv_unget(int t);
bool jv_text_is(const char *s);
bool jv_is_word(int t);          // an identifier, or a keyword spelled as one
bool jv_is_type_kw(int t);
bool jv_is_modifier(int t);      // a modifier word, keyword or contextual
int jv_peek_char();              // the next character, left in the input

// Emission of the current record.
int jv_emit(int type, int parent, const char *type_text, const char *args);
void jv_set_name(const char *name);

// Skipping, all through jv_next so that the readers of text blocks and
// verbatim strings apply everywhere.
int jv_skip_block();             // after "{": to its "}"; 0 at the end of input
int jv_skip_group(int open);     // after "(", "[" or "{"
void jv_skip_angle(dstr_t *text);  // after "<": to the matching ">"
void jv_skip_annotation();       // after "@": name and arguments
int jv_skip_to_semi();           // to ";" (a "}" is pushed back)
int jv_skip_init();              // an initialiser: to "," or ";"
int jv_collect_args(dstr_t *text);  // after "(": the list, parentheses kept
void jv_body(int parent);        // after "{": a method or block body

// The parsers.
int jv_statement(int parent, int deftype);
int jv_class(int kind, int parent, bool named);
int jv_enum(int parent);
int jv_decl(int parent, int deftype, bool is_static, int t);
int jv_script_block();

#endif
