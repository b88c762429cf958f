// -freelist: the four free lists with their consistency checks, the chain
// of free tag index blocks, and the totals (which -stats prints too).
#include "driver/report_reader.h"
#include "driver/tvt_output.h"

#include "db/tvt_format.h"
#include "wrenlib/fmt.h"

namespace rpt {

namespace {

struct free_list_t {
    int label;
    uint32_t head;
};

constexpr free_list_t free_lists[4] = {
    {0, TH_FREE1}, {128, TH_FREE2}, {1024, TH_FREE3}, {9999, TH_FREE4}};

void walk_one(const view_t &v, FILE *out, bool per_block, const free_list_t &list, long long &bytes,
              long long &blocks)
{
    chain_guard_t guard;
    uint32_t off = v.hdr32(list.head);
    while (off != 0) {
        // An offset seen before means the list has turned back on itself;
        // the out-of-order check has already said so.
        if (!guard.first_visit(off))
            return;
        if (!v.has(off, TAG_FREE_SIZE)) {
            wl_fprintf(out, " ERROR: next pointer is out of bounds\n");
            return;
        }
        uint32_t next = v.u32(off + TF_NEXT);
        uint32_t size = v.u32(off + TF_SIZE);
        uint64_t end = (uint64_t)off + size;
        bytes += size;
        blocks++;
        if (per_block) {
            wl_fprintf(out, "%d %08lx size=%04lx [=%04lx]  next=0x%06lx\n", list.label, (unsigned long)off,
                       (unsigned long)size, (unsigned long)end, (unsigned long)next);
            if (next != 0) {
                if (end == next)
                    wl_fprintf(out, " ERROR: Missed opportunity...\n");
                if (next < off)
                    wl_fprintf(out, " ERROR: Out of order...\n");
                if (next < end)
                    wl_fprintf(out, " ERROR: Overlapping free block...\n");
            }
            if (size < TAG_FREE_SIZE)
                wl_fprintf(out, " ERROR: FRAGMENT IS TOO SMALL (MIN=%d)\n", TAG_FREE_SIZE);
        }
        off = next;
    }
}

void walk_index_free(const view_t &v, FILE *out)
{
    wl_fprintf(out, "Index freelist:\n");
    chain_guard_t guard;
    for (uint32_t off = v.hdr32(TH_FREE_INDEX); off != 0;) {
        if (!guard.first_visit(off))
            return;
        if (!v.has(off, TI_RECORDS)) {
            wl_fprintf(out, " ERROR: next pointer is out of bounds\n");
            return;
        }
        uint32_t next_free = v.u32(off + TI_NEXT_FREE);
        wl_fprintf(out, "    %08lx file_id=%02lx ti_size=%04x next=%04lx nextfree=%04lx\n",
                   (unsigned long)off, (unsigned long)v.u24(off + TI_FILE_ID), (unsigned)v.u16(off + TI_SIZE),
                   (unsigned long)v.u32(off + TI_NEXT), (unsigned long)next_free);
        off = next_free;
    }
}

} // namespace

void walk_free_lists(const view_t &v, FILE *out, bool per_block, free_totals_t &totals)
{
    totals = free_totals_t{};
    for (int i = 0; i < 4; i++) {
        wl_fprintf(out, "\n");
        walk_one(v, out, per_block, free_lists[i], totals.bytes[i], totals.blocks[i]);
    }
    walk_index_free(v, out);
}

void print_free_totals(FILE *out, const free_totals_t &totals)
{
    for (int i = 0; i < 4; i++) {
        int bytes = (int)totals.bytes[i], blocks = (int)totals.blocks[i];
        wl_fprintf(out, "Freelist %4d: bytes free: %d (0x%04x) number of chunks: %d (0x%04x)\n",
                   free_lists[i].label, bytes, bytes, blocks, blocks);
    }
}

void freelist_view(const view_t &v, FILE *out)
{
    free_totals_t totals;
    walk_free_lists(v, out, true, totals);
    print_free_totals(out, totals);
}

} // namespace rpt

extern "C" int report_freelist(const char *tag_file)
{
    rpt::view_t v;
    tvt_db_t *db = rpt::open_for_report(tag_file, v);
    if (!db)
        return 1;
    rpt::free_totals_t totals;
    rpt::walk_free_lists(v, stdout, true, totals);
    tvt_close(db);
    rpt::print_free_totals(stdout, totals);
    fflush(stdout);
    return 0;
}
