#ifndef TVTAGS_FUZZ_DB_WRITER_RUN_H
#define TVTAGS_FUZZ_DB_WRITER_RUN_H
// What the db_writer fuzz target does to a tag file, and how its result is
// judged; the unit tests replay the kept inputs through the same two.
//
// The writer is opened on the file, a file with a few related tags is
// added, the first file the table names is removed (which walks its old
// records), and the database is closed.
//
// The verdict.  A writer may refuse the file and leave it untouched, or
// start it afresh, or build on it.  What it builds on a sound file must be
// sound.  A writer does not read every record at open (that costs as much
// as the file), so damage inside the records of files it leaves alone can
// survive it; what it must never leave damaged are the structures it walks
// and changes, which the checker's structure mode examines.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "db/tvt_check.h"
#include "db/tvt_io.h"
#include "wrenlib/list.h"

namespace db_writer_run {

inline int add(tvt_db_t *db, const char *name, int type, uint32_t line, int parent, Head_p inherit = nullptr)
{
    tag_entry_t e;
    memset(&e, 0, sizeof e);
    e.te_name = name;
    e.te_file = "";
    e.te_type = uint16_t(type);
    e.te_line = line;
    e.te_parent = parent;
    e.te_line_text = "int x;";
    e.te_inherit = inherit;
    return tvt_add_tag(db, &e);
}

inline void add_file(tvt_db_t *db)
{
    tvt_begin_file(db, "fuzz/added.c", 1000);
    add(db, "main", TT_FUNCTION, 3, -1);
    int s = add(db, "point", TT_STRUCT, 7, -1);
    add(db, "x", TT_MEMBER, 8, s);
    Head_p bases = ll_newlist();
    ll_append(bases, ll_newatom(const_cast<char *>("point")));
    add(db, "point3", TT_CLASS, 12, -1, bases);
    while (List_p lp = ll_pop(bases))
        ll_freeatom(lp);
    ll_freelist(bases);
    add(db, "LIMIT", TT_DEFINE, 1, -1);
    tvt_end_file(db);
}

// Open, add, remove, close.  *db is set while the database is open, so a
// caller that catches an exit() can tell.
inline void writer_pass(const char *path, tvt_db_t **db)
{
    int err = 0;
    *db = tvt_open(path, TVT_OPEN_WRITE, nullptr, &err);
    if (*db == nullptr)
        return;
    add_file(*db);
    const char *name = nullptr;
    uint32_t mtime = 0;
    if (tvt_file_at(*db, 0, &name, &mtime) > 0 && name && strcmp(name, "fuzz/added.c") != 0) {
        std::string copy = name;
        tvt_remove_file(*db, copy.c_str());
    }
    tvt_close(*db);
    *db = nullptr;
}

// "" when the bytes the writer left are acceptable for the bytes it was
// given, else why not.
inline std::string verdict(const std::vector<uint8_t> &before, const std::vector<uint8_t> &after)
{
    if (after == before)
        return "";
    std::vector<char> msg(2048);
    if (tvt_check(after.data(), after.size(), msg.data(), msg.size()) == 0)
        return "";
    if (tvt_check(before.data(), before.size(), nullptr, 0) == 0)
        return std::string("a sound file was left damaged:\n") + msg.data();
    if (tvt_check_mode(after.data(), after.size(), TVT_CHECK_STRUCTURE, msg.data(), msg.size()) != 0)
        return std::string("the writer left damaged structures:\n") + msg.data();
    return "";
}

} // namespace db_writer_run

#endif
