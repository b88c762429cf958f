// File status, directories and the current directory on Windows.
#include <windows.h>
#include <direct.h>
#include <errno.h>
#include <string.h>

#include <string>

#include "../sys_internal.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"

namespace wl_sys {

bool has_drives() { return true; }

char *drive_cwd(int letter) {
    char spec[3] = {static_cast<char>(letter), ':', '\0'};
    DWORD need = GetFullPathNameA(spec, 0, nullptr, nullptr);
    if (need == 0)
        return nullptr;
    char *buf = static_cast<char *>(chk_alloc(need + 1));
    DWORD got = GetFullPathNameA(spec, need + 1, buf, nullptr);
    if (got == 0 || got > need) {
        chk_free(buf);
        return nullptr;
    }
    return buf;
}

bool is_path_list_sep(char c) { return c == ';'; }

} // namespace wl_sys

namespace {

int64_t unix_seconds(const FILETIME &ft) {
    // 100-nanosecond ticks since 1601 -> seconds since 1970.
    const uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    if (ticks == 0)
        return 0;
    return static_cast<int64_t>(ticks / 10000000ULL) - 11644473600LL;
}

bool runnable_name(const char *name) {
    const char *dot = file_extension(name);
    if (!dot)
        return false;
    static const char *const exts[] = {".exe", ".cmd", ".bat", ".com"};
    for (const char *e : exts)
        if (wl_names::compare_nocase(dot, e) == 0)
            return true;
    return false;
}

void fill(wl_stat_t *st, const char *name, DWORD attrs, DWORD size_hi, DWORD size_lo,
          const FILETIME &atime, const FILETIME &mtime, const FILETIME &ctime) {
    const bool dir = (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
    uint32_t mode = dir ? WL_S_IFDIR : WL_S_IFREG;
    mode |= (attrs & FILE_ATTRIBUTE_READONLY) ? 0444u : 0666u;
    if (dir || runnable_name(name))
        mode |= 0111u;
    st->st_mode = mode;
    st->st_nlink = 1;
    st->st_size = dir ? 0 : static_cast<int64_t>((static_cast<uint64_t>(size_hi) << 32) | size_lo);
    st->st_atime_s = unix_seconds(atime);
    st->st_mtime_s = unix_seconds(mtime);
    st->st_ctime_s = unix_seconds(ctime);
}

void fill_dir_only(wl_stat_t *st) {
    memset(st, 0, sizeof *st);
    st->st_mode = WL_S_IFDIR | 0777u;
    st->st_nlink = 1;
}

// "X:", "X:\" or "X:/".
bool is_drive_root(const char *name) {
    return wl_names::has_drive(name) && (name[2] == '\0' || (WL_IS_SEP(name[2]) && name[3] == '\0'));
}

bool enterable(const char *name) {
    char *saved = wl_getcwd();
    if (!saved)
        return false;
    bool ok = _chdir(name) == 0;
    if (ok)
        (void)_chdir(saved);
    chk_free(saved);
    return ok;
}

} // namespace

struct wl_dir_t {
    HANDLE wd_handle;
    WIN32_FIND_DATAA wd_data;
    bool wd_pending;   // wd_data holds an entry not yet returned
    bool wd_valid;     // wd_data describes the entry last returned
    std::string wd_dir;
};

extern "C" {

int wl_stat(const char *name, wl_stat_t *st) {
    if (!*name)
        name = ".";
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (GetFileAttributesExA(name, GetFileExInfoStandard, &d)) {
        fill(st, name, d.dwFileAttributes, d.nFileSizeHigh, d.nFileSizeLow,
             d.ftLastAccessTime, d.ftLastWriteTime, d.ftCreationTime);
        return 0;
    }
    const DWORD err = GetLastError();
    const bool missing = err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ||
                         err == ERROR_INVALID_NAME || err == ERROR_BAD_NETPATH;
    // Drive roots and some directories cannot be looked up, only entered.
    if (is_drive_root(name)) {
        char root[4] = {name[0], ':', '\\', '\0'};
        UINT type = GetDriveTypeA(root);
        if (type == DRIVE_FIXED || type == DRIVE_CDROM || type == DRIVE_RAMDISK) {
            fill_dir_only(st);
            return 0;
        }
    } else if (!missing && !wild_has_wildcard(name) && enterable(name)) {
        fill_dir_only(st);
        return 0;
    }
    errno = err == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
    return -1;
}

int wl_file_id(const char *name, wl_file_id_t *id) {
    // A directory can only be opened with backup semantics; no access
    // rights are asked, so a file in use by another program still answers.
    HANDLE h = CreateFileA(*name ? name : ".", 0,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    BY_HANDLE_FILE_INFORMATION info;
    const BOOL ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!ok)
        return -1;
    id->fi_dev = info.dwVolumeSerialNumber;
    id->fi_ino = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return 0;
}

wl_dir_t *wl_opendir(const char *name) {
    std::string dir = name ? name : "";
    std::string pattern = dir;
    if (!pattern.empty() && !WL_IS_SEP(pattern.back()) &&
        !(pattern.size() == 2 && wl_names::has_drive(pattern.c_str())))
        pattern.push_back('\\');
    pattern += "*.*";
    WIN32_FIND_DATAA data{};
    HANDLE h = FindFirstFileA(pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) {
        // Nothing to list is an empty directory only if there is one.
        if (GetLastError() != ERROR_FILE_NOT_FOUND)
            return nullptr;
        DWORD a = GetFileAttributesA(dir.empty() ? "." : dir.c_str());
        if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY))
            return nullptr;
    }
    wl_dir_t *d = new wl_dir_t;
    d->wd_handle = h;
    d->wd_data = data;
    d->wd_pending = h != INVALID_HANDLE_VALUE;
    d->wd_valid = false;
    d->wd_dir = dir;
    return d;
}

const char *wl_readdir(wl_dir_t *d) {
    if (!d->wd_pending) {
        if (d->wd_handle == INVALID_HANDLE_VALUE || !FindNextFileA(d->wd_handle, &d->wd_data)) {
            d->wd_valid = false;
            return nullptr;
        }
    }
    d->wd_pending = false;
    d->wd_valid = true;
    return d->wd_data.cFileName[0] ? d->wd_data.cFileName : d->wd_data.cAlternateFileName;
}

int wl_readdir_type(wl_dir_t *d) {
    if (!d->wd_valid)
        return WL_DT_UNKNOWN;
    const DWORD a = d->wd_data.dwFileAttributes;
    if (a & FILE_ATTRIBUTE_REPARSE_POINT)
        return WL_DT_LINK;
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? WL_DT_DIR : WL_DT_FILE;
}

int wl_readdir_stat(wl_dir_t *d, wl_stat_t *st) {
    if (!d->wd_valid)
        return -1;
    const WIN32_FIND_DATAA &w = d->wd_data;
    const char *name = w.cFileName[0] ? w.cFileName : w.cAlternateFileName;
    if (w.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // The listing describes the link; its target needs a lookup.
        std::string full;
        wl_names::join_into(full, d->wd_dir, name);
        return wl_stat(full.c_str(), st);
    }
    fill(st, name, w.dwFileAttributes, w.nFileSizeHigh, w.nFileSizeLow,
         w.ftLastAccessTime, w.ftLastWriteTime, w.ftCreationTime);
    return 0;
}

void wl_closedir(wl_dir_t *d) {
    if (!d)
        return;
    if (d->wd_handle != INVALID_HANDLE_VALUE)
        FindClose(d->wd_handle);
    delete d;
}

char *wl_getcwd(void) {
    DWORD need = GetCurrentDirectoryA(0, nullptr);
    if (need == 0)
        return nullptr;
    for (;;) {
        char *buf = static_cast<char *>(chk_alloc(need + 1));
        DWORD got = GetCurrentDirectoryA(need + 1, buf);
        if (got == 0) {
            chk_free(buf);
            return nullptr;
        }
        if (got <= need)
            return buf;
        chk_free(buf);
        need = got;
    }
}

} // extern "C"
