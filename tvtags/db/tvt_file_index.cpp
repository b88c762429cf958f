// Name -> lowest file id, over the file table.  The index holds ids only:
// the name of a cell is the one its id's slot holds, read from the mapping
// when a probe meets the cell's hash.  A cell is eight bytes in one array,
// so opening a table of fifty thousand files costs no allocation per name
// and no walk of scattered nodes.  Linear probing, kept at most half full;
// removal shifts the cells after it back, so there are no tombstones.
#include <string.h>

#include "tvt_db.h"

namespace {

const size_t kMinCells = 64;

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

uint64_t cell_of(uint32_t hash, int id) { return (uint64_t) hash << 32 | (uint32_t) (id + 1); }
uint32_t cell_hash(uint64_t cell) { return (uint32_t) (cell >> 32); }
int cell_id(uint64_t cell) { return (int) (uint32_t) cell - 1; }

size_t home(const db_file_index_t &x, uint32_t hash) { return hash & (x.fi_cells.size() - 1); }

bool slot_holds(const tvt_db_t *db, int id, const char *name, size_t len)
{
    uint32_t slot = db_slot(db, id);
    if (slot == 0)
        return false;
    const char *text = db_file_name_text(db, db_get32(db, slot + 4));
    return text != nullptr && strncmp(text, name, len) == 0 && text[len] == 0;
}

// The position of the cell for name, or of the empty cell where it would go.
size_t probe(const tvt_db_t *db, const char *name, size_t len, uint32_t hash)
{
    const db_file_index_t &x = db->d_file_index;
    size_t mask = x.fi_cells.size() - 1;
    for (size_t i = home(x, hash);; i = (i + 1) & mask) {
        uint64_t c = x.fi_cells[i];
        if (c == 0 || (cell_hash(c) == hash && slot_holds(db, cell_id(c), name, len)))
            return i;
    }
}

void grow(db_file_index_t &x)
{
    std::vector<uint64_t> old;
    old.swap(x.fi_cells);
    x.fi_cells.assign(old.empty() ? kMinCells : old.size() * 2, 0);
    size_t mask = x.fi_cells.size() - 1;
    for (uint64_t c : old) {
        if (c == 0)
            continue;
        size_t i = home(x, cell_hash(c));
        while (x.fi_cells[i] != 0)
            i = (i + 1) & mask;
        x.fi_cells[i] = c;
    }
}

void erase_at(db_file_index_t &x, size_t i)
{
    size_t mask = x.fi_cells.size() - 1;
    for (size_t j = (i + 1) & mask; x.fi_cells[j] != 0; j = (j + 1) & mask) {
        size_t k = home(x, cell_hash(x.fi_cells[j]));
        // The cell at j may move back to i when its home is not in (i, j].
        bool stays = i <= j ? (i < k && k <= j) : (i < k || k <= j);
        if (!stays) {
            x.fi_cells[i] = x.fi_cells[j];
            i = j;
        }
    }
    x.fi_cells[i] = 0;
    x.fi_count--;
}

} // namespace

void db_index_reserve(tvt_db_t *db, size_t names)
{
    db_file_index_t &x = db->d_file_index;
    size_t want = kMinCells;
    while (want < names * 2)
        want *= 2;
    if (x.fi_count == 0)
        x.fi_cells.assign(want, 0);
    else
        while (x.fi_cells.size() < want)
            grow(x);
}

void db_index_clear(tvt_db_t *db)
{
    db->d_file_index.fi_cells.clear();
    db->d_file_index.fi_count = 0;
}

int db_index_find(const tvt_db_t *db, const char *name)
{
    const db_file_index_t &x = db->d_file_index;
    if (x.fi_count == 0)
        return -1;
    size_t len = strlen(name);
    uint64_t c = x.fi_cells[probe(db, name, len, hash_name(name, len))];
    return c == 0 ? -1 : cell_id(c);
}

int db_index_enter(tvt_db_t *db, const char *name, int id)
{
    db_file_index_t &x = db->d_file_index;
    if ((x.fi_count + 1) * 2 > x.fi_cells.size())
        grow(x);
    size_t len = strlen(name);
    uint32_t hash = hash_name(name, len);
    size_t i = probe(db, name, len, hash);
    uint64_t c = x.fi_cells[i];
    if (c != 0) {
        int old = cell_id(c);
        if (id < old)
            x.fi_cells[i] = cell_of(hash, id);
        return old;
    }
    x.fi_cells[i] = cell_of(hash, id);
    x.fi_count++;
    return -1;
}

void db_index_replace(tvt_db_t *db, const char *name, int id, int other)
{
    db_file_index_t &x = db->d_file_index;
    if (x.fi_count == 0)
        return;
    size_t len = strlen(name);
    uint32_t hash = hash_name(name, len);
    size_t i = probe(db, name, len, hash);
    if (x.fi_cells[i] == 0 || cell_id(x.fi_cells[i]) != id)
        return;
    if (other >= 0)
        x.fi_cells[i] = cell_of(hash, other);
    else
        erase_at(x, i);
}
