#ifndef WRENLIB_FILES_H
#define WRENLIB_FILES_H
/* File names, wildcards, expansion, argument expansion, PATH search, the
 * stat wrapper and the directory reader.  Both '/' and '\\' are accepted as
 * separators when a name is parsed.  The separator written is WL_SEP: '/' on
 * POSIX, '\\' on Windows.  New strings returned are the caller's, freed with
 * chk_free. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef _WIN32
#define WL_SEP '\\'
#else
#define WL_SEP '/'
#endif

#define WL_IS_SEP(c) ((c) == '/' || (c) == '\\')

/* Expansion flags. */
#define WILD_FILES      0x001
#define WILD_DIRS       0x002
#define WILD_DOTS       0x010  /* a leading '*' also matches names starting with '.' */
#define WILD_ALLDIRS    0x020  /* listing also returns subdirectories that do not match */
#define WILD_SORT_NOCASE 0x040
#define WILD_DIRS_FIRST 0x080
#define WILD_NOSORT     0x100
#define WILD_NOCASE     0x400
#define WILD_NOLINKDIRS 0x800  /* a listing leaves out directories reached through a link */

/* File status.  Mode bits: 0x4000 directory, 0x8000 regular file. */
#define WL_S_IFDIR 0x4000
#define WL_S_IFREG 0x8000

typedef struct wl_stat_t {
    uint32_t st_mode;
    uint32_t st_nlink;
    int64_t st_size;
    int64_t st_atime_s;
    int64_t st_mtime_s;
    int64_t st_ctime_s;
} wl_stat_t;

typedef struct wild_entry_t {
    char *we_name;      /* owned; null in the entry that ends a result */
    int we_capacity;
    wl_stat_t we_stat;
} wild_entry_t;

/* Names. */
const char *filename_skip_drive(const char *p);
const char *filename_skip_network(const char *p);
const char *filename_first_sep(const char *p);
const char *filename_last_sep(const char *p);
int is_absolute(const char *p);
int filename_is_unc(const char *p);          /* starts with two separators */
char *filename_normalise(char *p);           /* in place, to the written separator */
char *backslash_to_fwd(char *p);
char *filename_append_filename(const char *dir, const char *name);
const char *filename_extension(const char *p);
char *wl_dirname(const char *p);
const char *wl_basename(const char *p);
const char *file_extension(const char *p);
char *simplify_filename(const char *p);
char *wild_collapse(char *p);
int wild_match(const char *name, const char *patterns, int flags);
int wild_has_wildcard(const char *p);

/* Expansion: an array ended by an entry whose name is null. */
void wild_set_limits(int timeout_seconds, int max_count);
void wild_read_limits(void);                 /* TV_WILD_LIMIT_TIMEOUT, TV_WILD_LIMIT_MAX_COUNT */
wild_entry_t *wild_expand(const char *pattern, int flags);
void wild_free(wild_entry_t *result);

/* Argument expansion at program start.  keep_next lists switches whose next
 * argument passes unexpanded (null-terminated).  Exits 1 when a wildcard
 * matches nothing. */
char **wild_expand_args(int argc, char **argv, int *out_argc, const char *const *keep_next);
void wild_free_args(int argc, char **argv);

char *path_search(const char *path_list, const char *program);
char *tilde_expand(const char *name);

/* Returns 0, or -1 with errno ENOENT when the name does not exist. */
int wl_stat(const char *name, wl_stat_t *st);

/* What makes a file or directory itself, whatever name reaches it: the
 * device (volume) and the file number on it.  Returns 0, or -1 when the
 * name cannot be looked up or the platform cannot tell. */
typedef struct wl_file_id_t {
    uint64_t fi_dev;
    uint64_t fi_ino;
} wl_file_id_t;
int wl_file_id(const char *name, wl_file_id_t *id);

typedef struct wl_dir_t wl_dir_t;
wl_dir_t *wl_opendir(const char *name);      /* null or empty name means "." */
const char *wl_readdir(wl_dir_t *d);         /* null at the end */
void wl_closedir(wl_dir_t *d);

/* What the listing itself tells about the entry last returned by
 * wl_readdir, without another system call where the platform allows. */
#define WL_DT_UNKNOWN 0  /* ask wl_readdir_stat */
#define WL_DT_FILE    1
#define WL_DT_DIR     2
#define WL_DT_LINK    3  /* a symbolic link or reparse point; not followed by walks */
#define WL_DT_OTHER   4
int wl_readdir_type(wl_dir_t *d);
/* File status of the entry last returned (links followed): 0, or -1.  On
 * Windows it comes from the listing; on POSIX it costs one call relative to
 * the open directory. */
int wl_readdir_stat(wl_dir_t *d, wl_stat_t *st);

/* The current directory as a new string. */
char *wl_getcwd(void);

#ifdef __cplusplus
}
#endif
#endif
