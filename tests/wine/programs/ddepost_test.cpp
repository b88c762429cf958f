// ddepost against the running editor stand-in: what arrives over DDE, in
// which order, and what the program says and returns.
#include <gtest/gtest.h>

#include "test_paths.h"
#include "test_util.h"

using winkit::quote_arg;
using winkit::run_result;
using Lines = std::vector<std::string>;

namespace {

run_result ddepost(const std::string &args)
{
    return winkit::run(quote_arg(ddepost_exe()) + (args.empty() ? "" : " " + args));
}

class DdepostTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(editor.start(dir.file("tolva.log"))); }
    Lines commands() const { return after_first(editor.log_lines()); }

    winkit::temp_dir dir{"ddepost"};
    winkit::standin editor{standin_exe()};
};

} // namespace

TEST_F(DdepostTest, LineNumberAppliesToTheNextFileOnly)
{
    run_result r = ddepost("+12 a.c b.c");
    ASSERT_TRUE(r.rr_finished);
    EXPECT_EQ(r.rr_exit, 0u);
    EXPECT_EQ(r.rr_out, "");
    EXPECT_EQ(r.rr_err, "");
    EXPECT_EQ(commands(), (Lines{"dde: edit__file \"a.c\"", "dde: goto_line 12",
                                 "dde: edit__file \"b.c\""}));
}

TEST_F(DdepostTest, LineNumbersThatAreNotPositiveSendNoGotoLine)
{
    run_result r = ddepost("+0 a.c +-3 b.c +abc c.c +7x d.c");
    EXPECT_EQ(r.rr_exit, 0u);
    EXPECT_EQ(commands(), (Lines{"dde: edit__file \"a.c\"", "dde: edit__file \"b.c\"",
                                 "dde: edit__file \"c.c\"", "dde: edit__file \"d.c\"",
                                 "dde: goto_line 7"}));
}

TEST_F(DdepostTest, LineArgumentWithoutFileSendsNothingForIt)
{
    run_result r = ddepost("a.c +5");
    EXPECT_EQ(r.rr_exit, 0u);
    EXPECT_EQ(commands(), (Lines{"dde: edit__file \"a.c\""}));

    // A plus sign right after a line argument is the file it applies to.
    r = ddepost("+4 +9");
    EXPECT_EQ(r.rr_exit, 0u);
    EXPECT_EQ(commands(), (Lines{"dde: edit__file \"a.c\"", "dde: edit__file \"+9\"",
                                 "dde: goto_line 4"}));
}

TEST_F(DdepostTest, BackslashesTravelDoubled)
{
    run_result r = ddepost("+3 C:\\src\\dir\\f.c " + quote_arg("D:\\my files\\x.h"));
    EXPECT_EQ(r.rr_exit, 0u);
    EXPECT_EQ(commands(), (Lines{"dde: edit__file \"C:\\\\src\\\\dir\\\\f.c\"", "dde: goto_line 3",
                                 "dde: edit__file \"D:\\\\my files\\\\x.h\""}));
}

TEST_F(DdepostTest, SwitchesChooseServiceAndTopic)
{
    EXPECT_EQ(ddepost("-st Tolva COMMAND a.c").rr_exit, 0u);
    EXPECT_EQ(ddepost("- -s Tolva -t COMMAND b.c").rr_exit, 0u);
    EXPECT_EQ(commands(), (Lines{"dde: edit__file \"a.c\"", "dde: edit__file \"b.c\""}));

    for (const char *args : {"-s NoSuchEditor c.c", "-t NOTOPIC c.c"}) {
        run_result r = ddepost(args);
        EXPECT_EQ(r.rr_exit, 1u) << args;
        EXPECT_EQ(lf(r.rr_out), "DdeConnect failed: service may not be running?\n") << args;
    }
    EXPECT_EQ(commands().size(), 2u);
}

TEST_F(DdepostTest, UsageForMissingFilesAndBadSwitches)
{
    struct {
        const char *args, *service, *topic;
    } cases[] = {
        {"", "Tolva", "COMMAND"},
        {"-s Other", "Other", "COMMAND"},
        {"-t Topic2 -sx Svc a.c", "Svc", "Topic2"},
        {"-s", "Tolva", "COMMAND"},
        {"-ts Topic3", "Tolva", "Topic3"},
        {"-q a.c", "Tolva", "COMMAND"},
    };
    for (const auto &c : cases) {
        run_result r = ddepost(c.args);
        ASSERT_TRUE(r.rr_finished) << c.args;
        EXPECT_EQ(r.rr_exit, 1u) << c.args;
        EXPECT_EQ(r.rr_out, "") << c.args;
        Lines err = winkit::split_lines(r.rr_err);
        ASSERT_EQ(err.size(), 11u) << c.args;
        Lines fixed(err.begin() + 2, err.end());
        EXPECT_EQ(fixed, (Lines{"ddepost -- send a command to a DDE server", "Usage: ", "",
                                "\tddepost [-s service] [-t topic] [+line_no] \"command\" ", "",
                                "Switches:", "",
                                std::string("    -s service\t\tSpecify service to use (default ") +
                                    c.service + ")",
                                std::string("    -t topic\t\tSpecify topic to use (default ") +
                                    c.topic + ")"}))
            << c.args;
    }
    EXPECT_EQ(commands(), Lines{});
}

TEST_F(DdepostTest, CommandOfAtMost511BytesIsSentAndLongerRefused)
{
    // "edit__file \"" + name + "\"" takes 13 bytes besides the name.
    std::string fits(498, 'n');
    std::string too_long(499, 'n');
    run_result r = ddepost("+2 " + fits);
    EXPECT_EQ(r.rr_exit, 0u);
    EXPECT_EQ(commands(), (Lines{"dde: edit__file \"" + fits + "\"", "dde: goto_line 2"}));

    r = ddepost("a.c " + too_long + " b.c");
    EXPECT_EQ(r.rr_exit, 1u);
    EXPECT_NE(r.rr_out.find("too long"), std::string::npos) << r.rr_out;
    EXPECT_NE(r.rr_out.find(too_long), std::string::npos);
    // Nothing of the long name, and nothing after it, reached the editor.
    EXPECT_EQ(commands(), (Lines{"dde: edit__file \"" + fits + "\"", "dde: goto_line 2",
                                 "dde: edit__file \"a.c\""}));
}

TEST_F(DdepostTest, DoubledBackslashesCountTowardsTheLimit)
{
    std::string fits, too_long;
    for (int i = 0; i < 166; i++)  // 332 bytes: the escaped command takes 511
        fits += "d\\";
    for (int i = 0; i < 167; i++)  // 334 bytes: it would take 514
        too_long += "d\\";
    std::string fits_escaped;
    for (int i = 0; i < 166; i++)
        fits_escaped += "d\\\\";

    run_result r = ddepost(fits);
    EXPECT_EQ(r.rr_exit, 0u);
    r = ddepost(too_long);
    EXPECT_EQ(r.rr_exit, 1u);
    EXPECT_NE(r.rr_out.find("too long"), std::string::npos) << r.rr_out;
    EXPECT_EQ(commands(), (Lines{"dde: edit__file \"" + fits_escaped + "\""}));
}

TEST(DdepostNoEditor, ConnectionFailureIsReported)
{
    run_result r = ddepost("a.c");
    ASSERT_TRUE(r.rr_finished);
    EXPECT_EQ(r.rr_exit, 1u);
    EXPECT_EQ(lf(r.rr_out), "DdeConnect failed: service may not be running?\n");
}
