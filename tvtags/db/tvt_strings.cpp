// The three string pools (file names, shared tag names, definition texts)
// and the sharing of tag names within a run.
//
// Names are shared through a table keyed on their CRC-32.  Two different
// names can have one CRC, so a hit is only taken when the stored text is the
// same; names of one CRC sit side by side in the index.  Nothing of this
// is stored: a later run starts with an empty table.
#include <stdint.h>
#include <string.h>

#include "tvt_db.h"

namespace {

constexpr uint32_t kPoolField[4] = {0, TH_POOL_FILENAMES, TH_POOL_NAMES, TH_POOL_TEXTS};
constexpr int kMaxEntryText = 60000;   // the entry's size is a 16-bit field

struct one_char_names_t {
    char t[256][2];
    constexpr one_char_names_t() : t()
    {
        for (int i = 0; i < 256; i++) {
            t[i][0] = (char) i;
            t[i][1] = 0;
        }
    }
};
constexpr one_char_names_t kOneChar;

// Carves an entry of a bytes (its own size field included) from the newest
// chunk of a pool, starting a new chunk when it does not fit.
uint32_t pool_carve(tvt_db_t *db, int kind, uint32_t a)
{
    uint32_t field = kPoolField[kind];
    uint32_t pc = db_get32(db, field);
    if (pc != 0) {
        uint32_t cap = db_get32(db, pc + PC_CAPACITY);
        uint32_t used = db_get32(db, pc + PC_USED);
        if ((uint64_t) used + a < cap) {
            uint32_t e = pc + PC_DATA + used;
            db_put32(db, pc + PC_USED, used + a);
            db_put16(db, e, a);
            return e;
        }
    }
    uint32_t cap = a > POOL_MIN_CAPACITY ? a : POOL_MIN_CAPACITY;
    uint32_t nc = db_alloc(db, (int) (cap + PC_DATA));
    if (nc == 0)
        return 0;
    db_put32(db, nc + PC_NEXT, pc);
    db_put32(db, nc + PC_CAPACITY, cap);
    db_put32(db, nc + PC_USED, a);
    db_put32(db, field, nc);
    uint32_t e = nc + PC_DATA;
    db_put16(db, e, a);
    return e;
}

// An entry with payload bytes: first sought in the free lists, else carved.
uint32_t store_entry(tvt_db_t *db, int kind, uint32_t payload)
{
    uint32_t a = payload + CHUNK_HDR;
    if (a < CHUNK_MIN)
        a = CHUNK_MIN;
    uint32_t c = db_alloc_from_free(db, a);
    if (c == 0)
        c = pool_carve(db, kind, a);
    return c;
}

bool same_name(const tvt_db_t *db, uint32_t ref, const char *bytes, int len)
{
    if ((uint64_t) ref + 2 + (uint32_t) len > db_size(db))
        return false;
    return memcmp(db_at(db, ref + 2), bytes, (size_t) len) == 0;
}

uint32_t share_hit(tvt_db_t *db, uint32_t ref)
{
    uint32_t count = db_get16(db, ref);
    if (count < NAME_COUNT_SATURATED)
        db_put16(db, ref, count + 1);
    return ref;
}

uint32_t intern_name(tvt_db_t *db, const char *bytes, int len, uint32_t crc)
{
    uint32_t ref = db->d_share.find(crc, [&](uint32_t r) { return same_name(db, r, bytes, len); });
    if (ref != 0)
        return share_hit(db, ref);
    uint32_t c = store_entry(db, TVT_KIND_NAME, (uint32_t) len + 2);
    if (c == 0)
        return 0;
    ref = c + CHUNK_HDR;
    db_put16(db, ref, 1);
    memcpy(db_at(db, ref + 2), bytes, (size_t) len);
    db->d_share.add(crc, ref);
    return ref;
}

// Forgets a name entry that is about to be freed.  Only this run's entries
// are in the index; an older entry with the same text is not, so only the
// entry at this very reference goes.
void unshare(tvt_db_t *db, uint32_t ref)
{
    if (db->d_share.size() == 0)
        return;
    const char *text = (const char *) db_at(db, ref + 2);
    size_t room = db_size(db) - (ref + 2);
    const char *end = (const char *) memchr(text, 0, room);
    if (end == nullptr)
        return;
    db->d_share.remove(crc32(text, (int) (end - text) + 1), ref);
}

} // namespace

uint32_t db_intern(tvt_db_t *db, int kind, const char *bytes, int len)
{
    if (len == 2 && bytes[0] != 0)
        return (unsigned char) bytes[0];
    std::string cut;
    if (len > kMaxEntryText) {
        cut.assign(bytes, kMaxEntryText - 1);
        cut.push_back(0);
        bytes = cut.data();
        len = kMaxEntryText;
    }
    if (kind == TVT_KIND_NAME)
        return intern_name(db, bytes, len, crc32(bytes, len));
    uint32_t c = store_entry(db, kind, (uint32_t) len);
    if (c == 0)
        return 0;
    memcpy(db_at(db, c + CHUNK_HDR), bytes, (size_t) len);
    return c + CHUNK_HDR;
}

uint32_t db_intern_name(tvt_db_t *db, const char *bytes, int len, uint32_t crc)
{
    // Names that one-character codes stand for, or that must be cut, take
    // the general road.
    if ((len == 2 && bytes[0] != 0) || len > kMaxEntryText)
        return db_intern(db, TVT_KIND_NAME, bytes, len);
    return intern_name(db, bytes, len, crc);
}

void db_release_name(tvt_db_t *db, uint32_t ref)
{
    if (ref < NAME_REF_MIN || (uint64_t) ref + 2 >= db_size(db))
        return;
    uint32_t count = db_get16(db, ref);
    if (count == NAME_COUNT_SATURATED || count == 0)
        return;   // 0 only in a damaged file: freeing could free it twice
    if (count > 1) {
        db_put16(db, ref, count - 1);
        return;
    }
    unshare(db, ref);
    db_free_payload(db, ref);
}

void db_share_drop(tvt_db_t *db)
{
    db->d_share.clear();
}

bool db_text_ok(const tvt_db_t *db, uint32_t ref)
{
    size_t size = db_size(db);
    if (ref < TAG_HEADER_SIZE || ref >= size)
        return false;
    return memchr(db_at(db, ref), 0, size - ref) != nullptr;
}

uint32_t tvt_intern(tvt_db_t *db, int kind, const char *bytes, int len)
{
    if (db == nullptr || !db->d_writable || bytes == nullptr || len < 1)
        return 0;
    if (kind != TVT_KIND_FILENAME && kind != TVT_KIND_NAME && kind != TVT_KIND_TEXT)
        return 0;
    return db_intern(db, kind, bytes, len);
}

const char *tvt_name_text(tvt_db_t *db, uint32_t ref)
{
    if (db == nullptr || ref == 0)
        return nullptr;
    if (ref < 256)
        return kOneChar.t[ref];
    if (ref < NAME_REF_MIN || !db_text_ok(db, ref + 2))
        return nullptr;
    return (const char *) db_at(db, ref + 2);
}

const char *db_file_name_text(const tvt_db_t *db, uint32_t ref)
{
    if (ref == 0)
        return nullptr;
    if (ref < 256)
        return kOneChar.t[ref];
    if (ref < NAME_REF_MIN || !db_text_ok(db, ref))
        return nullptr;
    return (const char *) db_at(db, ref);
}
