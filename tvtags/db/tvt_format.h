#ifndef TVTAGS_DB_TVT_FORMAT_H
#define TVTAGS_DB_TVT_FORMAT_H
/* Layout of the binary tag database.  Every field is big-endian and
 * unaligned, read and written only with the LGET/LPUT helpers; these are
 * byte offsets and sizes, never C structs laid over the bytes. */
#include <stdint.h>

/* Header (tag_header_t), 246 bytes at offset 0. */
#define TH_MAGIC          0
#define TH_VERSION        4
#define TH_TYPE_COUNT     8
#define TH_TYPE_STATS     10
#define TH_NEXT_TID       14
#define TH_FIRST_BLOCK    18
#define TH_LAST_BLOCK     22
#define TH_DEF_HINT       26
#define TH_XREF_HINT      30
#define TH_FIRST_FILEBLK  50
#define TH_LAST_FILEBLK   54
#define TH_POOL_FILENAMES 66
#define TH_POOL_NAMES     82
#define TH_POOL_TEXTS     98
#define TH_FREE1          114
#define TH_FREE_INDEX     118
#define TH_TOP            122
#define TH_FLAGS          126
#define TH_FREE2          130
#define TH_FREE3          162
#define TH_FREE4          194
#define TH_NAME_BLOCK     226
#define TAG_HEADER_SIZE   246

#define TAG_MAGIC   0x04010721u
#define TAG_VERSION 2u
#define TAG_NEW_FILE_SIZE 4096

#define TH_FLAG_INUSE 1u
#define TH_FLAG_XREF  2u

/* Header bytes this version leaves zero: offset and length of each run. */
typedef struct th_reserved_t {
    uint32_t off, len;
} th_reserved_t;
static const th_reserved_t TH_RESERVED[] = {{34, 16}, {58, 8}, {70, 12}, {86, 12}, {102, 12},
                                            {134, 28}, {166, 28}, {198, 28}, {230, 16}};

/* Allocated chunk: 16-bit size, then the payload (references point at it). */
#define CHUNK_HDR 2
#define CHUNK_MIN 8

/* Free block (tag_free_t). */
#define TF_NEXT 0
#define TF_SIZE 4
#define TAG_FREE_SIZE 8

/* Tag index block (tag_index_t), offsets within the payload. */
#define TI_NEXT      0
#define TI_NEXT_FREE 4
#define TI_USED      8
#define TI_SIZE      10
#define TI_FIRST_TID 12
#define TI_REC_SIZE  16
#define TI_KIND      17
#define TI_FILE_ID   18
#define TI_RECORDS   21
#define TI_ALLOC_EXTRA 22   /* payload = 22 + slots x record size */

#define KIND_XREF 54
#define KIND_DEF  55
#define FILL_FREE 0x66

#define FILE_ID_NONE    0xFFFFFFu
#define FILE_ID_PENDING 0xFFFFFEu

/* Cross-reference record (tag_xref_t). */
#define TX_NAME 0
#define TX_LINE 4
#define TAG_XREF_SIZE 7

/* Definition record (tag_def_t). */
#define TD_NAME   0
#define TD_LINE   4
#define TD_TYPE   7
#define TD_FLAGS  8
#define TD_PARENT 10
#define TD_TEXT   14
#define TAG_DEF_SIZE 18
#define PARENT_NONE 0xFFFFFFFFu

/* Name references below this are not offsets: 1..255 are one-character
 * names. */
#define NAME_REF_MIN 512
#define NAME_COUNT_SATURATED 0xFFFFu

/* File table block (file_table_t), payload 2056 bytes. */
#define FT_NEXT  0
#define FT_COUNT 6
#define FT_SLOTS 8
#define FT_SLOT_COUNT 256
#define FT_SLOT_SIZE 8
#define FILE_BLOCK_SIZE 2056

/* Per-type counter table (type_stat_t): 82 entries of 9 bytes. */
#define TS_NOPARENT 1
#define TS_TOTAL 5
#define TYPE_STAT_SIZE 9
#define TYPE_STAT_COUNT 82

/* Pool chunk (pool_chunk_t). */
#define PC_NEXT 0
#define PC_CAPACITY 4
#define PC_USED 8
#define PC_DATA 12
#define POOL_MIN_CAPACITY 8192

/* Name block (name_block_t). */
#define NAME_BLOCK_SIZE 1032

#define SLICE_TAGS 60000

#endif
