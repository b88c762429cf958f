// tvshell starting the probe program: the command it builds, the handles
// the probe gets, its status, and the log's lines in their formats.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <algorithm>

#include <regex>

#include "test_paths.h"
#include "test_util.h"

using winkit::child_options;
using winkit::env_change;
using winkit::quote_arg;
using winkit::run_result;
using Lines = std::vector<std::string>;

namespace {

class TvshellTest : public ::testing::Test {
protected:
    run_result tvshell(const std::string &args, std::vector<env_change> env = {},
                       const std::string &input = "")
    {
        env.push_back({"TIME_ABSOLUTE", std::nullopt});
        if (std::none_of(env.begin(), env.end(),
                         [](const env_change &e) { return e.first == "TVSHELL_DEBUG"; }))
            env.push_back({"TVSHELL_DEBUG", std::nullopt});
        child_options opts;
        opts.co_cwd = dir.path();
        opts.co_env = env;
        line = quote_arg(tvshell_exe()) + (args.empty() ? "" : " " + args);
        return winkit::run(line, input, opts);
    }
    Lines log() const { return winkit::split_lines(winkit::read_file(dir.file("tvshell.log"))); }
    bool has_log() const { return winkit::file_exists(dir.file("tvshell.log")); }

    winkit::temp_dir dir{"tvshell"};
    std::string line;  // the launcher's own command line, as last given
};

bool has_line(const std::string &out, const std::string &line)
{
    Lines lines = winkit::split_lines(out);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string value_after(const std::string &out, const std::string &prefix)
{
    for (const auto &l : winkit::split_lines(out))
        if (l.compare(0, prefix.size(), prefix) == 0)
            return l.substr(prefix.size());
    return "<none>";
}

} // namespace

TEST_F(TvshellTest, ProgramRunsOnTheLaunchersHandlesAndItsStatusStaysItsOwn)
{
    run_result r = tvshell(probe_exe() + " alpha beta --echo-stdin --exit=3", {},
                           "from the editor");
    ASSERT_TRUE(r.rr_finished);
    EXPECT_EQ(r.rr_exit, 0u);
    EXPECT_EQ(value_after(r.rr_out, "cmdline="),
              wrap("[", probe_exe(), " alpha beta --echo-stdin --exit=3]"));
    EXPECT_TRUE(has_line(r.rr_out, "argv[1]=[alpha]")) << r.rr_out;
    EXPECT_TRUE(has_line(r.rr_out, "stdin=[from the editor]")) << r.rr_out;
    // Everything on the pipes came from the probe; no log was asked for.
    EXPECT_EQ(lf(r.rr_err), "probe: on stderr\n");
    EXPECT_FALSE(has_log());
}

TEST_F(TvshellTest, LeadingSwitchesAreSkippedAndLaterOnesKept)
{
    run_result r = tvshell("-x --why " + probe_exe() + " -z --exit=0");
    EXPECT_EQ(r.rr_exit, 0u);
    EXPECT_EQ(value_after(r.rr_out, "cmdline="), wrap("[", probe_exe(), " -z --exit=0]"));
    EXPECT_TRUE(has_line(r.rr_out, "argc=3")) << r.rr_out;
    EXPECT_TRUE(has_line(r.rr_out, "argv[1]=[-z]")) << r.rr_out;
}

TEST_F(TvshellTest, ArgumentsWithBlanksAreNotQuotedAgain)
{
    run_result r = tvshell(probe_exe() + " " + quote_arg("one two") + " three");
    EXPECT_EQ(r.rr_exit, 0u);
    EXPECT_TRUE(has_line(r.rr_out, "argc=4")) << r.rr_out;
    EXPECT_TRUE(has_line(r.rr_out, "argv[1]=[one]"));
    EXPECT_TRUE(has_line(r.rr_out, "argv[2]=[two]"));
    EXPECT_TRUE(has_line(r.rr_out, "argv[3]=[three]"));
}

TEST_F(TvshellTest, LogDescribesTheStartInOrder)
{
    run_result r = tvshell("-d " + probe_exe() + " x --env=TVSHELL_MARK --env=TIME_ABSOLUTE",
                           {{"TVSHELL_DEBUG", "1"}, {"TVSHELL_MARK", "hello there"}});
    ASSERT_TRUE(r.rr_finished);
    EXPECT_EQ(r.rr_exit, 0u);
    // The probe got the launcher's environment, without what the launcher
    // set for its own time stamps.
    EXPECT_TRUE(has_line(r.rr_out, "env TVSHELL_MARK=[hello there]")) << r.rr_out;
    EXPECT_TRUE(has_line(r.rr_out, "env TIME_ABSOLUTE unset")) << r.rr_out;
    unsigned long probe_pid = std::stoul(value_after(r.rr_out, "pid="));

    Lines l = log();
    ASSERT_GT(l.size(), 12u);
    const std::string stamp = "([0-9]{3,})\\.([0-9]{3}) ";
    std::smatch m;
    size_t i = 0;
    ASSERT_TRUE(std::regex_match(l[i++], m, std::regex(stamp + ": PID 0x[0-9a-f]{8}"))) << l[0];
    // Absolute stamps: wall-clock seconds, not seconds since the start.
    long long secs = std::stoll(m[1]);
    EXPECT_LT(std::llabs(secs - (long long)time(nullptr)), 600) << l[0];
    for (const char *h : {"STD_INPUT_HANDLE", "STD_OUTPUT_HANDLE", "STD_ERROR_HANDLE"})
        EXPECT_TRUE(std::regex_match(l[i++], std::regex(std::string(h) + ": 0x[0-9a-f]+")))
            << l[i - 1];
    EXPECT_EQ(l[i++], "GetCommandLine(): '" + line + "'");
    EXPECT_EQ(l[i++], "argc=6");
    EXPECT_EQ(l[i++], "arg[0] = '" + tvshell_exe() + "'");
    EXPECT_EQ(l[i++], "arg[1] = '-d'");
    EXPECT_EQ(l[i++], "arg[2] = '" + probe_exe() + "'");
    EXPECT_EQ(l[i++], "arg[3] = 'x'");
    EXPECT_EQ(l[i++], "arg[4] = '--env=TVSHELL_MARK'");
    EXPECT_EQ(l[i++], "arg[5] = '--env=TIME_ABSOLUTE'");
    ASSERT_EQ(l[i++], "File table:");
    // Started with pipes on all three standard handles.
    EXPECT_EQ(l[i++], "fd  0 open");
    EXPECT_EQ(l[i++], "fd  1 open");
    EXPECT_EQ(l[i++], "fd  2 open");
    while (i < l.size() && std::regex_match(l[i], std::regex("fd +[0-9]+ open")))
        i++;
    ASSERT_LT(i, l.size());
    ASSERT_EQ(l[i++], "Environment:");
    size_t env_start = i;
    while (i < l.size() && !std::regex_match(l[i], std::regex(stamp + ": .*")))
        i++;
    Lines env(l.begin() + env_start, l.begin() + i);
    EXPECT_NE(std::find(env.begin(), env.end(), "TVSHELL_MARK=hello there"), env.end());
    EXPECT_NE(std::find(env.begin(), env.end(), "TVSHELL_DEBUG=1"), env.end());
    for (const auto &e : env)
        EXPECT_NE(e.rfind("TIME_ABSOLUTE=", 0), 0u) << e;

    ASSERT_EQ(l.size(), i + 2);
    std::regex started(stamp + ": Proc ID 0x([0-9a-f]+)  Handle 0x[0-9a-f]+");
    ASSERT_TRUE(std::regex_match(l[i], m, started))
        << l[i];
    EXPECT_EQ(std::stoul(m[3], nullptr, 16), probe_pid);
    EXPECT_TRUE(std::regex_match(l[i + 1], std::regex(stamp + ": Wait returns 0, errno=-?[0-9]+")))
        << l[i + 1];
}

TEST_F(TvshellTest, FailedStartShowsOnlyInTheLogAndInTheStatus)
{
    const std::regex failed("[0-9]{3,}\\.[0-9]{3} : CreateProcess failed, error=[0-9]+");
    for (const char *args : {"-a -b", "no_such_program_here.exe arg"}) {
        run_result r = tvshell(args, {{"TVSHELL_DEBUG", "1"}});
        ASSERT_TRUE(r.rr_finished) << args;
        EXPECT_EQ(r.rr_exit, 1u) << args;
        EXPECT_EQ(r.rr_out + r.rr_err, "") << args;
        Lines l = log();
        ASSERT_FALSE(l.empty()) << args;
        EXPECT_TRUE(std::regex_match(l.back(), failed)) << l.back();
    }
    ASSERT_TRUE(DeleteFileA(dir.file("tvshell.log").c_str()));
    run_result r = tvshell("-a");
    EXPECT_EQ(r.rr_exit, 1u);
    EXPECT_EQ(r.rr_out + r.rr_err, "");
    EXPECT_FALSE(has_log());
}

TEST_F(TvshellTest, CommandOfAtMost2047BytesRunsAndLongerIsRefused)
{
    std::string probe = probe_exe();
    std::string pad(2047 - probe.size() - 1, 'p');
    run_result r = tvshell(probe + " " + pad);
    EXPECT_EQ(r.rr_exit, 0u);
    EXPECT_EQ(value_after(r.rr_out, "cmdline="), "[" + probe + " " + pad + "]");

    r = tvshell(probe + " " + pad + "q", {{"TVSHELL_DEBUG", "1"}});
    EXPECT_EQ(r.rr_exit, 1u);
    EXPECT_EQ(r.rr_out, "") << "nothing was started";
    Lines l = log();
    ASSERT_FALSE(l.empty());
    EXPECT_TRUE(std::regex_match(
        l.back(), std::regex("[0-9]{3,}\\.[0-9]{3} : Command line too long \\(2048 bytes, at "
                             "most 2047 fit\\), not started")))
        << l.back();
}
