// The database writer on a damaged existing file.  The bytes become a tag
// file; it is opened for writing, a file with a few related tags is added
// and one of the files it already lists is removed.  Whatever the bytes, the
// writer must refuse the file without changing it, or start afresh, or
// leave a file the integrity checker accepts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "db/tvt_check.h"
#include "db/tvt_io.h"
#include "fuzz_util.h"
#include "wrenlib/list.h"

namespace {

int add(tvt_db_t *db, const char *name, int type, uint32_t line, int parent, Head_p inherit = nullptr)
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

void add_file(tvt_db_t *db)
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

[[noreturn]] void complain(const char *what, const char *msg)
{
    fprintf(stderr, "db_writer: %s\n%s\n", what, msg ? msg : "");
    abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::scratch_dir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string path = fuzz::scratch_dir() + "/tags";
    remove(path.c_str());
    if (!fuzz::write_file(path, data, size))
        return 0;

    tvt_db_t *db = nullptr;
    int status = fuzz::guard_exit([&] {
        int err = 0;
        db = tvt_open(path.c_str(), TVT_OPEN_WRITE, nullptr, &err);
        if (!db)
            return;
        add_file(db);
        // Removing a file the damaged table names walks its old records.
        const char *name = nullptr;
        uint32_t mtime = 0;
        if (tvt_file_at(db, 0, &name, &mtime) > 0 && name && strcmp(name, "fuzz/added.c") != 0) {
            std::string copy = name;
            tvt_remove_file(db, copy.c_str());
        }
        tvt_close(db);
        db = nullptr;
    });
    (void) status;  // an exit() during the run must leave a sound file too

    std::vector<char> msg(2048);
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        complain("the tag file is gone", nullptr);
    std::vector<uint8_t> now;
    for (int c; (c = fgetc(f)) != EOF;)
        now.push_back(uint8_t(c));
    fclose(f);
    bool unchanged = now.size() == size && (size == 0 || memcmp(now.data(), data, size) == 0);
    if (unchanged)
        return 0;   // refused, untouched
    if (tvt_check(now.data(), now.size(), msg.data(), msg.size()) != 0)
        complain("the writer left a file the checker rejects:", msg.data());
    return 0;
}
