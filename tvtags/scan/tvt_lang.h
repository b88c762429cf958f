#ifndef TVTAGS_SCAN_TVT_LANG_H
#define TVTAGS_SCAN_TVT_LANG_H
/* The language registry: language ids, the extension map, the tag-type
 * table, remappings and scanner dispatch. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    LANG_ADA = 1, LANG_ASM = 3, LANG_BASIC = 5, LANG_BIBTEX = 6, LANG_C = 7,
    LANG_BRIEF = 8, LANG_CHILL = 9, LANG_CLASS = 10, LANG_CPP = 11,
    LANG_TOLVA = 12, LANG_CSHARP = 13, LANG_D = 14, LANG_DTD = 15,
    LANG_FORTRAN = 17, LANG_HTML = 18, LANG_IDL = 19, LANG_INI = 20,
    LANG_LISP = 21, LANG_JAR = 22, LANG_JAVA = 23, LANG_JAVASCRIPT = 24,
    LANG_JSP = 25, LANG_MATLAB = 26, LANG_MIVA = 27, LANG_OBJC = 28,
    LANG_OBJCPP = 29, LANG_PASCAL = 30, LANG_PERL = 31, LANG_PHP = 32,
    LANG_PVWAVE = 33, LANG_PYTHON = 34, LANG_RUBY = 36, LANG_SQL = 39,
    LANG_SYSVERILOG = 40, LANG_TCL = 41, LANG_TEX = 42, LANG_TEXT = 43,
    LANG_TIP = 44, LANG_VERILOG = 45, LANG_VHDL = 46, LANG_SLICK = 47,
    LANG_XBASE = 48, LANG_XML = 49, LANG_YACC = 51, LANG_ZIP = 52
};

typedef struct ext_map_t {
    const char *em_ext;     /* null in the terminating row */
    int em_lang;
    const char *em_desc;
} ext_map_t;

typedef struct tag_type_t {
    const char *tt_name;
    const char *tt_short;
    const char *tt_desc;
} tag_type_t;

typedef int (*scanner_fn_t)(void);

typedef struct scanner_row_t {
    int sr_lang;            /* -1 ends the table */
    scanner_fn_t sr_scan;
} scanner_row_t;

extern const ext_map_t ext_map[];       /* 77 rows and a terminating row */
extern const tag_type_t tag_types[];    /* TT_COUNT rows */
extern unsigned char tag_type_enabled[]; /* TT_COUNT flags, 1 at start */
extern const scanner_row_t scanner_table[];

/* Row for a file (forced language, remaps, the map), or null. */
const ext_map_t *lang_of_file(const char *name, const char *forced);
/* "ext=lang": 0 when added, -1 after printing the remap message. */
int lang_remap(const char *text);
void lang_clear_remaps(void);
/* Registered scanner first, then the built-in table; -3 when none. */
int lang_run_scanner(int lang);
/* Tag type by name without regard to case, or -1. */
int tag_type_lookup(const char *name);

int pub_tag_add_dispatch(int lang, scanner_fn_t fn, void *value);

#ifdef __cplusplus
}
#endif
#endif
