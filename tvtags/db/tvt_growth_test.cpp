// When the file cannot grow, the run stops with status 1 and a message, and
// the tag file is left as it was before the file being scanned: valid,
// closed, without that file, and without a marker that would have the next
// run throw it away.
//
// The dying run happens in a death-test child; its directory is derived
// from the test's name so that a child started afresh (as on Windows)
// works on the same file as the parent.
#include "db/tvt_test_util.h"

namespace {

using namespace tvt_test;

class GrowthTest : public ::testing::Test {
  protected:
    std::string dir, p;
    void SetUp() override
    {
        namespace fs = std::filesystem;
        dir = (fs::temp_directory_path() /
               ("tvtdb-growth-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())))
                  .string();
        std::error_code ec;
        fs::remove_all(dir, ec);
        fs::create_directories(dir, ec);
        set_env("TVCONFIG", dir.c_str());
        set_env("TV_TAG_TIMEOUT", "0");
        p = dir + "/tags";
        // A first file without texts, so that the text pool does not exist.
        int err;
        tvt_db_t *db = tvt_open(p.c_str(), TVT_OPEN_WRITE, nullptr, &err);
        ASSERT_NE(db, nullptr);
        scan(db, "a.c", 1, {Tag("alpha", 1), Tag("beta", 2, TT_XREF), Tag("gamma", 3, TT_MEMBER, 0, 2)});
        tvt_close(db);
        before = read_bytes(p);
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::vector<unsigned char> before;

    // After the failed run: sound, closed, the old file intact, the failed
    // one absent; and the next run works.
    void expect_left_valid(const char *failed)
    {
        EXPECT_FALSE(exists(dir + "/tag-state"));
        EXPECT_EQ(check_file(p), "");
        int err;
        tvt_db_t *db = tvt_open(p.c_str(), TVT_OPEN_WRITE, nullptr, &err);
        ASSERT_NE(db, nullptr);
        EXPECT_EQ(tvt_find_file(db, failed), -1);
        EXPECT_EQ(stored_tags(db, "a.c").size(), 3u);
        scan(db, "later.c", 1, {Tag("fine", 1)});
        EXPECT_EQ(check(db), "");
        tvt_close(db);
    }
};

// Stages tags and flushes them with no room to grow.
void failing_run(const std::string &p, const char *file, bool texts, int count)
{
    int err;
    tvt_db_t *db = tvt_open(p.c_str(), TVT_OPEN_WRITE, nullptr, &err);
    if (db == nullptr)
        exit(3);
    tvt_set_size_limit(db, tvt_size(db));
    tvt_begin_file(db, file, 7);
    for (int i = 0; i < count; i++) {
        Tag t("n" + std::to_string(i), (uint32_t) i + 1, i % 3 == 0 ? TT_XREF : TT_FUNCTION);
        if (texts && t.type != TT_XREF)
            t.texts("int", "(" + std::to_string(i) + ")");
        add(db, t);
    }
    tvt_end_file(db);
    tvt_close(db);
    exit(0);
}

TEST_F(GrowthTest, FailureWhileWritingTextsUndoesTheBlocksAlreadyWritten)
{
    // The blocks fit in the space left; the first text needs a new pool
    // chunk, which does not.
    EXPECT_EXIT(failing_run(p, "b.c", true, 9), ::testing::ExitedWithCode(1), "cannot grow the tag file");
    // Both blocks had been taken, so both are now free for reuse.
    auto b = read_bytes(p);
    uint32_t f = LGET32(b.data() + TH_FREE_INDEX);
    ASSERT_NE(f, 0u);
    EXPECT_NE(LGET32(b.data() + f + TI_NEXT_FREE), 0u);
    expect_left_valid("b.c");
}

TEST_F(GrowthTest, FailureWhileStagingNamesLeavesTheFileOut)
{
    // Thousands of new names fill the name pool's chunk and need another.
    EXPECT_EXIT(failing_run(p, "c.c", false, 3000), ::testing::ExitedWithCode(1), "tags of c.c were not written");
    auto b = read_bytes(p);
    EXPECT_EQ(LGET32(b.data() + TH_FREE_INDEX), 0u);   // it never came to blocks
    expect_left_valid("c.c");
}

TEST_F(GrowthTest, RescanThatFailsDropsTheOldTagsOfThatFileOnly)
{
    EXPECT_EXIT(
        {
            int err;
            tvt_db_t *db = tvt_open(p.c_str(), TVT_OPEN_WRITE, nullptr, &err);
            tvt_set_size_limit(db, tvt_size(db));
            tvt_begin_file(db, "a.c", 9);
            for (int i = 0; i < 3000; i++)
                add(db, Tag("r" + std::to_string(i), (uint32_t) i + 1));
            tvt_end_file(db);
            exit(0);
        },
        ::testing::ExitedWithCode(1), "cannot grow");
    EXPECT_EQ(check_file(p), "");
    int err;
    tvt_db_t *db = tvt_open(p.c_str(), 0, nullptr, &err);
    ASSERT_NE(db, nullptr);
    // The old tags went when the rescan began; the file will be scanned
    // again by the next run since it is no longer in the table.
    EXPECT_EQ(tvt_find_file(db, "a.c"), -1);
    tvt_close(db);
}

TEST_F(GrowthTest, RunThatFitsIsUnaffectedByTheLimit)
{
    int err;
    tvt_db_t *db = tvt_open(p.c_str(), TVT_OPEN_WRITE, nullptr, &err);
    ASSERT_NE(db, nullptr);
    size_t size = tvt_size(db);
    tvt_set_size_limit(db, size);
    scan(db, "small.c", 1, {Tag("alpha", 1)});   // a shared name, one small block
    EXPECT_EQ(tvt_size(db), size);
    EXPECT_EQ(check(db), "");
    tvt_close(db);
}

} // namespace
