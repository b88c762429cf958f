// -filelist: the database's file table, by file id.
#include "driver/report_reader.h"
#include "driver/tvt_output.h"

#include "wrenlib/fmt.h"

namespace rpt {

void filelist_view(const view_t &v, FILE *out)
{
    std::vector<const char *> names = read_file_table(v);
    for (size_t id = 0; id < names.size(); id++)
        if (names[id])
            wl_fprintf(out, "%d: %s\n", (int)id, names[id]);
}

} // namespace rpt

extern "C" int report_filelist(const char *tag_file)
{
    rpt::view_t v;
    tvt_db_t *db = rpt::open_for_report(tag_file, v);
    if (!db)
        return 1;
    rpt::filelist_view(v, stdout);
    tvt_close(db);
    fflush(stdout);
    return 0;
}
