// Opening and closing a tag file: the crash marker, the OS lock and the
// in-use flag, the start of a new or unusable file, the database name, and
// the indexes the engine keeps beside an open file.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "wrenlib/chk.h"
#include "wrenlib/files.h"
#include "wrenlib/fmt.h"
#include "wrenlib/sysdep.h"
#include "tvt_db.h"

namespace {

constexpr const char *kMarkerName = "tag-state";
constexpr size_t kMarkerLine = 1024;

std::string marker_path()
{
    const char *cfg = getenv("TVCONFIG");
    if (cfg == nullptr || *cfg == 0)
        return kMarkerName;
    std::string p = cfg;
    if (!WL_IS_SEP(p.back()))
        p += '/';
    return p + kMarkerName;
}

// The name as the marker records it: absolute and simplified.
std::string absolute_path(const char *name)
{
    char *p = simplify_filename(name);
    if (p == nullptr)
        return name;
    std::string s = p;
    chk_free(p);
    return s;
}

// True when the marker's first line is exactly the tag file's name.
bool marker_names(const std::string &marker, const char *name)
{
    FILE *fp = fopen(marker.c_str(), "rb");
    if (fp == nullptr)
        return false;
    char buf[kMarkerLine + 1];
    size_t n = fread(buf, 1, kMarkerLine, fp);
    fclose(fp);
    buf[n] = 0;
    char *nl = strchr(buf, '\n');
    if (nl != nullptr)
        *nl = 0;
    // Either side may be written with the other separator or drive form.
    return is_absolute(buf) && absolute_path(buf) == absolute_path(name);
}

void write_marker(tvt_db_t *db)
{
    FILE *fp = fopen(db->d_marker.c_str(), "wb");
    if (fp == nullptr)
        return;
    fwrite(db->d_marker_text.data(), 1, db->d_marker_text.size(), fp);
    fclose(fp);
    db->d_marker_written = true;
}

void remove_marker(tvt_db_t *db)
{
    if (db->d_marker_written && marker_names(db->d_marker, db->d_marker_text.c_str()))
        remove(db->d_marker.c_str());
    db->d_marker_written = false;
}

int tag_timeout()
{
    const char *v = getenv("TV_TAG_TIMEOUT");
    return v != nullptr ? atoi(v) : 1;
}

bool valid_header(const tvt_db_t *db)
{
    return db_size(db) >= TAG_HEADER_SIZE && db_get32(db, TH_MAGIC) == TAG_MAGIC &&
           db_get32(db, TH_VERSION) == TAG_VERSION;
}

// A valid file whose in-use flag is set.  A live writer would hold the OS
// lock we now have, so the flag is stale; the wait is bounded all the same.
void inuse_wait(tvt_db_t *db, bool *announced)
{
    int limit = tag_timeout();
    for (int i = 0; i < limit; i++) {
        if (!(db_get32(db, TH_FLAGS) & TH_FLAG_INUSE))
            break;
        wl_sleep_ms(1000);
        if (i == 2 && !*announced) {
            db_print_locked(db->d_path.c_str());
            *announced = true;
        }
    }
}

// A new, unusable or damaged file becomes an empty database.  The magic goes
// in last, so that a run killed half-way leaves no tag file behind.
bool initialise(tvt_db_t *db)
{
    memset(db_at(db, 0), 0, db_size(db));
    db_clear_indexes(db);
    for (auto &list : db->d_free)
        list.clear();
    db_put32(db, TH_TOP, TAG_HEADER_SIZE);
    uint32_t table = db_alloc(db, TYPE_STAT_COUNT * TYPE_STAT_SIZE);
    if (table == 0)
        return false;
    memset(db_at(db, table), 0, TYPE_STAT_COUNT * TYPE_STAT_SIZE);
    db_put16(db, TH_TYPE_COUNT, TYPE_STAT_COUNT);
    db_put32(db, TH_TYPE_STATS, table);
    db_put32(db, TH_VERSION, TAG_VERSION);
    db_put32(db, TH_MAGIC, TAG_MAGIC);
    return true;
}

void say_damaged(const tvt_db_t *db)
{
    wl_fprintf(stderr, "tvtags: %s: the tag file is damaged; it is started afresh\n", db->d_path.c_str());
}

bool all_zero(const unsigned char *p, size_t n)
{
    for (size_t i = 0; i < n; i++)
        if (p[i] != 0)
            return false;
    return true;
}

// The header as this version writes it, and the chunks it refers to
// directly: the counter table and the name block with its text.
bool header_sane(tvt_db_t *db)
{
    uint32_t top = db_get32(db, TH_TOP);
    if (top < TAG_HEADER_SIZE || top > db_size(db))
        return false;
    for (const th_reserved_t &r : TH_RESERVED)
        if (!all_zero(db_at(db, r.off), r.len))
            return false;
    if ((db_get32(db, TH_FLAGS) & ~(TH_FLAG_INUSE | TH_FLAG_XREF)) != 0)
        return false;
    // Space past top is handed out as it is; it must be as growth left it.
    if (!all_zero(db_at(db, top), db_size(db) - top))
        return false;
    db_guard_t *g = db->d_guard;
    g->g_fixed.push_back({0, TAG_HEADER_SIZE});
    uint32_t table = db_get32(db, TH_TYPE_STATS);
    uint32_t table_end = db_chunk_end(db, table, TYPE_STAT_COUNT * TYPE_STAT_SIZE, top);
    if (db_get16(db, TH_TYPE_COUNT) != TYPE_STAT_COUNT || table_end == 0)
        return false;
    for (int t = 0; t < TYPE_STAT_COUNT; t++)
        if (*db_at(db, table + (uint32_t) t * TYPE_STAT_SIZE) != 0)
            return false;
    g->g_fixed.push_back({table - CHUNK_HDR, table_end});
    uint32_t block = db_get32(db, TH_NAME_BLOCK);
    if (block == 0)
        return true;
    uint32_t block_end = db_chunk_end(db, block, NAME_BLOCK_SIZE, top);
    if (block_end == 0 || db_get32(db, block) != NAME_BLOCK_SIZE || !all_zero(db_at(db, block + 8), NAME_BLOCK_SIZE - 8))
        return false;
    g->g_fixed.push_back({block - CHUNK_HDR, block_end});
    uint32_t text = db_get32(db, block + 4);
    if (text == 0)
        return true;
    if (text >= top)
        return false;
    const void *nul = memchr(db_at(db, text), 0, top - text);
    uint32_t text_end = nul == nullptr ? 0
                                       : db_chunk_end(db, text, (uint64_t) ((const unsigned char *) nul - db_at(db, text)) + 1, top);
    if (text_end == 0)
        return false;
    g->g_fixed.push_back({text - CHUNK_HDR, text_end});
    return true;
}

bool load_indexes(tvt_db_t *db)
{
    db_clear_indexes(db);
    if (!db->d_writable) {
        db_load_file_table(db);   // a reader takes what it can of a damaged table
        return true;
    }
    db_guard_t *g = db->d_guard;
    g->g_fixed.clear();
    g->g_was_free.clear();
    g->g_unjudged.clear();
    g->g_open_top = 0;
    return header_sane(db) && db_load_file_table(db) && db_load_blocks(db) && db_load_free_lists(db) &&
           db_structure_sound(db);
}

const char *stored_name(const tvt_db_t *db, uint32_t block)
{
    uint32_t ref = db_get32(db, block + 4);
    if (ref < NAME_REF_MIN || !db_text_ok(db, ref))
        return nullptr;
    return (const char *) db_at(db, ref);
}

void store_db_name(tvt_db_t *db, const char *name)
{
    uint32_t block = db_get32(db, TH_NAME_BLOCK);
    if (block == 0) {
        block = db_alloc(db, NAME_BLOCK_SIZE);
        if (block == 0)
            db_growth_failed(db, NAME_BLOCK_SIZE + CHUNK_HDR);
        memset(db_at(db, block), 0, NAME_BLOCK_SIZE);
        db_put32(db, block, NAME_BLOCK_SIZE);
        db_put32(db, TH_NAME_BLOCK, block);
    }
    const char *old = stored_name(db, block);
    if (old != nullptr && strcmp(old, name) == 0)
        return;
    // A changed name replaces the old text instead of leaving it behind.
    db_free_payload(db, db_get32(db, block + 4));
    db_put32(db, block + 4, 0);
    size_t len = strnlen(name, DB_MAX_TEXT);
    uint32_t text = db_alloc(db, (int) len + 1);
    if (text == 0)
        db_growth_failed(db, (uint32_t) len + 3);
    memcpy(db_at(db, text), name, len);
    *db_at(db, text + len) = 0;
    db_put32(db, block + 4, text);
}

// 0, or -1 when a copy of the file could not be written back.
int release(tvt_db_t *db)
{
    tvt_stage_free(db->d_stage);
    db->d_stage = nullptr;
    int rc = 0;
    if (db->d_file != nullptr)
        rc = mmap_file_finish(db->d_file);
    if (db->d_lock != nullptr)
        mmap_file_close(db->d_lock);
    db_share_drop(db);
    delete db->d_guard;
    delete db;
    return rc;
}

tvt_db_t *fail(tvt_db_t *db, int *err, int code)
{
    *err = code;
    release(db);
    return nullptr;
}

} // namespace

tvt_db_t *tvt_open(const char *name, int mode, const char *db_name, int *err)
{
    int ignored;
    if (err == nullptr)
        err = &ignored;
    *err = 0;
    if (name == nullptr || *name == 0) {
        *err = TVT_ERR_OPEN;
        return nullptr;
    }
    bool writable = mode == TVT_OPEN_WRITE;
    std::string marker = marker_path();
    // The marker names the file by its absolute path, so that a marker
    // shared through TVCONFIG never matches another project's file.
    std::string path = absolute_path(name);
    // A marker naming this file means a run died with it open, unless that
    // run is still alive and holds the file's lock.  Only a writer acts on
    // it: a report never deletes anything.
    if (writable && marker_names(marker, path.c_str()) && !db_lock_is_live(name))
        remove(name);

    tvt_db_t *db = new tvt_db_t();
    db->d_path = name;
    db->d_marker = marker;
    db->d_marker_text = path;
    db->d_writable = writable;
    db->d_file_id = -1;
    if (writable)
        db->d_guard = new db_guard_t();
    int flags = MMAP_COPY_OK | (writable ? MMAP_WRITE : 0);

    db->d_file = mmap_file_open(name, flags);
    if (db->d_file == nullptr)
        return fail(db, err, TVT_ERR_OPEN);
    bool announced = false;
    int limit = tag_timeout();
    if (!db_lock_wait(db->d_file, writable, name, &announced, writable ? -1 : (limit > 0 ? limit * 1000 : 0)))
        return fail(db, err, TVT_ERR_BUSY);
    // The view was made before the lock: its bytes are the file's (the
    // mapping is shared), but the holder may have grown the file meanwhile.
    wl_stat_t st;
    if (wl_stat(name, &st) == 0 && (uint64_t) st.st_size > db_size(db)) {
        if (writable) {
            mmap_file_probe(db->d_file, (size_t) st.st_size);
        } else {
            // A read-only view cannot grow: take a new one and keep the old
            // handle only for its lock.
            mmap_file_t *fresh = mmap_file_open(name, flags);
            if (fresh != nullptr) {
                db->d_lock = db->d_file;
                db->d_file = fresh;
            }
        }
    }
    if (writable)
        write_marker(db);

    if (valid_header(db)) {
        inuse_wait(db, &announced);
    } else {
        bool other_version = db_size(db) >= TAG_HEADER_SIZE && db_get32(db, TH_MAGIC) == TAG_MAGIC;
        int code = other_version ? TVT_ERR_VERSION : TVT_ERR_NOTTAGS;
        if (!writable)
            return fail(db, err, code);
        if (db_size(db) < TAG_HEADER_SIZE && !mmap_file_probe(db->d_file, TAG_HEADER_SIZE)) {
            remove_marker(db);
            return fail(db, err, code);
        }
        if (!initialise(db)) {
            remove_marker(db);
            return fail(db, err, TVT_ERR_OPEN);
        }
    }
    if (!load_indexes(db)) {
        say_damaged(db);
        if (!initialise(db) || !load_indexes(db)) {
            remove_marker(db);
            return fail(db, err, TVT_ERR_OPEN);
        }
    }
    if (writable) {
        db_put32(db, TH_FLAGS, db_get32(db, TH_FLAGS) | TH_FLAG_INUSE);
        if (db_name != nullptr) {
            db->d_guard->g_named = true;
            db->d_guard->g_name = db_name;
            store_db_name(db, db_name);
        }
    }
    return db;
}

void db_start_afresh(tvt_db_t *db)
{
    say_damaged(db);
    // A stage holds its names as text until the flush, so the current file
    // is entered afresh with all its tags.  Names already interned would be
    // references into what is about to go: such a stage is emptied.
    if (db->d_stage != nullptr && db->d_stage->s_interned > 0)
        db_stage_reset(db->d_stage);
    db->d_file_id = -1;
    db_share_drop(db);
    uint32_t xref = db_get32(db, TH_FLAGS) & TH_FLAG_XREF;
    if (!initialise(db))
        db_growth_failed(db, 0);
    load_indexes(db);
    db_put32(db, TH_FLAGS, TH_FLAG_INUSE | xref);
    if (db->d_guard->g_named)
        store_db_name(db, db->d_guard->g_name.c_str());
}

int db_close_quietly(tvt_db_t *db)
{
    if (db->d_writable && db->d_file != nullptr && db_size(db) >= TAG_HEADER_SIZE)
        db_put32(db, TH_FLAGS, db_get32(db, TH_FLAGS) & ~TH_FLAG_INUSE);
    // The marker goes while the lock is still held: a run waiting for the
    // lock writes its own marker once it has it.
    remove_marker(db);
    return release(db);
}

int tvt_close(tvt_db_t *db)
{
    if (db == nullptr)
        return 0;
    if (db->d_stage != nullptr)
        tvt_end_file(db);
    return db_close_quietly(db);
}

void tvt_set_path_prefix(tvt_db_t *db, const char *prefix)
{
    if (db != nullptr)
        db->d_prefix = prefix != nullptr ? prefix : "";
}

int tvt_set_xref(tvt_db_t *db, int value)
{
    if (db == nullptr)
        return 0;
    uint32_t flags = db_get32(db, TH_FLAGS);
    if (value < 0 || !db->d_writable)
        return (flags & TH_FLAG_XREF) ? 1 : 0;
    if (value > 0) {
        db_put32(db, TH_FLAGS, flags | TH_FLAG_XREF);
        return value;
    }
    db_put32(db, TH_FLAGS, flags & ~TH_FLAG_XREF);
    return 0;
}

const unsigned char *tvt_base(const tvt_db_t *db)
{
    return db != nullptr ? db->d_file->mf_base : nullptr;
}

size_t tvt_size(const tvt_db_t *db)
{
    return db != nullptr ? db->d_file->mf_size : 0;
}

int tvt_is_writable(const tvt_db_t *db)
{
    return db != nullptr && db->d_writable ? 1 : 0;
}
