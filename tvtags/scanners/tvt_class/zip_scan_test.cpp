// The archive scanner on archives made by real tools (jar, zip, gzip) and
// on archives built here entry by entry: stored and deflated entries,
// data descriptors, gzip members, encrypted entries, wrong CRCs and
// lengths, cut files and entries that expand without bound.
#include "class_testutil.h"

namespace {

using namespace cls_test;

class Archive : public ClassScan {
  protected:
    std::string tool_ = fixture("com/acme/util/Tool.class");
    std::string shape_ = fixture("com/acme/util/Shape.class");
    std::string plain_ = fixture("Plain.class");

    static int count(int type)
    {
        int n = 0;
        for (const seen_t &t : seen())
            n += t.type == type;
        return n;
    }
};

// The CRCs of these archives were written by other programs: an entry
// whose CRC we computed differently would be refused.
TEST_F(Archive, ArchivesOfRealToolsGiveEveryClass)
{
    scan(fixture("tool.jar"), tvt_archive_scan, "tool.jar");
    EXPECT_EQ(errors(), "");
    EXPECT_EQ(count(TT_PACKAGE), 1) << "the classes of one package share its tag\n" << dump();
    EXPECT_EQ(count(TT_CLASS) + count(TT_INTERFACE), 4) << dump();
    const seen_t *pkg = find("com.acme.util", TT_PACKAGE);
    ASSERT_TRUE(pkg);
    int pkg_ix = int(pkg - seen().data());
    EXPECT_EQ(find("Shape", TT_INTERFACE)->parent, pkg_ix);
    EXPECT_EQ(find("Tool", TT_CLASS)->parent, pkg_ix);
    EXPECT_EQ(find("Plain", TT_CLASS)->parent, -1);

    scan(fixture("mixed.zip"), tvt_archive_scan, "mixed.zip");
    EXPECT_EQ(errors(), "");
    EXPECT_EQ(dump().find("CLASS Plain\n"), 0u) << dump();
    EXPECT_TRUE(find("Plain$Base", TT_CLASS));
    EXPECT_TRUE(find("Shape", TT_INTERFACE));

    scan(fixture("Tool.class.gz"), tvt_archive_scan, "Tool.class.gz");
    EXPECT_EQ(errors(), "");
    EXPECT_TRUE(find("run", TT_FUNCTION));
}

TEST_F(Archive, StoredDeflatedAndDescribedEntriesInOneArchive)
{
    std::string z = zip_entry({"a/", "", false}) + zip_entry({"Tool.class", tool_, false}) +
                    zip_entry({"README", "text that is no class", true, true}) +
                    zip_entry({"Shape.class", shape_, true, true, false}) +
                    zip_entry({"Plain.class", plain_, true, true, true}) + zip_end();
    scan(z, tvt_archive_scan);
    EXPECT_EQ(errors(), "");
    EXPECT_TRUE(find("Tool", TT_CLASS));
    EXPECT_TRUE(find("Shape", TT_INTERFACE));
    EXPECT_TRUE(find("Plain", TT_CLASS));
    EXPECT_EQ(count(TT_PACKAGE), 1);
}

TEST_F(Archive, ConcatenatedGzipMembersAreOneFile)
{
    scan(gzip_member(tool_.substr(0, 100), "Tool.class") + gzip_member(tool_.substr(100)), tvt_archive_scan,
         "t.gz");
    EXPECT_EQ(errors(), "");
    EXPECT_TRUE(find("lambda$run$0"));
    scan(gzip_member(tool_, "", 1), tvt_archive_scan, "t.gz");
    EXPECT_TRUE(seen().empty());
    EXPECT_NE(errors().find("crc error"), std::string::npos) << errors();
}

TEST_F(Archive, AWrongCrcOrLengthKeepsTheEntriesBefore)
{
    for (int wrong = 0; wrong < 2; wrong++) {
        zip_entry_spec_t bad{"Shape.class", shape_};
        if (wrong)
            bad.usize_delta = 1;
        else
            bad.crc_delta = 1;
        scan(zip_entry({"Tool.class", tool_}) + zip_entry(bad) + zip_entry({"Plain.class", plain_}) + zip_end(),
             tvt_archive_scan);
        EXPECT_TRUE(find("Tool", TT_CLASS));
        EXPECT_FALSE(find("Shape")) << "a damaged entry gives no tags";
        EXPECT_FALSE(find("Plain", TT_CLASS)) << "the archive ends at the damage";
        EXPECT_NE(errors().find(wrong ? "Shape.class: invalid compressed data--length error"
                                      : "Shape.class: invalid compressed data--crc error"),
                  std::string::npos)
            << errors();
    }
}

TEST_F(Archive, StoredSizesThatDisagreeEndTheArchive)
{
    zip_entry_spec_t bad{"Shape.class", shape_, false};
    bad.usize_delta = 5;
    scan(zip_entry({"Tool.class", tool_}) + zip_entry(bad) + zip_end(), tvt_archive_scan);
    EXPECT_EQ(count(TT_CLASS), 1);
    EXPECT_NE(errors().find("length mismatch"), std::string::npos) << errors();
}

TEST_F(Archive, EncryptedEntriesAreSkippedWhenTheirSizeIsKnown)
{
    zip_entry_spec_t secret{"Shape.class", shape_};
    secret.extra_flags = 1;
    scan(zip_entry(secret) + zip_entry({"Tool.class", tool_}) + zip_end(), tvt_archive_scan);
    EXPECT_FALSE(find("Shape"));
    EXPECT_TRUE(find("Tool", TT_CLASS));
    EXPECT_NE(errors().find("Shape.class: cannot decrypt entry, skipped"), std::string::npos) << errors();

    secret.descriptor = true;   // no size to step over it: the archive ends
    scan(zip_entry(secret) + zip_entry({"Tool.class", tool_}) + zip_end(), tvt_archive_scan);
    EXPECT_TRUE(seen().empty());
    EXPECT_NE(errors().find("cannot decrypt entry (need to recompile with full crypt.c)"), std::string::npos);
}

TEST_F(Archive, EveryCutGivesTheWholeEntriesBeforeIt)
{
    const std::string z = zip_entry({"Tool.class", tool_}) + zip_entry({"Shape.class", shape_, true, true}) +
                          zip_entry({"Plain.class", plain_, false}) + zip_end();
    scan(z, tvt_archive_scan);
    const std::string all = dump();
    ASSERT_EQ(errors(), "");
    for (size_t n = 0; n < z.size(); n += (n < 64 ? 1 : 7)) {
        scan(z.substr(0, n), tvt_archive_scan);
        std::string part = dump();
        ASSERT_EQ(all.compare(0, part.size(), part), 0) << "cut at " << n;
    }
    scan(z.substr(0, z.size() - 200), tvt_archive_scan);
    EXPECT_NE(errors().find("Plain.class: zip file ended prematurely"), std::string::npos) << errors();
}

TEST_F(Archive, EntriesThatExpandWithoutBoundAreSkippedNotHeld)
{
    // Ten MiB of a class-file start and zeros: a few KiB compressed.
    std::string bomb = "\xCA\xFE\xBA\xBE" + std::string(10u << 20, '\0');
    scan(zip_entry({"Bomb.class", bomb, true, true}) + zip_entry({"Tool.class", tool_}) + zip_end(),
         tvt_archive_scan);
    EXPECT_NE(errors().find("Bomb.class: entry expands more than"), std::string::npos) << errors();
    EXPECT_TRUE(find("Tool", TT_CLASS)) << "the archive goes on after it";
    // Data that is no class file is never held, however large.
    std::string big(20u << 20, 'x');
    scan(zip_entry({"big.bin", big, true, true}) + zip_entry({"Tool.class", tool_}) + zip_end(), tvt_archive_scan);
    EXPECT_EQ(errors(), "");
    EXPECT_TRUE(find("Tool", TT_CLASS));
}

TEST_F(Archive, InputsThatAreNoArchive)
{
    EXPECT_TRUE(scan("", tvt_archive_scan).empty());
    EXPECT_EQ(errors(), "");
    std::string empty_zip;
    put32(empty_zip, 0x06054b50);
    empty_zip += std::string(18, '\0');
    EXPECT_TRUE(scan(empty_zip, tvt_archive_scan).empty());
    EXPECT_EQ(errors(), "");
    EXPECT_TRUE(scan("plain text, not zipped\n", tvt_archive_scan).empty());
    EXPECT_NE(errors().find("input not a zip or gzip file"), std::string::npos);
    std::string bad_deflate = zip_entry({"Tool.class", tool_});
    bad_deflate[30 + 10 + 4] = char(0xFF);   // the first block's header: an invalid block type
    EXPECT_TRUE(scan(bad_deflate, tvt_archive_scan).empty());
    EXPECT_NE(errors().find("format violated"), std::string::npos) << errors();
}

} // namespace
