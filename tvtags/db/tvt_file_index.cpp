// Name -> lowest file id, over the file table.  The index holds ids only:
// the name of an entry is the one its id's slot holds, read from the
// mapping when a probe meets the entry's hash.  An entry is eight bytes in
// one flat table, so opening a table of fifty thousand files costs no
// allocation per name and no walk of scattered nodes.
#include <string.h>

#include "tvt_db.h"

namespace {

uint32_t hash_name(const char *name, size_t len)
{
    // FNV-1a over 64-bit words, folded to 32 bits.
    uint64_t h = 0xcbf29ce484222325ull ^ len;
    size_t i = 0;
    for (; i + 8 <= len; i += 8) {
        uint64_t w;
        memcpy(&w, name + i, 8);
        h = (h ^ w) * 0x100000001b3ull;
        h ^= h >> 29;
    }
    uint64_t w = 0;
    memcpy(&w, name + i, len - i);
    h = (h ^ w) * 0x100000001b3ull;
    h ^= h >> 32;
    return (uint32_t) h;
}

bool slot_holds(const tvt_db_t *db, int id, const char *name, size_t len)
{
    uint32_t slot = db_slot(db, id);
    if (slot == 0)
        return false;
    const char *text = db_file_name_text(db, db_get32(db, slot + 4));
    return text != nullptr && strncmp(text, name, len) == 0 && text[len] == 0;
}

// The id + 1 the name is held under, or 0.
uint32_t held(const tvt_db_t *db, const char *name, size_t len, uint32_t hash)
{
    return db->d_file_index.find(hash, [&](uint32_t v) { return slot_holds(db, (int) v - 1, name, len); });
}

} // namespace

void db_index_reserve(tvt_db_t *db, size_t names)
{
    db->d_file_index.reserve(names);
}

void db_index_clear(tvt_db_t *db)
{
    db->d_file_index.clear();
}

int db_index_find(const tvt_db_t *db, const char *name)
{
    size_t len = strlen(name);
    return (int) held(db, name, len, hash_name(name, len)) - 1;
}

int db_index_enter(tvt_db_t *db, const char *name, int id)
{
    size_t len = strlen(name);
    uint32_t hash = hash_name(name, len);
    uint32_t v = held(db, name, len, hash);
    if (v != 0 && (int) v - 1 <= id)
        return (int) v - 1;
    if (v != 0)
        db->d_file_index.remove(hash, v);
    db->d_file_index.add(hash, (uint32_t) id + 1);
    return (int) v - 1;
}

bool db_index_drop(tvt_db_t *db, const char *name, int id)
{
    size_t len = strlen(name);
    uint32_t hash = hash_name(name, len);
    if (held(db, name, len, hash) != (uint32_t) id + 1)
        return false;
    db->d_file_index.remove(hash, (uint32_t) id + 1);
    return true;
}
