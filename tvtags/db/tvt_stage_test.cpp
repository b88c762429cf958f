// Scanning files into the database: the up-to-date answer, staging with
// handles, parents and the duplicate check, the flush into blocks and
// slices, rescans and the reuse of freed blocks.
#include <random>

#include "db/tvt_test_util.h"

namespace {

using namespace tvt_test;

class StageTest : public OpenDbTest {
  protected:
    std::vector<BlockInfo> blocks_of(const std::string &file)
    {
        int id = tvt_find_file(db, file.c_str());
        std::vector<BlockInfo> out;
        for (const BlockInfo &b : blocks(db))
            if ((int) b.file == id)
                out.push_back(b);
        return out;
    }
};

TEST_F(StageTest, BeginFileTellsWhetherTheStoredCopyIsUpToDate)
{
    EXPECT_EQ(tvt_begin_file(nullptr, "a.c", 5), 1);
    EXPECT_EQ(tvt_begin_file(db, "a.c", 100), 0);
    add(db, Tag("f", 1));
    tvt_end_file(db);
    EXPECT_EQ(tvt_begin_file(db, "a.c", 100), 1);
    tvt_end_file(db);
    // Any other time is another content, an older one too.
    EXPECT_EQ(tvt_begin_file(db, "a.c", 99), 0);
    add(db, Tag("f", 1));
    tvt_end_file(db);
    EXPECT_EQ(tvt_begin_file(db, "a.c", 101), 0);
    add(db, Tag("f", 1));
    tvt_end_file(db);
    EXPECT_EQ(tvt_begin_file(db, "a.c", 101), 1);
    tvt_end_file(db);
    const char *name = nullptr;
    uint32_t t = 0;
    EXPECT_EQ(tvt_file_at(db, 0, &name, &t), 1);
    EXPECT_STREQ(name, "a.c");
    EXPECT_EQ(t, 101u);
    EXPECT_EQ(tvt_file_at(db, 1, &name, &t), 0);
    EXPECT_EQ(tvt_file_at(db, 256, &name, &t), -1);
    EXPECT_EQ(tvt_file_at(db, -1, &name, &t), -1);
}

TEST_F(StageTest, PathPrefixIsPartOfTheStoredName)
{
    tvt_set_path_prefix(db, "ftp://host/src/");
    scan(db, "a.c", 1, {Tag("f", 1)});
    EXPECT_EQ(tvt_find_file(db, "a.c"), -1);
    int id = tvt_find_file(db, "ftp://host/src/a.c");
    ASSERT_EQ(id, 0);
    EXPECT_EQ(tvt_begin_file(db, "a.c", 1), 1);
    tvt_end_file(db);
    EXPECT_EQ(tvt_remove_file(db, "a.c"), -1);
    EXPECT_EQ(tvt_remove_file(db, "ftp://host/src/a.c"), 0);
    EXPECT_EQ(tvt_find_file(db, "ftp://host/src/a.c"), -1);
    EXPECT_EQ(check(db), "");
}

TEST_F(StageTest, HandlesAndParentsSurviveTheFlush)
{
    std::vector<Tag> tags = {Tag("Outer", 1, TT_CLASS), Tag("use", 2, TT_XREF), Tag("inner", 3, TT_METHOD, 0, 2),
                             Tag("deep", 4, TT_LOCAL, 0, 4), Tag("use2", 5, TT_XREF), Tag("other", 6, TT_METHOD, 0, 2)};
    std::vector<int> h = scan(db, "a.c", 1, tags);
    EXPECT_EQ(h, (std::vector<int>{2, 3, 4, 5, 6, 7}));
    std::vector<Stored> want;
    std::vector<int> parents = {-1, -1, 0, 2, -1, 0};
    for (size_t i = 0; i < tags.size(); i++)
        want.push_back(expect_stored(tags, parents, i));
    std::sort(want.begin(), want.end());
    EXPECT_EQ(stored_tags(db, "a.c"), want);
    EXPECT_EQ(counter(db, TT_METHOD, true), 2u);
    EXPECT_EQ(counter(db, TT_METHOD, false), 0u);
    EXPECT_EQ(counter(db, TT_XREF, false), 2u);
    EXPECT_EQ(counter(db, TT_CLASS, false), 1u);
    EXPECT_EQ(check(db), "");
}

TEST_F(StageTest, RepeatedTagIsDroppedAndKeepsItsHandle)
{
    tvt_begin_file(db, "a.c", 1);
    int a = add(db, Tag("f", 7, TT_FUNCTION).texts("int", "(x)"));
    EXPECT_EQ(add(db, Tag("f", 7, TT_FUNCTION).texts("int", "(x)")), a);
    // Anything that differs makes another tag.
    EXPECT_NE(add(db, Tag("f", 7, TT_FUNCTION).texts("int", "(y)")), a);
    EXPECT_NE(add(db, Tag("f", 7, TT_FUNCTION).texts(std::nullopt, "(x)")), a);
    EXPECT_NE(add(db, Tag("f", 7, TT_PROTOTYPE).texts("int", "(x)")), a);
    EXPECT_NE(add(db, Tag("F", 7, TT_FUNCTION).texts("int", "(x)")), a);
    // A tag with a parent is never taken for a repeat, but a later tag
    // without one repeats the nearest match.
    int p = add(db, Tag("f", 7, TT_FUNCTION, 0, a).texts("int", "(x)"));
    EXPECT_NE(p, a);
    EXPECT_EQ(add(db, Tag("f", 7, TT_FUNCTION).texts("int", "(x)")), p);
    // A tag on another line ends the search.
    add(db, Tag("g", 8));
    EXPECT_NE(add(db, Tag("f", 7, TT_FUNCTION).texts("int", "(x)")), a);
    tvt_end_file(db);
    EXPECT_EQ(stored_tags(db, "a.c").size(), 8u);
    EXPECT_EQ(check(db), "");
}

TEST_F(StageTest, RepeatSearchLooksTenBackOnLineOneAndTwoHundredElsewhere)
{
    for (uint32_t line : {1u, 2u}) {
        int window = line == 1 ? 10 : 200;
        tvt_begin_file(db, ("w" + std::to_string(line)).c_str(), 1);
        int a = add(db, Tag("x", line, TT_DEFINE));
        for (int i = 1; i < window; i++)
            add(db, Tag("n" + std::to_string(i), line, TT_DEFINE));
        EXPECT_EQ(add(db, Tag("x", line, TT_DEFINE)), a) << line;   // the window's last
        int b = add(db, Tag("y", line, TT_DEFINE));
        for (int i = 0; i < window; i++)
            add(db, Tag("m" + std::to_string(i), line, TT_DEFINE));
        EXPECT_NE(add(db, Tag("y", line, TT_DEFINE)), b) << line;   // just outside
        tvt_end_file(db);
    }
    EXPECT_EQ(check(db), "");
}

TEST_F(StageTest, TagsThatCannotBeStoredAreRefused)
{
    tvt_begin_file(db, "a.c", 1);
    EXPECT_EQ(add(db, Tag("", 3)), -1);
    EXPECT_EQ(add(db, Tag("z", 0)), -1);
    EXPECT_EQ(add(db, Tag("z", 1, TYPE_STAT_COUNT)), -1);
    tvt_end_file(db);
    EXPECT_EQ(tvt_find_file(db, "a.c"), -1);
    EXPECT_EQ(tvt_add_tag(db, nullptr), -1);
    Tag t("late", 1);
    EXPECT_EQ(add(db, t), -1);   // no file begun
}

TEST_F(StageTest, RunCountersCountStagedTags)
{
    tvt_counts.rc_tags = 0;
    tvt_begin_file(db, "a.c", 1);
    add(db, Tag("a", 1));
    add(db, Tag("a", 1));   // a repeat is not counted
    add(db, Tag("r", 2, TT_XREF));
    add(db, Tag("r", 3, TT_XREF));
    EXPECT_EQ(tvt_counts.rc_file_xrefs, 2);
    tvt_end_file(db);
    tvt_begin_file(db, "b.c", 1);
    EXPECT_EQ(tvt_counts.rc_file_xrefs, 0);
    add(db, Tag("b", 1));
    tvt_end_file(db);
    EXPECT_EQ(tvt_counts.rc_tags, 4);
}

TEST_F(StageTest, TextsTakeTheirStoredForms)
{
    std::vector<Tag> tags = {
        Tag("S", 1, TT_STRUCT).bases({"Base1", "B"}),
        Tag("C", 2, TT_CLASS).bases({"Only"}),
        Tag("f", 3, TT_FUNCTION).texts("", "(a, b)"),
        Tag("g", 4, TT_FUNCTION).texts("char *", std::nullopt),
        Tag("h", 5, TT_FUNCTION).texts("", ""),
        Tag("m", 6, TT_MACRO).bases({"ignored"}),
    };
    scan(db, "a.c", 1, tags);
    std::vector<Stored> got = stored_tags(db, "a.c");
    ASSERT_EQ(got.size(), 6u);
    std::map<std::string, std::string> text;
    for (const Stored &s : got)
        text[s.name] = s.text;
    EXPECT_EQ(text["S"], "Base1|B|");
    EXPECT_EQ(text["C"], "Only|");
    EXPECT_EQ(text["f"], "|(a, b)|");
    EXPECT_EQ(text["g"], "char *||");
    EXPECT_EQ(text["h"], "");
    EXPECT_EQ(text["m"], "");
    EXPECT_EQ(check(db), "");
}

TEST_F(StageTest, StructWithBasesStoresTheBasesNotItsTypeText)
{
    scan(db, "a.c", 1, {Tag("S", 1, TT_STRUCT).texts("struct", "").bases({"P", "Q"})});
    const unsigned char *b = tvt_base(db);
    BlockInfo blk = blocks(db).at(0);
    uint32_t text = LGET32(b + blk.off + TI_RECORDS + TD_TEXT);
    ASSERT_NE(text, 0u);
    EXPECT_EQ(std::string((const char *) b + text, 5), std::string("P\0Q\0\0", 5));
}

TEST_F(StageTest, RescanReplacesTagsAndAnEmptyRescanEmptiesTheFile)
{
    scan(db, "a.c", 10, {Tag("old1", 1), Tag("old2", 2, TT_XREF)});
    scan(db, "a.c", 20, {});
    // The file stays, with its new time and none of its old tags.
    EXPECT_EQ(stored_tags(db, "a.c").size(), 0u);
    EXPECT_EQ(counter(db, TT_FUNCTION, true), 0u);
    const char *name;
    uint32_t t;
    ASSERT_EQ(tvt_file_at(db, 0, &name, &t), 1);
    EXPECT_EQ(t, 20u);
    EXPECT_EQ(check(db), "");
    // A new file with nothing in it is not entered at all.
    scan(db, "empty.c", 20, {});
    EXPECT_EQ(tvt_find_file(db, "empty.c"), -1);
    scan(db, "a.c", 30, {Tag("new1", 1, TT_MACRO)});
    std::vector<Stored> got = stored_tags(db, "a.c");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].name, "new1");
    EXPECT_EQ(counter(db, TT_FUNCTION, true), 0u);
    EXPECT_EQ(counter(db, TT_XREF, true), 0u);
    EXPECT_EQ(counter(db, TT_MACRO, true), 1u);
    tvt_file_at(db, 0, &name, &t);
    EXPECT_EQ(t, 30u);
    EXPECT_EQ(check(db), "");
}

TEST_F(StageTest, FreedBlocksAreReusedOnlyAtTheirExactSize)
{
    scan(db, "a.c", 1, {Tag("a1", 1), Tag("a2", 2), Tag("a3", 3)});
    BlockInfo first = blocks_of("a.c").at(0);
    ASSERT_EQ(tvt_remove_file(db, "a.c"), 0);
    EXPECT_EQ(header(db, TH_FREE_INDEX), first.off);
    scan(db, "b.c", 1, {Tag("b1", 1), Tag("b2", 2)});
    EXPECT_NE(blocks_of("b.c").at(0).off, first.off);
    EXPECT_EQ(header(db, TH_FREE_INDEX), first.off);
    uint32_t next_tid = header(db, TH_NEXT_TID);
    scan(db, "c.c", 1, {Tag("c1", 1), Tag("c2", 2, TT_MEMBER, 0, 2), Tag("c3", 3, TT_MEMBER, 0, 3)});
    BlockInfo reused = blocks_of("c.c").at(0);
    EXPECT_EQ(reused.off, first.off);
    EXPECT_EQ(reused.tid, first.tid);   // the numbers now name c.c's tags
    EXPECT_EQ(header(db, TH_NEXT_TID), next_tid);
    EXPECT_EQ(header(db, TH_FREE_INDEX), 0u);
    std::vector<Stored> got = stored_tags(db, "c.c");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[1].parent, "c1:1");
    EXPECT_EQ(got[2].parent, "c2:2");
    EXPECT_EQ(check(db), "");
}

TEST_F(StageTest, FilesBeyond256GetASecondFileBlockAndFreedIdsAreReused)
{
    for (int i = 0; i < 257; i++)
        scan(db, "f" + std::to_string(i), 1, {Tag("t", 1)});
    EXPECT_EQ(tvt_find_file(db, "f256"), 256);
    EXPECT_NE(header(db, TH_FIRST_FILEBLK), header(db, TH_LAST_FILEBLK));
    tvt_remove_file(db, "f7");
    tvt_remove_file(db, "f3");
    scan(db, "new", 1, {Tag("t", 1)});
    EXPECT_EQ(tvt_find_file(db, "new"), 3);
    EXPECT_EQ(check(db), "");
}

// One tag more than a slice: both kinds occur in both slices, so the file
// gets two blocks of each, and parents in the first slice are numbered by
// the block that holds them.
TEST_F(StageTest, ParentsAcrossSlicesNameTheRightBlock)
{
    std::vector<Tag> tags;
    std::vector<int> parents;
    tags.push_back(Tag("top", 1, TT_CLASS));
    parents.push_back(-1);
    for (int i = 1; i <= SLICE_TAGS + 1; i++) {
        if (i % 2) {
            tags.push_back(Tag("r" + std::to_string(i), (uint32_t) i + 1, TT_XREF));
            parents.push_back(-1);
        } else {
            tags.push_back(Tag("m" + std::to_string(i), (uint32_t) i + 1, TT_MEMBER, 0, 2));
            parents.push_back(0);
        }
    }
    // A definition in the second slice whose parent is also there.
    tags.push_back(Tag("last", SLICE_TAGS + 10, TT_LOCAL, 0, SLICE_TAGS + 2));
    parents.push_back(SLICE_TAGS);
    ASSERT_EQ(tags[SLICE_TAGS].type, TT_MEMBER);
    scan(db, "big.c", 1, tags);

    std::vector<BlockInfo> bl = blocks_of("big.c");
    ASSERT_EQ(bl.size(), 4u);
    EXPECT_EQ(bl[0].kind, (uint32_t) KIND_XREF);
    EXPECT_EQ(bl[1].kind, (uint32_t) KIND_DEF);
    EXPECT_EQ(bl[2].kind, (uint32_t) KIND_XREF);
    EXPECT_EQ(bl[3].kind, (uint32_t) KIND_DEF);
    EXPECT_EQ(bl[0].slots + bl[1].slots, (uint32_t) SLICE_TAGS);
    EXPECT_EQ(bl[2].slots + bl[3].slots, tags.size() - SLICE_TAGS);

    std::vector<Stored> want;
    for (size_t i = 0; i < tags.size(); i++)
        want.push_back(expect_stored(tags, parents, i));
    std::sort(want.begin(), want.end());
    EXPECT_EQ(stored_tags(db, "big.c"), want);
    EXPECT_EQ(check(db), "");
}

// Tags gathered apart and put in whole give the scanner the same handles
// and the file the same bytes as tags added one by one: random files with
// repeats, parents, texts, bases and cross-references, rescans included.
TEST_F(StageTest, GatheredApartMatchesAddedOneByOne)
{
    tvt_db_t *other = open_w(path("other"));
    ASSERT_NE(other, nullptr);
    tvt_stage_t *st = tvt_stage_new();
    std::mt19937 rng(7);
    const char *names[] = {"a", "b", "main", "x", "yy"};
    for (int file = 0; file < 40; file++) {
        std::string fname = "f" + std::to_string(rng() % 12) + ".c";
        uint32_t mtime = (uint32_t) file + 1;
        tvt_begin_file(db, fname.c_str(), mtime);
        tvt_begin_file(other, fname.c_str(), mtime);
        std::vector<int> direct, apart, parents;
        uint32_t line = 1;
        int n = (int) (rng() % 30);
        for (int i = 0; i < n; i++) {
            line += rng() % 3;
            int pick = (int) (rng() % 6);
            int type = pick == 0 ? TT_XREF : pick == 1 ? TT_STRUCT : pick == 2 ? TT_MEMBER : TT_FUNCTION;
            int parent = pick == 2 && !parents.empty() ? parents[rng() % parents.size()] : -1;
            Tag t(rng() % 9 == 0 ? "" : names[rng() % 5], line, type, rng() % 4, parent);
            if (rng() % 2)
                t.texts("int", "(void)");
            if (type == TT_STRUCT)
                t.bases({"base"});
            // Sometimes twice, as a scanner may hand a tag over.
            for (int k = rng() % 4 == 0 ? 2 : 1; k > 0; k--) {
                direct.push_back(add(db, t));
                apart.push_back(add(st, t));
            }
            if (direct.back() >= 2 && type != TT_XREF)
                parents.push_back(direct.back());
        }
        EXPECT_EQ(apart, direct) << fname;
        tvt_put_stage(other, st);
        EXPECT_EQ(tvt_stage_tags(st), 0);
        tvt_end_file(db);
        tvt_end_file(other);
    }
    tvt_stage_free(st);
    tvt_close(other);
    tvt_close(db);
    db = nullptr;
    EXPECT_EQ(read_bytes(path("other")), read_bytes(path("tags")));
    EXPECT_EQ(check_file(path("other")), "");
}

using StageDeathTest = StageTest;

TEST_F(StageDeathTest, ParentHandleOutsideTheFileStopsTheRun)
{
    tvt_begin_file(db, "a.c", 1);
    add(db, Tag("a", 1));
    EXPECT_EXIT(add(db, Tag("b", 2, TT_MEMBER, 0, 7)), ::testing::ExitedWithCode(1), "tvtags-bug: t=5 size=1");
    tvt_end_file(db);
}

} // namespace
