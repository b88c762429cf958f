// The reports on a binary database, over images laid out byte by byte:
// the exact texts, the free-list checks, and what damage does to them.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "driver/report_reader.h"
#include "driver/report_test_image.h"
#include "driver/tvt_output.h"
#include "scan/tvt_tag.h"

namespace {

using rpt_test::image_t;

std::string sp(int n)
{
    return std::string((size_t)n, ' ');
}

// A name as -list pads it.
std::string nm(const std::string &s)
{
    return s.size() < 24 ? s + sp(24 - (int)s.size()) : s;
}

std::string hex(uint32_t v, int width)
{
    char buf[32];
    snprintf(buf, sizeof buf, "%0*x", width, v);
    return buf;
}

// Runs a report into a file and returns what it wrote.
template <class F> std::string capture(F report)
{
    const ::testing::TestInfo *t = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string path = ::testing::TempDir() + "tvt_report_" + t->test_suite_name() + "_" + t->name() + ".txt";
    FILE *f = fopen(path.c_str(), "w+b");
    if (!f)
        return "<cannot capture>";
    report(f);
    fflush(f);
    rewind(f);
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    fclose(f);
    remove(path.c_str());
    return s;
}

// The database most tests share: a definitions block with a function that
// has texts, a one-character variable with flags and a parent, and an
// unused slot; a cross-reference block of another file; a freed block.
struct sample_t {
    image_t img;
    uint32_t defs, xrefs, freed;
    sample_t()
    {
        img.db_name("testdb");
        img.put32(TH_FLAGS, TH_FLAG_XREF);
        img.file(0, "src/a.c");
        img.file(2, "my b.c");
        uint32_t alpha = img.name("alpha");
        uint32_t text = img.text("int", "(void)");
        defs = img.block(KIND_DEF, TAG_DEF_SIZE, 3, 0x10, 0);
        img.def(defs, 0, alpha, 12, TT_FUNCTION, 0, PARENT_NONE, text);
        img.def(defs, 1, 'x', 3, TT_DATA, 5, 0x10);
        xrefs = img.block(KIND_XREF, TAG_XREF_SIZE, 2, 0x20, 2);
        img.xref(xrefs, 0, alpha, 40);
        img.xref(xrefs, 1, 0, 41);
        freed = img.block(KIND_DEF, TAG_DEF_SIZE, 2, 0x30, 0);
        img.free_block(freed);
    }
};

const std::string alpha_def = "0010: " + nm("alpha") + " file#0000(12) FUNCTION type=0e parent=ffffffff\n"
                              "type='int' args='(void)'\n";
const std::string x_def = "0011: " + nm("x") + " file#0000(3) DATA type=13 flags=0005 parent=000010\n\n";
const std::string free_slot = "0012: " + nm("<blank>") + " file#0000(0) --FREE-- type=00 parent=000000\n\n";
const std::string alpha_xref = "0020: " + nm("alpha") + " file#0002(40) XREF type=36\n";
const std::string blank_xref = "0021: " + nm("<blank>") + " file#0002(41) XREF type=36\n";

TEST(ReportList, ListsEveryUsedSlotAndMarksFreeBlocks)
{
    sample_t s;
    int printed = -1;
    std::string out = capture([&](FILE *f) { printed = rpt::list_view(s.img.view(), f, REPORT_LIST, nullptr, false); });
    EXPECT_EQ(out, alpha_def + x_def + alpha_xref + blank_xref + "  FREE BLOCK\n");
    EXPECT_EQ(printed, 4);
}

TEST(ReportList, FreeSwitchShowsUnusedSlotsToo)
{
    sample_t s;
    int printed = -1;
    std::string out = capture([&](FILE *f) { printed = rpt::list_view(s.img.view(), f, REPORT_LIST, nullptr, true); });
    EXPECT_EQ(out, alpha_def + x_def + free_slot + alpha_xref + blank_xref + "  FREE BLOCK\n");
    EXPECT_EQ(printed, 5);
}

TEST(ReportList, LookupPrintsOnlyTheSymbolAndCountsIt)
{
    sample_t s;
    int printed = -1;
    std::string out = capture([&](FILE *f) { printed = rpt::list_view(s.img.view(), f, REPORT_LOOKUP, "alpha", false); });
    EXPECT_EQ(out, alpha_def + alpha_xref);
    EXPECT_EQ(printed, 2);

    // A one-character name is found through the character code it stores.
    out = capture([&](FILE *f) { printed = rpt::list_view(s.img.view(), f, REPORT_LOOKUP, "x", false); });
    EXPECT_EQ(out, x_def);
    EXPECT_EQ(printed, 1);

    out = capture([&](FILE *f) { printed = rpt::list_view(s.img.view(), f, REPORT_LOOKUP, "Alpha", false); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(printed, 0);
}

TEST(ReportList, BitmapShowsTheFirstCharactersOfEachBlock)
{
    sample_t s;
    uint32_t extra = s.img.block(KIND_DEF, TAG_DEF_SIZE, 3, 0x40, 0);
    s.img.def(extra, 0, s.img.name("!bang"), 1, TT_FUNCTION);
    s.img.def(extra, 1, '~', 2, TT_FUNCTION);
    s.img.def(extra, 2, s.img.name("Zulu"), 0, TT_FUNCTION);   // unused: not noted
    auto line = [](uint32_t off, const std::string &chars) {
        std::string row = hex(off, 8) + ": ";
        for (int c = 33; c <= 126; c++)
            row += chars.find((char)c) != std::string::npos ? (char)c : ' ';
        return row + "\n";
    };
    std::string out = capture([&](FILE *f) { rpt::list_view(s.img.view(), f, REPORT_BITMAP, nullptr, false); });
    EXPECT_EQ(out, line(s.defs, "ax") + line(s.xrefs, "a") + "  FREE BLOCK\n" + line(extra, "!~"));
}

TEST(ReportFilelist, PrintsOccupiedSlotsByIdAcrossBlocks)
{
    sample_t s;
    s.img.file(256, "far.c");
    s.img.file(300, nullptr);
    std::string out = capture([&](FILE *f) { rpt::filelist_view(s.img.view(), f); });
    EXPECT_EQ(out, "0: src/a.c\n2: my b.c\n256: far.c\n");
}

std::string block_line(uint32_t off, const std::string &rest)
{
    return hex(off, 6) + ": " + rest;
}

TEST(ReportInfo, ShowsHeaderAndEveryBlock)
{
    sample_t s;
    std::string out = capture([&](FILE *f) { rpt::info_view(s.img.view(), f, false, false); });
    EXPECT_EQ(out, "Name: testdb\nFlags: 00000002\n        Type TID      Used/Size TSize FID\n" +
                       block_line(s.defs, "55   16" + sp(7) + "   3/   3 18    0 src/a.c\n") +
                       block_line(s.xrefs, "54   32" + sp(7) + "   2/   2 7     2 my b.c\n") +
                       block_line(s.freed, "55   48" + sp(7) + "   0/   2 18    16777215  (FREE)\n"));
}

TEST(ReportInfo, Info2AddsTheRecordsOfUsedBlocks)
{
    sample_t s;
    std::string out = capture([&](FILE *f) { rpt::info_view(s.img.view(), f, true, false); });
    EXPECT_EQ(out, "Name: testdb\nFlags: 00000002\n        Type TID      Used/Size TSize FID\n" +
                       block_line(s.defs, "55   16" + sp(7) + "   3/   3 18    0 src/a.c\n") +
                       "    0010: " + nm("alpha") +
                       " file#0000(12) FUNCTION type=0e flags=0000 parent=ffffffff\ntype='int' args='(void)'\n" +
                       "    0011: " + nm("x") + " file#0000(3) DATA type=13\n" +
                       block_line(s.xrefs, "54   32" + sp(7) + "   2/   2 7     2 my b.c\n") +
                       "    0020: " + nm("alpha") + " file#0002(40) XREF type=36\n" +
                       "    0021: " + nm("<blank>") + " file#0002(41) XREF type=36\n" +
                       block_line(s.freed, "55   48" + sp(7) + "   0/   2 18    16777215  (FREE)\n"));
}

TEST(ReportInfo, NamesFilesThatAreGoneOrUnknown)
{
    image_t img;
    img.file(0, "a.c");
    uint32_t pending = img.block(KIND_XREF, TAG_XREF_SIZE, 0, 0, FILE_ID_PENDING);
    uint32_t free_slot = img.block(KIND_XREF, TAG_XREF_SIZE, 0, 0, 1);
    uint32_t beyond = img.block(KIND_XREF, TAG_XREF_SIZE, 0, 0, 300);
    std::string out = capture([&](FILE *f) { rpt::info_view(img.view(), f, false, false); });
    EXPECT_EQ(out, "Name: <not-defined>\nFlags: 00000000\n        Type TID      Used/Size TSize FID\n" +
                       block_line(pending, "54   0" + sp(8) + "   0/   0 7     16777214  (pending delete)\n") +
                       block_line(free_slot, "54   0" + sp(8) + "   0/   0 7     1  (unknown)\n") +
                       block_line(beyond, "54   0" + sp(8) + "   0/   0 7     300  (unknown)\n"));
}

std::string totals(int b0, int n0, int b1, int n1, int b2, int n2, int b3, int n3)
{
    std::string s;
    const int labels[4] = {0, 128, 1024, 9999};
    const int bytes[4] = {b0, b1, b2, b3}, blocks[4] = {n0, n1, n2, n3};
    for (int i = 0; i < 4; i++) {
        char buf[160];
        snprintf(buf, sizeof buf, "Freelist %4d: bytes free: %d (0x%04x) number of chunks: %d (0x%04x)\n", labels[i],
                 bytes[i], bytes[i], blocks[i], blocks[i]);
        s += buf;
    }
    return s;
}

std::string free_line(int label, uint32_t off, uint32_t size, uint32_t next)
{
    return std::to_string(label) + " " + hex(off, 8) + " size=" + hex(size, 4) + " [=" + hex(off + size, 4) +
           "]  next=0x" + hex(next, 6) + "\n";
}

// One list of each shape the checks look for.
struct free_sample_t {
    image_t img;
    uint32_t a, b, p, q, s, t, u;
    free_sample_t()
    {
        a = img.space(16);
        b = img.space(16);                  // adjacent to a
        img.free_entry(a, 16, b);
        img.free_entry(b, 16, 0);
        img.put32(TH_FREE1, a);
        q = img.space(8);
        p = img.space(64);                  // lists q after itself
        img.free_entry(p, 64, q);
        img.free_entry(q, 4, 0);
        img.put32(TH_FREE2, p);
        s = img.space(32);
        t = s + 8;                          // inside s
        img.free_entry(s, 32, t);
        img.free_entry(t, 16, 0);
        img.put32(TH_FREE3, s);
        u = img.space(0x500);
        img.free_entry(u, 0x500, 0x7fffff00);
        img.put32(TH_FREE4, u);
    }
};

TEST(ReportFreelist, ChecksEveryListAndTotalsIt)
{
    free_sample_t fs;
    std::string out = capture([&](FILE *f) { rpt::freelist_view(fs.img.view(), f); });
    EXPECT_EQ(out, "\n" + free_line(0, fs.a, 16, fs.b) + " ERROR: Missed opportunity...\n" +
                       free_line(0, fs.b, 16, 0) + "\n" + free_line(128, fs.p, 64, fs.q) +
                       " ERROR: Out of order...\n ERROR: Overlapping free block...\n" +
                       free_line(128, fs.q, 4, 0) + " ERROR: FRAGMENT IS TOO SMALL (MIN=8)\n" + "\n" +
                       free_line(1024, fs.s, 32, fs.t) + " ERROR: Overlapping free block...\n" +
                       free_line(1024, fs.t, 16, 0) + "\n" + free_line(9999, fs.u, 0x500, 0x7fffff00) +
                       " ERROR: next pointer is out of bounds\n" + "Index freelist:\n" +
                       totals(32, 2, 68, 2, 48, 2, 0x500, 1));
}

TEST(ReportFreelist, ListsTheFreeIndexBlocks)
{
    sample_t s;
    uint32_t second = s.img.block(KIND_XREF, TAG_XREF_SIZE, 5, 0x50, 2);
    s.img.free_block(second);
    std::string out = capture([&](FILE *f) { rpt::freelist_view(s.img.view(), f); });
    EXPECT_EQ(out, "\n\n\n\nIndex freelist:\n"
                   "    " + hex(second, 8) + " file_id=ffffff ti_size=0005 next=0000 nextfree=" + hex(s.freed, 4) + "\n" +
                   "    " + hex(s.freed, 8) + " file_id=ffffff ti_size=0002 next=" + hex(second, 4) + " nextfree=0000\n" +
                   totals(0, 0, 0, 0, 0, 0, 0, 0));
}

TEST(ReportFreelist, ListThatTurnsBackEndsAfterOneRound)
{
    image_t img;
    uint32_t a = img.space(16), b = img.space(16 + 8);
    img.free_entry(a, 16, b + 8);
    img.free_entry(b + 8, 16, a);
    img.put32(TH_FREE1, a);
    std::string out = capture([&](FILE *f) { rpt::freelist_view(img.view(), f); });
    EXPECT_EQ(out, "\n" + free_line(0, a, 16, b + 8) + free_line(0, b + 8, 16, a) +
                       " ERROR: Out of order...\n ERROR: Overlapping free block...\n" + "\n\n\nIndex freelist:\n" +
                       totals(32, 2, 0, 0, 0, 0, 0, 0));
}

TEST(ReportStats, CountsTypesNamesTextsAndFreeSpace)
{
    sample_t s;
    std::string out = capture([&](FILE *f) { rpt::stats_view(s.img.view(), f); });
    std::string expected =
        "Tags statistics:\n"
        "Type" + sp(10) + "%age" + sp(3) + "Count" + sp(3) + "Bytes Longest    (Typelen LngType Children)\n" +
        "FUNCTION" + sp(7) + "25%" + sp(7) + "1" + sp(7) + "6" + sp(7) + "5    (" + sp(5) + "11" + sp(6) + "11" +
        sp(8) + "0)\n" +
        "DATA" + sp(11) + "25%" + sp(7) + "1" + sp(7) + "0" + sp(7) + "0    (" + sp(6) + "0" + sp(7) + "0" + sp(8) +
        "1)\n" +
        "XREF" + sp(11) + "50%" + sp(7) + "2" + sp(7) + "6" + sp(7) + "5    (" + sp(6) + "0" + sp(7) + "0" + sp(8) +
        "0)\n" +
        "\nTags in use: 4   Free slots: 3\nFiles: 2\n\n\n\n\nIndex freelist:\n"
        "    " + hex(s.freed, 8) + " file_id=ffffff ti_size=0002 next=0000 nextfree=0000\n" +
        totals(0, 0, 0, 0, 0, 0, 0, 0) + "File size: " + std::to_string(s.img.size()) + "\n";
    EXPECT_EQ(out, expected);
}

TEST(ReportStats, FreeListPartHasNoPerBlockLines)
{
    free_sample_t fs;
    std::string out = capture([&](FILE *f) { rpt::stats_view(fs.img.view(), f); });
    EXPECT_EQ(out, "Tags statistics:\n"
                   "Type" + sp(10) + "%age" + sp(3) + "Count" + sp(3) + "Bytes Longest    (Typelen LngType Children)\n" +
                   "\nTags in use: 0   Free slots: 0\nFiles: 0\n\n\n\n\n ERROR: next pointer is out of bounds\n"
                   "Index freelist:\n" + totals(32, 2, 68, 2, 48, 2, 0x500, 1) +
                   "File size: " + std::to_string(fs.img.size()) + "\n");
}

// --- damage -------------------------------------------------------------

// The first n bytes of an image in a buffer of exactly that size, so a
// read past the end is caught by the sanitizer builds.
struct cut_t {
    std::unique_ptr<unsigned char[]> bytes;
    rpt::view_t v;
    cut_t(const image_t &img, size_t n) : bytes(new unsigned char[n ? n : 1])
    {
        if (n)
            memcpy(bytes.get(), img.b.data(), n);
        v = rpt::view_t{bytes.get(), n};
    }
};

bool starts_with(const std::string &s, const std::string &prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

bool ends_with(const std::string &s, const std::string &suffix)
{
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

TEST(ReportDamage, CutFileGivesAPrefixOfTheWholeReport)
{
    sample_t s;
    s.img.file(256, "far.c");
    const rpt::view_t whole = s.img.view();
    std::string full_list = capture([&](FILE *f) { rpt::list_view(whole, f, REPORT_LIST, nullptr, true); });
    std::string full_files = capture([&](FILE *f) { rpt::filelist_view(whole, f); });
    for (size_t n = 0; n < s.img.b.size(); n++) {
        cut_t cut(s.img, n);
        std::string list = capture([&](FILE *f) {
            rpt::list_view(cut.v, f, REPORT_LIST, nullptr, true);
            rpt::list_view(cut.v, f, REPORT_BITMAP, nullptr, true);
        });
        std::string files = capture([&](FILE *f) { rpt::filelist_view(cut.v, f); });
        std::string rest = capture([&](FILE *f) {
            rpt::info_view(cut.v, f, true, true);
            rpt::freelist_view(cut.v, f);
            rpt::stats_view(cut.v, f);
        });
        std::string list_only = capture([&](FILE *f) { rpt::list_view(cut.v, f, REPORT_LIST, nullptr, true); });
        EXPECT_TRUE(starts_with(full_list, list_only)) << "cut at " << n;
        EXPECT_TRUE(starts_with(full_files, files)) << "cut at " << n;
        EXPECT_TRUE(ends_with(rest, "File size: " + std::to_string(n) + "\n")) << "cut at " << n;
        if (HasFailure())
            return;
    }
}

TEST(ReportDamage, BadReferencesStopTheWalkWhereTheyAre)
{
    sample_t s;
    const uint32_t outside = s.img.size() + 100;
    image_t bad_name = s.img;
    bad_name.put32(bad_name.slot_at(s.defs, 1) + TD_NAME, outside);
    EXPECT_EQ(capture([&](FILE *f) { rpt::list_view(bad_name.view(), f, REPORT_LIST, nullptr, false); }), alpha_def);

    image_t reserved_name = s.img;
    reserved_name.put32(reserved_name.slot_at(s.defs, 1) + TD_NAME, 300);
    EXPECT_EQ(capture([&](FILE *f) { rpt::list_view(reserved_name.view(), f, REPORT_LIST, nullptr, false); }), alpha_def);

    image_t bad_text = s.img;
    bad_text.put32(bad_text.slot_at(s.defs, 0) + TD_TEXT, outside);
    EXPECT_EQ(capture([&](FILE *f) { rpt::list_view(bad_text.view(), f, REPORT_LIST, nullptr, false); }), "");

    image_t bad_link = s.img;
    bad_link.put32(s.xrefs + TI_NEXT, outside);
    EXPECT_EQ(capture([&](FILE *f) { rpt::list_view(bad_link.view(), f, REPORT_LIST, nullptr, false); }),
              alpha_def + x_def + alpha_xref + blank_xref);

    image_t bad_size = s.img;
    bad_size.b[s.xrefs + TI_REC_SIZE] = 9;
    EXPECT_EQ(capture([&](FILE *f) { rpt::list_view(bad_size.view(), f, REPORT_LIST, nullptr, false); }),
              alpha_def + x_def);

    image_t bad_file = s.img;
    bad_file.put32(bad_file.get32(TH_FIRST_FILEBLK) + FT_SLOTS + 2 * FT_SLOT_SIZE + 4, outside);
    EXPECT_EQ(capture([&](FILE *f) { rpt::filelist_view(bad_file.view(), f); }), "0: src/a.c\n");
}

TEST(ReportDamage, ChainsThatLoopAreWalkedOnce)
{
    sample_t s;
    std::string normal = capture([&](FILE *f) { rpt::list_view(s.img.view(), f, REPORT_LIST, nullptr, false); });
    s.img.put32(s.freed + TI_NEXT, s.defs);
    s.img.put32(s.freed + TI_NEXT_FREE, s.freed);
    uint32_t fb = s.img.get32(TH_FIRST_FILEBLK);
    s.img.put32(fb + FT_NEXT, fb);
    EXPECT_EQ(capture([&](FILE *f) { rpt::list_view(s.img.view(), f, REPORT_LIST, nullptr, false); }), normal);
    EXPECT_EQ(capture([&](FILE *f) { rpt::filelist_view(s.img.view(), f); }), "0: src/a.c\n2: my b.c\n");
    std::string stats = capture([&](FILE *f) { rpt::stats_view(s.img.view(), f); });
    EXPECT_NE(stats.find("Tags in use: 4   Free slots: 3\n"), std::string::npos);
}

TEST(ReportDamage, RandomCorruptionNeverReadsOutsideTheFile)
{
    sample_t s;
    free_sample_t fs;
    std::mt19937 rng(12345);
    for (const image_t *base : {&s.img, &fs.img}) {
        for (int round = 0; round < 150; round++) {
            image_t img = *base;
            std::uniform_int_distribution<size_t> pos(0, img.b.size() - 1);
            for (int k = 0; k < 8; k++)
                img.b[pos(rng)] = (unsigned char)rng();
            cut_t cut(img, img.b.size() - (size_t)(rng() % 64));
            std::string out = capture([&](FILE *f) {
                rpt::list_view(cut.v, f, REPORT_LIST, nullptr, true);
                rpt::list_view(cut.v, f, REPORT_BITMAP, nullptr, true);
                rpt::filelist_view(cut.v, f);
                rpt::info_view(cut.v, f, true, true);
                rpt::freelist_view(cut.v, f);
                rpt::stats_view(cut.v, f);
            });
            ASSERT_TRUE(ends_with(out, "File size: " + std::to_string(cut.v.size) + "\n")) << "round " << round;
        }
    }
}

} // namespace
