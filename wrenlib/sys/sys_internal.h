#ifndef WRENLIB_SYS_INTERNAL_H
#define WRENLIB_SYS_INTERNAL_H
/* What the portable half of wrenlib/sys asks of the platform half.  Each
 * function here has one implementation in posix/ and one in win32/. */
#include <stddef.h>
#include <string>
#include <string_view>

#include "wrenlib/files.h"
#include "wrenlib/mmap.h"

namespace wl_sys {

/* 1 where names may carry a drive letter that means something (Windows). */
bool has_drives();

/* The current directory of drive letter (new string), or null when the
 * platform has no drives or the drive has none. */
char *drive_cwd(int letter);

/* 1 for a character that separates the entries of a PATH list. */
bool is_path_list_sep(char c);

/* Mapping primitives.  map_open fills mf_fd, mf_base, mf_size and mf_map
 * and returns 0, or -1 with nothing left open.  A writable file that does
 * not exist is created first with `create_size` zero bytes. */
int map_open(mmap_file_t *f, int writable, size_t create_size);
/* Extends a mapped writable file to `size` zero-filled bytes and maps it
 * again (mf_base may move).  0 or -1. */
int map_grow(mmap_file_t *f, size_t size);
/* Renames from over to, replacing it: 0, or -1. */
int replace_file(const char *from, const char *to);
int map_sync(mmap_file_t *f);
/* Unmaps and closes whatever map_open left open. */
void map_close(mmap_file_t *f);
/* Closes the descriptor but keeps the mapping (MMAP_CLOSE_FD). */
void map_drop_fd(mmap_file_t *f);

} // namespace wl_sys

namespace wl_names {

inline unsigned char lower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

/* 1 for "X:" at the start of p (any letter). */
inline bool has_drive(const char *p) {
    return ((p[0] >= 'a' && p[0] <= 'z') || (p[0] >= 'A' && p[0] <= 'Z')) && p[1] == ':';
}

/* dir and name joined with the written separator; no separator is added
 * after an empty dir, a dir that ends in one, or a bare drive "X:". */
void join_into(std::string &out, std::string_view dir, std::string_view name);

/* A chk-allocated copy of s. */
char *dup(std::string_view s);

/* ASCII case-insensitive byte comparison. */
int compare_nocase(const char *a, const char *b);

} // namespace wl_names

#endif
