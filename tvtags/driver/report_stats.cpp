// -stats: per-type counts and sizes of the records, the file count and the
// free-space totals.
#include "driver/report_reader.h"
#include "driver/tvt_output.h"

#include <cstring>
#include <ctime>

#include "db/tvt_format.h"
#include "wrenlib/fmt.h"

namespace rpt {

namespace {

struct type_totals_t {
    long long count;
    long long bytes;
    long long longest;
    long long text_bytes;
    long long longest_text;
    long long children;
};

struct stats_t {
    type_totals_t types[TYPE_STAT_COUNT];
    long long slots;
    long long free_slots;
};

// Counting a large database takes a while; a line a second shows progress.
struct progress_t {
    FILE *out;
    time_t last;
    void tick(long long scanned)
    {
        time_t now = time(nullptr);
        if (now == last)
            return;
        last = now;
        wl_fprintf(out, "  (scanned %d tags so far)\n", (int)scanned);
        fflush(out);
    }
};

void count_slot(const view_t &v, stats_t &st, const block_t &b, const slot_t &s)
{
    st.slots++;
    // The slots of a freed block hold filler, not tags.
    if (s.line == 0 || b.file_id == FILE_ID_NONE) {
        st.free_slots++;
        return;
    }
    if (s.type >= TYPE_STAT_COUNT)
        return;
    type_totals_t &t = st.types[s.type];
    t.count++;
    // One-character names are held in the reference and take no space.
    if (s.name >= NAME_REF_MIN) {
        if (const char *name = v.cstr((uint64_t)s.name + NAME_TEXT_AT)) {
            long long len = (long long)strlen(name);
            t.bytes += len + 1;
            if (len > t.longest)
                t.longest = len;
        }
    }
    if (!s.def)
        return;
    if (s.parent != PARENT_NONE)
        t.children++;
    const char *type_text, *args;
    if (s.text != 0 && def_text(v, s.text, &type_text, &args)) {
        long long len = (long long)(strlen(type_text) + 1 + strlen(args) + 1);
        t.text_bytes += len;
        if (len > t.longest_text)
            t.longest_text = len;
    }
}

void count_blocks(const view_t &v, stats_t &st, progress_t &progress)
{
    chain_guard_t guard;
    block_t b;
    for (uint32_t off = v.hdr32(TH_FIRST_BLOCK); off != 0; off = b.next) {
        if (!guard.first_visit(off) || !read_block(v, off, b))
            return;
        for (uint32_t i = 0; i < b.slots; i++) {
            slot_t s;
            if (!read_slot(v, b, i, s))
                return;
            count_slot(v, st, b, s);
            if ((st.slots & 1023) == 0)
                progress.tick(st.slots);
        }
    }
}

long pct(long long part, long long whole)
{
    return whole > 0 ? (long)(part * 100 / whole) : 0;
}

} // namespace

void stats_view(const view_t &v, FILE *out)
{
    stats_t *st = new stats_t{};
    progress_t progress{out, time(nullptr)};
    count_blocks(v, *st, progress);

    // Free slots are neither tags in use nor part of any type's share.
    long long in_use = st->slots - st->free_slots;
    wl_fprintf(out, "Tags statistics:\n");
    wl_fprintf(out, "%-13s %%age %7s %7s %7s    (%-7s %-7s %-7s)\n", "Type", "Count", "Bytes", "Longest",
               "Typelen", "LngType", "Children");
    for (uint32_t t = 0; t < TYPE_STAT_COUNT; t++) {
        const type_totals_t &tt = st->types[t];
        if (tt.count == 0)
            continue;
        wl_fprintf(out, "%-13s %3ld%% %7ld %7ld %7ld    (%7ld %7ld %8ld)\n", type_name(t),
                   pct(tt.count, in_use), (long)tt.count, (long)tt.bytes, (long)tt.longest,
                   (long)tt.text_bytes, (long)tt.longest_text, (long)tt.children);
    }
    wl_fprintf(out, "\n");
    wl_fprintf(out, "Tags in use: %d   Free slots: %d\n", (int)in_use, (int)st->free_slots);

    int files = 0;
    for (const char *name : read_file_table(v))
        files += name != nullptr;
    wl_fprintf(out, "Files: %d\n", files);

    free_totals_t totals;
    walk_free_lists(v, out, false, totals);
    print_free_totals(out, totals);
    wl_fprintf(out, "File size: %ld\n", (long)v.size);
    delete st;
}

} // namespace rpt

extern "C" int report_stats(const char *tag_file)
{
    rpt::view_t v;
    tvt_db_t *db = rpt::open_for_report(tag_file, v);
    if (!db)
        return 1;
    rpt::stats_view(v, stdout);
    tvt_close(db);
    fflush(stdout);
    return 0;
}
