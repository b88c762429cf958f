// Whole files in memory.  Mapping is the normal way; where it is switched
// off (TV_MMAP_ENABLE) or impossible, a copy is read in and, for a writable
// file, written back whole at close.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "sys_internal.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"
#include "wrenlib/fmt.h"
#include "wrenlib/mmap.h"

namespace {

constexpr size_t NEW_FILE_SIZE = 4096;

struct MmapSettings {
    bool read = false;
    bool enabled = true;
};
MmapSettings g_mmap;

bool mapping_enabled() {
    if (!g_mmap.read) {
        g_mmap.read = true;
        const char *v = getenv("TV_MMAP_ENABLE");
        g_mmap.enabled = true;
        if (v) {
            char *end;
            long n = strtol(v, &end, 10);
            if (end != v && n <= 0)
                g_mmap.enabled = false;
        }
    }
    return g_mmap.enabled;
}

// Reads the whole file; false when it cannot be opened or read.
bool read_whole(const char *name, unsigned char **base, size_t *size) {
    FILE *in = fopen(name, "rb");
    if (!in)
        return false;
    size_t cap = 65536, len = 0;
    unsigned char *buf = static_cast<unsigned char *>(chk_alloc(cap));
    for (;;) {
        size_t n = fread(buf + len, 1, cap - len, in);
        len += n;
        if (len < cap) {
            if (ferror(in)) {
                fclose(in);
                chk_free(buf);
                return false;
            }
            break;
        }
        cap *= 2;
        buf = static_cast<unsigned char *>(chk_realloc(buf, cap));
    }
    fclose(in);
    *base = buf;
    *size = len;
    return true;
}

// The copy goes to a new file beside the old one, which it replaces only
// once all of it is written: a full disk then leaves the old file whole.
bool write_back(const mmap_file_t *f) {
    std::string tmp = std::string(f->mf_name) + ".tvnew";
    FILE *out = fopen(tmp.c_str(), "wb");
    if (!out) {
        wl_printf("mmap: failed to create %s on close\n", f->mf_name);
        return false;
    }
    size_t n = f->mf_size ? fwrite(f->mf_base, 1, f->mf_size, out) : 0;
    bool ok = n == f->mf_size;
    if (fclose(out) != 0)
        ok = false;
    if (ok && wl_sys::replace_file(tmp.c_str(), f->mf_name) != 0)
        ok = false;
    if (!ok) {
        remove(tmp.c_str());
        wl_printf("mmap: %s: write error\n", f->mf_name);
    }
    return ok;
}

// Whether an existing file can be written: asked at open, so that a copy
// that could never be written back is refused then and not lost at close.
bool can_write(const char *name) {
    FILE *out = fopen(name, "r+b");
    if (!out)
        return false;
    fclose(out);
    return true;
}

// Whether a missing file could be made: tried now, so that the caller
// learns it at once and not when the copy is written back on close.
bool can_create(const char *name) {
    FILE *out = fopen(name, "wb");
    if (!out)
        return false;
    fclose(out);
    remove(name);
    return true;
}

void release(mmap_file_t *f) {
    chk_free(f->mf_name);
    chk_free(f);
}

} // namespace

extern "C" {

void mmap_file_reset(void) {
    g_mmap.read = false;
}

mmap_file_t *mmap_file_open(const char *name, int flags) {
    mmap_file_t *f = static_cast<mmap_file_t *>(chk_zalloc(sizeof(mmap_file_t)));
    f->mf_fd = -1;
    f->mf_flags = flags;
    f->mf_name = chk_strdup(name);
    const bool writable = (flags & MMAP_WRITE) != 0;

    if (mapping_enabled()) {
        if (wl_sys::map_open(f, writable, NEW_FILE_SIZE) == 0) {
            f->mf_mapped = 1;
            if (flags & MMAP_CLOSE_FD)
                wl_sys::map_drop_fd(f);
            return f;
        }
        // With mapping on, a copy is made only when the caller allows it.
        if (!(flags & MMAP_COPY_OK)) {
            release(f);
            return nullptr;
        }
    }

    // Only a regular file can be copied in whole: a device or a pipe may
    // never end.
    wl_stat_t st;
    const bool exists = wl_stat(name, &st) == 0;
    if (exists && (st.st_mode & 0xF000u) != WL_S_IFREG) {
        release(f);
        return nullptr;
    }
    if (exists && writable && !can_write(name)) {
        release(f);
        return nullptr;
    }
    unsigned char *base = nullptr;
    size_t size = 0;
    if (!read_whole(name, &base, &size)) {
        if (!writable || exists) {
            release(f);      // missing and read-only, or present but unreadable
            return nullptr;
        }
        if (!can_create(name)) {
            release(f);      // the copy could never be written back
            return nullptr;
        }
        base = static_cast<unsigned char *>(chk_zalloc(NEW_FILE_SIZE));
        size = NEW_FILE_SIZE;
    }
    f->mf_base = base;
    f->mf_size = size;
    f->mf_mapped = 0;
    return f;
}

int mmap_file_probe(mmap_file_t *f, size_t size) {
    if (size <= f->mf_size)
        return 1;
    if (f->mf_mapped) {
        if (!(f->mf_flags & MMAP_WRITE))
            return 0;
        return wl_sys::map_grow(f, size) == 0 ? 1 : 0;
    }
    f->mf_base = static_cast<unsigned char *>(chk_realloc(f->mf_base, size));
    memset(f->mf_base + f->mf_size, 0, size - f->mf_size);
    f->mf_size = size;
    return 1;
}

int mmap_is_mapped(mmap_file_t *f) {
    return f->mf_mapped ? 1 : 0;
}

int mmap_file_sync(mmap_file_t *f) {
    if (!f->mf_mapped || !(f->mf_flags & MMAP_WRITE))
        return 0;
    return wl_sys::map_sync(f);
}

int mmap_file_finish(mmap_file_t *f) {
    if (!f)
        return 0;
    int rc = 0;
    if (f->mf_mapped) {
        wl_sys::map_close(f);
    } else {
        if ((f->mf_flags & MMAP_WRITE) && !write_back(f))
            rc = -1;
        chk_free(f->mf_base);
    }
    release(f);
    return rc;
}

void mmap_file_close(mmap_file_t *f) {
    mmap_file_finish(f);
}

} // extern "C"
