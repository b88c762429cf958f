// Expansion of a program's argument vector.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sys_testutil.h"
#include "wrenlib/files.h"

namespace {

using ::testing::ExitedWithCode;
using wl_test::Contains;
using wl_test::ChangeDir;
using wl_test::EnvVar;
using wl_test::TempDir;

const char *const kKeep[] = {"-xd", "-xf", "-regexp", "+regexp", nullptr};

std::vector<std::string> run(std::vector<std::string> args) {
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int out_argc = -1;
    char **out = wild_expand_args(static_cast<int>(args.size()), argv.data(), &out_argc, kKeep);
    std::vector<std::string> result;
    for (int i = 0; i < out_argc; ++i)
        result.push_back(out[i]);
    EXPECT_EQ(out[out_argc], nullptr);
    wild_free_args(out_argc, out);
    return result;
}

class WildArgs : public ::testing::Test {
protected:
    void SetUp() override {
        tmp.write("a.c");
        tmp.write("b.c");
        tmp.write("x.h");
        in.emplace(tmp.path());
    }
    void TearDown() override { in.reset(); }
    TempDir tmp;
    std::optional<ChangeDir> in;
    EnvVar no_echo{"TV_ECHO_ARGS", nullptr};
    EnvVar loud{"TV_EXPAND_SILENTLY", nullptr};
};

TEST_F(WildArgs, SwitchesStayAndWildcardsBecomeNames) {
    EXPECT_EQ(run({"prog", "-q", "*.c", "x.h", "missing.c", "-o", "out", "?.h"}),
              (std::vector<std::string>{"prog", "-q", "a.c", "b.c", "x.h", "missing.c", "-o", "out", "x.h"}));
    // The program's own name is never expanded.
    EXPECT_EQ(run({"*.c"}), (std::vector<std::string>{"*.c"}));
    EXPECT_EQ(run({"prog"}), (std::vector<std::string>{"prog"}));
}

TEST_F(WildArgs, QuotedArgumentsLoseTheirQuotesOnly) {
    EXPECT_EQ(run({"prog", "'*.c'", "\"*.h\"", "'half", "\"\""}),
              (std::vector<std::string>{"prog", "*.c", "*.h", "half", ""}));
}

TEST_F(WildArgs, ProtectedSwitchArgumentsPassUnexpanded) {
    EXPECT_EQ(run({"prog", "-xd", "'*.c'", "-regexp", "*.h", "*.h", "+regexp", "\"a*\"", "-xf", "'open"}),
              (std::vector<std::string>{"prog", "-xd", "*.c", "-regexp", "*.h", "x.h", "+regexp", "a*",
                                        "-xf", "'open"}));
    EXPECT_EQ(run({"prog", "-xd"}), (std::vector<std::string>{"prog", "-xd"}));
    // Switches are compared whole.
    EXPECT_EQ(run({"prog", "-xdd", "*.h"}), (std::vector<std::string>{"prog", "-xdd", "x.h"}));
}

TEST_F(WildArgs, EchoWritesBothVectors) {
    EnvVar echo("TV_ECHO_ARGS", "0");
    EXPECT_EQ(run({"prog", "*.c"}), (std::vector<std::string>{"prog", "a.c", "b.c"}));
    EXPECT_EQ(wl_test::read_file(tmp.at("echo.args")),
              "Arg[0] = 'prog'\nArg[1] = '*.c'\n\n"
              "Post-Arg[0] = 'prog'\nPost-Arg[1] = 'a.c'\nPost-Arg[2] = 'b.c'\n");
}

TEST_F(WildArgs, EchoIgnoresValuesThatAreNotCounts) {
    EnvVar echo("TV_ECHO_ARGS", "-1");
    EXPECT_EQ(run({"prog", "x.h"}).size(), 2u);
    EnvVar echo2("TV_ECHO_ARGS", "yes");
    EXPECT_EQ(run({"prog", "x.h"}).size(), 2u);
    EXPECT_FALSE(wl_test::fs::exists(tmp.at("echo.args")));
}

TEST_F(WildArgs, EchoLevelOneStopsAfterEchoing) {
    EnvVar echo("TV_ECHO_ARGS", "1");
    EXPECT_EXIT(run({"prog", "*.h"}), ExitedWithCode(1), "");
#ifndef _WIN32
    // The forked child wrote into this same directory.
    EXPECT_NE(wl_test::read_file(tmp.at("echo.args")).find("Post-Arg[1] = 'x.h'\n"), std::string::npos);
#endif
}

TEST_F(WildArgs, UnmatchedWildcardEndsTheProgram) {
    EXPECT_EXIT(run({"prog", "a.c", "*.zzz"}), ExitedWithCode(1), Contains("No match: '*.zzz'\n"));
    EXPECT_EXIT(run({"prog", "nodir/*.c"}), ExitedWithCode(1), Contains("No match: 'nodir/*.c'\n"));
}

TEST_F(WildArgs, SilentExpansionStillEndsTheProgram) {
    EnvVar quiet("TV_EXPAND_SILENTLY", "1");
    EXPECT_EXIT(run({"prog", "*.zzz"}), ExitedWithCode(1), Contains("No match", false));
}

} // namespace
