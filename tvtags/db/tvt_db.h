#ifndef TVTAGS_DB_TVT_DB_H
#define TVTAGS_DB_TVT_DB_H
/* Inside of the storage engine: the database handle and the helpers the
 * engine's files share.  Nothing outside tvtags/db includes this.
 *
 * Everything in the file is addressed by offset: the mapping moves when the
 * file grows, so a pointer into it is only good until the next allocation. */
#include <stdint.h>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "wrenlib/byteorder.h"
#include "wrenlib/mmap.h"
#include "wrenlib/vector.h"
#include "wrenlib/wl_assert.h"
#include "tvt_format.h"
#include "tvt_io.h"
#include "tvt_hash_index.h"

/* Consistency checks that keep the wording of the engine's established
 * assertion texts, whatever the local names are here. */
#define DB_CHECK(cond, text) ((cond) ? (void) 0 : wl_assert_fail(text, __FILE__, __LINE__))

/* Handle flag: the current file still has to be entered in the file table. */
#define DB_ENTER_PENDING 1u

/* Largest stored texts.  Every string lives in a chunk whose size is a
 * 16-bit field, so longer input is cut rather than stored with a size
 * that would read back wrong. */
#define DB_MAX_NAME 4000
#define DB_MAX_FILE_NAME 59000
#define DB_MAX_TEXT 16000
#define DB_MAX_INHERIT 16000

#define DB_FREE_CLASSES 4
#define DB_FREE_VISIT_MAX 2000

/* One staged tag.  Texts live in the stage's text arena: offsets there plus
 * one, 0 when the scanner gave none. */
struct stage_rec_t {
    uint32_t sr_name;      /* the name in the arena; its shared reference once interned */
    uint32_t sr_line;
    uint32_t sr_flags;
    int32_t sr_tagno;      /* number within the file: 0 for a cross-reference */
    int32_t sr_parent;     /* parent's number within the file, -1 for none */
    uint32_t sr_type_text;
    uint32_t sr_args;
    uint32_t sr_inherit;   /* names, each with its NUL, and one more NUL */
    uint32_t sr_inherit_len;
    uint32_t sr_name_crc;  /* CRC of the name with its NUL, taken where the tag was staged */
    uint16_t sr_type;
};

/* One file's tags as the scanner gave them, gathered apart from any
 * database: nothing in it refers to a file until the flush interns the
 * names, so it can be filled on another thread or survive a fresh start. */
struct tvt_stage_t {
    vector_t *s_recs;
    std::vector<vector_block_t *> s_blocks;   /* the vector's blocks, in order */
    std::vector<char> s_arena;                /* names and texts */
    int32_t s_next;                           /* handle of the next tag: 2 + records */
    int32_t s_xrefs;                          /* cross-references among the records */
    int32_t s_interned;                       /* records whose sr_name is a reference */
};

/* A tag index block and its position on the chain of all blocks; the
 * position orders a file's blocks the way a walk of the chain would. */
struct db_block_ref_t {
    uint32_t br_pos;
    uint32_t br_off;
};

struct tvt_db_t {
    uint32_t d_flags;
    mmap_file_t *d_file;
    mmap_file_t *d_lock;                /* an older view kept only for its lock, or null */
    int d_file_id;
    std::string d_cur_name;
    uint32_t d_cur_time;
    tvt_stage_t *d_stage;               /* the current file's tags, null between files */

    std::string d_path;                 /* tag file name as given */
    std::string d_marker;               /* path of the marker file */
    std::string d_marker_text;          /* what the marker holds: the absolute path */
    std::string d_prefix;
    bool d_writable;
    bool d_marker_written;
    uint64_t d_size_limit;              /* growth beyond this fails */

    /* Name sharing: CRC-32 -> references of this run's name entries. */
    db_hash_index d_share;

    /* Free lists, one ordered set of block offsets per size class. */
    std::set<uint32_t> d_free[DB_FREE_CLASSES];

    /* File table. */
    std::vector<uint32_t> d_file_blocks;               /* payload offsets */
    db_hash_index d_file_index;                        /* name hash -> lowest id + 1 */
    bool d_file_dups;                                  /* a name occurs twice */
    std::set<int> d_free_ids;
    std::vector<std::vector<db_block_ref_t>> d_blocks_of;   /* by file id */
    uint32_t d_chain_len;                                   /* next chain position */

    /* Free tag index blocks by (record size << 16 | slots); the back of
     * each stack is the one a walk of the free chain would meet first. */
    std::map<uint32_t, std::vector<db_block_ref_t>> d_free_index;
    std::unordered_map<uint32_t, uint32_t> d_free_prev;      /* chain predecessor */

    std::vector<uint32_t> d_scratch;    /* text references of one block */
    std::string d_text_buf;             /* one definition's text */
    struct db_guard_t *d_guard;         /* a writer's knowledge of the file at open */
};

/* Bytes at an offset of the file. */
static inline unsigned char *db_at(const tvt_db_t *db, uint32_t off)
{
    return db->d_file->mf_base + off;
}
static inline uint32_t db_get32(const tvt_db_t *db, uint32_t off) { return LGET32(db_at(db, off)); }
static inline uint32_t db_get24(const tvt_db_t *db, uint32_t off) { return LGET24(db_at(db, off)); }
static inline uint32_t db_get16(const tvt_db_t *db, uint32_t off) { return LGET16(db_at(db, off)); }
static inline void db_put32(tvt_db_t *db, uint32_t off, uint32_t v) { LPUT32(db_at(db, off), v); }
static inline void db_put24(tvt_db_t *db, uint32_t off, uint32_t v) { LPUT24(db_at(db, off), v); }
static inline void db_put16(tvt_db_t *db, uint32_t off, uint32_t v) { LPUT16(db_at(db, off), v); }
static inline size_t db_size(const tvt_db_t *db) { return db->d_file->mf_size; }

/* tvt_space.cpp */
int db_size_class(uint32_t chunk_size);
uint32_t db_free_head_field(int cls);
uint32_t db_alloc(tvt_db_t *db, int n);                 /* 0 when the file cannot grow */
uint32_t db_alloc_from_free(tvt_db_t *db, uint32_t a);  /* chunk start of size field, or 0 */
void db_free_chunk(tvt_db_t *db, uint32_t chunk, uint32_t size);
void db_free_payload(tvt_db_t *db, uint32_t ref);       /* frees the chunk a reference points into */
bool db_load_free_lists(tvt_db_t *db);
/* Puts the block at off at the end of a chain whose header fields hold its
 * first and last block; next_at is the link's place in a block. */
void db_chain_append(tvt_db_t *db, uint32_t first_field, uint32_t last_field, uint32_t next_at, uint32_t off);
/* Reports the failure, puts the current file back as it was before the
 * scan, closes the database and ends the run with status 1. */
[[noreturn]] void db_growth_failed(tvt_db_t *db, uint32_t wanted);

/* tvt_strings.cpp */
uint32_t db_intern(tvt_db_t *db, int kind, const char *bytes, int len);
/* db_intern of a tag name whose CRC (bytes and NUL) is already known: the
 * scanning threads take it, so that the writer need not. */
uint32_t db_intern_name(tvt_db_t *db, const char *bytes, int len, uint32_t crc);
void db_release_name(tvt_db_t *db, uint32_t ref);
void db_share_drop(tvt_db_t *db);
bool db_text_ok(const tvt_db_t *db, uint32_t ref);      /* NUL-terminated inside the file */

/* tvt_files.cpp */
bool db_load_file_table(tvt_db_t *db);
bool db_load_blocks(tvt_db_t *db);
uint32_t db_slot(const tvt_db_t *db, int id);           /* offset of the slot, 0 past the end */
const char *db_file_name_text(const tvt_db_t *db, uint32_t ref);
int db_take_slot(tvt_db_t *db);                         /* id, or -1 when the file cannot grow */
void db_enter_name(tvt_db_t *db, int id, const std::string &name);
void db_clear_slot(tvt_db_t *db, int id);
void db_clear_indexes(tvt_db_t *db);

/* tvt_file_index.cpp.  A name is entered once its id's slot holds it. */
void db_index_reserve(tvt_db_t *db, size_t names);
void db_index_clear(tvt_db_t *db);
int db_index_find(const tvt_db_t *db, const char *name);           /* id, or -1 */
/* Enters name under id; when it was there already, keeps the lower id
 * and returns the one it had. */
int db_index_enter(tvt_db_t *db, const char *name, int id);
/* Drops name when it is held under id, and says whether it was. */
bool db_index_drop(tvt_db_t *db, const char *name, int id);

/* tvt_remove.cpp */
void db_remove_id(tvt_db_t *db, int id);
void db_block_freed(tvt_db_t *db, db_block_ref_t b);    /* marks free, pushes on the free chain */
/* Undoes a written block: lowers the counters, frees the texts, releases the
 * names when asked, and frees the block. */
void db_drop_block(tvt_db_t *db, db_block_ref_t b, bool release_names);
uint32_t db_type_stat(const tvt_db_t *db, int type);    /* offset of a counter entry, 0 if none */
bool db_take_free_block(tvt_db_t *db, int rec_size, int n, db_block_ref_t *out);

/* tvt_stage.cpp */
stage_rec_t *db_staged_at(tvt_stage_t *st, int n);
std::string_view db_arena_text(const tvt_stage_t *st, uint32_t off);
void db_stage_reset(tvt_stage_t *st);

/* tvt_flush.cpp */
void db_discard_stage(tvt_db_t *db);

/* tvt_lock.cpp */
void db_print_locked(const char *name);
/* Waits until the OS lock on the open file is ours (exclusive for a writer,
 * shared for a reader).  Prints the locked message once after three
 * seconds; *announced tells whether it was printed. */
/* Waits for the OS lock: for ever when give_up_ms < 0, else at most that
 * long; false when it gave up. */
bool db_lock_wait(mmap_file_t *f, bool exclusive, const char *name, bool *announced, int give_up_ms);
/* True when a live process holds a lock on the named file. */
bool db_lock_is_live(const char *name);

/* tvt_open.cpp */
int db_close_quietly(tvt_db_t *db);                     /* close without flushing staged tags; 0 or -1 */

/* Damage guard.  A writer builds on an existing file only after checking
 * what it walks or changes: the header, the file table and its names, the
 * chains of blocks, the free lists and the pools, none overlapping another.
 * Records are not read at open (that would cost as much as the file); the
 * records of a file that was in the file at open are judged when that file
 * is removed, against what was known at open, before anything is freed. */
struct db_guard_t {
    uint32_t g_open_top;                                  /* old chunks lie below it */
    std::vector<std::pair<uint32_t, uint32_t>> g_fixed;   /* old structures [start, end), sorted */
    std::map<uint32_t, uint32_t> g_was_free;              /* free at open or freed since: start -> end */
    std::vector<bool> g_unjudged;                         /* by chain position: a block owned at open */
    bool g_named;                                         /* a database name was given */
    std::string g_name;
};
/* tvt_space.cpp: end of the chunk whose payload at ref was asked for
 * `payload` bytes when its size field fits that request and the chunk lies
 * below limit, else 0. */
uint32_t db_chunk_end(const tvt_db_t *db, uint32_t ref, uint64_t payload, uint32_t limit);
bool db_structure_sound(tvt_db_t *db);                  /* tvt_space.cpp: pools, overlaps; fills the guard */
/* tvt_sort.cpp: orders (start, end) spans by start. */
void db_sort_spans(std::vector<std::pair<uint32_t, uint32_t>> &v);
/* tvt_remove.cpp: whether the old blocks among these can be freed safely. */
bool db_old_blocks_sound(tvt_db_t *db, const std::vector<db_block_ref_t> &blocks);
/* tvt_open.cpp: says the file is damaged and makes it an empty database
 * under the open handle.  The current file's stage holds no references,
 * so it is kept and flushed into the fresh file. */
void db_start_afresh(tvt_db_t *db);

#endif
