// tolva_dns fed requests on a pipe.  Name lookups go to a sockets library
// of the tests' own that answers from a table, so nothing needs a network.
#include <gtest/gtest.h>

#include "test_paths.h"
#include "test_util.h"

using winkit::child;
using winkit::child_options;
using winkit::env_change;
using winkit::quote_arg;
using Lines = std::vector<std::string>;

namespace {

// Which wsock32 wine gives one program: "native" takes the one in the
// program's directory, "" none at all.  Wine reads this per program name
// from the prefix's registry (the environment's overrides are not passed
// on to processes started from inside wine).
bool set_wsock32_choice(const char *exe_name, const char *choice)
{
    std::string key = std::string("Software\\Wine\\AppDefaults\\") + exe_name + "\\DllOverrides";
    HKEY h;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExA(h, "wsock32", 0, REG_SZ, reinterpret_cast<const BYTE *>(choice),
                            (DWORD)strlen(choice) + 1);
    RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

// The helper in a directory of its own; with `fake` it finds the table
// resolver there instead of the system's sockets library.
class DnsTest : public ::testing::Test {
protected:
    enum sockets_t { SYSTEM_SOCKETS, FAKE_SOCKETS, NO_SOCKETS };

    void start(sockets_t sockets, std::vector<env_change> env = {})
    {
        std::string exe = tolva_dns_exe();
        if (sockets != SYSTEM_SOCKETS) {
            // A copy under a name of its own, so that the library choice
            // below applies to it alone.
            const char *name = sockets == FAKE_SOCKETS ? "tolva_dns_fakesock.exe"
                                                       : "tolva_dns_nosock.exe";
            exe = dir.file(name);
            ASSERT_TRUE(CopyFileA(tolva_dns_exe().c_str(), exe.c_str(), FALSE));
            ASSERT_TRUE(set_wsock32_choice(name, sockets == FAKE_SOCKETS ? "native" : ""));
        }
        if (sockets == FAKE_SOCKETS) {
            std::string dll = dir.file("wsock32.dll");
            ASSERT_TRUE(CopyFileA(fake_wsock_dll().c_str(), dll.c_str(), FALSE));
            env.push_back({"FAKE_WSOCK_LOG", fake_log()});
            env.push_back({"FAKE_WSOCK_HOSTS", "alpha.test=192.168.7.9;b.test=10.20.30.40"});
        }
        child_options opts;
        opts.co_cwd = dir.path();
        opts.co_env = env;
        ASSERT_TRUE(helper.start(quote_arg(exe), opts));
    }

    // Sends one write and returns all reply lines so far, once `total` are in.
    Lines ask(const std::string &text, size_t total)
    {
        EXPECT_TRUE(helper.write(text));
        EXPECT_TRUE(helper.read_lines(total, 10000)) << "after " << text;
        return winkit::split_lines(helper.out());
    }

    // Ends the input and checks that the helper leaves with status 0.
    void finish()
    {
        helper.close_stdin();
        ASSERT_TRUE(helper.wait(10000));
        EXPECT_EQ(helper.exit_code(), 0u);
    }

    std::string fake_log() const { return dir.file("fake_wsock.log"); }
    Lines resolver_calls() const { return winkit::split_lines(winkit::read_file(fake_log())); }

    winkit::temp_dir dir{"dns"};
    child helper;
};

} // namespace

TEST_F(DnsTest, AnyArgumentPrintsTheVersion)
{
    winkit::run_result r = winkit::run(quote_arg(tolva_dns_exe()) + " -v");
    ASSERT_TRUE(r.rr_finished);
    EXPECT_EQ(r.rr_exit, 0u);
    EXPECT_EQ(lf(r.rr_out), "Async DNS helper v1.000\n");
}

TEST_F(DnsTest, DottedAddressesAreAnsweredWithoutTheResolver)
{
    start(FAKE_SOCKETS);
    EXPECT_EQ(ask("gethostbyname 10.1.2.3\n", 1), (Lines{"10.1.2.3"}));
    EXPECT_EQ(ask("gethostbyname 255.0.0.254", 2).back(), "255.0.0.254");
    EXPECT_EQ(ask("  gethostbyname\t\r\n007.08.9.0\r\n", 3).back(), "7.8.9.0");
    // Not four octets: an out-of-range part must not spill into the next.
    EXPECT_EQ(ask("gethostbyname 10.1.2.300\n", 4).back(), "0.0.0.0");
    EXPECT_EQ(ask("gethostbyname 1..2.3\n", 5).back(), "0.0.0.0");
    EXPECT_EQ(ask("gethostbyname 1.2.3.-4\n", 6).back(), "0.0.0.0");
    finish();
    EXPECT_EQ(resolver_calls(), (Lines{"WSAStartup 0x0101"}));
}

TEST_F(DnsTest, OtherNamesGoToTheResolver)
{
    start(FAKE_SOCKETS);
    EXPECT_EQ(ask("gethostbyname alpha.test\n", 1), (Lines{"192.168.7.9"}));
    EXPECT_EQ(ask("gethostbyname nosuch.test\n", 2).back(), "0.0.0.0");
    // The resolver does not know it, yet a machine always knows itself.
    EXPECT_EQ(ask("gethostbyname localhost\n", 3).back(), "127.0.0.1");
    EXPECT_EQ(ask("gethostbyname 1.2.3\n", 4).back(), "0.0.0.0");
    EXPECT_EQ(ask("gethostbyname b.test\n", 5).back(), "10.20.30.40");
    finish();
    EXPECT_EQ(resolver_calls(),
              (Lines{"WSAStartup 0x0101", "gethostbyname alpha.test", "gethostbyname nosuch.test",
                     "gethostbyname localhost", "gethostbyname 1.2.3", "gethostbyname b.test"}));
}

TEST_F(DnsTest, WithoutSocketsLibraryOnlyLocalhostAndAddressesResolve)
{
    start(NO_SOCKETS, {{"TV_DNS_DEBUG", "1"}});
    EXPECT_EQ(ask("gethostbyname alpha.test\n", 1), (Lines{"0.0.0.0"}));
    EXPECT_EQ(ask("gethostbyname localhost\n", 2).back(), "127.0.0.1");
    EXPECT_EQ(ask("gethostbyname 192.0.2.1\n", 3).back(), "192.0.2.1");
    finish();
    Lines log = winkit::split_lines(winkit::read_file(dir.file("dnsdebug.log")));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "tolva_dns: n=0, errno=-1");
}

TEST_F(DnsTest, RequestsOfOneWordAreErrorsAndUnknownWordsGetNoReply)
{
    start(FAKE_SOCKETS);
    EXPECT_EQ(ask("gethostbyname\n", 1), (Lines{"ERROR!"}));
    EXPECT_EQ(ask(" \r\n", 2).back(), "ERROR!");
    EXPECT_TRUE(helper.write("resolve 10.0.0.1\n"));
    EXPECT_EQ(ask("gethostbyname 10.0.0.2\n", 3).back(), "10.0.0.2");
    finish();
    EXPECT_EQ(winkit::split_lines(helper.out()), (Lines{"ERROR!", "ERROR!", "10.0.0.2"}));
}

TEST_F(DnsTest, EveryRequestOfOneReadIsAnswered)
{
    start(FAKE_SOCKETS);
    Lines replies = ask("gethostbyname 10.0.0.1\ngethostbyname alpha.test\n", 2);
    EXPECT_EQ(replies, (Lines{"10.0.0.1", "192.168.7.9"}));
    // Words after a request that are not a request are ignored.
    replies = ask("gethostbyname 10.0.0.3 trailing words gethostbyname\n", 3);
    EXPECT_EQ(replies.back(), "10.0.0.3");
    EXPECT_EQ(ask("gethostbyname 10.0.0.4\n", 4).back(), "10.0.0.4");
    finish();
}

TEST_F(DnsTest, OverridesApplyOnlyWithTcpDebug)
{
    std::vector<env_change> env = {{"IP_my_host_example", "192.0.2.7"},
                                   {"IP_short", "1.2"},
                                   {"IP_10_9_8_7", "172.16.0.1"}};
    {
        SCOPED_TRACE("TCP_DEBUG set");
        env.push_back({"TCP_DEBUG", "1"});
        start(FAKE_SOCKETS, env);
        std::string pid = "PID#" + std::to_string(helper.pid()) + ": Looking up: ";
        EXPECT_EQ(ask("gethostbyname my.host.example\n", 2),
                  (Lines{pid + "IP_my_host_example => 192.0.2.7", "192.0.2.7"}));
        EXPECT_EQ(ask("gethostbyname short\n", 4),
                  (Lines{pid + "IP_my_host_example => 192.0.2.7", "192.0.2.7",
                         pid + "IP_short => 1.2", "1.2.0.0"}));
        EXPECT_EQ(ask("gethostbyname 10.9.8.7\n", 6).back(), "172.16.0.1");
        EXPECT_EQ(ask("gethostbyname alpha.test\n", 7).back(), "192.168.7.9");
        finish();
    }
    {
        SCOPED_TRACE("TCP_DEBUG unset");
        env.pop_back();
        env.push_back({"TCP_DEBUG", std::nullopt});
        start(FAKE_SOCKETS, env);
        EXPECT_EQ(ask("gethostbyname my.host.example\n", 1), (Lines{"0.0.0.0"}));
        EXPECT_EQ(ask("gethostbyname 10.9.8.7\n", 2).back(), "10.9.8.7");
        finish();
    }
}

TEST_F(DnsTest, DebugLogRecordsEachReadAndTheEnd)
{
    start(FAKE_SOCKETS, {{"TV_DNS_DEBUG", "yes"}});
    ask("gethostbyname nosuch.test\n", 1);
    ask("gethostbyname\n", 2);
    finish();
    EXPECT_EQ(lf(winkit::read_file(dir.file("dnsdebug.log"))),
              "tolva_dns: launched\n"
              "tolva_dns: cmd 'gethostbyname nosuch.test\n'\n"
              "tolva_dns: cmd 'gethostbyname\n'\n"
              "tolva_dns: n=0, errno=11001\n");
}

TEST_F(DnsTest, NoDebugLogUnlessAsked)
{
    start(SYSTEM_SOCKETS, {{"TV_DNS_DEBUG", std::nullopt}});
    EXPECT_EQ(ask("gethostbyname 127.0.0.1\n", 1), (Lines{"127.0.0.1"}));
    finish();
    EXPECT_FALSE(winkit::file_exists(dir.file("dnsdebug.log")));
    EXPECT_EQ(helper.err(), "");
}
