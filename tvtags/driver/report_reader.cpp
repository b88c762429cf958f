// Checked reads over a tag database for the reports.
#include "driver/report_reader.h"

#include <cerrno>
#include <cstring>

#include "db/tvt_format.h"
#include "scan/tvt_lang.h"
#include "scan/tvt_tag.h"
#include "wrenlib/byteorder.h"
#include "wrenlib/fmt.h"

namespace rpt {

namespace {

// One-character names live in the reference itself; these give them a
// terminated text to print.
struct one_char_names_t {
    char text[256][2];
    one_char_names_t()
    {
        for (int i = 0; i < 256; i++) {
            text[i][0] = (char)i;
            text[i][1] = '\0';
        }
    }
};

const one_char_names_t one_char_names;

} // namespace

uint32_t view_t::u16(uint64_t off) const
{
    return LGET16(base + off);
}

uint32_t view_t::u24(uint64_t off) const
{
    return LGET24(base + off);
}

uint32_t view_t::u32(uint64_t off) const
{
    return LGET32(base + off);
}

uint32_t view_t::hdr32(uint32_t field) const
{
    return has(field, 4) ? u32(field) : 0;
}

const char *view_t::cstr(uint64_t off) const
{
    if (off >= size)
        return nullptr;
    const void *nul = memchr(base + off, 0, (size_t)(size - off));
    return nul ? reinterpret_cast<const char *>(base + off) : nullptr;
}

bool read_block(const view_t &v, uint32_t off, block_t &b)
{
    if (off == 0 || !v.has(off, TI_RECORDS))
        return false;
    b.off = off;
    b.next = v.u32(off + TI_NEXT);
    b.next_free = v.u32(off + TI_NEXT_FREE);
    b.used = v.u16(off + TI_USED);
    b.slots = v.u16(off + TI_SIZE);
    b.first_tid = v.u32(off + TI_FIRST_TID);
    b.rec_size = v.u8(off + TI_REC_SIZE);
    b.kind = v.u8(off + TI_KIND);
    b.file_id = v.u24(off + TI_FILE_ID);
    return b.rec_size == TAG_XREF_SIZE || b.rec_size == TAG_DEF_SIZE;
}

bool read_slot(const view_t &v, const block_t &b, uint32_t i, slot_t &s)
{
    uint64_t at = (uint64_t)b.off + TI_RECORDS + (uint64_t)i * b.rec_size;
    if (!v.has(at, b.rec_size))
        return false;
    s.name = v.u32(at + TD_NAME);
    s.line = v.u24(at + TD_LINE);
    s.def = b.rec_size == TAG_DEF_SIZE;
    if (s.def) {
        s.type = b.kind == KIND_DEF ? v.u8(at + TD_TYPE) : b.kind;
        s.flags = v.u16(at + TD_FLAGS);
        s.parent = v.u32(at + TD_PARENT);
        s.text = v.u32(at + TD_TEXT);
    } else {
        s.type = b.kind;
        s.flags = 0;
        s.parent = PARENT_NONE;
        s.text = 0;
    }
    return true;
}

bool tag_name(const view_t &v, uint32_t ref, const char **out)
{
    *out = nullptr;
    if (ref == 0)
        return true;
    if (ref < 256) {
        *out = one_char_names.text[ref];
        return true;
    }
    if (ref < NAME_REF_MIN)
        return false;
    *out = v.cstr((uint64_t)ref + rpt::NAME_TEXT_AT);
    return *out != nullptr;
}

bool def_text(const view_t &v, uint32_t ref, const char **type, const char **args)
{
    *type = v.cstr(ref);
    if (!*type)
        return false;
    *args = v.cstr((uint64_t)ref + strlen(*type) + 1);
    return *args != nullptr;
}

std::vector<const char *> read_file_table(const view_t &v)
{
    std::vector<const char *> names;
    chain_guard_t guard;
    for (uint32_t blk = v.hdr32(TH_FIRST_FILEBLK); blk != 0; blk = v.u32(blk + FT_NEXT)) {
        if (!v.has(blk, FILE_BLOCK_SIZE) || !guard.first_visit(blk))
            break;
        for (uint32_t i = 0; i < FT_SLOT_COUNT; i++) {
            uint32_t ref = v.u32(blk + FT_SLOTS + i * FT_SLOT_SIZE + 4);
            const char *name = nullptr;
            if (ref != 0 && !(name = v.cstr(ref)))
                return names;
            names.push_back(name);
        }
    }
    return names;
}

const char *type_name(uint32_t type)
{
    return type < (uint32_t)TT_COUNT ? tag_types[type].tt_name : "?";
}

tvt_db_t *open_for_report(const char *name, view_t &v)
{
    int err = 0;
    errno = 0;
    tvt_db_t *db = tvt_open(name, 0, nullptr, &err);
    if (!db) {
        if (err == TVT_ERR_VERSION) {
            wl_fprintf(stderr, "%s: is an old style tags file. Please rebuild it\n", name);
        } else if (err == TVT_ERR_BUSY) {
            wl_fprintf(stderr, "%s: the database is being written; try again when that run ends\n", name);
        } else if (err == TVT_ERR_NOTTAGS) {
            wl_fprintf(stderr, "%s: not a tags database\n", name);
        } else {
            wl_fprintf(stderr, "%s: %s\n", name, strerror(errno != 0 ? errno : EIO));
        }
        return nullptr;
    }
    v.base = tvt_base(db);
    v.size = tvt_size(db);
    if (!v.base)
        v.size = 0;
    return db;
}

} // namespace rpt
