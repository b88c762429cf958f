// File status, directories and the current directory on POSIX systems.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../sys_internal.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"

namespace wl_sys {

bool has_drives() { return false; }

char *drive_cwd(int) { return nullptr; }

// PATH on POSIX is ':'-separated; ';' lists still work.
bool is_path_list_sep(char c) { return c == ';' || c == ':'; }

} // namespace wl_sys

namespace {

// Only directories and regular files have a kind of their own; callers
// test single bits, so devices, pipes and sockets carry none.
uint32_t kind_bits(mode_t m) {
    if (S_ISDIR(m))
        return WL_S_IFDIR;
    if (S_ISREG(m))
        return WL_S_IFREG;
    return 0;
}

void convert(const struct stat &s, wl_stat_t *st) {
    st->st_mode = kind_bits(s.st_mode) | static_cast<uint32_t>(s.st_mode & 07777);
    st->st_nlink = static_cast<uint32_t>(s.st_nlink);
    st->st_size = static_cast<int64_t>(s.st_size);
    st->st_atime_s = static_cast<int64_t>(s.st_atime);
    st->st_mtime_s = static_cast<int64_t>(s.st_mtime);
    st->st_ctime_s = static_cast<int64_t>(s.st_ctime);
}

} // namespace

struct wl_dir_t {
    DIR *wd_dir;
    struct dirent *wd_entry;
};

extern "C" {

int wl_stat(const char *name, wl_stat_t *st) {
    struct stat s;
    if (stat(*name ? name : ".", &s) != 0) {
        // A file used as a directory in the name: that name does not exist.
        if (errno == ENOTDIR)
            errno = ENOENT;
        return -1;
    }
    convert(s, st);
    return 0;
}

int wl_file_id(const char *name, wl_file_id_t *id) {
    struct stat s;
    if (stat(*name ? name : ".", &s) != 0)
        return -1;
    id->fi_dev = static_cast<uint64_t>(s.st_dev);
    id->fi_ino = static_cast<uint64_t>(s.st_ino);
    return 0;
}

wl_dir_t *wl_opendir(const char *name) {
    DIR *d = opendir(name && *name ? name : ".");
    if (!d)
        return nullptr;
    wl_dir_t *w = static_cast<wl_dir_t *>(chk_alloc(sizeof(wl_dir_t)));
    w->wd_dir = d;
    w->wd_entry = nullptr;
    return w;
}

const char *wl_readdir(wl_dir_t *d) {
    d->wd_entry = readdir(d->wd_dir);
    return d->wd_entry ? d->wd_entry->d_name : nullptr;
}

int wl_readdir_type(wl_dir_t *d) {
    if (!d->wd_entry)
        return WL_DT_UNKNOWN;
#ifdef _DIRENT_HAVE_D_TYPE
    switch (d->wd_entry->d_type) {
    case DT_DIR: return WL_DT_DIR;
    case DT_REG: return WL_DT_FILE;
    case DT_LNK: return WL_DT_LINK;
    case DT_UNKNOWN: return WL_DT_UNKNOWN;
    default: return WL_DT_OTHER;
    }
#else
    return WL_DT_UNKNOWN;
#endif
}

int wl_readdir_stat(wl_dir_t *d, wl_stat_t *st) {
    if (!d->wd_entry)
        return -1;
    struct stat s;
    if (fstatat(dirfd(d->wd_dir), d->wd_entry->d_name, &s, 0) != 0)
        return -1;
    convert(s, st);
    return 0;
}

void wl_closedir(wl_dir_t *d) {
    if (!d)
        return;
    closedir(d->wd_dir);
    chk_free(d);
}

char *wl_getcwd(void) {
    size_t size = 256;
    for (;;) {
        char *buf = static_cast<char *>(chk_alloc(size));
        if (getcwd(buf, size))
            return buf;
        chk_free(buf);
        if (errno != ERANGE)
            return nullptr;
        size *= 2;
    }
}

} // extern "C"
