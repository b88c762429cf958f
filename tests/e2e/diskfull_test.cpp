// A disk that fills while the database grows: the run ends with a message
// and status 1, and the database left behind is the one from before (or
// one the next run reads as sound).  Needs a small file system of its own;
// where mounting is not allowed the cases are skipped.
#include <sys/mount.h>
#include <unistd.h>

#include <sstream>

#include "db/tvt_check.h"
#include "e2e_util.h"

namespace {

using namespace e2e;

class DiskFull : public Tvtags {
  protected:
    std::string mnt;
    bool mounted = false;

    void SetUp() override
    {
        mnt = at("small");
        make_dirs(mnt);
        mounted = mount("tvtags-test", mnt.c_str(), "tmpfs", 0, "size=96k") == 0;
        if (!mounted)
            GTEST_SKIP() << "a small file system cannot be mounted here";
        // Sources outside the small file system, far more than it holds
        // as a database.
        make_dirs(at("src"));
        for (int i = 0; i < 12; i++) {
            std::ostringstream s;
            for (int k = 0; k < 120; k++)
                s << "int function_" << i << "_" << k << "(int arg) { return arg + " << k << "; }\n";
            file("src/f" + std::to_string(i) + ".c", s.str());
        }
        file("first.c", "int only_one(void) { return 1; }\n");
    }
    void TearDown() override
    {
        if (mounted)
            umount(mnt.c_str());
    }
    std::string db() const { return mnt + "/tags"; }
    std::string check() const
    {
        char msg[2048];
        int n = tvt_check_file(db().c_str(), msg, sizeof msg);
        return n == 0 ? "" : msg;
    }
    // Runs the program with the database on the small file system.
    result_t fill(bool mapping)
    {
        if (!mapping)
            setenv("TV_MMAP_ENABLE", "0", 1);
        result_t r = run({"-q", "-o", db(), at("src")});
        unsetenv("TV_MMAP_ENABLE");
        return r;
    }
};

TEST_F(DiskFull, MappedDatabaseStopsWithAMessageAndStaysSound)
{
    ASSERT_EQ(run({"-q", "-o", db(), at("first.c")}).status, 0);
    result_t r = fill(true);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot grow the tag file"), std::string::npos) << r.err;
    EXPECT_EQ(check(), "");
    EXPECT_FALSE(exists(at("tag-state")));
    result_t list = run({"-lookup", "only_one", db()});
    EXPECT_NE(list.out.find("only_one"), std::string::npos) << list.out << list.err;
}

TEST_F(DiskFull, CopiedDatabaseIsNotTruncatedByAFailedWriteBack)
{
    ASSERT_EQ(run({"-q", "-o", db(), at("first.c")}).status, 0);
    std::string before = read_file(db());
    result_t r = fill(false);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("write error"), std::string::npos) << r.out;
    EXPECT_EQ(read_file(db()), before);
    EXPECT_FALSE(exists(db() + ".tvnew"));
}

} // namespace
