// Integrity checker of the tag database.  It rebuilds from the bytes alone
// what every structure claims (chunks, free blocks, records, counts) and
// compares: each stored thing is found through its reference and becomes a
// "piece" of the used area; at the end the pieces must cover 0..top exactly
// once.  It reads the file the way a hostile input would be read: every
// offset is bounds-checked and every chain walk is cycle-checked.
#include "tvt_check.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "wrenlib/byteorder.h"
#include "tvt_format.h"

namespace {

constexpr int kMaxMessages = 12;
constexpr int kTypeXref = KIND_XREF;
constexpr int kTypeStruct = 6;
constexpr int kTypeClass = 8;

struct piece_t {
    uint64_t p_start;
    uint64_t p_end;
    const char *p_what;
};

struct block_t {
    uint32_t b_off;
    uint32_t b_tid;
    uint32_t b_slots;
    uint32_t b_used;
    uint32_t b_rec;
    uint32_t b_file;
};

class checker_t {
  public:
    checker_t(const unsigned char *base, size_t size, int mode) : m_base(base), m_size(size), m_mode(mode) {}

    int run();
    std::string m_report;
    int m_problems = 0;

  private:
    const unsigned char *m_base;
    uint64_t m_size;
    int m_mode;
    uint64_t m_top = 0;
    std::vector<piece_t> m_pieces;
    std::vector<std::pair<uint64_t, uint64_t>> m_name_pools;   // used regions
    std::set<uint32_t> m_occupied;                             // file ids
    uint32_t m_slot_count = 0;
    std::vector<block_t> m_blocks;
    std::unordered_map<uint32_t, uint32_t> m_name_uses;
    std::unordered_set<uint32_t> m_texts;
    uint64_t m_total[TYPE_STAT_COUNT] = {};
    uint64_t m_noparent[TYPE_STAT_COUNT] = {};

    void problem(const char *fmt, ...)
#ifdef __GNUC__
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    uint32_t g8(uint64_t off) const { return m_base[off]; }
    uint32_t g16(uint64_t off) const { return LGET16(m_base + off); }
    uint32_t g24(uint64_t off) const { return LGET24(m_base + off); }
    uint32_t g32(uint64_t off) const { return LGET32(m_base + off); }
    bool inside(uint64_t off, uint64_t len) const { return off >= TAG_HEADER_SIZE && off + len <= m_top; }
    // Length of the NUL-terminated text at off that must end before limit,
    // or -1.
    long text_len(uint64_t off, uint64_t limit) const;
    // The chunk whose payload is at ref, requested for `payload` bytes: its
    // real size is the one within 16 bytes above the request that matches
    // the 16-bit size field (large chunks keep only the low 16 bits).
    bool chunk(uint32_t ref, uint64_t payload, const char *what, uint64_t *end = nullptr);
    void piece(uint64_t start, uint64_t end, const char *what) { m_pieces.push_back({start, end, what}); }

    void header();
    void counters_table();
    void name_block();
    void file_table();
    void block_chain();
    void free_index_chain();
    void records();
    void names();
    void free_lists();
    void pools();
    void tiling();
    bool orphan_names(uint64_t start, uint64_t end) const;
    bool structure_only() const { return (m_mode & TVT_CHECK_STRUCTURE) != 0; }
    const block_t *block_of_tid(uint32_t tid) const;
};

void checker_t::problem(const char *fmt, ...)
{
    m_problems++;
    if (m_problems > kMaxMessages)
        return;
    char buf[256];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    m_report += buf;
    m_report += '\n';
}

long checker_t::text_len(uint64_t off, uint64_t limit) const
{
    if (limit > m_top)
        limit = m_top;
    if (off >= limit)
        return -1;
    const void *nul = memchr(m_base + off, 0, (size_t) (limit - off));
    return nul == nullptr ? -1 : (long) ((const unsigned char *) nul - (m_base + off));
}

bool checker_t::chunk(uint32_t ref, uint64_t payload, const char *what, uint64_t *end)
{
    uint64_t a = payload + CHUNK_HDR < CHUNK_MIN ? CHUNK_MIN : payload + CHUNK_HDR;
    if (ref < TAG_HEADER_SIZE + CHUNK_HDR || !inside(ref - CHUNK_HDR, a)) {
        problem("%s at %lx: outside the used area", what, (unsigned long) ref);
        return false;
    }
    uint32_t field = g16(ref - CHUNK_HDR);
    uint64_t real = 0;
    for (uint64_t r = a; r <= a + 16; r++)
        if ((r & 0xFFFF) == field) {
            real = r;
            break;
        }
    if (real == 0 || !inside(ref - CHUNK_HDR, real)) {
        problem("%s at %lx: chunk size %x does not fit its %lu bytes", what, (unsigned long) ref, field,
                (unsigned long) a);
        return false;
    }
    piece(ref - CHUNK_HDR, ref - CHUNK_HDR + real, what);
    if (end != nullptr)
        *end = ref - CHUNK_HDR + real;
    return true;
}

void checker_t::header()
{
    for (const th_reserved_t &r : TH_RESERVED)
        for (uint32_t i = 0; i < r.len; i++)
            if (m_base[r.off + i] != 0) {
                problem("reserved header byte %u is not zero", r.off + i);
                break;
            }
    if (g16(TH_TYPE_COUNT) != TYPE_STAT_COUNT)
        problem("type count is %u", g16(TH_TYPE_COUNT));
    if (g32(TH_FLAGS) & ~(TH_FLAG_INUSE | TH_FLAG_XREF))
        problem("unknown header flags %lx", (unsigned long) g32(TH_FLAGS));
    for (uint64_t i = m_top; i < m_size; i++)
        if (m_base[i] != 0) {
            problem("byte %lx after top %lx is not zero", (unsigned long) i, (unsigned long) m_top);
            break;
        }
    piece(0, TAG_HEADER_SIZE, "header");
}

void checker_t::counters_table()
{
    chunk(g32(TH_TYPE_STATS), TYPE_STAT_COUNT * TYPE_STAT_SIZE, "type counter table");
}

void checker_t::name_block()
{
    uint32_t nb = g32(TH_NAME_BLOCK);
    if (nb == 0)
        return;
    if (!chunk(nb, NAME_BLOCK_SIZE, "name block"))
        return;
    if (g32(nb) != NAME_BLOCK_SIZE)
        problem("name block's first word is %lu", (unsigned long) g32(nb));
    for (uint32_t i = 8; i < NAME_BLOCK_SIZE; i++)
        if (m_base[nb + i] != 0) {
            problem("name block byte %u is not zero", i);
            break;
        }
    uint32_t t = g32(nb + 4);
    if (t == 0)
        return;
    long len = text_len(t, m_top);
    if (t < TAG_HEADER_SIZE + CHUNK_HDR || len < 0)
        problem("database name at %lx is not a text", (unsigned long) t);
    else
        chunk(t, (uint64_t) len + 1, "database name");
}

void checker_t::file_table()
{
    std::set<uint32_t> seen;
    std::set<std::string> names;
    uint32_t fb = g32(TH_FIRST_FILEBLK), last = 0, id = 0;
    while (fb != 0) {
        if (!seen.insert(fb).second) {
            problem("file table chain loops at %lx", (unsigned long) fb);
            return;
        }
        if (!chunk(fb, FILE_BLOCK_SIZE, "file block"))
            return;
        if (g16(fb + 4) != 0 || g16(fb + FT_COUNT) != FT_SLOT_COUNT)
            problem("file block %lx: bad reserved word or slot count", (unsigned long) fb);
        for (uint32_t s = 0; s < FT_SLOT_COUNT; s++, id++) {
            uint32_t slot = fb + FT_SLOTS + s * FT_SLOT_SIZE;
            uint32_t ref = g32(slot + 4);
            if (ref == 0)
                continue;
            m_occupied.insert(id);
            std::string name;
            if (ref < 256) {
                name.assign(1, (char) ref);
            } else {
                long len = ref < NAME_REF_MIN ? -1 : text_len(ref, m_top);
                if (len < 0) {
                    problem("file %u: name reference %lx is not a text", id, (unsigned long) ref);
                    continue;
                }
                name.assign((const char *) m_base + ref, (size_t) len);
                chunk(ref, (uint64_t) len + 1, "file name");
            }
            if (!names.insert(name).second)
                problem("file %u: name %s is in the table twice", id, name.c_str());
        }
        last = fb;
        fb = g32(fb + FT_NEXT);
    }
    m_slot_count = id;
    if (last != g32(TH_LAST_FILEBLK))
        problem("last file block is %lx, the header says %lx", (unsigned long) last,
                (unsigned long) g32(TH_LAST_FILEBLK));
}

void checker_t::block_chain()
{
    std::set<uint32_t> seen;
    uint32_t b = g32(TH_FIRST_BLOCK), last = 0;
    uint32_t next_tid = g32(TH_NEXT_TID);
    while (b != 0) {
        if (!seen.insert(b).second) {
            problem("block chain loops at %lx", (unsigned long) b);
            return;
        }
        if (!inside(b, TI_ALLOC_EXTRA)) {
            problem("block %lx is outside the used area", (unsigned long) b);
            return;
        }
        block_t blk{b, g32(b + TI_FIRST_TID), g16(b + TI_SIZE), g16(b + TI_USED), g8(b + TI_REC_SIZE),
                    g24(b + TI_FILE_ID)};
        uint32_t kind = g8(b + TI_KIND);
        if (!((blk.b_rec == TAG_XREF_SIZE && kind == KIND_XREF) || (blk.b_rec == TAG_DEF_SIZE && kind == KIND_DEF))) {
            problem("block %lx: record size %u with kind %u", (unsigned long) b, blk.b_rec, kind);
            return;
        }
        if (blk.b_slots == 0)
            problem("block %lx has no slots", (unsigned long) b);
        if (!chunk(b, TI_ALLOC_EXTRA + (uint64_t) blk.b_slots * blk.b_rec, "tag index block"))
            return;
        if ((uint64_t) blk.b_tid + blk.b_slots > next_tid)
            problem("block %lx: tag numbers %lu+%u pass the next tag number %lu", (unsigned long) b,
                    (unsigned long) blk.b_tid, blk.b_slots, (unsigned long) next_tid);
        if (blk.b_file == FILE_ID_NONE) {
            if (blk.b_used != 0)
                problem("free block %lx has %u records in use", (unsigned long) b, blk.b_used);
            const unsigned char *r = m_base + b + TI_RECORDS;
            for (uint64_t i = 0; i < (uint64_t) blk.b_slots * blk.b_rec; i++)
                if (r[i] != FILL_FREE) {
                    problem("free block %lx: record byte %lu is %02x", (unsigned long) b, (unsigned long) i, r[i]);
                    break;
                }
        } else {
            if (blk.b_file != FILE_ID_PENDING && !m_occupied.count(blk.b_file))
                problem("block %lx belongs to file %lu, which is not in the file table", (unsigned long) b,
                        (unsigned long) blk.b_file);
            if (blk.b_used != blk.b_slots)
                problem("block %lx: %u of %u slots in use", (unsigned long) b, blk.b_used, blk.b_slots);
        }
        m_blocks.push_back(blk);
        last = b;
        b = g32(b + TI_NEXT);
    }
    if (last != g32(TH_LAST_BLOCK))
        problem("last block is %lx, the header says %lx", (unsigned long) last, (unsigned long) g32(TH_LAST_BLOCK));
    std::vector<block_t> by_tid = m_blocks;
    std::sort(by_tid.begin(), by_tid.end(), [](const block_t &x, const block_t &y) { return x.b_tid < y.b_tid; });
    for (size_t i = 1; i < by_tid.size(); i++)
        if ((uint64_t) by_tid[i - 1].b_tid + by_tid[i - 1].b_slots > by_tid[i].b_tid)
            problem("blocks %lx and %lx share tag numbers", (unsigned long) by_tid[i - 1].b_off,
                    (unsigned long) by_tid[i].b_off);
    m_blocks = by_tid;
}

void checker_t::free_index_chain()
{
    std::unordered_map<uint32_t, const block_t *> free_blocks;
    for (const block_t &b : m_blocks)
        if (b.b_file == FILE_ID_NONE)
            free_blocks.emplace(b.b_off, &b);
    std::set<uint32_t> seen;
    for (uint32_t f = g32(TH_FREE_INDEX); f != 0; f = g32(f + TI_NEXT_FREE)) {
        if (!free_blocks.count(f)) {
            problem("free index chain holds %lx, which is no free block of the chain", (unsigned long) f);
            return;
        }
        if (!seen.insert(f).second) {
            problem("free index chain loops at %lx", (unsigned long) f);
            return;
        }
    }
    if (seen.size() != free_blocks.size())
        problem("%lu free blocks, %lu on the free index chain", (unsigned long) free_blocks.size(),
                (unsigned long) seen.size());
}

const block_t *checker_t::block_of_tid(uint32_t tid) const
{
    auto it = std::upper_bound(m_blocks.begin(), m_blocks.end(), tid,
                               [](uint32_t t, const block_t &b) { return t < b.b_tid; });
    if (it == m_blocks.begin())
        return nullptr;
    --it;
    return tid < (uint64_t) it->b_tid + it->b_slots ? &*it : nullptr;
}

void checker_t::records()
{
    for (const block_t &b : m_blocks) {
        if (b.b_file == FILE_ID_NONE)
            continue;
        for (uint32_t i = 0; i < b.b_used && i < b.b_slots; i++) {
            uint64_t r = b.b_off + TI_RECORDS + (uint64_t) i * b.b_rec;
            if (g24(r + TX_LINE) == 0)
                continue;
            uint32_t name = g32(r + TX_NAME);
            if (name >= 256 && name < NAME_REF_MIN)
                problem("record %lx: name reference %lx", (unsigned long) r, (unsigned long) name);
            else if (name >= NAME_REF_MIN)
                m_name_uses[name]++;
            if (b.b_rec == TAG_XREF_SIZE) {
                m_total[kTypeXref]++;
                m_noparent[kTypeXref]++;
                continue;
            }
            uint32_t type = g8(r + TD_TYPE);
            uint32_t parent = g32(r + TD_PARENT);
            if (type >= TYPE_STAT_COUNT) {
                problem("record %lx: type %u", (unsigned long) r, type);
                continue;
            }
            m_total[type]++;
            if (parent == PARENT_NONE) {
                m_noparent[type]++;
            } else {
                const block_t *pb = block_of_tid(parent);
                if (pb == nullptr || pb->b_rec != TAG_DEF_SIZE || pb->b_file != b.b_file ||
                    parent - pb->b_tid >= pb->b_used)
                    problem("record %lx: parent %lx is no definition of the same file", (unsigned long) r,
                            (unsigned long) parent);
            }
            uint32_t text = g32(r + TD_TEXT);
            if (text == 0)
                continue;
            if (text < NAME_REF_MIN || !inside(text, 1)) {
                problem("record %lx: text reference %lx", (unsigned long) r, (unsigned long) text);
                continue;
            }
            if (!m_texts.insert(text).second) {
                problem("text %lx is used twice", (unsigned long) text);
                continue;
            }
            // Type and argument text, or for a structure or class possibly
            // its list of bases; the chunk must fit one of the two forms.
            long t1 = text_len(text, m_top);
            long t2 = t1 < 0 ? -1 : text_len(text + t1 + 1, m_top);
            uint64_t pair = t2 < 0 ? 0 : (uint64_t) t1 + 1 + t2 + 1;
            uint64_t list = 0;
            if (type == kTypeStruct || type == kTypeClass) {
                uint64_t p = text;
                for (;;) {
                    long n = text_len(p, m_top);
                    if (n < 0) {
                        list = 0;
                        break;
                    }
                    list = p + n + 1 - text;
                    if (n == 0)
                        break;
                    p += n + 1;
                }
            }
            if (pair == 0 && list == 0) {
                problem("record %lx: text %lx is not a text", (unsigned long) r, (unsigned long) text);
                continue;
            }
            uint32_t field = g16(text - CHUNK_HDR);
            auto fits = [&](uint64_t len) {
                uint64_t a = len + CHUNK_HDR < CHUNK_MIN ? CHUNK_MIN : len + CHUNK_HDR;
                return len != 0 && field >= a && field <= a + 16;
            };
            uint64_t len = fits(pair) ? pair : fits(list) ? list : 0;
            if (len == 0)
                problem("record %lx: text chunk size %x fits no text form", (unsigned long) r, field);
            else
                chunk(text, len, "definition text");
        }
    }
    uint32_t table = g32(TH_TYPE_STATS);
    if (!inside(table, TYPE_STAT_COUNT * TYPE_STAT_SIZE))
        return;
    for (int t = 0; t < TYPE_STAT_COUNT; t++) {
        uint64_t e = table + (uint64_t) t * TYPE_STAT_SIZE;
        if (m_base[e] != 0)
            problem("counter entry %d: reserved byte not zero", t);
        if (g32(e + TS_TOTAL) != m_total[t] || g32(e + TS_NOPARENT) != m_noparent[t])
            problem("type %d: counters say %lu/%lu, the records hold %lu/%lu", t, (unsigned long) g32(e + TS_TOTAL),
                    (unsigned long) g32(e + TS_NOPARENT), (unsigned long) m_total[t], (unsigned long) m_noparent[t]);
    }
}

void checker_t::names()
{
    for (const auto &kv : m_name_uses) {
        uint32_t ref = kv.first;
        long len = ref + 2 < m_top ? text_len(ref + 2, m_top) : -1;
        if (len < 0) {
            problem("name %lx is not a text", (unsigned long) ref);
            continue;
        }
        if (!chunk(ref, (uint64_t) len + 3, "shared name"))
            continue;
        uint32_t count = g16(ref);
        if (count != NAME_COUNT_SATURATED && count != kv.second)
            problem("name %s at %lx: count %u, %u uses", (const char *) m_base + ref + 2, (unsigned long) ref, count,
                    kv.second);
    }
}

void checker_t::free_lists()
{
    static const uint32_t heads[] = {TH_FREE1, TH_FREE2, TH_FREE3, TH_FREE4};
    for (int cls = 0; cls < 4; cls++) {
        std::set<uint32_t> seen;
        uint64_t prev_end = 0;
        for (uint32_t f = g32(heads[cls]); f != 0; f = g32(f + TF_NEXT)) {
            if (!seen.insert(f).second) {
                problem("free list %d loops at %lx", cls + 1, (unsigned long) f);
                break;
            }
            if (!inside(f, TAG_FREE_SIZE)) {
                problem("free list %d: block %lx outside the used area", cls + 1, (unsigned long) f);
                break;
            }
            uint32_t s = g32(f + TF_SIZE);
            if (s < TAG_FREE_SIZE || !inside(f, s)) {
                problem("free list %d: block %lx has size %lx", cls + 1, (unsigned long) f, (unsigned long) s);
                break;
            }
            if (f < prev_end)
                problem("free list %d: block %lx is out of order or overlaps", cls + 1, (unsigned long) f);
            else if (f == prev_end)
                problem("free list %d: block %lx is adjacent to the one before", cls + 1, (unsigned long) f);
            prev_end = (uint64_t) f + s;
            piece(f, prev_end, "free block");
        }
    }
}

void checker_t::pools()
{
    static const uint32_t heads[] = {TH_POOL_FILENAMES, TH_POOL_NAMES, TH_POOL_TEXTS};
    for (int k = 0; k < 3; k++) {
        std::set<uint32_t> seen;
        for (uint32_t p = g32(heads[k]); p != 0; p = g32(p + PC_NEXT)) {
            if (!seen.insert(p).second) {
                problem("pool %d loops at %lx", k + 1, (unsigned long) p);
                break;
            }
            if (!inside(p, PC_DATA)) {
                problem("pool %d: chunk %lx outside the used area", k + 1, (unsigned long) p);
                break;
            }
            uint32_t cap = g32(p + PC_CAPACITY), used = g32(p + PC_USED);
            if (used > cap) {
                problem("pool %d: chunk %lx uses %lu of %lu bytes", k + 1, (unsigned long) p, (unsigned long) used,
                        (unsigned long) cap);
                break;
            }
            // The header and the unused tail are pieces of their own; the
            // entries in between are found through their references.
            uint64_t end = 0;
            size_t at = m_pieces.size();
            if (!chunk(p, (uint64_t) cap + PC_DATA, "pool chunk", &end))
                break;
            m_pieces[at].p_end = p + PC_DATA;
            if (p + PC_DATA + (uint64_t) used < end)
                piece(p + PC_DATA + (uint64_t) used, end, "pool space");
            if (k == 1)
                m_name_pools.push_back({p + PC_DATA, p + PC_DATA + (uint64_t) used});
        }
    }
}

// Names whose count saturated are never freed, so when their last tag goes
// they stay in the pool with nothing pointing at them.
bool checker_t::orphan_names(uint64_t start, uint64_t end) const
{
    bool in_pool = false;
    for (const auto &r : m_name_pools)
        if (start >= r.first && end <= r.second)
            in_pool = true;
    if (!in_pool)
        return false;
    for (uint64_t q = start; q < end;) {
        uint32_t s = g16(q);
        if (s < CHUNK_MIN || q + s > end || g16(q + 2) != NAME_COUNT_SATURATED || text_len(q + 4, q + s) < 0)
            return false;
        q += s;
    }
    return true;
}

void checker_t::tiling()
{
    std::sort(m_pieces.begin(), m_pieces.end(),
              [](const piece_t &x, const piece_t &y) { return x.p_start < y.p_start; });
    uint64_t pos = 0;
    const char *last = "start";
    for (const piece_t &p : m_pieces) {
        if (p.p_start < pos) {
            problem("%s at %lx overlaps %s ending at %lx", p.p_what, (unsigned long) p.p_start, last,
                    (unsigned long) pos);
        } else if (p.p_start > pos && !structure_only() && !orphan_names(pos, p.p_start)) {
            problem("bytes %lx..%lx after %s belong to nothing", (unsigned long) pos, (unsigned long) p.p_start, last);
        }
        if (p.p_end > pos) {
            pos = p.p_end;
            last = p.p_what;
        }
    }
    if (pos < m_top && !structure_only() && !orphan_names(pos, m_top))
        problem("bytes %lx..%lx before top belong to nothing", (unsigned long) pos, (unsigned long) m_top);
}

int checker_t::run()
{
    if (m_base == nullptr || m_size < TAG_HEADER_SIZE) {
        problem("file of %lu bytes is shorter than a header", (unsigned long) m_size);
        return m_problems;
    }
    if (g32(TH_MAGIC) != TAG_MAGIC || g32(TH_VERSION) != TAG_VERSION) {
        problem("magic %lx version %lu", (unsigned long) g32(TH_MAGIC), (unsigned long) g32(TH_VERSION));
        return m_problems;
    }
    m_top = g32(TH_TOP);
    if (m_top < TAG_HEADER_SIZE || m_top > m_size) {
        problem("top %lx outside 246..%lx", (unsigned long) m_top, (unsigned long) m_size);
        return m_problems;
    }
    header();
    counters_table();
    name_block();
    file_table();
    block_chain();
    free_index_chain();
    if (!structure_only()) {
        records();
        names();
    }
    free_lists();
    pools();
    tiling();
    return m_problems;
}

int report(checker_t &c, char *msg, size_t msg_size)
{
    int n = c.run();
    if (msg != nullptr && msg_size > 0) {
        if (n > kMaxMessages)
            c.m_report += "...\n";
        snprintf(msg, msg_size, "%s", c.m_report.c_str());
    }
    return n;
}

} // namespace

int tvt_check(const unsigned char *base, size_t size, char *msg, size_t msg_size)
{
    return tvt_check_mode(base, size, 0, msg, msg_size);
}

int tvt_check_mode(const unsigned char *base, size_t size, int mode, char *msg, size_t msg_size)
{
    checker_t c(base, size, mode);
    return report(c, msg, msg_size);
}

int tvt_check_db(const tvt_db_t *db, char *msg, size_t msg_size)
{
    return tvt_check(tvt_base(db), tvt_size(db), msg, msg_size);
}

int tvt_check_file(const char *path, char *msg, size_t msg_size)
{
    FILE *fp = fopen(path, "rb");
    if (fp == nullptr) {
        if (msg != nullptr && msg_size > 0)
            snprintf(msg, msg_size, "cannot read %s\n", path);
        return -1;
    }
    std::vector<unsigned char> bytes;
    unsigned char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, fp)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    fclose(fp);
    return tvt_check(bytes.data(), bytes.size(), msg, msg_size);
}
