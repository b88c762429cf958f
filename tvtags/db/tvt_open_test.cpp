// Opening and closing: the error codes, re-initialisation, the crash
// marker, the in-use flag and its wait, the database name, the
// cross-reference flag, and a reopened database's indexes.
#include <chrono>

#include "db/tvt_test_util.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"

namespace {

using namespace tvt_test;
using Clock = std::chrono::steady_clock;

// Whether two names are one file, whatever separators they are written with.
bool same_path(const std::string &a, const std::string &b)
{
    char *x = simplify_filename(a.c_str()), *y = simplify_filename(b.c_str());
    bool same = strcmp(x, y) == 0;
    chk_free(x);
    chk_free(y);
    return same;
}

class OpenTest : public DbTest {
  protected:
    std::string p;
    void SetUp() override
    {
        DbTest::SetUp();
        p = path("tags");
    }
    int open_error(int mode)
    {
        int err = 0;
        tvt_db_t *db = tvt_open(p.c_str(), mode, nullptr, &err);
        EXPECT_EQ(db, nullptr);
        tvt_close(db);
        return err;
    }
    void make_sample()
    {
        tvt_db_t *db = open_w(p);
        scan(db, "a.c", 5, {Tag("alpha", 1), Tag("beta", 2, TT_MEMBER, 0, 2)});
        tvt_close(db);
    }
    void set_header_flag(uint32_t bit)
    {
        auto b = read_bytes(p);
        LPUT32(b.data() + TH_FLAGS, LGET32(b.data() + TH_FLAGS) | bit);
        write_bytes(p, b);
    }
    double seconds_to_open(tvt_db_t **out)
    {
        auto t0 = Clock::now();
        *out = open_w(p);
        return std::chrono::duration<double>(Clock::now() - t0).count();
    }
};

TEST_F(OpenTest, MissingFileFailsReadOnlyAndIsCreatedForWriting)
{
    EXPECT_EQ(open_error(0), TVT_ERR_OPEN);
    EXPECT_FALSE(exists(p));
    tvt_db_t *db = open_w(p);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(tvt_is_writable(db), 1);
    EXPECT_EQ(check(db), "");
    tvt_close(db);
    EXPECT_EQ(check_file(p), "");
}

TEST_F(OpenTest, FileOfAnotherVersionIsRefusedForReadingAndRebuiltForWriting)
{
    std::vector<unsigned char> old(10000, 0xAB);
    LPUT32(old.data(), TAG_MAGIC);
    LPUT32(old.data() + 4, 1);
    write_bytes(p, old);
    EXPECT_EQ(open_error(0), TVT_ERR_VERSION);
    tvt_db_t *db = open_w(p);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(header(db, TH_VERSION), TAG_VERSION);
    // Everything of the old file is gone, after top too.
    EXPECT_EQ(check(db), "");
    tvt_close(db);
}

TEST_F(OpenTest, WhatIsNoTagFile)
{
    write_bytes(p, std::vector<unsigned char>(300, 'x'));
    EXPECT_EQ(open_error(0), TVT_ERR_NOTTAGS);
    // Too short to be one, even with the magic.
    std::vector<unsigned char> stub(100, 0);
    LPUT32(stub.data(), TAG_MAGIC);
    LPUT32(stub.data() + 4, TAG_VERSION);
    write_bytes(p, stub);
    EXPECT_EQ(open_error(0), TVT_ERR_NOTTAGS);
    tvt_db_t *db = open_w(p);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(check(db), "");
    tvt_close(db);
}

TEST_F(OpenTest, MarkerOfAnUnfinishedRunMakesTheNextOpenStartAfresh)
{
    make_sample();
    FILE *fp = fopen(marker().c_str(), "wb");
    fprintf(fp, "%s\nleft over", p.c_str());
    fclose(fp);
    tvt_db_t *db = open_w(p);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(tvt_find_file(db, "a.c"), -1);
    tvt_close(db);
    EXPECT_FALSE(exists(marker()));
}

TEST_F(OpenTest, MarkerNamingAnotherFileIsLeftAlone)
{
    make_sample();
    FILE *fp = fopen(marker().c_str(), "wb");
    fprintf(fp, "%s", path("other").c_str());
    fclose(fp);
    int err = 0;
    tvt_db_t *db = tvt_open(p.c_str(), 0, nullptr, &err);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(tvt_find_file(db, "a.c"), 0);
    tvt_close(db);
    EXPECT_TRUE(exists(marker()));
}

TEST_F(OpenTest, ReaderNeverActsOnAMarker)
{
    // A writer killed by a signal leaves the marker behind; a report on
    // the database must still find it whole.
    make_sample();
    FILE *fp = fopen(marker().c_str(), "wb");
    fprintf(fp, "%s", p.c_str());
    fclose(fp);
    int err = 0;
    tvt_db_t *db = tvt_open(p.c_str(), 0, nullptr, &err);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(tvt_find_file(db, "a.c"), 0);
    tvt_close(db);
    EXPECT_TRUE(exists(p));
    EXPECT_TRUE(exists(marker()));
}

TEST_F(OpenTest, MarkerNamesTheDatabaseByItsAbsolutePath)
{
    make_sample();
    // A bare name in a shared marker belongs to some other directory's
    // "tags": it is not this database.
    FILE *fp = fopen(marker().c_str(), "wb");
    fprintf(fp, "tags");
    fclose(fp);
    auto here = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    tvt_db_t *db = open_w("tags");
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(tvt_find_file(db, "a.c"), 0);
    auto m = read_bytes(marker());
    EXPECT_EQ(same_path(std::string(m.begin(), m.end()), p), true);
    tvt_close(db);
    std::filesystem::current_path(here);
}

TEST_F(OpenTest, FileThatCannotBeWrittenIsRefusedForWriting)
{
    make_sample();
    std::filesystem::permissions(p, std::filesystem::perms::owner_read);
    FILE *probe = fopen(p.c_str(), "r+b");
    if (probe != nullptr) {
        fclose(probe);
        std::filesystem::permissions(p, std::filesystem::perms::owner_all);
        GTEST_SKIP() << "this user writes read-only files";
    }
    EXPECT_EQ(open_error(TVT_OPEN_WRITE), TVT_ERR_OPEN);
    std::filesystem::permissions(p, std::filesystem::perms::owner_all);
    EXPECT_EQ(check_file(p), "");
}

TEST_F(OpenTest, WriterKeepsTheMarkerAndTheFlagWhileOpen)
{
    tvt_db_t *db = open_w(p);
    ASSERT_NE(db, nullptr);
    auto m = read_bytes(marker());
    EXPECT_EQ(same_path(std::string(m.begin(), m.end()), p), true);
    EXPECT_EQ(header(db, TH_FLAGS) & TH_FLAG_INUSE, TH_FLAG_INUSE);
    tvt_close(db);
    EXPECT_FALSE(exists(marker()));
    auto b = read_bytes(p);
    EXPECT_EQ(LGET32(b.data() + TH_FLAGS), 0u);
    // A reader leaves no marker: it changes nothing a crash could spoil.
    int err;
    db = tvt_open(p.c_str(), 0, nullptr, &err);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(tvt_is_writable(db), 0);
    EXPECT_FALSE(exists(marker()));
    tvt_close(db);
}

TEST_F(OpenTest, StaleInUseFlagIsWaitedOutThenTheOpenProceeds)
{
    make_sample();
    set_header_flag(TH_FLAG_INUSE);
    set_env("TV_TAG_TIMEOUT", "1");
    tvt_db_t *db = nullptr;
    testing::internal::CaptureStdout();
    double s = seconds_to_open(&db);
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_NE(db, nullptr);
    EXPECT_GE(s, 0.9);
    EXPECT_EQ(out, "");
    EXPECT_EQ(tvt_find_file(db, "a.c"), 0);
    tvt_close(db);

    set_header_flag(TH_FLAG_INUSE);
    set_env("TV_TAG_TIMEOUT", "0");
    EXPECT_LT(seconds_to_open(&db), 0.5);
    tvt_close(db);
}

TEST_F(OpenTest, LockedMessageComesAfterTheThirdSecond)
{
    make_sample();
    set_header_flag(TH_FLAG_INUSE);
    set_env("TV_TAG_TIMEOUT", "3");
    tvt_db_t *db = nullptr;
    testing::internal::CaptureStdout();
    double s = seconds_to_open(&db);
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_NE(db, nullptr);
    EXPECT_GE(s, 2.9);
    EXPECT_EQ(out, "Tolva: tvtags: Tag file is locked. Maybe corrupt.\n"
                   "       If you continue to experience delays, then try removing the file.\n"
                   "       File: " + p + "\n");
    tvt_close(db);
}

TEST_F(OpenTest, DatabaseNameIsStoredOnceAndReplacedWhenItChanges)
{
    tvt_db_t *db = open_w(p, "project");
    uint32_t block = header(db, TH_NAME_BLOCK);
    ASSERT_NE(block, 0u);
    EXPECT_STREQ((const char *) tvt_base(db) + LGET32(tvt_base(db) + block + 4), "project");
    tvt_close(db);
    db = open_w(p, "project");
    uint32_t top = header(db, TH_TOP);
    tvt_close(db);
    db = open_w(p, "renamed project");
    EXPECT_EQ(header(db, TH_NAME_BLOCK), block);
    EXPECT_STREQ((const char *) tvt_base(db) + LGET32(tvt_base(db) + block + 4), "renamed project");
    EXPECT_EQ(check(db), "");   // the old name's chunk was freed
    tvt_close(db);
    db = open_w(p);
    EXPECT_STREQ((const char *) tvt_base(db) + LGET32(tvt_base(db) + block + 4), "renamed project");
    EXPECT_GE(header(db, TH_TOP), top);
    tvt_close(db);
}

TEST_F(OpenTest, CrossReferenceFlagIsSetAskedAndCleared)
{
    tvt_db_t *db = open_w(p);
    EXPECT_EQ(tvt_set_xref(db, -1), 0);
    EXPECT_EQ(tvt_set_xref(db, 1), 1);
    tvt_close(db);
    int err;
    db = tvt_open(p.c_str(), 0, nullptr, &err);
    EXPECT_EQ(tvt_set_xref(db, -1), 1);
    EXPECT_EQ(tvt_set_xref(db, 0), 1);   // a reader cannot change it
    tvt_close(db);
    db = open_w(p);
    EXPECT_EQ(tvt_set_xref(db, 0), 0);
    EXPECT_EQ(tvt_set_xref(db, -1), 0);
    tvt_close(db);
}

TEST_F(OpenTest, ReaderChangesNothing)
{
    make_sample();
    auto before = read_bytes(p);
    int err;
    tvt_db_t *db = tvt_open(p.c_str(), 0, nullptr, &err);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(tvt_begin_file(db, "a.c", 5), 1);
    EXPECT_EQ(tvt_begin_file(db, "a.c", 6), 0);
    EXPECT_EQ(add(db, Tag("x", 1)), -1);
    tvt_end_file(db);
    EXPECT_EQ(tvt_remove_file(db, "a.c"), -1);
    EXPECT_EQ(tvt_alloc(db, 10), 0u);
    EXPECT_EQ(tvt_intern(db, TVT_KIND_NAME, "name", 5), 0u);
    tvt_close(db);
    EXPECT_EQ(read_bytes(p), before);
}

TEST_F(OpenTest, ReopenedDatabaseFindsFilesAndReusesFreeBlocks)
{
    tvt_db_t *db = open_w(p);
    for (int i = 0; i < 300; i++)
        scan(db, "f" + std::to_string(i), (uint32_t) i, {Tag("t" + std::to_string(i % 7), 1), Tag("u", 2, TT_XREF)});
    tvt_remove_file(db, "f10");
    tvt_close(db);
    db = open_w(p);
    EXPECT_EQ(tvt_find_file(db, "f299"), 299);
    EXPECT_EQ(tvt_find_file(db, "f10"), -1);
    uint32_t free_head = header(db, TH_FREE_INDEX);
    ASSERT_NE(free_head, 0u);
    // The same shape as f10 had: its blocks come back.
    scan(db, "g", 1, {Tag("t1", 1), Tag("u", 2, TT_XREF)});
    EXPECT_EQ(header(db, TH_FREE_INDEX), 0u);
    EXPECT_EQ(tvt_find_file(db, "g"), 10);
    // A rescan after reopening replaces the stored tags.
    scan(db, "f20", 100, {Tag("again", 3)});
    EXPECT_EQ(stored_tags(db, "f20").size(), 1u);
    EXPECT_EQ(check(db), "");
    tvt_close(db);
}

TEST_F(OpenTest, DamagedStructureIsStartedAfreshByAWriter)
{
    make_sample();
    auto b = read_bytes(p);
    LPUT32(b.data() + TH_FIRST_BLOCK, (uint32_t) b.size() + 100);
    write_bytes(p, b);
    int err;
    tvt_db_t *db = tvt_open(p.c_str(), 0, nullptr, &err);
    ASSERT_NE(db, nullptr);   // a reader takes the file as it is
    EXPECT_EQ(tvt_find_file(db, "a.c"), 0);
    tvt_close(db);
    testing::internal::CaptureStderr();
    db = open_w(p);
    std::string err_text = testing::internal::GetCapturedStderr();
    ASSERT_NE(db, nullptr);
    EXPECT_NE(err_text.find("damaged"), std::string::npos);
    EXPECT_EQ(tvt_find_file(db, "a.c"), -1);
    EXPECT_EQ(check(db), "");
    tvt_close(db);
}

} // namespace
