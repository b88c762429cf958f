// Mapped files and their copy mode.
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "sys_testutil.h"
#include "wrenlib/mmap.h"

namespace {

using wl_test::EnvVar;
using wl_test::TempDir;

bool all_zero(const unsigned char *p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (p[i])
            return false;
    return true;
}

// Each case runs with mapping on (TV_MMAP_ENABLE unset) and with it off.
class MmapFile : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { mmap_file_reset(); }
    void TearDown() override { mmap_file_reset(); }
    bool mapping() const { return GetParam(); }
    TempDir tmp;
    EnvVar enable{"TV_MMAP_ENABLE", GetParam() ? nullptr : "0"};
};

TEST_P(MmapFile, MissingWritableFileStartsAsZeros) {
    const std::string name = tmp.at("new.db");
    mmap_file_t *f = mmap_file_open(name.c_str(), MMAP_WRITE | MMAP_COPY_OK);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(mmap_is_mapped(f), mapping() ? 1 : 0);
    ASSERT_EQ(f->mf_size, 4096u);
    EXPECT_TRUE(all_zero(f->mf_base, f->mf_size));
    memcpy(f->mf_base + 100, "hello", 5);
    mmap_file_close(f);

    std::string bytes = wl_test::read_file(name);
    ASSERT_EQ(bytes.size(), 4096u);
    EXPECT_EQ(bytes.substr(100, 5), "hello");
}

TEST_P(MmapFile, ExistingFileIsReadWhole) {
    tmp.write("data", "0123456789");
    mmap_file_t *f = mmap_file_open(tmp.at("data").c_str(), MMAP_COPY_OK);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->mf_size, 10u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(f->mf_base), 10), "0123456789");
    mmap_file_close(f);
}

TEST_P(MmapFile, MissingFileInAMissingFolderIsNull) {
    // Neither a mapping nor a copy can be made there: the caller hears it
    // at open, not when the copy fails to be written back.
    const std::string name = tmp.at("no/such/dir/new.db");
    EXPECT_EQ(mmap_file_open(name.c_str(), MMAP_WRITE | MMAP_COPY_OK), nullptr);
    EXPECT_FALSE(wl_test::fs::exists(tmp.at("no")));
}

TEST_P(MmapFile, MissingReadOnlyFileIsNull) {
    EXPECT_EQ(mmap_file_open(tmp.at("absent").c_str(), MMAP_COPY_OK), nullptr);
    EXPECT_EQ(mmap_file_open(tmp.at("absent").c_str(), 0), nullptr);
    EXPECT_FALSE(wl_test::fs::exists(tmp.at("absent")));
    // A directory is not a file to map or copy.
    EXPECT_EQ(mmap_file_open(tmp.path().c_str(), MMAP_COPY_OK), nullptr);
}

TEST_P(MmapFile, ProbeGrowsWritableFilesWithZeros) {
    tmp.write("grow", std::string(5000, 'g'));
    mmap_file_t *f = mmap_file_open(tmp.at("grow").c_str(), MMAP_WRITE | MMAP_COPY_OK);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(mmap_file_probe(f, 100), 1);      // already big enough
    EXPECT_EQ(f->mf_size, 5000u);
    ASSERT_EQ(mmap_file_probe(f, 20000), 1);
    ASSERT_EQ(f->mf_size, 20000u);
    EXPECT_EQ(f->mf_base[4999], 'g');
    EXPECT_TRUE(all_zero(f->mf_base + 5000, 15000));
    f->mf_base[19999] = 'e';
    mmap_file_close(f);

    std::string bytes = wl_test::read_file(tmp.at("grow"));
    ASSERT_EQ(bytes.size(), 20000u);
    EXPECT_EQ(bytes[4999], 'g');
    EXPECT_EQ(bytes[5000], '\0');
    EXPECT_EQ(bytes[19999], 'e');
}

TEST_P(MmapFile, ClosingTheDescriptorEarlyStillAllowsGrowth) {
    mmap_file_t *f = mmap_file_open(tmp.at("fd.db").c_str(), MMAP_WRITE | MMAP_COPY_OK | MMAP_CLOSE_FD);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->mf_fd, -1);
    f->mf_base[0] = 'a';
    ASSERT_EQ(mmap_file_probe(f, 9000), 1);
    EXPECT_EQ(f->mf_base[0], 'a');
    f->mf_base[8999] = 'z';
    mmap_file_close(f);
    std::string bytes = wl_test::read_file(tmp.at("fd.db"));
    ASSERT_EQ(bytes.size(), 9000u);
    EXPECT_EQ(bytes[0], 'a');
    EXPECT_EQ(bytes[8999], 'z');
}

TEST_P(MmapFile, ReadOnlyFilesAreNeverWritten) {
    tmp.write("ro", "abc");
    mmap_file_t *f = mmap_file_open(tmp.at("ro").c_str(), MMAP_COPY_OK);
    ASSERT_NE(f, nullptr);
    if (mapping()) {
        EXPECT_EQ(mmap_file_probe(f, 8192), 0);   // a read-only mapping cannot grow
        EXPECT_EQ(f->mf_size, 3u);
    } else {
        // The copy may grow and change in memory; the file stays as it was.
        ASSERT_EQ(mmap_file_probe(f, 8192), 1);
        f->mf_base[0] = 'X';
    }
    mmap_file_close(f);
    EXPECT_EQ(wl_test::read_file(tmp.at("ro")), "abc");
}

TEST_P(MmapFile, SyncedBytesAreVisibleToOtherReaders) {
    mmap_file_t *f = mmap_file_open(tmp.at("sync.db").c_str(), MMAP_WRITE | MMAP_COPY_OK);
    ASSERT_NE(f, nullptr);
    memcpy(f->mf_base, "sync", 4);
    EXPECT_EQ(mmap_file_sync(f), 0);
    if (mapping()) {
        EXPECT_EQ(wl_test::read_file(tmp.at("sync.db")).substr(0, 4), "sync");
    }
    mmap_file_close(f);
    EXPECT_EQ(wl_test::read_file(tmp.at("sync.db")).substr(0, 4), "sync");
}

TEST_P(MmapFile, EmptyFilesCanGrow) {
    tmp.write("empty", "");
    mmap_file_t *f = mmap_file_open(tmp.at("empty").c_str(), MMAP_WRITE | MMAP_COPY_OK);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->mf_size, 0u);
    ASSERT_EQ(mmap_file_probe(f, 300), 1);
    EXPECT_TRUE(all_zero(f->mf_base, 300));
    f->mf_base[299] = 'q';
    mmap_file_close(f);
    EXPECT_EQ(wl_test::read_file(tmp.at("empty")), std::string(299, '\0') + "q");
}

INSTANTIATE_TEST_SUITE_P(Modes, MmapFile, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool> &i) { return i.param ? "Mapped" : "Copied"; });

// A file grown in small steps well past the room first mapped for it, as a
// database grows: every byte written stays, while the mapping is moved and
// the old pages are let go, and the file ends exactly as long as asked.
TEST_P(MmapFile, GrowingFarInSmallStepsKeepsEveryByte) {
    const std::string name = tmp.at("grown.db");
    mmap_file_t *f = mmap_file_open(name.c_str(), MMAP_WRITE | MMAP_COPY_OK);
    ASSERT_NE(f, nullptr);
    auto byte_at = [](size_t i) { return static_cast<unsigned char>((i * 131 + i / 4096) & 0xFF); };
    const size_t step = 8192 + 488;   // not a multiple of the page size
    const size_t target = (size_t(40) << 20) + 12345;
    size_t written = 0;
    while (f->mf_size < target) {
        size_t want = f->mf_size + step < target ? f->mf_size + step : target;
        ASSERT_EQ(mmap_file_probe(f, want), 1);
        ASSERT_EQ(f->mf_size, want);
        // The earlier bytes are where they were, whatever became of the
        // mapping; the new ones start as zeros.
        EXPECT_EQ(f->mf_base[written / 2], byte_at(written / 2));
        EXPECT_TRUE(all_zero(f->mf_base + written, want - written));
        for (size_t i = written; i < want; i++)
            f->mf_base[i] = byte_at(i);
        written = want;
    }
    for (size_t i = 0; i < written; i += 997)
        ASSERT_EQ(f->mf_base[i], byte_at(i)) << "at " << i;
    mmap_file_close(f);

    std::string bytes = wl_test::read_file(name);
    ASSERT_EQ(bytes.size(), target);
    size_t wrong = 0;
    for (size_t i = 0; i < target; i++)
        wrong += static_cast<unsigned char>(bytes[i]) != byte_at(i);
    EXPECT_EQ(wrong, 0u);
}

TEST(MmapCopyMode, WriteBackFailureIsReported) {
    TempDir tmp;
    EnvVar enable("TV_MMAP_ENABLE", "-1");
    mmap_file_reset();
    tmp.mkdir("gone");
    const std::string name = tmp.at("gone/f.db");
    mmap_file_t *f = mmap_file_open(name.c_str(), MMAP_WRITE);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(mmap_is_mapped(f), 0);
    wl_test::fs::remove(tmp.at("gone"));
    ::testing::internal::CaptureStdout();
    mmap_file_close(f);
    fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "mmap: failed to create " + name + " on close\n");
    mmap_file_reset();
}

TEST(MmapCopyMode, SettingIsReadOnFirstUse) {
    TempDir tmp;
    tmp.write("f", "1");
    mmap_file_reset();
    {
        EnvVar enable("TV_MMAP_ENABLE", "1");
        mmap_file_t *f = mmap_file_open(tmp.at("f").c_str(), MMAP_COPY_OK);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(mmap_is_mapped(f), 1);
        mmap_file_close(f);
    }
    // Changing the variable later changes nothing until the next reset.
    EnvVar off("TV_MMAP_ENABLE", "0");
    mmap_file_t *f = mmap_file_open(tmp.at("f").c_str(), MMAP_COPY_OK);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(mmap_is_mapped(f), 1);
    mmap_file_close(f);
    mmap_file_reset();
    f = mmap_file_open(tmp.at("f").c_str(), MMAP_COPY_OK);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(mmap_is_mapped(f), 0);
    mmap_file_close(f);
    mmap_file_reset();
}

} // namespace
