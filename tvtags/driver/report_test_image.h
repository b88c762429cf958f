#ifndef TVTAGS_DRIVER_REPORT_TEST_IMAGE_H
#define TVTAGS_DRIVER_REPORT_TEST_IMAGE_H
// Builds tag database images byte by byte for the report tests, so that a
// test can lay out exactly the blocks, lists and damage it needs.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "db/tvt_format.h"
#include "driver/report_reader.h"
#include "wrenlib/byteorder.h"

namespace rpt_test {

class image_t {
public:
    std::vector<unsigned char> b;

    image_t()
    {
        b.assign(TAG_HEADER_SIZE, 0);
        put32(TH_MAGIC, TAG_MAGIC);
        put32(TH_VERSION, TAG_VERSION);
        put16(TH_TYPE_COUNT, TYPE_STAT_COUNT);
        put32(TH_TOP, TAG_HEADER_SIZE);
        put32(TH_TYPE_STATS, chunk(TYPE_STAT_SIZE * TYPE_STAT_COUNT));
    }

    void put16(uint32_t at, uint32_t v) { LPUT16(&b[at], v); }
    void put24(uint32_t at, uint32_t v) { LPUT24(&b[at], v); }
    void put32(uint32_t at, uint32_t v) { LPUT32(&b[at], v); }
    uint32_t get32(uint32_t at) const { return LGET32(&b[at]); }
    uint32_t size() const { return (uint32_t)b.size(); }

    // An allocated chunk at top; returns its payload reference.
    uint32_t chunk(uint32_t payload)
    {
        uint32_t start = size();
        uint32_t total = payload + CHUNK_HDR < CHUNK_MIN ? CHUNK_MIN : payload + CHUNK_HDR;
        b.resize(start + total, 0);
        put16(start, total > 0xFFFF ? total & 0xFFFF : total);
        put32(TH_TOP, size());
        return start + CHUNK_HDR;
    }

    // A shared tag name: reference count, then the text.
    uint32_t name(const char *s)
    {
        uint32_t len = (uint32_t)strlen(s) + 1;
        uint32_t ref = chunk(2 + len);
        put16(ref, 1);
        memcpy(&b[ref + 2], s, len);
        return ref;
    }

    // A plain NUL-terminated string (file names, the database name).
    uint32_t string(const char *s)
    {
        uint32_t len = (uint32_t)strlen(s) + 1;
        uint32_t ref = chunk(len);
        memcpy(&b[ref], s, len);
        return ref;
    }

    uint32_t text(const char *type, const char *args)
    {
        uint32_t lt = (uint32_t)strlen(type) + 1, la = (uint32_t)strlen(args) + 1;
        uint32_t ref = chunk(lt + la);
        memcpy(&b[ref], type, lt);
        memcpy(&b[ref + lt], args, la);
        return ref;
    }

    void db_name(const char *name)
    {
        uint32_t blk = chunk(NAME_BLOCK_SIZE);
        put32(blk, NAME_BLOCK_SIZE);
        put32(blk + 4, string(name));
        put32(TH_NAME_BLOCK, blk);
    }

    void file(uint32_t id, const char *name, uint32_t mtime = 1000)
    {
        while (file_blocks.size() <= id / FT_SLOT_COUNT) {
            uint32_t blk = chunk(FILE_BLOCK_SIZE);
            put16(blk + FT_COUNT, FT_SLOT_COUNT);
            if (file_blocks.empty())
                put32(TH_FIRST_FILEBLK, blk);
            else
                put32(file_blocks.back() + FT_NEXT, blk);
            put32(TH_LAST_FILEBLK, blk);
            file_blocks.push_back(blk);
        }
        uint32_t slot = file_blocks[id / FT_SLOT_COUNT] + FT_SLOTS + (id % FT_SLOT_COUNT) * FT_SLOT_SIZE;
        put32(slot, mtime);
        put32(slot + 4, name ? string(name) : 0);
    }

    // A tag index block linked at the end of the chain, all slots in use.
    uint32_t block(uint32_t kind, uint32_t rec_size, uint32_t slots, uint32_t first_tid, uint32_t file_id)
    {
        uint32_t blk = chunk(TI_ALLOC_EXTRA + slots * rec_size);
        put16(blk + TI_USED, slots);
        put16(blk + TI_SIZE, slots);
        put32(blk + TI_FIRST_TID, first_tid);
        b[blk + TI_REC_SIZE] = (unsigned char)rec_size;
        b[blk + TI_KIND] = (unsigned char)kind;
        put24(blk + TI_FILE_ID, file_id);
        uint32_t last = get32(TH_LAST_BLOCK);
        if (last)
            put32(last + TI_NEXT, blk);
        else
            put32(TH_FIRST_BLOCK, blk);
        put32(TH_LAST_BLOCK, blk);
        return blk;
    }

    uint32_t slot_at(uint32_t blk, uint32_t i) const
    {
        return blk + TI_RECORDS + i * b[blk + TI_REC_SIZE];
    }

    void def(uint32_t blk, uint32_t i, uint32_t name_ref, uint32_t line, uint32_t type, uint32_t flags = 0,
             uint32_t parent = PARENT_NONE, uint32_t text_ref = 0)
    {
        uint32_t at = slot_at(blk, i);
        put32(at + TD_NAME, name_ref);
        put24(at + TD_LINE, line);
        b[at + TD_TYPE] = (unsigned char)type;
        put16(at + TD_FLAGS, flags);
        put32(at + TD_PARENT, parent);
        put32(at + TD_TEXT, text_ref);
    }

    void xref(uint32_t blk, uint32_t i, uint32_t name_ref, uint32_t line)
    {
        uint32_t at = slot_at(blk, i);
        put32(at + TX_NAME, name_ref);
        put24(at + TX_LINE, line);
    }

    // Marks a block free the way removing its file does, and pushes it on
    // the chain of free blocks.
    void free_block(uint32_t blk)
    {
        put24(blk + TI_FILE_ID, FILE_ID_NONE);
        put16(blk + TI_USED, 0);
        uint32_t slots = LGET16(&b[blk + TI_SIZE]);
        memset(&b[blk + TI_RECORDS], FILL_FREE, slots * b[blk + TI_REC_SIZE]);
        put32(blk + TI_NEXT_FREE, get32(TH_FREE_INDEX));
        put32(TH_FREE_INDEX, blk);
    }

    // Raw space at top for free blocks; returns its start.
    uint32_t space(uint32_t n)
    {
        uint32_t start = size();
        b.resize(start + n, 0);
        put32(TH_TOP, size());
        return start;
    }

    void free_entry(uint32_t at, uint32_t size_field, uint32_t next)
    {
        put32(at + TF_NEXT, next);
        put32(at + TF_SIZE, size_field);
    }

    rpt::view_t view() const { return rpt::view_t{b.data(), b.size()}; }

private:
    std::vector<uint32_t> file_blocks;
};

} // namespace rpt_test

#endif
