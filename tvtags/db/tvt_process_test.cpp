// Several processes on one tag file: a writer killed at a random moment,
// two writers started together, a run waiting for a live writer's lock,
// and a disk that refuses to grow the file.
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "db/tvt_test_util.h"

namespace {

using namespace tvt_test;
using Clock = std::chrono::steady_clock;

class ProcessTest : public DbTest {
  protected:
    std::string p;
    void SetUp() override
    {
        DbTest::SetUp();
        p = path("tags");
    }
    // Scans `files` files named prefix<i>, with a rescan and a removal now
    // and then, as a run over a changing tree would.
    static void writer_work(tvt_db_t *db, const std::string &prefix, int files, unsigned seed)
    {
        std::mt19937 rng(seed);
        for (int i = 0; i < files; i++) {
            std::string f = prefix + std::to_string(rng() % (unsigned) (files / 2 + 1));
            std::vector<Tag> tags;
            int n = 1 + (int) (rng() % 60);
            for (int k = 0; k < n; k++) {
                Tag t("s" + std::to_string(rng() % 500), (uint32_t) k + 1, k % 4 ? TT_FUNCTION : TT_XREF);
                if (k % 4 == 1)
                    t.texts("int", "(void)");
                tags.push_back(t);
            }
            scan(db, f, (uint32_t) i + 1, tags);
            if (rng() % 10 == 0)
                tvt_remove_file(db, (prefix + std::to_string(rng() % (unsigned) (files / 2 + 1))).c_str());
        }
    }
    static int wait_for(pid_t pid)
    {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }
};

TEST_F(ProcessTest, KilledWriterLeavesTheMarkerOrASoundFile)
{
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    int rebuilt = 0, finished = 0;
    for (int round = 0; round < 12; round++) {
        // Every third kill may land anywhere, even before the open; the
        // others land once the writer holds the file, so that the test
        // does not depend on how busy the machine is.
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(ready[0]);
            signal(SIGPIPE, SIG_IGN);
            int err;
            tvt_db_t *db = tvt_open(p.c_str(), TVT_OPEN_WRITE, "killed", &err);
            if (!db)
                _exit(2);
            if (write(ready[1], "o", 1) != 1) {
                // nobody waits for it
            }
            writer_work(db, "k/", 200 + round * 40, (unsigned) round);
            tvt_close(db);
            pause();   // done: wait for the kill
            _exit(0);
        }
        close(ready[1]);
        char c;
        if (round % 3 != 0) {
            ASSERT_EQ(read(ready[0], &c, 1), 1);
        }
        close(ready[0]);
        usleep((useconds_t) (rng() % 4000));
        kill(pid, SIGKILL);
        ASSERT_EQ(wait_for(pid), -SIGKILL);
        auto m = read_bytes(marker());
        if (std::string(m.begin(), m.end()) == p) {
            // Killed while open: the next open starts afresh.
            tvt_db_t *db = open_w(p);
            ASSERT_NE(db, nullptr);
            const char *name;
            uint32_t t;
            for (int id = 0; tvt_file_at(db, id, &name, &t) >= 0; id++)
                EXPECT_NE(tvt_file_at(db, id, &name, &t), 1);
            EXPECT_EQ(check(db), "");
            tvt_close(db);
            rebuilt++;
        } else if (exists(p)) {
            auto b = read_bytes(p);
            if (b.size() >= 4 && LGET32(b.data()) == TAG_MAGIC) {
                EXPECT_EQ(check_file(p), "") << "round " << round;
                finished++;
            } else {
                // Killed between creating the file and making it a
                // database (the magic is written last): the next open
                // makes it one.
                tvt_db_t *db = open_w(p);
                ASSERT_NE(db, nullptr);
                EXPECT_EQ(check(db), "");
                tvt_close(db);
            }
        }
    }
    // Most kills land while the writer works.
    EXPECT_GT(rebuilt, 0);
    RecordProperty("rebuilt", rebuilt);
    RecordProperty("finished", finished);
}

TEST_F(ProcessTest, TwoWritersStartedTogetherBothGetTheirTagsIn)
{
    const int kFiles = 400;
    for (bool file_exists : {false, true}) {
        SCOPED_TRACE(file_exists ? "existing file" : "new file");
        std::remove(p.c_str());
        if (file_exists)
            tvt_close(open_w(p));
        int go[2];
        ASSERT_EQ(pipe(go), 0);
        pid_t pids[2];
        for (int w = 0; w < 2; w++) {
            pids[w] = fork();
            ASSERT_GE(pids[w], 0);
            if (pids[w] == 0) {
                close(go[1]);
                char c;
                if (read(go[0], &c, 1) != 0)
                    _exit(4);
                int err;
                tvt_db_t *db = tvt_open(p.c_str(), TVT_OPEN_WRITE, nullptr, &err);
                if (!db)
                    _exit(2);
                std::string prefix = "w" + std::to_string(w) + "/";
                for (int i = 0; i < kFiles; i++) {
                    std::vector<Tag> tags = {Tag("common", 1), Tag(prefix, 2, TT_MEMBER, 0, 2), Tag("x", 3, TT_XREF)};
                    for (int k = 0; k < 40; k++)
                        tags.push_back(Tag(prefix + std::to_string(i * 40 + k), (uint32_t) k + 4, TT_DEFINE));
                    scan(db, prefix + std::to_string(i), 1, tags);
                }
                tvt_close(db);
                _exit(0);
            }
        }
        close(go[0]);
        close(go[1]);   // both start now
        EXPECT_EQ(wait_for(pids[0]), 0);
        EXPECT_EQ(wait_for(pids[1]), 0);
        EXPECT_EQ(check_file(p), "");
        int err;
        tvt_db_t *db = tvt_open(p.c_str(), 0, nullptr, &err);
        ASSERT_NE(db, nullptr);
        for (int w = 0; w < 2; w++)
            for (int i = 0; i < kFiles; i++) {
                std::string f = "w" + std::to_string(w) + "/" + std::to_string(i);
                ASSERT_EQ(stored_tags(db, f).size(), 43u) << f;
            }
        EXPECT_EQ(header(db, TH_FLAGS) & TH_FLAG_INUSE, 0u);
        tvt_close(db);
        EXPECT_FALSE(exists(marker()));
    }
}

TEST_F(ProcessTest, OpenWaitsForALiveWriterAndSaysSoAfterThreeSeconds)
{
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int err;
        tvt_db_t *db = tvt_open(p.c_str(), TVT_OPEN_WRITE, nullptr, &err);
        scan(db, "held.c", 1, {Tag("h", 1)});
        if (write(ready[1], "x", 1) != 1)
            _exit(3);
        usleep(3600000);
        tvt_close(db);
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    // The live writer's flag is set: without the lock, a timeout of 0 would
    // let this run in at once.
    auto t0 = Clock::now();
    testing::internal::CaptureStdout();
    tvt_db_t *db = open_w(p);
    std::string out = testing::internal::GetCapturedStdout();
    double s = std::chrono::duration<double>(Clock::now() - t0).count();
    ASSERT_NE(db, nullptr);
    EXPECT_GE(s, 3.0);
    EXPECT_EQ(out, "Tolva: tvtags: Tag file is locked. Maybe corrupt.\n"
                   "       If you continue to experience delays, then try removing the file.\n"
                   "       File: " + p + "\n");
    EXPECT_EQ(tvt_find_file(db, "held.c"), 0);
    EXPECT_EQ(wait_for(pid), 0);
    scan(db, "mine.c", 1, {Tag("m", 1)});
    tvt_close(db);
    EXPECT_EQ(check_file(p), "");
}

TEST_F(ProcessTest, ReaderWaitsForAWriterButReadersShare)
{
    set_env("TV_TAG_TIMEOUT", "10");
    tvt_close(open_w(p));
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int err;
        tvt_db_t *db = tvt_open(p.c_str(), TVT_OPEN_WRITE, nullptr, &err);
        if (write(ready[1], "x", 1) != 1)
            _exit(3);
        usleep(800000);
        scan(db, "w.c", 1, {Tag("w", 1)});
        tvt_close(db);
        // Then hold a reader's lock for a while.
        db = tvt_open(p.c_str(), 0, nullptr, &err);
        usleep(1500000);
        tvt_close(db);
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    auto t0 = Clock::now();
    int err;
    tvt_db_t *db = tvt_open(p.c_str(), 0, nullptr, &err);
    double s = std::chrono::duration<double>(Clock::now() - t0).count();
    ASSERT_NE(db, nullptr);
    EXPECT_GE(s, 0.6);
    EXPECT_EQ(tvt_find_file(db, "w.c"), 0);   // what the writer finished is seen,
    EXPECT_EQ(check(db), "");                  // all of it, though the file grew
    tvt_close(db);
    usleep(200000);   // the child now reads
    t0 = Clock::now();
    db = tvt_open(p.c_str(), 0, nullptr, &err);
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - t0).count(), 0.5);
    tvt_close(db);
    EXPECT_EQ(wait_for(pid), 0);
}

TEST_F(ProcessTest, ReaderGivesUpOnAWriterAfterTheTimeout)
{
    set_env("TV_TAG_TIMEOUT", "1");
    tvt_close(open_w(p));
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int err;
        tvt_db_t *db = tvt_open(p.c_str(), TVT_OPEN_WRITE, nullptr, &err);
        if (write(ready[1], "x", 1) != 1)
            _exit(3);
        usleep(4000000);
        tvt_close(db);
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    auto t0 = Clock::now();
    int err = 0;
    EXPECT_EQ(tvt_open(p.c_str(), 0, nullptr, &err), nullptr);
    double s = std::chrono::duration<double>(Clock::now() - t0).count();
    EXPECT_EQ(err, TVT_ERR_BUSY);
    EXPECT_GE(s, 0.9);
    EXPECT_LT(s, 3.5);
    EXPECT_TRUE(exists(p));
    EXPECT_EQ(wait_for(pid), 0);
}

TEST_F(ProcessTest, DiskThatRefusesToGrowTheFileStopsTheRunCleanly)
{
    tvt_db_t *db = open_w(p);
    scan(db, "a.c", 1, {Tag("a", 1)});
    tvt_close(db);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int err;
        tvt_db_t *w = tvt_open(p.c_str(), TVT_OPEN_WRITE, nullptr, &err);
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit rl;
        rl.rlim_cur = rl.rlim_max = tvt_size(w);
        setrlimit(RLIMIT_FSIZE, &rl);
        std::vector<Tag> tags;
        for (int i = 0; i < 20000; i++)
            tags.push_back(Tag("name" + std::to_string(i), (uint32_t) i + 1));
        scan(w, "big.c", 1, tags);
        _exit(0);
    }
    EXPECT_EQ(wait_for(pid), 1);
    EXPECT_FALSE(exists(marker()));
    EXPECT_EQ(check_file(p), "");
    int err;
    db = tvt_open(p.c_str(), 0, nullptr, &err);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(tvt_find_file(db, "big.c"), -1);
    EXPECT_EQ(tvt_find_file(db, "a.c"), 0);
    EXPECT_EQ(header(db, TH_FLAGS) & TH_FLAG_INUSE, 0u);
    tvt_close(db);
}

} // namespace
#endif
