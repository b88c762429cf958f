// File mapping on POSIX systems: open(2), mmap(2), and posix_fallocate(3)
// with ftruncate(2) for growth.
//
// A writable file is mapped with room to grow beyond its end: the pages up
// to the end are usable, those after it become usable as the file is
// lengthened, so most growth needs no new mapping.  A new mapping would
// drop every page the process had touched and fault each in again, which
// cost more than the writing itself on a large database.  Kept mapped, on
// the other hand, every page ever touched would count against the process
// until the end; so each time the file has grown by a step, the pages
// below its newest part are let go (they stay in the file and the cache,
// and come back on the next touch, which for a growing file is rare).
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../sys_internal.h"

namespace {

// Sets the file's length to size with its blocks taken now: a mapped page
// that the disk cannot hold would end the process with SIGBUS when first
// written, far from any check.  Where the file system cannot reserve
// blocks ahead the length is set as before.
bool set_length(int fd, size_t old_size, size_t size) {
    if (size > old_size) {
        int r = posix_fallocate(fd, static_cast<off_t>(old_size), static_cast<off_t>(size - old_size));
        if (r != 0 && r != EOPNOTSUPP && r != EINVAL && r != ENOSYS) {
            errno = r;
            return false;
        }
    }
    return ftruncate(fd, static_cast<off_t>(size)) == 0;
}

int open_file(const char *name, int writable, size_t create_size) {
    if (!writable)
        return open(name, O_RDONLY);
    int fd = open(name, O_RDWR | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
        if (!set_length(fd, 0, create_size)) {
            close(fd);
            unlink(name);
            return -1;
        }
        return fd;
    }
    if (errno != EEXIST)
        return -1;
    return open(name, O_RDWR);
}

// The address space held for a writable file of `size` bytes: twice its
// size, and a few megabytes at least, so that the mapping moves a handful
// of times over a run however the file grows.  Pointers are narrow on some
// systems; there the room stays small.
size_t room_for(size_t size) {
    const size_t page = 65536;
    const size_t least = sizeof(void *) >= 8 ? size_t(32) << 20 : size_t(1) << 20;
    size_t want = size > least / 2 ? size * 2 : least;
    if (want < size)   // overflow: no room beyond the file
        want = size;
    return (want + page - 1) / page * page;
}

// Maps [0, size) of fd, with room to grow when writable; an empty file has
// nothing mapped until it grows.
int map_range(mmap_file_t *f, int fd, size_t size) {
    f->mf_size = size;
    f->mf_reserved = 0;
    if (size == 0) {
        f->mf_base = nullptr;
        return 0;
    }
    const bool writable = (f->mf_flags & MMAP_WRITE) != 0;
    const int prot = PROT_READ | (writable ? PROT_WRITE : 0);
    size_t len = writable ? room_for(size) : size;
    void *p = mmap(nullptr, len, prot, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED && len != size) {
        len = size;
        p = mmap(nullptr, len, prot, MAP_SHARED, fd, 0);
    }
    if (p == MAP_FAILED) {
        f->mf_base = nullptr;
        f->mf_size = 0;
        return -1;
    }
    f->mf_base = static_cast<unsigned char *>(p);
    f->mf_reserved = len;
    return 0;
}

void unmap(mmap_file_t *f) {
    if (f->mf_base)
        munmap(f->mf_base, f->mf_reserved ? f->mf_reserved : f->mf_size);
    f->mf_base = nullptr;
    f->mf_reserved = 0;
}

constexpr size_t kReleaseStep = size_t(1) << 20;
constexpr size_t kKeepNewest = size_t(256) << 10;

// Lets go of the pages below the newest part of the file once it has grown
// past another release step.
void release_old_pages(mmap_file_t *f, size_t old_size, size_t size) {
    if (!f->mf_base || old_size / kReleaseStep == size / kReleaseStep || size <= kKeepNewest)
        return;
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    size_t len = (size - kKeepNewest) / page * page;
    if (len > 0)
        madvise(f->mf_base, len, MADV_DONTNEED);
}

// Moves the mapping to a larger room keeping the pages already touched
// (Linux); false where that cannot be done, and the caller maps anew.
bool widen(mmap_file_t *f, size_t size) {
#if defined(__linux__) && defined(MREMAP_MAYMOVE)
    if (!f->mf_base || !f->mf_reserved)
        return false;
    size_t len = room_for(size);
    void *p = mremap(f->mf_base, f->mf_reserved, len, MREMAP_MAYMOVE);
    if (p == MAP_FAILED)
        return false;
    f->mf_base = static_cast<unsigned char *>(p);
    f->mf_reserved = len;
    f->mf_size = size;
    return true;
#else
    (void)f;
    (void)size;
    return false;
#endif
}

} // namespace

namespace wl_sys {

int map_open(mmap_file_t *f, int writable, size_t create_size) {
    int fd = open_file(f->mf_name, writable, create_size);
    if (fd < 0)
        return -1;
    struct stat s;
    if (fstat(fd, &s) != 0 || !S_ISREG(s.st_mode) ||
        map_range(f, fd, static_cast<size_t>(s.st_size)) != 0) {
        close(fd);
        return -1;
    }
    f->mf_fd = fd;
    return 0;
}

int map_grow(mmap_file_t *f, size_t size) {
    // The descriptor may have been closed right after mapping.
    int fd = static_cast<int>(f->mf_fd);
    const bool reopened = fd < 0;
    if (reopened && (fd = open(f->mf_name, O_RDWR)) < 0)
        return -1;
    int rc = -1;
    if (set_length(fd, f->mf_size, size)) {
        const size_t old = f->mf_size;
        if (f->mf_base && size <= f->mf_reserved) {
            f->mf_size = size;   // the room already holds it
            release_old_pages(f, old, size);
            rc = 0;
        } else if (widen(f, size)) {
            release_old_pages(f, old, size);
            rc = 0;
        } else {
            unmap(f);
            rc = map_range(f, fd, size);
            if (rc != 0)
                map_range(f, fd, old);   // keep the old view usable
        }
    }
    if (reopened)
        close(fd);
    return rc;
}

int replace_file(const char *from, const char *to) {
    return rename(from, to) == 0 ? 0 : -1;
}

int map_sync(mmap_file_t *f) {
    if (!f->mf_base)
        return 0;
    return msync(f->mf_base, f->mf_size, MS_SYNC) == 0 ? 0 : -1;
}

void map_close(mmap_file_t *f) {
    unmap(f);
    map_drop_fd(f);
}

void map_drop_fd(mmap_file_t *f) {
    if (f->mf_fd >= 0)
        close(static_cast<int>(f->mf_fd));
    f->mf_fd = -1;
}

} // namespace wl_sys
