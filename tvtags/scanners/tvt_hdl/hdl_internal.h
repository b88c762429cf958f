#ifndef TVTAGS_SCANNERS_TVT_HDL_HDL_INTERNAL_H
#define TVTAGS_SCANNERS_TVT_HDL_HDL_INTERNAL_H
// The parts of the hardware-description scanners and what they share.
#include <vector>

#include "scan/tvt_scan.h"
#include "scanners/tvt_scanners.h"

// Nesting of structures and units beyond this is read flat, so that no
// input can exhaust the stack.
constexpr int HDL_MAX_NEST = 48;

// A tag held back until its parent has been emitted (a module's ports and
// parameters come before the module tag can carry the port text).
struct hdl_pending_t {
    int type;
    tag_rec_t rec;
};

// Emission helpers.
// Captures the current token as the record's name, line and column.
void hdl_capture();
// Emits the current record with a parent and optional argument text.
int hdl_emit(int type, int parent, const char *args = nullptr);
// Emits a saved record.
int hdl_emit_rec(int type, int parent, tag_rec_t &rec, const char *args = nullptr);
// Names the current record "anon#N" with the run-wide counter.
void hdl_anon_name();
// True when the current token's text equals s (case as given).
bool hdl_text_is(const char *s);
bool hdl_text_is_nocase(const char *s);

// Verilog: words that the keyword table does not hold but the scanner
// gives a role, looked up by an identifier's text.
enum vl_role_t {
    VR_NONE, VR_NET, VR_VAR, VR_PARAM, VR_DEFPARAM, VR_ENDTASK, VR_REF,
    VR_MODPORT, VR_IMPORT, VR_TYPE, VR_QUALIFIER, VR_PROTO, VR_ENDUNIT,
    VR_PRIMITIVE_END, VR_STATEMENT, VR_CLASS_LIKE
};

struct vl_state_t {
    dstr_t *collect = nullptr;   // token texts appended here when set
    int nest = 0;
    std::vector<hdl_pending_t> pending;
    dstr_t args = {};
};
extern constinit thread_local vl_state_t vl_st;

int vl_next();               // the Verilog token reader (directives handled)
void vl_unget(int t);
int vl_role();               // role of the current identifier token

// Verilog constructs; each returns its last token (0 at the end of input).
int vl_unit(int kw, int parent);          // module, program, interface, ...
int vl_body(int parent, int end_kw, bool in_subprogram);
// A declaration list after its leading word: names recorded with type,
// "logic" names again as REG.
int vl_name_list(int parent, int type, bool mark_logic);
// The same when the first name has been read into the current record and
// the token after it is pushed back: "my_type_t a, b;".
int vl_name_list_after(int parent, int type);
int vl_params(int parent, std::vector<hdl_pending_t> *hold);
// A parenthesised port or argument list after its '(': names with a
// direction, or with a type before them, are recorded.
int vl_port_list(int parent, std::vector<hdl_pending_t> *hold);
int vl_subprogram(int type, int parent, bool proto);
int vl_aggregate(int kw, int parent, bool from_typedef);
int vl_typedef(int parent);
int vl_enum(int parent, bool from_typedef);
// Skips a group whose opening token has been read; its closing token.
int vl_skip_group(int open);
int vl_skip_to_semi();

// VHDL.
int vh_next();
void vh_unget(int t);
// One step of the VHDL loop: the token read, the current parent and the
// design unit it belongs to (both -1 outside any unit).
void vh_statement(int t, int &parent, int &unit);
void vh_labelled(int parent);
void vh_subprogram(int parent);
void vh_constants(int parent);

#endif
