#ifndef TVTAGS_DRIVER_REPORT_READER_H
#define TVTAGS_DRIVER_REPORT_READER_H
// A reader over the bytes of a tag database for the reports.  The reports
// are often pointed at files that are damaged or cut short, so every
// offset is checked against the file's size before it is read, and every
// chain is guarded against looping back on itself: a report stops where the
// damage is instead of reading outside the mapping.  Private to the driver.
#include <cstdint>
#include <cstdio>
#include <unordered_set>
#include <vector>

#include "db/tvt_io.h"

namespace rpt {

// A shared name entry starts with its 16-bit reference count.
constexpr uint32_t NAME_TEXT_AT = 2;

struct view_t {
    const unsigned char *base = nullptr;
    uint64_t size = 0;

    bool has(uint64_t off, uint64_t len) const { return off <= size && len <= size - off; }
    // The unchecked reads below come after a has() of the whole structure.
    uint32_t u8(uint64_t off) const { return base[off]; }
    uint32_t u16(uint64_t off) const;
    uint32_t u24(uint64_t off) const;
    uint32_t u32(uint64_t off) const;
    // A header field, or 0 when the file is too short to hold it.
    uint32_t hdr32(uint32_t field) const;
    // The NUL-terminated string at off, or null unless it ends inside the file.
    const char *cstr(uint64_t off) const;
};

// Remembers the offsets a walk has visited; a second visit ends the walk.
class chain_guard_t {
public:
    bool first_visit(uint32_t off) { return seen_.insert(off).second; }

private:
    std::unordered_set<uint32_t> seen_;
};

// A tag index block's header.
struct block_t {
    uint32_t off;          // the block's reference (its payload)
    uint32_t next;
    uint32_t next_free;
    uint32_t used;
    uint32_t slots;
    uint32_t first_tid;
    uint32_t rec_size;
    uint32_t kind;
    uint32_t file_id;
};

// One record slot of a block.
struct slot_t {
    uint32_t name;
    uint32_t line;
    uint32_t type;         // the block's kind, or a definition's type byte
    bool def;              // an 18-byte record: the fields below are valid
    uint32_t flags;
    uint32_t parent;
    uint32_t text;
};

// False unless the block header lies inside the file and its record size is
// one of the two the format knows.
bool read_block(const view_t &v, uint32_t off, block_t &b);
// False when the slot would end beyond the file.
bool read_slot(const view_t &v, const block_t &b, uint32_t i, slot_t &s);

// Resolves a name reference: true with *out the name (null for none), false
// when the reference is damaged.
bool tag_name(const view_t &v, uint32_t ref, const char **out);
// A definition's text: its first two strings, both ending inside the file.
bool def_text(const view_t &v, uint32_t ref, const char **type, const char **args);

// The file table by id; a null name is a free slot.  The table ends early
// where a block or a name lies outside the file.
std::vector<const char *> read_file_table(const view_t &v);

// A tag type's name, "?" outside the table.
const char *type_name(uint32_t type);

// The free-space lists, shared by -freelist and -stats.
struct free_totals_t {
    long long bytes[4];
    long long blocks[4];
};
void walk_free_lists(const view_t &v, FILE *out, bool per_block, free_totals_t &totals);
void print_free_totals(FILE *out, const free_totals_t &totals);

// -info2's records of one block; sets damaged when a record cannot be read.
void info_records(const view_t &v, FILE *out, const block_t &b, bool list_free, bool &damaged);

// The reports over a file's bytes.
int list_view(const view_t &v, FILE *out, int mode, const char *symbol, bool list_free);
void filelist_view(const view_t &v, FILE *out);
void info_view(const view_t &v, FILE *out, bool records, bool list_free);
void freelist_view(const view_t &v, FILE *out);
void stats_view(const view_t &v, FILE *out);

// Opens a database read-only for a report.  On failure prints the dump
// failure message and returns null.
tvt_db_t *open_for_report(const char *name, view_t &v);

} // namespace rpt

#endif
