#ifndef TVTAGS_SCAN_TVT_TAG_H
#define TVTAGS_SCAN_TVT_TAG_H
/* Tag emission: the current tag record that scanners fill, the tag entry
 * handed to the active sink, the filters, nesting level and the stack of
 * inheritance lists. */
#include <stdint.h>
#include "wrenlib/list.h"
#include "wrenlib/dstr.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef TVT_PER_THREAD
#ifdef __cplusplus
#define TVT_PER_THREAD thread_local
#else
#define TVT_PER_THREAD _Thread_local
#endif
#endif

/* Tag types: indexes into the tag-type table, the numbers stored in the
 * database. */
enum {
    TT_OPEN, TT_CLOSE, TT_LIBRARY, TT_PACKAGE, TT_INTERFACE, TT_MODULE,
    TT_STRUCT, TT_UNION, TT_CLASS, TT_MEMBER, TT_ENUM, TT_ENUM_MEMBER,
    TT_DEFINE, TT_TYPEDEF, TT_FUNCTION, TT_PROCEDURE, TT_STATIC_FUNC,
    TT_MACRO, TT_PROTOTYPE, TT_DATA, TT_STATIC_VAR, TT_CONST, TT_LABEL,
    TT_ARCHITECTURE, TT_CONFIGURATION, TT_ENTITY, TT_PROCESS, TT_CITATION,
    TT_REFERENCE, TT_BIBLIOGRAPHY, TT_TABLE, TT_INDEX, TT_RULE, TT_TRIGGER,
    TT_MISC, TT_COMPONENT, TT_IMPORT, TT_APPLET, TT_FRAME, TT_FORM,
    TT_HEADER1, TT_HEADER2, TT_HEADER3, TT_HEADER4, TT_HEADER5, TT_HEADER6,
    TT_HEADER7, TT_HEADER8, TT_HEADER9, TT_FILE, TT_OBJECT, TT_LIST,
    TT_METHOD, TT_BOOKMARK, TT_XREF, TT_ANY, TT_FILE_ID, TT_NOTHING,
    TT_ELEMENT, TT_ATTRIBUTE, TT_TASK, TT_WIRE, TT_SIGNAL, TT_IO, TT_TIME,
    TT_EVENT, TT_GATE, TT_REG, TT_INPUT, TT_OUTPUT, TT_ASSIGN, TT_LOCAL,
    TT_KEYWORD, TT_PARAMETER, TT_NAMESPACE, TT_FIELD, TT_PROPERTY, TT_ERROR,
    TT_CURSOR, TT_FUNC_PROTOTYPE, TT_PROC_PROTOTYPE, TT_SECTION,
    TT_COUNT
};

#define TAG_NAME_SIZE 256
#define TAG_LINE_SIZE 2048

typedef struct tag_rec_t {
    int32_t tr_line;
    int32_t tr_column;
    int32_t tr_depth;
    int32_t tr_parent;
    char *tr_args;        /* argument text or null */
    char *tr_type;        /* type text or null */
    Head_p tr_inherit;    /* list of base names (char *) or null */
    uint32_t tr_flags;
    char tr_line_text[TAG_LINE_SIZE];
    char tr_name[TAG_NAME_SIZE];
} tag_rec_t;

typedef struct tag_entry_t {
    const char *te_name;
    const char *te_file;
    uint16_t te_type;
    uint16_t te_level;
    uint32_t te_line;
    int32_t te_column;
    int32_t te_depth;
    int32_t te_parent;
    const char *te_type_text;
    const char *te_args;
    Head_p te_inherit;
    const char *te_line_text;
    uint32_t te_flags;
} tag_entry_t;

/* The counters of anonymous names ("anon#%d"): one for enumerations, one
 * for the other aggregates, each running over the whole run.  A thread
 * that scans a file out of turn is told where they stand before it, and
 * the driver reads back how many names the file took. */
typedef struct tag_anon_t {
    int32_t ta_struct;
    int32_t ta_enum;
} tag_anon_t;
extern TVT_PER_THREAD tag_anon_t tag_anon;

/* The current tag record of the scan on this thread. */
extern TVT_PER_THREAD tag_rec_t tag_rec;
extern TVT_PER_THREAD uint16_t tag_level;

/* tag_capture what-bits. */
#define TAG_CAP_LINE   1
#define TAG_CAP_NAME   2
#define TAG_CAP_UNQUOTE 4

void tag_capture(tag_rec_t *rec, int what);
int tag_add(int type, tag_rec_t *rec);
/* Emits the current record with a type text joined from type_prefix and
 * type_text and the argument text from args (each may be null).  Afterwards
 * args is freed and type_text emptied. */
int tag_add_text(int type, int parent, dstr_t *type_prefix, dstr_t *type_text, dstr_t *args);
/* Emits the current record under parent with the given type and argument
 * texts (null or empty: none), traced as from src_file:src_line; then the
 * record holds no texts and no inheritance list.  Use TAG_EMIT. */
int tag_emit_texts(int type, int parent, const char *type_text, const char *args, const char *src_file,
                   int src_line);
int tag_xref(void);
int tag_xref_rec(void);
void tag_trace(int type, tag_rec_t *rec, const char *src_file, int src_line);
void tag_level_up(void);
void tag_level_down(void);
void tag_reset(void);          /* clears the record and the level; lex_init calls it */
const char *tag_type_name(int type); /* "?" out of range */

void inh_push(void);
void inh_add(const char *name);
void inh_pop(int keep);
void inh_free(void);
Head_p inh_current(void);

/* Sinks, wired by the driver.  The text sink receives (type, record); the
 * database sink receives a tag entry.  Both return the tag's handle. */
typedef int (*tag_text_sink_t)(int type, tag_rec_t *rec);
typedef int (*tag_db_sink_t)(void *db, const tag_entry_t *entry);
void tag_set_text_sink(tag_text_sink_t sink);
/* The database sink is the calling thread's: each scanning thread stages
 * the tags of its own file. */
void tag_set_db_sink(tag_db_sink_t sink, void *db);

#define TAG_TRACE(type, rec) tag_trace((type), (rec), __FILE__, __LINE__)
#define TAG_EMIT(type, parent, type_text, args) \
    tag_emit_texts((type), (parent), (type_text), (args), __FILE__, __LINE__)

#ifdef __cplusplus
}
#endif
#endif
