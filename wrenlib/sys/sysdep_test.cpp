// The stat wrapper, the directory reader, the current directory, locks,
// dynamic loading, sleeping and trace time stamps.
#include <errno.h>
#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <map>
#include <regex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "sys_testutil.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"
#include "wrenlib/mmap.h"
#include "wrenlib/sysdep.h"

namespace {

using wl_test::ChangeDir;
using wl_test::EnvVar;
using wl_test::TempDir;
namespace fs = std::filesystem;

constexpr bool kWindows = WL_SEP == '\\';

uint32_t kind(const wl_stat_t &st) { return st.st_mode & 0xF000u; }

TEST(StatWrapper, MissingNamesFailWithNoSuchFile) {
    TempDir tmp;
    wl_stat_t st;
    errno = 0;
    EXPECT_EQ(wl_stat(tmp.at("absent").c_str(), &st), -1);
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_EQ(wl_stat(tmp.at("no/such/file").c_str(), &st), -1);
    EXPECT_EQ(errno, ENOENT);
    tmp.write("plain");
    errno = 0;
    EXPECT_EQ(wl_stat(tmp.at("plain/below").c_str(), &st), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST(StatWrapper, FilesAndDirectories) {
    TempDir tmp;
    const int64_t before = wl_time_now();
    tmp.write("f.txt", "twelve bytes");
    tmp.mkdir("d");
    const int64_t after = wl_time_now();

    wl_stat_t st;
    ASSERT_EQ(wl_stat(tmp.at("f.txt").c_str(), &st), 0);
    EXPECT_EQ(kind(st), static_cast<uint32_t>(WL_S_IFREG));
    EXPECT_EQ(st.st_size, 12);
    EXPECT_GE(st.st_nlink, 1u);
    EXPECT_GE(st.st_mtime_s, before - 2);
    EXPECT_LE(st.st_mtime_s, after + 2);

    ASSERT_EQ(wl_stat(tmp.at("d").c_str(), &st), 0);
    EXPECT_EQ(kind(st), static_cast<uint32_t>(WL_S_IFDIR));
    ASSERT_EQ(wl_stat((tmp.at("d") + WL_SEP).c_str(), &st), 0);
    EXPECT_EQ(kind(st), static_cast<uint32_t>(WL_S_IFDIR));
    ASSERT_EQ(wl_stat((tmp.path() + "/d").c_str(), &st), 0);   // either separator
    EXPECT_EQ(kind(st), static_cast<uint32_t>(WL_S_IFDIR));
}

TEST(StatWrapper, PermissionBits) {
    TempDir tmp;
    tmp.write("ro.txt");
    fs::permissions(tmp.at("ro.txt"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read,
                    fs::perm_options::replace);
    wl_stat_t st;
    ASSERT_EQ(wl_stat(tmp.at("ro.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777u, 0444u);
    if (kWindows) {
        tmp.write("tool.exe");
        tmp.write("run.BAT");
        tmp.write("plain.txt");
        ASSERT_EQ(wl_stat(tmp.at("tool.exe").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777u, 0777u);
        ASSERT_EQ(wl_stat(tmp.at("run.BAT").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777u, 0777u);
        ASSERT_EQ(wl_stat(tmp.at("plain.txt").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777u, 0666u);
        ASSERT_EQ(wl_stat("C:\\", &st), 0);
        EXPECT_EQ(kind(st), static_cast<uint32_t>(WL_S_IFDIR));
    }
}

TEST(DirectoryReader, ListsEveryEntryWithItsKind) {
    TempDir tmp;
    tmp.write("a.txt", "aaa");
    tmp.write("B.c", "b");
    tmp.write("sub/inner");
    wl_dir_t *d = wl_opendir(tmp.path().c_str());
    ASSERT_NE(d, nullptr);
    std::map<std::string, wl_stat_t> seen;
    while (const char *e = wl_readdir(d)) {
        std::string name = e;
        if (name == "." || name == "..")
            continue;
        wl_stat_t st;
        ASSERT_EQ(wl_readdir_stat(d, &st), 0) << name;
        const int type = wl_readdir_type(d);
        const bool dir = kind(st) == WL_S_IFDIR;
        EXPECT_TRUE(type == WL_DT_UNKNOWN || type == (dir ? WL_DT_DIR : WL_DT_FILE)) << name;
        seen[name] = st;
    }
    EXPECT_EQ(wl_readdir(d), nullptr);   // stays at the end
    wl_closedir(d);

    ASSERT_EQ(seen.size(), 3u);
    ASSERT_TRUE(seen.count("a.txt") && seen.count("B.c") && seen.count("sub"));
    EXPECT_EQ(seen["a.txt"].st_size, 3);
    EXPECT_EQ(kind(seen["a.txt"]), static_cast<uint32_t>(WL_S_IFREG));
    EXPECT_EQ(kind(seen["sub"]), static_cast<uint32_t>(WL_S_IFDIR));
}

TEST(DirectoryReader, NullNameAndFailures) {
    TempDir tmp;
    tmp.write("only");
    tmp.mkdir("empty");
    ChangeDir in(tmp.path());
    wl_dir_t *d = wl_opendir(nullptr);
    ASSERT_NE(d, nullptr);
    int entries = 0;
    while (const char *e = wl_readdir(d))
        entries += std::string(e) != "." && std::string(e) != "..";
    wl_closedir(d);
    EXPECT_EQ(entries, 2);

    d = wl_opendir("empty");
    ASSERT_NE(d, nullptr);
    entries = 0;
    while (const char *e = wl_readdir(d))
        entries += std::string(e) != "." && std::string(e) != "..";
    wl_closedir(d);
    EXPECT_EQ(entries, 0);

    EXPECT_EQ(wl_opendir("absent"), nullptr);
    EXPECT_EQ(wl_opendir("only"), nullptr);
}

TEST(CurrentDirectory, FollowsChanges) {
    TempDir tmp;
    ChangeDir in(tmp.path());
    char *cwd = wl_getcwd();
    ASSERT_NE(cwd, nullptr);
    EXPECT_TRUE(fs::equivalent(cwd, tmp.path()));
    EXPECT_EQ(is_absolute(cwd), 1);
    chk_free(cwd);
}

// Two independent handles on one file, taken through the mapping layer.
class FileLocks : public ::testing::Test {
protected:
    void SetUp() override {
        mmap_file_reset();
        tmp.write("lock.db", "locked contents");
        a = mmap_file_open(tmp.at("lock.db").c_str(), 0);
        b = mmap_file_open(tmp.at("lock.db").c_str(), 0);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        ASSERT_NE(a->mf_fd, -1);
        ASSERT_NE(b->mf_fd, -1);
    }
    void TearDown() override {
        mmap_file_close(a);
        mmap_file_close(b);
        mmap_file_reset();
    }
    TempDir tmp;
    EnvVar enable{"TV_MMAP_ENABLE", nullptr};
    mmap_file_t *a = nullptr, *b = nullptr;
};

TEST_F(FileLocks, ExclusiveExcludesEveryoneElse) {
    ASSERT_EQ(wl_lock_file(a->mf_fd, 1, 0), 0);
    EXPECT_EQ(wl_lock_file(b->mf_fd, 1, 0), -1);
    EXPECT_EQ(wl_lock_file(b->mf_fd, 0, 0), -1);
    // The lock is advisory: the file can still be read.
    EXPECT_EQ(wl_test::read_file(tmp.at("lock.db")), "locked contents");
    ASSERT_EQ(wl_unlock_file(a->mf_fd), 0);
    EXPECT_EQ(wl_lock_file(b->mf_fd, 1, 0), 0);
    EXPECT_EQ(wl_lock_file(a->mf_fd, 0, 0), -1);
    EXPECT_EQ(wl_unlock_file(b->mf_fd), 0);
}

TEST_F(FileLocks, SharedLocksCoexist) {
    ASSERT_EQ(wl_lock_file(a->mf_fd, 0, 0), 0);
    EXPECT_EQ(wl_lock_file(b->mf_fd, 0, 0), 0);
    mmap_file_t *c = mmap_file_open(tmp.at("lock.db").c_str(), 0);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(wl_lock_file(c->mf_fd, 1, 0), -1);
    EXPECT_EQ(wl_unlock_file(a->mf_fd), 0);
    EXPECT_EQ(wl_unlock_file(b->mf_fd), 0);
    EXPECT_EQ(wl_lock_file(c->mf_fd, 1, 0), 0);
    EXPECT_EQ(wl_unlock_file(c->mf_fd), 0);
    mmap_file_close(c);
}

TEST_F(FileLocks, WaitingLockIsGrantedWhenReleased) {
    ASSERT_EQ(wl_lock_file(a->mf_fd, 1, 0), 0);
    std::thread releaser([this] {
        wl_sleep_ms(100);
        wl_unlock_file(a->mf_fd);
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(wl_lock_file(b->mf_fd, 1, 1), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    releaser.join();
    EXPECT_EQ(wl_unlock_file(b->mf_fd), 0);
}

TEST(DynamicLoading, OpensLibrariesAndFindsEntries) {
    EXPECT_EQ(wl_dlopen("no-such-library-wlsys.so", 1), nullptr);
    EXPECT_EQ(wl_dlsym(nullptr, "strlen"), nullptr);
    void *h = wl_dlopen("libc.so.6", 1);
    if (kWindows) {
        EXPECT_EQ(h, nullptr);   // no extension is loaded there
        return;
    }
    ASSERT_NE(h, nullptr);
    EXPECT_NE(wl_dlsym(h, "strlen"), nullptr);
    EXPECT_EQ(wl_dlsym(h, "no_such_entry_wlsys"), nullptr);
}

TEST(Clock, SleepAndWallClock) {
    const auto start = std::chrono::steady_clock::now();
    wl_sleep_ms(60);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(55));
    const int64_t now = static_cast<int64_t>(time(nullptr));
    EXPECT_LE(std::llabs(wl_time_now() - now), 1);
}

double trace_seconds() {
    const std::string t = trace_time();
    EXPECT_TRUE(std::regex_match(t, std::regex("[0-9]{3,}\\.[0-9]{3} "))) << "'" << t << "'";
    return atof(t.c_str());
}

TEST(TraceTime, CountsFromTheFirstCall) {
    EnvVar rel("TIME_ABSOLUTE", nullptr);
    const double first = trace_seconds();
    wl_sleep_ms(120);
    const double second = trace_seconds();
    EXPECT_GE(second - first, 0.1);
    EXPECT_LT(second, 1e6);   // relative, not seconds since 1970
}

TEST(TraceTime, AbsoluteOnRequest) {
    EnvVar abs("TIME_ABSOLUTE", "1");
    const double t = trace_seconds();
    EXPECT_LE(std::abs(t - static_cast<double>(time(nullptr))), 2.0);
}

} // namespace
