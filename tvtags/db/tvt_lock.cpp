// The OS lock on the tag file.  The in-use flag in the header only says that
// some run had the file open for writing; a run that crashed leaves it set.
// The lock says that the run is still alive: a writer holds it exclusively
// and a reader shared for as long as the file is open, and the system drops
// it when the process ends, however it ends.
#include <stdio.h>

#include "wrenlib/fmt.h"
#include "wrenlib/sysdep.h"
#include "tvt_db.h"

namespace {
constexpr int kPollMs = 100;
constexpr int kAnnounceMs = 3000;
}

void db_print_locked(const char *name)
{
    wl_printf("Tolva: tvtags: Tag file is locked. Maybe corrupt.\n");
    wl_printf("       If you continue to experience delays, then try removing the file.\n");
    wl_printf("       File: %s\n", name);
}

bool db_lock_wait(mmap_file_t *f, bool exclusive, const char *name, bool *announced, int give_up_ms)
{
    if (f == nullptr || f->mf_fd < 0)
        return true;
    // A reader has a report to give, not work to keep: it waits a bounded
    // time for a writer and then says why it stops.
    if (give_up_ms >= 0) {
        for (int waited = 0;; waited += kPollMs) {
            if (wl_lock_file(f->mf_fd, exclusive ? 1 : 0, 0) == 0)
                return true;
            if (waited >= give_up_ms)
                return false;
            wl_sleep_ms(kPollMs);
        }
    }
    // Poll for the first seconds so that the message can be printed, then
    // block: a lock that fails for another reason than a holder (a file
    // system without locks) then ends the wait instead of spinning.
    for (int waited = 0; waited < kAnnounceMs; waited += kPollMs) {
        if (wl_lock_file(f->mf_fd, exclusive ? 1 : 0, 0) == 0)
            return true;
        wl_sleep_ms(kPollMs);
    }
    if (!*announced) {
        db_print_locked(name);
        fflush(stdout);
        *announced = true;
    }
    wl_lock_file(f->mf_fd, exclusive ? 1 : 0, 1);
    return true;
}

bool db_lock_is_live(const char *name)
{
    mmap_file_t *f = mmap_file_open(name, 0);
    if (f == nullptr)
        return false;
    bool live = false;
    if (f->mf_fd >= 0) {
        live = wl_lock_file(f->mf_fd, 1, 0) != 0;
        if (!live)
            wl_unlock_file(f->mf_fd);
    }
    mmap_file_close(f);
    return live;
}
