#ifndef TVTAGS_SCAN_TVT_SETTINGS_H
#define TVTAGS_SCAN_TVT_SETTINGS_H
/* The run settings.  The driver's switch parser writes them; the scanning
 * framework and the scanners read them. */
#include <stdio.h>
#include "wrenlib/list.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { FMT_CTAGS = 0, FMT_TVTAGS = 1, FMT_CODEWRIGHT = 3 };

typedef struct tag_filter_t {
    char tf_sign;           /* '+' or '-' */
    char *tf_pattern;
} tag_filter_t;

typedef struct tvt_settings_t {
    const char *tag_file;
    int format;
    int binary;
    int all;
    int absolute;
    int browser;
    int locals;
    int force;
    int prune;
    int refresh;            /* bit 0 */
    int xref;               /* -1 not given, 0 off, 1 on */
    int sort;
    int ignorecase;
    int fuzzy_len;
    int warnings;
    int debug;
    int quiet;
    int cxref;
    int optimise;
    int append;
    int list_free;
    int assign, sccs, update;   /* parsed, not used */
    const char *forced_lang;
    const char *db_name;
    const char *path_prefix;
    FILE *err;
    Head_p include_pats;    /* char * */
    Head_p exclude_files;   /* char * */
    Head_p exclude_dirs;    /* char * */
    Head_p filters;         /* tag_filter_t * */
    const char *program_path;
} tvt_settings_t;

extern tvt_settings_t tvt_opt;

#ifdef __cplusplus
}
#endif
#endif
