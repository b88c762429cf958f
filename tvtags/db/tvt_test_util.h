#ifndef TVTAGS_DB_TVT_TEST_UTIL_H
#define TVTAGS_DB_TVT_TEST_UTIL_H
/* Helpers shared by the database tests: a private directory per test (the
 * marker file goes there too), building tag entries, and reading a file's
 * tags back from the stored bytes without the engine. */
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "wrenlib/byteorder.h"
#include "wrenlib/list.h"
#include "db/tvt_check.h"
#include "db/tvt_format.h"
#include "db/tvt_io.h"

namespace tvt_test {

inline void set_env(const char *key, const char *value)
{
#ifdef _WIN32
    std::string s = std::string(key) + "=" + (value ? value : "");
    _putenv(s.c_str());
#else
    if (value)
        setenv(key, value, 1);
    else
        unsetenv(key);
#endif
}

inline std::string unique_dir()
{
    static std::atomic<int> serial{0};
    namespace fs = std::filesystem;
    for (;;) {
        fs::path p = fs::temp_directory_path() /
                     ("tvtdb-" + std::to_string(rand()) + "-" + std::to_string(serial++));
        std::error_code ec;
        if (fs::create_directory(p, ec))
            return p.string();
    }
}

/* Tests get their own directory and marker, and no in-use wait. */
class DbTest : public ::testing::Test {
  protected:
    std::string dir;
    void SetUp() override
    {
        srand((unsigned) ::testing::UnitTest::GetInstance()->random_seed() +
              (unsigned) std::hash<std::string>()(
                  ::testing::UnitTest::GetInstance()->current_test_info()->name()));
        dir = unique_dir();
        set_env("TVCONFIG", dir.c_str());
        set_env("TV_TAG_TIMEOUT", "0");
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string path(const char *name) const { return dir + "/" + name; }
    std::string marker() const { return path("tag-state"); }

    tvt_db_t *open_w(const std::string &p, const char *db_name = nullptr)
    {
        int err = 0;
        tvt_db_t *db = tvt_open(p.c_str(), TVT_OPEN_WRITE, db_name, &err);
        EXPECT_NE(db, nullptr) << "error " << err;
        return db;
    }
};

// A test on one database, "tags", opened for writing for each case.
class OpenDbTest : public DbTest {
  protected:
    tvt_db_t *db = nullptr;
    void SetUp() override
    {
        DbTest::SetUp();
        db = open_w(path("tags"));
        ASSERT_NE(db, nullptr);
    }
    void TearDown() override
    {
        tvt_close(db);
        DbTest::TearDown();
    }
};

inline std::vector<unsigned char> read_bytes(const std::string &p)
{
    std::vector<unsigned char> out;
    FILE *fp = fopen(p.c_str(), "rb");
    if (!fp)
        return out;
    unsigned char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, fp)) > 0)
        out.insert(out.end(), buf, buf + n);
    fclose(fp);
    return out;
}

inline void write_bytes(const std::string &p, const std::vector<unsigned char> &b)
{
    FILE *fp = fopen(p.c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    if (!b.empty())
        fwrite(b.data(), 1, b.size(), fp);
    fclose(fp);
}

inline bool exists(const std::string &p)
{
    std::error_code ec;
    return std::filesystem::exists(p, ec);
}

/* "" when the checker accepts, else its report. */
inline std::string check(const tvt_db_t *db)
{
    char msg[2048];
    int n = tvt_check_db(db, msg, sizeof msg);
    return n == 0 ? std::string() : std::to_string(n) + " problems:\n" + msg;
}
inline std::string check_file(const std::string &p)
{
    char msg[2048];
    int n = tvt_check_file(p.c_str(), msg, sizeof msg);
    return n == 0 ? std::string() : std::to_string(n) + " problems:\n" + msg;
}

/* A tag as a scanner would hand it over. */
struct Tag {
    std::string name;
    uint32_t line = 1;
    int type = TT_FUNCTION;
    uint32_t flags = 0;
    int parent = -1;   // handle of the parent
    std::optional<std::string> type_text, args;
    std::vector<std::string> inherit;

    Tag() = default;
    Tag(std::string n, uint32_t l, int t = TT_FUNCTION, uint32_t f = 0, int p = -1)
        : name(std::move(n)), line(l), type(t), flags(f), parent(p)
    {
    }
    Tag &texts(std::optional<std::string> ty, std::optional<std::string> ar)
    {
        type_text = std::move(ty);
        args = std::move(ar);
        return *this;
    }
    Tag &bases(std::vector<std::string> b)
    {
        inherit = std::move(b);
        return *this;
    }
};

/* Hands t to sink(target, entry) as a scanner's tag entry. */
template <typename T>
int add_to(T *target, int (*sink)(T *, const tag_entry_t *), const Tag &t)
{
    tag_entry_t e;
    memset(&e, 0, sizeof e);
    e.te_name = t.name.c_str();
    e.te_file = "";
    e.te_type = (uint16_t) t.type;
    e.te_line = t.line;
    e.te_parent = t.parent;
    e.te_type_text = t.type_text ? t.type_text->c_str() : nullptr;
    e.te_args = t.args ? t.args->c_str() : nullptr;
    e.te_flags = t.flags;
    Head_p list = nullptr;
    if (!t.inherit.empty()) {
        list = ll_newlist();
        for (const std::string &s : t.inherit)
            ll_append(list, ll_newatom((void *) s.c_str()));
    }
    e.te_inherit = list;
    int h = sink(target, &e);
    if (list) {
        while (List_p lp = ll_pop(list))
            ll_freeatom(lp);
        ll_freelist(list);
    }
    return h;
}

inline int add(tvt_db_t *db, const Tag &t)
{
    return add_to(db, tvt_add_tag, t);
}

inline int add(tvt_stage_t *st, const Tag &t)
{
    return add_to(st, tvt_stage_add, t);
}

/* A tag as read back from the bytes; the parent is given by its name and
 * line, found through the tag number. */
struct Stored {
    std::string name;
    uint32_t line;
    int type;
    uint32_t flags;
    std::string parent;   // "name:line", or "" for none
    std::string text;     // the text chunk's strings joined with '|'
    bool operator<(const Stored &o) const
    {
        return std::tie(name, line, type, flags, parent, text) <
               std::tie(o.name, o.line, o.type, o.flags, o.parent, o.text);
    }
    bool operator==(const Stored &o) const
    {
        return std::tie(name, line, type, flags, parent, text) ==
               std::tie(o.name, o.line, o.type, o.flags, o.parent, o.text);
    }
};

inline std::ostream &operator<<(std::ostream &os, const Stored &s)
{
    return os << s.name << "@" << s.line << " t" << s.type << " f" << s.flags << " p[" << s.parent << "] x["
              << s.text << "]";
}

inline std::string name_at(const unsigned char *b, uint32_t ref)
{
    if (ref == 0)
        return "";
    if (ref < 256)
        return std::string(1, (char) ref);
    return std::string((const char *) b + ref + 2);
}

/* A definition's text: for a structure or class the list of bases (tests
 * give those types no type or argument text), otherwise the two strings. */
inline std::string text_at(const unsigned char *b, uint32_t ref, int type)
{
    if (ref == 0)
        return "";
    std::string out;
    const char *p = (const char *) b + ref;
    if (type == TT_STRUCT || type == TT_CLASS) {
        for (; *p; p += strlen(p) + 1)
            out += std::string(p) + "|";
        return out;
    }
    out = p;
    out += '|';
    out += p + strlen(p) + 1;
    out += '|';
    return out;
}

/* Every tag of a file id, definitions and cross-references, sorted. */
inline std::vector<Stored> stored_tags(const unsigned char *b, size_t size, int id)
{
    (void) size;
    struct Blk {
        uint32_t off, tid, n, rec, fid;
    };
    std::vector<Blk> blocks;
    for (uint32_t off = LGET32(b + TH_FIRST_BLOCK); off; off = LGET32(b + off + TI_NEXT))
        blocks.push_back({off, LGET32(b + off + TI_FIRST_TID), LGET16(b + off + TI_SIZE), b[off + TI_REC_SIZE],
                          LGET24(b + off + TI_FILE_ID)});
    auto rec_at = [&](uint32_t tid) -> std::string {
        for (const Blk &k : blocks)
            if (tid >= k.tid && tid < k.tid + k.n && k.rec == TAG_DEF_SIZE) {
                const unsigned char *r = b + k.off + TI_RECORDS + (tid - k.tid) * k.rec;
                return name_at(b, LGET32(r)) + ":" + std::to_string(LGET24(r + 4));
            }
        return "?";
    };
    std::vector<Stored> out;
    for (const Blk &k : blocks) {
        if (k.fid != (uint32_t) id)
            continue;
        for (uint32_t i = 0; i < k.n; i++) {
            const unsigned char *r = b + k.off + TI_RECORDS + i * k.rec;
            Stored s;
            s.name = name_at(b, LGET32(r));
            s.line = LGET24(r + 4);
            if (k.rec == TAG_XREF_SIZE) {
                s.type = TT_XREF;
                s.flags = 0;
            } else {
                s.type = r[TD_TYPE];
                s.flags = LGET16(r + TD_FLAGS);
                uint32_t p = LGET32(r + TD_PARENT);
                s.parent = p == PARENT_NONE ? "" : rec_at(p);
                s.text = text_at(b, LGET32(r + TD_TEXT), s.type);
            }
            out.push_back(s);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

inline std::vector<Stored> stored_tags(const tvt_db_t *db, const std::string &file)
{
    int id = tvt_find_file((tvt_db_t *) db, file.c_str());
    if (id < 0)
        return {};
    return stored_tags(tvt_base(db), tvt_size(db), id);
}

/* What stored_tags gives for tags added in order (handles are positions in
 * `tags`, parents indexes into it). */
inline Stored expect_stored(const std::vector<Tag> &tags, const std::vector<int> &parent_index, size_t i)
{
    const Tag &t = tags[i];
    Stored s;
    s.name = t.name;
    s.line = t.line;
    s.type = t.type;
    s.flags = t.type == TT_XREF ? 0 : (t.flags & 0xFFFF);
    if (t.type != TT_XREF && parent_index[i] >= 0)
        s.parent = tags[(size_t) parent_index[i]].name + ":" + std::to_string(tags[(size_t) parent_index[i]].line);
    if (t.type != TT_XREF) {
        if ((t.type == TT_STRUCT || t.type == TT_CLASS) && !t.inherit.empty()) {
            for (const std::string &n : t.inherit)
                s.text += n + "|";
        } else if ((t.type_text && !t.type_text->empty()) || (t.args && !t.args->empty())) {
            s.text = t.type_text.value_or("") + "|" + t.args.value_or("") + "|";
        }
    }
    return s;
}

struct BlockInfo {
    uint32_t off, tid, slots, used, rec, kind, file;
};

/* The chain of all blocks, in order. */
inline std::vector<BlockInfo> blocks(const tvt_db_t *db)
{
    const unsigned char *b = tvt_base(db);
    std::vector<BlockInfo> out;
    for (uint32_t off = LGET32(b + TH_FIRST_BLOCK); off && out.size() < 1000000; off = LGET32(b + off + TI_NEXT))
        out.push_back({off, LGET32(b + off + TI_FIRST_TID), LGET16(b + off + TI_SIZE), LGET16(b + off + TI_USED),
                       b[off + TI_REC_SIZE], b[off + TI_KIND], LGET24(b + off + TI_FILE_ID)});
    return out;
}

/* One scanned file: begin, the tags, end; returns the handles. */
inline std::vector<int> scan(tvt_db_t *db, const std::string &file, uint32_t mtime, const std::vector<Tag> &tags)
{
    std::vector<int> handles;
    tvt_begin_file(db, file.c_str(), mtime);
    for (const Tag &t : tags)
        handles.push_back(add(db, t));
    tvt_end_file(db);
    return handles;
}

inline uint32_t header(const tvt_db_t *db, uint32_t field)
{
    return LGET32(tvt_base(db) + field);
}

inline uint32_t counter(const tvt_db_t *db, int type, bool total)
{
    const unsigned char *b = tvt_base(db);
    return LGET32(b + LGET32(b + TH_TYPE_STATS) + type * TYPE_STAT_SIZE + (total ? TS_TOTAL : TS_NOPARENT));
}

} // namespace tvt_test

#endif
