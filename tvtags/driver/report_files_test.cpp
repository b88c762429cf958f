// The report entry points on database files: built by the storage engine,
// opened read-only, and the failures of the dump switches.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "db/tvt_format.h"
#include "db/tvt_io.h"
#include "driver/tvt_output.h"
#include "scan/tvt_settings.h"
#include "scan/tvt_tag.h"
#include "wrenlib/byteorder.h"

namespace {

std::string sp(int n)
{
    return std::string((size_t)n, ' ');
}

std::string read_bytes(const std::string &path)
{
    std::string s;
    if (FILE *f = fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            s.append(buf, n);
        fclose(f);
    }
    return s;
}

void write_bytes(const std::string &path, const std::string &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

class ReportFiles : public ::testing::Test {
protected:
    std::string path;
    int saved_free = 0;

    void SetUp() override
    {
        const ::testing::TestInfo *t = ::testing::UnitTest::GetInstance()->current_test_info();
        path = ::testing::TempDir() + "tvt_rfiles_" + t->name() + ".tags";
        remove(path.c_str());
        saved_free = tvt_opt.list_free;
        tvt_opt.list_free = 0;
    }
    void TearDown() override
    {
        remove(path.c_str());
        tvt_opt.list_free = saved_free;
    }

    tag_entry_t entry(const char *name, int type, uint32_t line, int parent, const char *type_text,
                      const char *args)
    {
        tag_entry_t e;
        memset(&e, 0, sizeof e);
        e.te_name = name;
        e.te_file = "a.c";
        e.te_type = (uint16_t)type;
        e.te_line = line;
        e.te_parent = parent;
        e.te_type_text = type_text;
        e.te_args = args;
        e.te_line_text = "";
        return e;
    }

    // One file with a function and a variable nested in it.
    void build()
    {
        int err = 0;
        tvt_db_t *db = tvt_open(path.c_str(), TVT_OPEN_WRITE, "sample", &err);
        ASSERT_NE(db, nullptr) << err;
        tvt_begin_file(db, "a.c", 100);
        tag_entry_t f = entry("main", TT_FUNCTION, 3, -1, "int", "(void)");
        int h = tvt_add_tag(db, &f);
        tag_entry_t v = entry("v", TT_DATA, 4, h, nullptr, nullptr);
        tvt_add_tag(db, &v);
        tvt_end_file(db);
        tvt_close(db);
    }
};

const std::string main_rec = "0000: main" + sp(20) + " file#0000(3) FUNCTION type=0e parent=ffffffff\n"
                             "type='int' args='(void)'\n";
const std::string v_rec = "0001: v" + sp(23) + " file#0000(4) DATA type=13 parent=000000\n\n";

TEST_F(ReportFiles, ListAndLookupReadWhatTheEngineWrote)
{
    build();
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(report_list(path.c_str(), REPORT_LIST, nullptr), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), main_rec + v_rec);

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(report_list(path.c_str(), REPORT_LOOKUP, "v"), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), v_rec);

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(report_list(path.c_str(), REPORT_LOOKUP, "absent"), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(ReportFiles, FilelistInfoAndStatsAgreeWithTheFile)
{
    build();
    std::string bytes = read_bytes(path);
    ASSERT_GE(bytes.size(), (size_t)TAG_HEADER_SIZE);
    uint32_t first = LGET32(bytes.data() + TH_FIRST_BLOCK);
    char off[16];
    snprintf(off, sizeof off, "%06x", first);

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(report_filelist(path.c_str()), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "0: a.c\n");

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(report_info(path.c_str(), 0), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Name: sample\nFlags: 00000000\n        Type TID      Used/Size TSize FID\n" + std::string(off) +
                  ": 55   0" + sp(8) + "   2/   2 18    0 a.c\n");

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(report_stats(path.c_str()), 0);
    std::string stats = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(stats.find("\nTags in use: 2   Free slots: 0\nFiles: 1\n"), std::string::npos) << stats;
    EXPECT_NE(stats.find("File size: " + std::to_string(bytes.size()) + "\n"), std::string::npos) << stats;

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(report_freelist(path.c_str()), 0);
    std::string freelist = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(freelist.find("ERROR"), std::string::npos) << freelist;
}

TEST_F(ReportFiles, RemovedFileLeavesAFreeBlock)
{
    build();
    int err = 0;
    tvt_db_t *db = tvt_open(path.c_str(), TVT_OPEN_WRITE, nullptr, &err);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(tvt_remove_file(db, "a.c"), 0);
    tvt_close(db);

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(report_list(path.c_str(), REPORT_LIST, nullptr), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "  FREE BLOCK\n");

    ::testing::internal::CaptureStdout();
    report_stats(path.c_str());
    std::string stats = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(stats.find("\nTags in use: 0   Free slots: 2\nFiles: 0\n"), std::string::npos) << stats;
}

TEST_F(ReportFiles, MissingFileGivesTheSystemErrorAndStatusOne)
{
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(report_list(path.c_str(), REPORT_LIST, nullptr), 1);
    EXPECT_EQ(report_stats(path.c_str()), 1);
    std::string err = ::testing::internal::GetCapturedStderr();
    std::string line = path + ": ";
    EXPECT_EQ(err.compare(0, line.size(), line), 0) << err;
    EXPECT_EQ(err.find("old style"), std::string::npos) << err;
}

TEST_F(ReportFiles, OtherVersionIsReportedAsOldStyle)
{
    std::string bytes((size_t)TAG_HEADER_SIZE, '\0');
    LPUT32(&bytes[TH_MAGIC], TAG_MAGIC);
    LPUT32(&bytes[TH_VERSION], 1);
    write_bytes(path, bytes);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(report_info(path.c_str(), 1), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), path + ": is an old style tags file. Please rebuild it\n");
}

TEST_F(ReportFiles, NotATagFileIsRefused)
{
    write_bytes(path, "just some text\n");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(report_filelist(path.c_str()), 1);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.compare(0, path.size() + 2, path + ": "), 0) << err;
    EXPECT_EQ(err.find("old style"), std::string::npos) << err;
}

} // namespace
