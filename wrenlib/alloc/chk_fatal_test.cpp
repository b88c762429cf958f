// The reports that stop the program: bad frees, bad reallocations and
// running out of memory, each run in a child process.
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "chk_testutil.h"
#include "wrenlib/chk.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CHK_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CHK_TEST_ASAN 1
#endif

#ifdef CHK_TEST_ASAN
// Requests the sanitizer cannot meet must come back as null, as the C
// library's would, so that the out-of-memory report is reached.
extern "C" const char *__asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace {

#if GTEST_HAS_DEATH_TEST

/* Runs in the child: the errors must be fatal there. */
void strict_mode() { chk_test::set_env("CHKFLAGS", nullptr); }

TEST(ChkFatal, FreeOfForeignMemoryStops)
{
    EXPECT_DEATH(
        {
            strict_mode();
            char *foreign = static_cast<char *>(malloc(64));
            memset(foreign, 0, 64);
            chk_free(foreign);
        },
        "CHK_ALLOC: Trying to free unallocated memory at 0x");
}

TEST(ChkFatal, FreeOfBlockMarkedFreedStops)
{
    EXPECT_DEATH(
        {
            strict_mode();
            alignas(16) unsigned char held[CHK_HEADER_SIZE + 8] = {};
            uint32_t freed = CHK_MAGIC_FREE;
            memcpy(held, &freed, sizeof freed);
            chk_free(held + CHK_HEADER_SIZE);
        },
        "CHK_ALLOC: Trying to free memory at 0x.* which is already free\\.");
}

TEST(ChkFatal, ReallocOfForeignMemoryStops)
{
    EXPECT_DEATH(
        {
            strict_mode();
            alignas(16) unsigned char foreign[CHK_HEADER_SIZE + 8] = {};
            chk_realloc(foreign + CHK_HEADER_SIZE, 100);
        },
        "CHK_ALLOC: Realloc non-alloced memory\\.");
}

TEST(ChkFatal, ReportWritesStatisticsDumpToDebugFile)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a process with no debug file yet
    std::string dump = chk_test::scratch_file("chk_fatal_dump");
    std::string out = chk_test::scratch_file("chk_fatal_stdout");
    EXPECT_DEATH(
        {
            strict_mode();
            chk_test::set_env("CHK_FILE", dump.c_str());
            if (!freopen(out.c_str(), "w", stdout))
                abort();
            void *keep = chk_alloc(777);
            memset(keep, 0, 777);
            alignas(16) unsigned char foreign[CHK_HEADER_SIZE + 8] = {};
            chk_free(foreign + CHK_HEADER_SIZE);
        },
        "Trying to free unallocated memory");
    std::string text = chk_test::read_file(dump);
    std::string said = chk_test::read_file(out);
    std::error_code ec;
    std::filesystem::remove(dump, ec);
    std::filesystem::remove(out, ec);

    EXPECT_NE(said.find("CHK: Memory dump info logged to " + dump + "\n"), std::string::npos)
        << said;
    ASSERT_NE(text.find("**** CHK_ALLOC: *************\n"), std::string::npos) << text;
    auto value = [&](const std::string &label) -> long {
        size_t at = text.find(label);
        if (at == std::string::npos)
            return -1;
        // Every value starts in the same column.
        EXPECT_EQ(text.find_first_not_of(' ', at + label.size()), at + 26) << label;
        return strtol(text.c_str() + at + 26, nullptr, 10);
    };
    EXPECT_GE(value("Bytes allocated:"), 777);
    EXPECT_GE(value("Biggest block (alloc):"), 777);
    EXPECT_GE(value("Blocks allocated:"), 1);
    EXPECT_GE(value("#free:"), 1);
    for (const char *label : {"Biggest block (realloc):", "#alloc:", "#calloc:", "#zalloc:",
                              "#realloc:", "#strdup:"})
        EXPECT_GE(value(label), 0) << label;
}

TEST(ChkDebugFile, NameInTheSharedDirectoryIsNeverTakenOver)
{
#ifdef _WIN32
    GTEST_SKIP() << "planted symbolic links are a POSIX attack; the file is still created exclusively";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a process with no debug file yet
    std::string victim = chk_test::scratch_file("chk_victim");
    std::string out = chk_test::scratch_file("chk_link_stdout");
    {
        FILE *f = fopen(victim.c_str(), "w");
        ASSERT_NE(f, nullptr);
        fputs("precious\n", f);
        fclose(f);
    }
    EXPECT_EXIT(
        {
            chk_test::set_env("CHKFLAGS", "1");
            chk_test::set_env("CHK_FILE", nullptr);
            if (!freopen(out.c_str(), "w", stdout))
                abort();
            std::string link = "/tmp/chkalloc." + std::to_string(chk_test::pid()) + ".out";
            if (symlink(victim.c_str(), link.c_str()) != 0)
                abort();
            alignas(16) unsigned char foreign[CHK_HEADER_SIZE + 8] = {};
            chk_free(foreign + CHK_HEADER_SIZE);
            fflush(stdout);
            unlink(link.c_str());
            exit(0);
        },
        ::testing::ExitedWithCode(0), "Trying to free unallocated memory");
    std::string kept = chk_test::read_file(victim);
    std::string said = chk_test::read_file(out);
    std::error_code ec;
    std::filesystem::remove(victim, ec);
    std::filesystem::remove(out, ec);
    EXPECT_EQ(kept, "precious\n");
    // The dump went to standard output instead.
    EXPECT_NE(said.find("**** CHK_ALLOC: *************\n"), std::string::npos) << said;
    EXPECT_EQ(said.find("CHK: Memory dump info logged to"), std::string::npos) << said;
#endif
}

/* Runs `what` in a child with standard output in a file; returns that
 * output once the child has exited with status 1. */
template <typename F> std::string out_of_memory_report(F what)
{
    std::string out = chk_test::scratch_file("chk_oom_stdout");
    EXPECT_EXIT(
        {
            if (!freopen(out.c_str(), "w", stdout))
                abort();
            what();
        },
        ::testing::ExitedWithCode(1), "");
    std::string text = chk_test::read_file(out);
    std::error_code ec;
    std::filesystem::remove(out, ec);
    return text;
}

void expect_report_for(const std::string &text, unsigned long long size)
{
    char first[128];
    snprintf(first, sizeof first, "CHK_ALLOC: Out of memory allocating %llu (0x%llx) bytes.\n",
             size, size);
    size_t at = text.find(first);
    ASSERT_NE(at, std::string::npos) << text;
    const char *rest[] = {"           Memory allocated so far:   ",
                          "           Largest block (alloc):     ",
                          "           Largest block (realloc):   ",
                          "           Blocks allocated:          "};
    size_t pos = at + strlen(first);
    for (const char *line : rest) {
        ASSERT_EQ(text.compare(pos, strlen(line), line), 0) << text;
        pos += strlen(line);
        size_t end = text.find('\n', pos);
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(text.find_first_not_of("0123456789", pos), end) << text;
        pos = end + 1;
    }
}

/* A size as the statistics counters keep it. */
unsigned long long counted(size_t size) { return size > ULONG_MAX ? ULONG_MAX : size; }

const size_t HUGE_REQUEST = sizeof(void *) == 8 ? size_t{1} << 60 : SIZE_MAX / 2;

TEST(ChkOutOfMemory, EveryFailedRequestEndsWithTheReport)
{
    struct {
        const char *what;
        void (*run)();
        size_t reported;
        const char *largest; // counter that must show the failed request
    } cases[] = {
        {"beyond the address space", [] { chk_alloc(SIZE_MAX); }, SIZE_MAX, nullptr},
        {"refused by the system", [] { chk_alloc(HUGE_REQUEST); }, HUGE_REQUEST,
         "Largest block (alloc):     "},
        {"calloc product overflows", [] { chk_calloc(SIZE_MAX / 2, 4); }, SIZE_MAX, nullptr},
        {"realloc cannot grow", [] { chk_realloc(chk_alloc(16), HUGE_REQUEST); }, HUGE_REQUEST,
         "Largest block (realloc):   "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::string text = out_of_memory_report(c.run);
        expect_report_for(text, c.reported);
        if (c.largest) {
            EXPECT_NE(text.find(c.largest + std::to_string(counted(c.reported)) + "\n"),
                      std::string::npos)
                << text;
        }
    }
}

#endif // GTEST_HAS_DEATH_TEST

} // namespace
