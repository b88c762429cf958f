// -list, -lookup and -bitmap: one walk over every record of the database.
#include "driver/report_reader.h"
#include "driver/tvt_output.h"

#include <cstring>

#include "db/tvt_format.h"
#include "scan/tvt_settings.h"
#include "wrenlib/fmt.h"

namespace rpt {

namespace {

// Prints one record as -list shows it; -info2 indents the same text.
void print_record(FILE *out, const char *indent, const block_t &b, uint32_t i, const slot_t &s,
                  const char *name)
{
    wl_fprintf(out, "%s%04lx: %-24s file#%04lx(%ld) %s type=%02x", indent,
               (unsigned long)(b.first_tid + i), name ? name : "<blank>", (unsigned long)b.file_id,
               (long)s.line, s.line == 0 ? "--FREE--" : type_name(s.type), (unsigned)s.type);
}

void print_bitmap(FILE *out, uint32_t off, const bool seen[256])
{
    wl_fprintf(out, "%08lx: ", (unsigned long)off);
    for (int c = 33; c <= 126; c++)
        wl_fprintf(out, "%c", seen[c] ? c : ' ');
    wl_fprintf(out, "\n");
}

} // namespace

int list_view(const view_t &v, FILE *out, int mode, const char *symbol, bool list_free)
{
    int printed = 0;
    chain_guard_t guard;
    block_t b;
    for (uint32_t off = v.hdr32(TH_FIRST_BLOCK); off != 0; off = b.next) {
        if (!guard.first_visit(off) || !read_block(v, off, b))
            break;
        if (b.file_id == FILE_ID_NONE) {
            if (mode != REPORT_LOOKUP)
                wl_fprintf(out, "  FREE BLOCK\n");
            continue;
        }
        bool seen[256] = {};
        for (uint32_t i = 0; i < b.slots; i++) {
            slot_t s;
            const char *name, *type_text = nullptr, *args = nullptr;
            if (!read_slot(v, b, i, s) || !tag_name(v, s.name, &name))
                return printed;
            if (s.line == 0 && !list_free)
                continue;
            if (mode == REPORT_BITMAP) {
                if (name)
                    seen[(unsigned char)name[0]] = true;
                continue;
            }
            if (mode == REPORT_LOOKUP && !(name && symbol && strcmp(name, symbol) == 0))
                continue;
            if (s.def && s.text != 0 && !def_text(v, s.text, &type_text, &args))
                return printed;
            print_record(out, "", b, i, s, name);
            if (s.def) {
                if (s.flags != 0)
                    wl_fprintf(out, " flags=%04x", (unsigned)s.flags);
                wl_fprintf(out, " parent=%06lx\n", (unsigned long)s.parent);
                if (type_text)
                    wl_fprintf(out, "type='%s' args='%s'", type_text, args);
            }
            wl_fprintf(out, "\n");
            printed++;
        }
        if (mode == REPORT_BITMAP)
            print_bitmap(out, b.off, seen);
    }
    return printed;
}

// -info2 shows the records of a block with the text -list uses, indented.
void info_records(const view_t &v, FILE *out, const block_t &b, bool list_free, bool &damaged)
{
    for (uint32_t i = 0; i < b.slots; i++) {
        slot_t s;
        const char *name, *type_text = nullptr, *args = nullptr;
        if (!read_slot(v, b, i, s) || !tag_name(v, s.name, &name)) {
            damaged = true;
            return;
        }
        if (s.line == 0 && !list_free)
            continue;
        if (s.def && s.text != 0 && !def_text(v, s.text, &type_text, &args)) {
            damaged = true;
            return;
        }
        print_record(out, "    ", b, i, s, name);
        if (type_text) {
            wl_fprintf(out, " flags=%04x parent=%06lx\n", (unsigned)s.flags, (unsigned long)s.parent);
            wl_fprintf(out, "type='%s' args='%s'", type_text, args);
        }
        wl_fprintf(out, "\n");
    }
}

} // namespace rpt

extern "C" int report_list(const char *tag_file, int mode, const char *symbol)
{
    rpt::view_t v;
    tvt_db_t *db = rpt::open_for_report(tag_file, v);
    if (!db)
        return 1;
    int printed = rpt::list_view(v, stdout, mode, symbol, tvt_opt.list_free != 0);
    tvt_close(db);
    fflush(stdout);
    if (mode == REPORT_LOOKUP)
        return printed != 0 ? 1 : 0;
    return 0;
}
