// -info and -info2: the header and every tag index block of the chain,
// with -info2 also every record.
#include "driver/report_reader.h"
#include "driver/tvt_output.h"

#include "db/tvt_format.h"
#include "scan/tvt_settings.h"
#include "wrenlib/fmt.h"

namespace rpt {

namespace {

const char *database_name(const view_t &v)
{
    uint32_t blk = v.hdr32(TH_NAME_BLOCK);
    if (blk == 0 || !v.has(blk, 8))
        return "<not-defined>";
    uint32_t ref = v.u32(blk + 4);
    const char *name = ref ? v.cstr(ref) : nullptr;
    return name ? name : "<not-defined>";
}

const char *file_label(const std::vector<const char *> &files, uint32_t id)
{
    if (id == FILE_ID_NONE)
        return " (FREE)";
    if (id == FILE_ID_PENDING)
        return " (pending delete)";
    if (id >= files.size() || !files[id])
        return " (unknown)";
    return files[id];
}

} // namespace

void info_view(const view_t &v, FILE *out, bool records, bool list_free)
{
    wl_fprintf(out, "Name: %s\n", database_name(v));
    wl_fprintf(out, "Flags: %08lx\n", (unsigned long)v.hdr32(TH_FLAGS));
    wl_fprintf(out, "        Type TID      Used/Size TSize FID\n");

    std::vector<const char *> files = read_file_table(v);
    chain_guard_t guard;
    block_t b;
    for (uint32_t off = v.hdr32(TH_FIRST_BLOCK); off != 0; off = b.next) {
        if (!guard.first_visit(off) || !read_block(v, off, b))
            break;
        wl_fprintf(out, "%06lx: %-4d %-8ld %4d/%4d %-5d %ld %s\n", (unsigned long)b.off, (int)b.kind,
                   (long)b.first_tid, (int)b.used, (int)b.slots, (int)b.rec_size, (long)b.file_id,
                   file_label(files, b.file_id));
        if (records && b.file_id != FILE_ID_NONE) {
            bool damaged = false;
            info_records(v, out, b, list_free, damaged);
            if (damaged)
                break;
        }
    }
}

} // namespace rpt

extern "C" int report_info(const char *tag_file, int records)
{
    rpt::view_t v;
    tvt_db_t *db = rpt::open_for_report(tag_file, v);
    if (!db)
        return 1;
    rpt::info_view(v, stdout, records != 0, tvt_opt.list_free != 0);
    tvt_close(db);
    fflush(stdout);
    return 0;
}
