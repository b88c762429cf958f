// File mapping on Windows: a file handle, a mapping object and one view of
// the whole file.  mf_fd holds the file handle, mf_map the mapping object.
#include <windows.h>
#include <string.h>

#include "../sys_internal.h"

namespace {

HANDLE as_handle(intptr_t v) { return reinterpret_cast<HANDLE>(v); }

HANDLE open_file(const char *name, int writable, size_t create_size) {
    const DWORD access = GENERIC_READ | (writable ? GENERIC_WRITE : 0);
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE h = CreateFileA(name, access, share, nullptr, writable ? OPEN_ALWAYS : OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return h;
    if (writable && GetLastError() != ERROR_ALREADY_EXISTS) {
        // Newly created: give it its first block of zero bytes.
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(create_size);
        if (!SetFilePointerEx(h, at, nullptr, FILE_BEGIN) || !SetEndOfFile(h)) {
            CloseHandle(h);
            DeleteFileA(name);
            return INVALID_HANDLE_VALUE;
        }
    }
    return h;
}

// Maps [0, size) of h, extending the file when size is larger.  An empty
// file has nothing mapped until it grows.
int map_range(mmap_file_t *f, HANDLE h, size_t size) {
    f->mf_size = size;
    f->mf_base = nullptr;
    f->mf_map = nullptr;
    if (size == 0)
        return 0;
    const bool w = (f->mf_flags & MMAP_WRITE) != 0;
    const uint64_t s64 = size;
    HANDLE m = CreateFileMappingA(h, nullptr, w ? PAGE_READWRITE : PAGE_READONLY,
                                  static_cast<DWORD>(s64 >> 32), static_cast<DWORD>(s64), nullptr);
    if (!m) {
        f->mf_size = 0;
        return -1;
    }
    void *p = MapViewOfFile(m, w ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, size);
    if (!p) {
        CloseHandle(m);
        f->mf_size = 0;
        return -1;
    }
    f->mf_map = m;
    f->mf_base = static_cast<unsigned char *>(p);
    return 0;
}

void unmap(mmap_file_t *f) {
    if (f->mf_base)
        UnmapViewOfFile(f->mf_base);
    if (f->mf_map)
        CloseHandle(static_cast<HANDLE>(f->mf_map));
    f->mf_base = nullptr;
    f->mf_map = nullptr;
}

} // namespace

namespace wl_sys {

int map_open(mmap_file_t *f, int writable, size_t create_size) {
    HANDLE h = open_file(f->mf_name, writable, create_size);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size) || map_range(f, h, static_cast<size_t>(size.QuadPart)) != 0) {
        CloseHandle(h);
        return -1;
    }
    f->mf_fd = reinterpret_cast<intptr_t>(h);
    return 0;
}

int map_grow(mmap_file_t *f, size_t size) {
    // The handle may have been closed right after mapping.
    HANDLE h = as_handle(f->mf_fd);
    const bool reopened = f->mf_fd == -1;
    if (reopened) {
        h = CreateFileA(f->mf_name, GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return -1;
    }
    const size_t old = f->mf_size;
    unmap(f);
    int rc = map_range(f, h, size);
    if (rc == 0) {
        // The bytes a mapping adds to a file are not promised to be zero.
        memset(f->mf_base + old, 0, size - old);
    } else {
        map_range(f, h, old);   // keep the old view usable
    }
    if (reopened)
        CloseHandle(h);
    return rc;
}

int replace_file(const char *from, const char *to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : -1;
}

int map_sync(mmap_file_t *f) {
    if (!f->mf_base)
        return 0;
    if (!FlushViewOfFile(f->mf_base, 0))
        return -1;
    if (f->mf_fd != -1)
        FlushFileBuffers(as_handle(f->mf_fd));
    return 0;
}

void map_close(mmap_file_t *f) {
    unmap(f);
    map_drop_fd(f);
}

void map_drop_fd(mmap_file_t *f) {
    if (f->mf_fd != -1)
        CloseHandle(as_handle(f->mf_fd));
    f->mf_fd = -1;
}

} // namespace wl_sys
