// Finding files by name in a table big enough for the name index to grow,
// wrap and shift cells back on removal.
#include <random>

#include "tvt_test_util.h"

namespace {

using namespace tvt_test;

class FileIndexTest : public OpenDbTest {
  protected:
    void enter(const std::string &file, uint32_t mtime)
    {
        ASSERT_EQ(tvt_begin_file(db, file.c_str(), mtime), 0) << file;
        add(db, Tag("f", 1, TT_FUNCTION));
        tvt_end_file(db);
    }

    // Every name of the model is found under the id whose slot holds it,
    // and no other name is found.
    void expect_model(const std::map<std::string, uint32_t> &model, const std::vector<std::string> &gone)
    {
        for (const auto &kv : model) {
            int id = tvt_find_file(db, kv.first.c_str());
            ASSERT_GE(id, 0) << kv.first;
            const char *name;
            uint32_t mtime;
            ASSERT_EQ(tvt_file_at(db, id, &name, &mtime), 1);
            EXPECT_STREQ(name, kv.first.c_str());
            EXPECT_EQ(mtime, kv.second);
        }
        for (const std::string &g : gone)
            EXPECT_EQ(tvt_find_file(db, g.c_str()), -1) << g;
    }
};

// Names alike in all but a byte or their length, short and longer than a
// word, so that probes meet cells of other names.
std::string name_of(int i)
{
    static const char *const kDirs[] = {"", "a/", "drivers/net/ethernet/intel/", "x"};
    return std::string(kDirs[i % 4]) + "f" + std::to_string(i / 4) + (i % 3 == 0 ? ".c" : ".h");
}

TEST_F(FileIndexTest, NamesStayFoundThroughGrowthRemovalAndReopening)
{
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    std::map<std::string, uint32_t> model;
    std::vector<std::string> gone;
    const int kFiles = 1500;
    for (int i = 0; i < kFiles; i++) {
        enter(name_of(i), (uint32_t) i + 1);
        model[name_of(i)] = (uint32_t) i + 1;
    }
    ASSERT_FALSE(HasFatalFailure());
    expect_model(model, {"f0", "f0.c.c", "", "a/f1.", "drivers/net/ethernet/intel/f0.c"});

    // Remove about half at random, then enter some again under new times:
    // a removal must leave every name after it in its probe run findable.
    for (int i = 0; i < kFiles; i++) {
        if (rng() % 2 == 0) {
            ASSERT_EQ(tvt_remove_file(db, name_of(i).c_str()), 0);
            model.erase(name_of(i));
            gone.push_back(name_of(i));
        }
    }
    expect_model(model, gone);
    for (size_t k = 0; k < gone.size(); k += 3) {
        enter(gone[k], 5000 + (uint32_t) k);
        model[gone[k]] = 5000 + (uint32_t) k;
        gone[k] = "never/" + gone[k];
    }
    ASSERT_FALSE(HasFatalFailure());
    expect_model(model, gone);

    // The index built at open finds the same.
    tvt_close(db);
    db = open_w(path("tags"));
    ASSERT_NE(db, nullptr);
    expect_model(model, gone);
    EXPECT_EQ(check(db), "");
}

TEST_F(FileIndexTest, AnUpdatedFileIsFoundInItsNewSlotOnly)
{
    enter("a.c", 1);
    enter("b.c", 2);
    enter("a.c", 3);   // removes the old a.c, then takes the lowest free slot
    EXPECT_EQ(tvt_find_file(db, "a.c"), 0);
    const char *name;
    uint32_t mtime;
    ASSERT_EQ(tvt_file_at(db, 0, &name, &mtime), 1);
    EXPECT_EQ(mtime, 3u);
    EXPECT_EQ(tvt_find_file(db, "b.c"), 1);
    ASSERT_EQ(tvt_remove_file(db, "a.c"), 0);
    EXPECT_EQ(tvt_find_file(db, "a.c"), -1);
    EXPECT_EQ(tvt_find_file(db, "b.c"), 1);
}

} // namespace
