// A writer on a damaged tag file: damage in what the writer walks or changes
// is found at open and the file is started afresh; damage in the records of
// a file being removed is found before anything of it is freed; a writer
// never builds damage on damage.  The inputs the fuzzer once failed on are
// replayed here too.
#include <filesystem>
#include <functional>

#include "db/tvt_test_util.h"
#include "../../fuzz/db_writer_run.h"

namespace {

using namespace tvt_test;
using Bytes = std::vector<unsigned char>;

class DamageTest : public DbTest {
  protected:
    std::string p;
    void SetUp() override
    {
        DbTest::SetUp();
        p = path("tags");
    }

    // a.c has texts and a name used twice; c.c was rescanned smaller, which
    // left free tag index blocks and free-list space behind.  More files
    // before that make the structures many, as in a real tree.
    void make_sample(int more_files = 0)
    {
        tvt_db_t *db = open_w(p);
        scan(db, "a.c", 5,
             {Tag("alpha", 1).texts("int", "(void)"), Tag("xx", 2).texts("int", ""),
              Tag("xx", 3, TT_MEMBER).texts("char", ""), Tag("beta", 4).texts("long", "(int n)")});
        scan(db, "b.c", 5, {Tag("gamma", 1).texts("void", "(void)"), Tag("delta", 2)});
        scan(db, "c.c", 5,
             {Tag("one", 1).texts("int", "(int a, int b, int c)"), Tag("two", 2).texts("int", "(char *s)"),
              Tag("three", 3).texts("short", "(void)")});
        for (int i = 0; i < more_files; i++) {
            std::string n = std::to_string(i);
            scan(db, "more/f" + n + ".c", 5,
                 {Tag("fn" + n, 1).texts("int", "(void)"), Tag("fn" + n, 2, TT_XREF)});
        }
        scan(db, "c.c", 6, {Tag("four", 1)});
        ASSERT_EQ(check(db), "");
        tvt_close(db);
    }

    // Opens for writing and tells whether the open said the file is damaged.
    tvt_db_t *open_noting(bool *damaged)
    {
        testing::internal::CaptureStderr();
        tvt_db_t *db = open_w(p);
        *damaged = testing::internal::GetCapturedStderr().find("damaged") != std::string::npos;
        return db;
    }

  public:
    uint32_t file_block(const Bytes &b) { return LGET32(b.data() + TH_FIRST_FILEBLK); }
    uint32_t slot(const Bytes &b, int id) { return file_block(b) + FT_SLOTS + (uint32_t) id * FT_SLOT_SIZE; }

    // The chain of all blocks as stored.
    std::vector<BlockInfo> chain(const Bytes &b)
    {
        std::vector<BlockInfo> out;
        for (uint32_t off = LGET32(b.data() + TH_FIRST_BLOCK); off; off = LGET32(b.data() + off + TI_NEXT))
            out.push_back({off, LGET32(b.data() + off + TI_FIRST_TID), LGET16(b.data() + off + TI_SIZE),
                           LGET16(b.data() + off + TI_USED), b[off + TI_REC_SIZE], b[off + TI_KIND],
                           LGET24(b.data() + off + TI_FILE_ID)});
        return out;
    }
    BlockInfo block_where(const Bytes &b, std::function<bool(const BlockInfo &)> pred)
    {
        for (const BlockInfo &k : chain(b))
            if (pred(k))
                return k;
        ADD_FAILURE() << "no such block";
        return {};
    }
    // Definition record i of file 0.
    uint32_t def_record(const Bytes &b, int i)
    {
        BlockInfo k = block_where(b, [](const BlockInfo &x) { return x.file == 0 && x.rec == TAG_DEF_SIZE; });
        return k.off + TI_RECORDS + (uint32_t) i * TAG_DEF_SIZE;
    }
};

// Damage to a structure a writer walks or changes: the open finds it.
struct OpenDamage {
    const char *what;
    std::function<void(DamageTest &, Bytes &)> damage;
};

class DamageAtOpenTest : public DamageTest, public testing::WithParamInterface<OpenDamage> {
  protected:
    void expect_found_at_open(int more_files)
    {
        make_sample(more_files);
        Bytes b = read_bytes(p);
        GetParam().damage(*this, b);
        ASSERT_FALSE(HasFailure());
        write_bytes(p, b);
        ASSERT_NE(check_file(p), "") << "the damage is no damage";
        bool damaged = false;
        tvt_db_t *db = open_noting(&damaged);
        ASSERT_NE(db, nullptr);
        EXPECT_TRUE(damaged);
        EXPECT_EQ(tvt_find_file(db, "a.c"), -1);
        scan(db, "d.c", 1, {Tag("fresh", 1)});
        EXPECT_EQ(stored_tags(db, "d.c").size(), 1u);
        EXPECT_EQ(check(db), "");
        tvt_close(db);
    }
};

TEST_P(DamageAtOpenTest, IsFoundAtOpenAndTheFileIsStartedAfresh) { expect_found_at_open(0); }

// Opening a big file sorts its many structures another way than a small
// one; the damage is found there too.
TEST_P(DamageAtOpenTest, IsFoundInAFileOfManyStructures) { expect_found_at_open(400); }

const OpenDamage kOpenDamage[] = {
    {"FileNameChunkOfTheWrongSize",
     [](DamageTest &t, Bytes &b) {
         uint32_t ref = LGET32(b.data() + t.slot(b, 0) + 4);
         LPUT16(b.data() + ref - CHUNK_HDR, 0x3e8);
     }},
    {"OneFileNameInTwoSlots",
     [](DamageTest &t, Bytes &b) { LPUT32(b.data() + t.slot(b, 1) + 4, LGET32(b.data() + t.slot(b, 0) + 4)); }},
    {"ReservedHeaderByteSet", [](DamageTest &, Bytes &b) { b[60] = 1; }},
    {"UnknownHeaderFlag", [](DamageTest &, Bytes &b) { LPUT32(b.data() + TH_FLAGS, 0x100); }},
    {"BytesAfterTopNotZero", [](DamageTest &, Bytes &b) { b.back() = 7; }},
    {"CounterTableChunkOfTheWrongSize",
     [](DamageTest &, Bytes &b) { LPUT16(b.data() + LGET32(b.data() + TH_TYPE_STATS) - CHUNK_HDR, 100); }},
    {"BlockOfAFileNotInTheTable",
     [](DamageTest &t, Bytes &b) {
         BlockInfo k = t.block_where(b, [](const BlockInfo &x) { return x.file == 1; });
         LPUT24(b.data() + k.off + TI_FILE_ID, 100000);   // past every slot
     }},
    {"BlockWithItsKindWrong",
     [](DamageTest &t, Bytes &b) {
         BlockInfo k = t.block_where(b, [](const BlockInfo &x) { return x.file == 1; });
         b[k.off + TI_KIND] = KIND_XREF;
     }},
    {"TwoBlocksGivingOutOneTagNumber",
     [](DamageTest &t, Bytes &b) {
         auto c = t.chain(b);
         LPUT32(b.data() + c[1].off + TI_FIRST_TID, c[0].tid);
     }},
    {"FreeBlockOffTheFreeChain", [](DamageTest &, Bytes &b) { LPUT32(b.data() + TH_FREE_INDEX, 0); }},
    {"FreeBlockNotFilled",
     [](DamageTest &t, Bytes &b) {
         BlockInfo k = t.block_where(b, [](const BlockInfo &x) { return x.file == FILE_ID_NONE; });
         b[k.off + TI_RECORDS + 1] = 0;
     }},
    {"TwoAdjacentBlocksOnAFreeList",
     [](DamageTest &, Bytes &b) {
         // The first list block of 16 bytes or more, split in two that touch.
         for (uint32_t head : {TH_FREE1, TH_FREE2, TH_FREE3, TH_FREE4}) {
             uint32_t f = LGET32(b.data() + head);
             if (f == 0 || LGET32(b.data() + f + TF_SIZE) < 16)
                 continue;
             uint32_t s = LGET32(b.data() + f + TF_SIZE);
             LPUT32(b.data() + f + 8 + TF_NEXT, LGET32(b.data() + f + TF_NEXT));
             LPUT32(b.data() + f + 8 + TF_SIZE, s - 8);
             LPUT32(b.data() + f + TF_NEXT, f + 8);
             LPUT32(b.data() + f + TF_SIZE, 8);
             return;
         }
         ADD_FAILURE() << "the sample has no free block to split";
     }},
    {"FreeBlockInsideUnusedPoolSpace",
     [](DamageTest &, Bytes &b) {
         uint32_t pc = LGET32(b.data() + TH_POOL_NAMES);
         uint32_t tail = pc + PC_DATA + LGET32(b.data() + pc + PC_USED);
         ASSERT_EQ(LGET32(b.data() + TH_FREE4), 0u);
         LPUT32(b.data() + tail + TF_NEXT, 0);
         LPUT32(b.data() + tail + TF_SIZE, 16);
         LPUT32(b.data() + TH_FREE4, tail);
     }},
    {"PoolChainMeetingAPoolTwice",
     [](DamageTest &, Bytes &b) {
         uint32_t names = LGET32(b.data() + TH_POOL_NAMES);
         uint32_t pc = LGET32(b.data() + TH_POOL_TEXTS);
         while (LGET32(b.data() + pc + PC_NEXT) != 0)
             pc = LGET32(b.data() + pc + PC_NEXT);
         LPUT32(b.data() + pc + PC_NEXT, names);
     }},
    {"PoolChainLoopingOnItself",
     [](DamageTest &, Bytes &b) {
         uint32_t pc = LGET32(b.data() + TH_POOL_NAMES);
         LPUT32(b.data() + pc + PC_NEXT, pc);
     }},
    {"PoolChunkUsingMoreThanItHolds",
     [](DamageTest &, Bytes &b) {
         uint32_t pc = LGET32(b.data() + TH_POOL_TEXTS);
         LPUT32(b.data() + pc + PC_USED, LGET32(b.data() + pc + PC_CAPACITY) + 1);
     }},
};

INSTANTIATE_TEST_SUITE_P(Damage, DamageAtOpenTest, testing::ValuesIn(kOpenDamage),
                         [](const testing::TestParamInfo<OpenDamage> &i) { return std::string(i.param.what); });

// Damage in the records of a.c: not read at open, found when a.c goes.
struct RecordDamage {
    const char *what;
    std::function<void(DamageTest &, Bytes &)> damage;
};

class DamageAtRemovalTest : public DamageTest, public testing::WithParamInterface<RecordDamage> {
  protected:
    tvt_db_t *open_damaged()
    {
        make_sample();
        Bytes b = read_bytes(p);
        GetParam().damage(*this, b);
        write_bytes(p, b);
        bool damaged = true;
        tvt_db_t *db = open_noting(&damaged);
        EXPECT_FALSE(damaged) << "records are not read at open";
        EXPECT_EQ(tvt_find_file(db, "a.c"), 0);
        return db;
    }
};

TEST_P(DamageAtRemovalTest, RemovingTheFileStartsAfreshBeforeFreeingAnything)
{
    tvt_db_t *db = open_damaged();
    ASSERT_NE(db, nullptr);
    scan(db, "d.c", 1, {Tag("added", 1)});
    testing::internal::CaptureStderr();
    tvt_remove_file(db, "a.c");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("damaged"), std::string::npos);
    EXPECT_EQ(tvt_find_file(db, "b.c"), -1);
    EXPECT_EQ(tvt_find_file(db, "d.c"), -1);
    EXPECT_EQ(check(db), "");
    // The handle goes on working on the fresh file.
    scan(db, "e.c", 1, {Tag("later", 1).texts("int", "(void)")});
    EXPECT_EQ(stored_tags(db, "e.c").size(), 1u);
    EXPECT_EQ(check(db), "");
    tvt_close(db);
    EXPECT_EQ(check_file(p), "");
}

TEST_P(DamageAtRemovalTest, RescanOfTheFileStoresItsNewTagsInTheFreshFile)
{
    tvt_db_t *db = open_damaged();
    ASSERT_NE(db, nullptr);
    testing::internal::CaptureStderr();
    scan(db, "a.c", 9, {Tag("rescanned", 1), Tag("member", 2, TT_MEMBER, 0, 2)});
    EXPECT_NE(testing::internal::GetCapturedStderr().find("damaged"), std::string::npos);
    auto tags = stored_tags(db, "a.c");
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0].name, "member");
    EXPECT_EQ(tags[0].parent, "rescanned:1");
    EXPECT_EQ(tvt_find_file(db, "b.c"), -1);
    EXPECT_EQ(check(db), "");
    tvt_close(db);
}

TEST_P(DamageAtRemovalTest, TagsStagedForAnotherFileGoIntoTheFreshFile)
{
    // The staged tags hold their names as text, so nothing of them refers
    // to the file that is started afresh: the file being scanned keeps them.
    tvt_db_t *db = open_damaged();
    ASSERT_NE(db, nullptr);
    tvt_begin_file(db, "d.c", 1);
    int parent = add(db, Tag("staged", 1).texts("int", ""));
    testing::internal::CaptureStderr();
    tvt_remove_file(db, "a.c");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("damaged"), std::string::npos);
    EXPECT_GE(add(db, Tag("after", 2, TT_MEMBER, 0, parent)), 2);
    tvt_end_file(db);
    auto tags = stored_tags(db, "d.c");
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0].name, "after");
    EXPECT_EQ(tags[0].parent, "staged:1");
    EXPECT_EQ(tvt_find_file(db, "b.c"), -1);
    EXPECT_EQ(check(db), "");
    tvt_close(db);
    EXPECT_EQ(check_file(p), "");
}

const RecordDamage kRecordDamage[] = {
    {"OneTextForTwoRecords",
     [](DamageTest &t, Bytes &b) {
         LPUT32(b.data() + t.def_record(b, 1) + TD_TEXT, LGET32(b.data() + t.def_record(b, 0) + TD_TEXT));
     }},
    {"TextOverTheFileTable",
     [](DamageTest &t, Bytes &b) {
         // A text that reads well (two empty strings) and has a size that
         // fits, in the time field of a free slot: freeing it would free
         // part of the table.
         uint32_t at = t.slot(b, 200);
         memcpy(b.data() + at, "\x00\x08\x00\x00", 4);
         LPUT32(b.data() + t.def_record(b, 0) + TD_TEXT, at + CHUNK_HDR);
     }},
    {"TextChunkOfTheWrongSize",
     [](DamageTest &t, Bytes &b) {
         uint32_t text = LGET32(b.data() + t.def_record(b, 0) + TD_TEXT);
         LPUT16(b.data() + text - CHUNK_HDR, 0x4000);
     }},
    {"TextInFreeSpace",
     [](DamageTest &t, Bytes &b) {
         uint32_t f = LGET32(b.data() + TH_FREE1) ? LGET32(b.data() + TH_FREE1) : LGET32(b.data() + TH_FREE2);
         ASSERT_NE(f, 0u);
         LPUT32(b.data() + t.def_record(b, 0) + TD_TEXT, f + CHUNK_HDR);
     }},
    {"NameCountedLessOftenThanUsed",
     [](DamageTest &t, Bytes &b) {
         uint32_t name = LGET32(b.data() + t.def_record(b, 1) + TD_NAME);
         ASSERT_EQ(LGET16(b.data() + name), 2u);
         LPUT16(b.data() + name, 1);
     }},
    {"NameWithoutItsEnd",
     [](DamageTest &t, Bytes &b) {
         LPUT32(b.data() + t.def_record(b, 0) + TD_NAME, (uint32_t) b.size() - 4);
     }},
};

INSTANTIATE_TEST_SUITE_P(Damage, DamageAtRemovalTest, testing::ValuesIn(kRecordDamage),
                         [](const testing::TestParamInfo<RecordDamage> &i) { return std::string(i.param.what); });

// A writer does not pay for damage it never meets: a wrong counter or a
// broken record of a file it leaves alone keeps the database, and what the
// writer adds and removes is sound.
TEST_F(DamageTest, DamageInRecordsOfFilesLeftAloneKeepsTheDatabase)
{
    make_sample();
    Bytes b = read_bytes(p);
    BlockInfo k = block_where(b, [](const BlockInfo &x) { return x.file == 1 && x.rec == TAG_DEF_SIZE; });
    LPUT32(b.data() + k.off + TI_RECORDS + TD_TEXT, 300);
    LPUT32(b.data() + LGET32(b.data() + TH_TYPE_STATS) + TT_ENUM * TYPE_STAT_SIZE + TS_TOTAL, 9);
    write_bytes(p, b);
    bool damaged = true;
    tvt_db_t *db = open_noting(&damaged);
    ASSERT_NE(db, nullptr);
    EXPECT_FALSE(damaged);
    tvt_remove_file(db, "a.c");
    scan(db, "d.c", 1, {Tag("added", 1).texts("int", "")});
    EXPECT_EQ(tvt_find_file(db, "b.c"), 1);
    char msg[2048];
    EXPECT_EQ(tvt_check_mode(tvt_base(db), tvt_size(db), TVT_CHECK_STRUCTURE, msg, sizeof msg), 0) << msg;
    tvt_close(db);
}

// The structure mode of the checker is blind to records but not to the
// structures: a writer that broke one would be caught by the fuzz verdict.
TEST_F(DamageTest, StructureCheckSeesStructuresAndNotRecords)
{
    make_sample();
    Bytes b = read_bytes(p);
    Bytes records = b;
    LPUT32(records.data() + def_record(records, 0) + TD_NAME, 300);
    EXPECT_NE(tvt_check(records.data(), records.size(), nullptr, 0), 0);
    EXPECT_EQ(tvt_check_mode(records.data(), records.size(), TVT_CHECK_STRUCTURE, nullptr, 0), 0);
    Bytes table = b;
    LPUT16(table.data() + LGET32(table.data() + slot(table, 0) + 4) - CHUNK_HDR, 0x3e8);
    EXPECT_NE(tvt_check_mode(table.data(), table.size(), TVT_CHECK_STRUCTURE, nullptr, 0), 0);
}

// Every input the db_writer fuzz target once failed on, through the same
// sequence and the same verdict.
TEST_F(DamageTest, FuzzRegressionInputs)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::path(TV_SOURCE_DIR) / "fuzz" / "regress" / "db_writer";
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    int seen = 0;
    for (const fs::directory_entry &e : fs::directory_iterator(dir)) {
        SCOPED_TRACE(e.path().filename().string());
        Bytes input = read_bytes(e.path().string());
        write_bytes(p, input);
        tvt_db_t *db = nullptr;
        testing::internal::CaptureStderr();
        db_writer_run::writer_pass(p.c_str(), &db);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(db_writer_run::verdict(input, read_bytes(p)), "");
        seen++;
    }
    EXPECT_GT(seen, 0);
}

} // namespace
