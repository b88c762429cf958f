/* The switch parser, through the settings it leaves behind. */
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/tvt_driver.h"
#include "scan/tvt_lang.h"
#include "scan/tvt_settings.h"
#include "scan/tvt_tag.h"
#include "wrenlib/list.h"

namespace {

class Switches : public ::testing::Test {
  protected:
    std::vector<std::string> store_;
    std::vector<char *> argv_;

    void SetUp() override { tvt_settings_reset(); }
    void TearDown() override { tvt_settings_reset(); }

    /* Parses "tvtags" followed by the arguments; returns the index of the
     * first argument that is not a switch. */
    int parse(std::vector<std::string> args)
    {
        store_ = std::move(args);
        store_.insert(store_.begin(), "tvtags");
        argv_.clear();
        for (std::string &s : store_)
            argv_.push_back(s.data());
        argv_.push_back(nullptr);
        return tvt_parse_switches(static_cast<int>(store_.size()), argv_.data());
    }

    static std::vector<std::string> strings(Head_p hp)
    {
        std::vector<std::string> out;
        for (List_p lp = ll_first(hp); lp; lp = ll_next(lp))
            out.emplace_back(static_cast<const char *>(ll_elem(lp)));
        return out;
    }
    static int enabled_count()
    {
        int n = 0;
        for (int t = 0; t < TT_COUNT; t++)
            n += tag_type_enabled[t] != 0;
        return n;
    }
};

TEST_F(Switches, ResetUndoesEarlierSwitches)
{
    parse({"-noall", "-noabsolute", "-text", "-nobrowser", "-locals", "-force", "-noprune", "-refresh",
           "-xref", "-sort", "-ignorecase", "-len", "3", "-w", "-d", "-q", "-x", "-O", "-a", "-free",
           "-ctags", "-o", "out", "-l", "c", "-n", "nm", "-path_prefix", "p", "-if", "i", "-xf", "f",
           "-xd", "d", "-regexp", "r", "+FUNCTION"});
    tvt_settings_reset();
    const tvt_settings_t &o = tvt_opt;
    EXPECT_STREQ("tags", o.tag_file);
    EXPECT_EQ(FMT_TVTAGS, o.format);
    EXPECT_EQ(1, o.binary);
    EXPECT_EQ(1, o.all);
    EXPECT_EQ(1, o.absolute);
    EXPECT_EQ(1, o.browser);
    EXPECT_EQ(0, o.locals);
    EXPECT_EQ(0, o.force);
    EXPECT_EQ(1, o.prune);
    EXPECT_EQ(0, o.refresh);
    EXPECT_EQ(-1, o.xref);
    EXPECT_EQ(1, o.sort);
    EXPECT_EQ(1, o.ignorecase);
    EXPECT_EQ(10, o.fuzzy_len);
    EXPECT_EQ(0, o.warnings + o.debug + o.quiet + o.cxref + o.optimise + o.append + o.list_free);
    EXPECT_EQ(nullptr, o.forced_lang);
    EXPECT_EQ(nullptr, o.db_name);
    EXPECT_EQ(nullptr, o.path_prefix);
    EXPECT_EQ(stderr, o.err);
    for (Head_p hp : {o.include_pats, o.exclude_files, o.exclude_dirs, o.filters}) {
        ASSERT_NE(nullptr, hp);
        EXPECT_EQ(nullptr, ll_first(hp));
    }
    EXPECT_EQ(TT_COUNT, enabled_count());
}

TEST_F(Switches, WhereTheSwitchesEnd)
{
    EXPECT_EQ(1, parse({}));
    EXPECT_EQ(1, parse({"a.c", "-q"}));
    EXPECT_EQ(0, tvt_opt.quiet) << "switches after a file are not parsed";
    EXPECT_EQ(3, parse({"-q", "+FUNCTION", "a.c"}));
    EXPECT_EQ(4, parse({"-o", "x", "-q", "ext=c", "-d"}));
    EXPECT_EQ(0, tvt_opt.debug);

    /* A cluster holding I ends the switches at that argument, after the
     * letters before it. */
    EXPECT_EQ(2, parse({"-q", "-I", "list"}));
    EXPECT_EQ(1, parse({"-dI", "list"}));
    EXPECT_EQ(1, tvt_opt.debug);
}

TEST_F(Switches, NoPrefixAndValues)
{
    struct case_t {
        const char *sw;
        int tvt_settings_t::*field;
        int expect;
    };
    const case_t cases[] = {
        {"-noall", &tvt_settings_t::all, 0},          {"-all", &tvt_settings_t::all, 1},
        {"-noabsolute", &tvt_settings_t::absolute, 0}, {"-nobrowser", &tvt_settings_t::browser, 0},
        {"-nobinary", &tvt_settings_t::binary, 0},     {"-text", &tvt_settings_t::binary, 0},
        {"-notext", &tvt_settings_t::binary, 1},       {"-locals", &tvt_settings_t::locals, 1},
        {"-force", &tvt_settings_t::force, 1},         {"-noforce", &tvt_settings_t::force, 0},
        {"-noprune", &tvt_settings_t::prune, 0},       {"-xref", &tvt_settings_t::xref, 1},
        {"-noxref", &tvt_settings_t::xref, 0},         {"-xrefs", &tvt_settings_t::xref, 1},
        {"-noxrefs", &tvt_settings_t::xref, 0},        {"-refresh", &tvt_settings_t::refresh, 7},
        {"-free", &tvt_settings_t::list_free, 1},      {"-codewright", &tvt_settings_t::format, FMT_CODEWRIGHT},
        {"-ctags", &tvt_settings_t::format, FMT_CTAGS}, {"+noassign", &tvt_settings_t::assign, 0},
        {"-assign", &tvt_settings_t::assign, 1},       {"-sccs", &tvt_settings_t::sccs, 1},
        /* Single letters ignore the value: -nod is -d. */
        {"-nod", &tvt_settings_t::debug, 1},           {"-noq", &tvt_settings_t::quiet, 1},
        {"-u", &tvt_settings_t::update, 1},            {"-O", &tvt_settings_t::optimise, 1},
        {"-a", &tvt_settings_t::append, 1},            {"-x", &tvt_settings_t::cxref, 1},
    };
    for (const case_t &c : cases) {
        tvt_settings_reset();
        tvt_opt.*c.field = 6; /* -refresh only adds bit 0 */
        parse({c.sw});
        EXPECT_EQ(c.expect, tvt_opt.*c.field) << c.sw;
    }
    tvt_settings_reset();
    parse({"-ctags", "-tvtags"});
    EXPECT_EQ(FMT_TVTAGS, tvt_opt.format);
    parse({"-text", "-notext"});
    EXPECT_EQ(1, tvt_opt.binary);
}

TEST_F(Switches, Toggles)
{
    parse({"-sort"});
    EXPECT_EQ(0, tvt_opt.sort);
    tvt_settings_reset();
    parse({"-sort", "-nosort"});
    EXPECT_EQ(1, tvt_opt.sort) << "a toggle ignores the \"no\"";
    tvt_settings_reset();
    parse({"-sort", "-sort", "-ignorecase", "-w", "-ww"});
    EXPECT_EQ(1, tvt_opt.sort);
    EXPECT_EQ(0, tvt_opt.ignorecase);
    EXPECT_EQ(1, tvt_opt.warnings);
}

TEST_F(Switches, Arguments)
{
    EXPECT_EQ(4, parse({"-lo", "c", "out", "x.c"})) << "letters take the following arguments in turn";
    EXPECT_STREQ("c", tvt_opt.forced_lang);
    EXPECT_STREQ("out", tvt_opt.tag_file);
    parse({"-t", "t2", "-n", "name", "-path_prefix", "http://h/"});
    EXPECT_STREQ("t2", tvt_opt.tag_file);
    EXPECT_STREQ("name", tvt_opt.db_name);
    EXPECT_STREQ("http://h/", tvt_opt.path_prefix);

    parse({"-len", "25"});
    EXPECT_EQ(25, tvt_opt.fuzzy_len);
    parse({"-len", "7x"});
    EXPECT_EQ(7, tvt_opt.fuzzy_len);
    EXPECT_EQ(2, parse({"-len"})) << "-len without a number is ignored, not a usage error";
    EXPECT_EQ(7, tvt_opt.fuzzy_len);

    parse({"-if", "*.c", "-xf", "t*.c;u*", "-if", "*.h", "-xd", "old", "-xd", "CVS"});
    EXPECT_EQ((std::vector<std::string>{"*.c", "*.h"}), strings(tvt_opt.include_pats));
    EXPECT_EQ((std::vector<std::string>{"t*.c;u*"}), strings(tvt_opt.exclude_files));
    EXPECT_EQ((std::vector<std::string>{"old", "CVS"}), strings(tvt_opt.exclude_dirs));

    parse({"-regexp", "tmp*", "+regexp", "*x"});
    std::vector<std::pair<char, std::string>> filters;
    for (List_p lp = ll_first(tvt_opt.filters); lp; lp = ll_next(lp)) {
        auto *f = static_cast<tag_filter_t *>(ll_elem(lp));
        filters.emplace_back(f->tf_sign, f->tf_pattern);
    }
    EXPECT_EQ((std::vector<std::pair<char, std::string>>{{'-', "tmp*"}, {'+', "*x"}}), filters);
}

TEST_F(Switches, ErrorStream)
{
    std::string name = ::testing::TempDir() + "tvt_switches_err.txt";
    parse({"-e", name});
    ASSERT_NE(stderr, tvt_opt.err);
    fputs("diag\n", tvt_opt.err);
    tvt_settings_free();
    FILE *f = fopen(name.c_str(), "r");
    ASSERT_NE(nullptr, f);
    char buf[16] = {};
    EXPECT_NE(nullptr, fgets(buf, sizeof buf, f));
    fclose(f);
    remove(name.c_str());
    EXPECT_STREQ("diag\n", buf);

    tvt_settings_reset();
    parse({"-e", ::testing::TempDir() + "no/such/dir/err.txt"});
    EXPECT_EQ(stderr, tvt_opt.err) << "an unopenable file leaves standard error";
}

TEST_F(Switches, TagTypes)
{
    parse({"-LOCAL"});
    EXPECT_EQ(TT_COUNT - 1, enabled_count());
    EXPECT_EQ(0, tag_type_enabled[TT_LOCAL]);

    tvt_settings_reset();
    parse({"+FUNCTION", "+class"});
    EXPECT_EQ(2, enabled_count());
    EXPECT_EQ(1, tag_type_enabled[TT_FUNCTION]);
    EXPECT_EQ(1, tag_type_enabled[TT_CLASS]);

    /* Only the first type switch sets the starting point. */
    tvt_settings_reset();
    parse({"+FUNCTION", "-FUNCTION"});
    EXPECT_EQ(0, enabled_count());
    tvt_settings_reset();
    parse({"-FUNCTION", "+FUNCTION", "-Struct"});
    EXPECT_EQ(TT_COUNT - 1, enabled_count());
    EXPECT_EQ(0, tag_type_enabled[TT_STRUCT]);

    /* Long switches are compared first: -list is the dump, -LIST the type. */
    tvt_settings_reset();
    parse({"-LIST", "-NOTHING"});
    EXPECT_EQ(0, tag_type_enabled[TT_LIST]);
    EXPECT_EQ(0, tag_type_enabled[TT_NOTHING]) << "NOTHING does not lose a \"no\"";
}

using SwitchesDeathTest = Switches;

TEST_F(SwitchesDeathTest, UsageExits)
{
    const std::vector<std::vector<std::string>> short_usage = {
        {"-o"}, {"-l"}, {"-n"}, {"-e"}, {"-if"}, {"-xd"}, {"-regexp"}, {"+regexp"}, {"-path_prefix"},
        {"-lookup", "sym"}, {"-list"}, {"-stats"}, {"-info"}, {"-bitmap"},
        {"-xyz"}, {"-ALL"}, {"-Force"}, {"-help"}, {"-help", "0"}, {"-help", "foo"},
    };
    for (const auto &args : short_usage)
        EXPECT_EXIT(parse(args), ::testing::ExitedWithCode(0), "") << args[0];
    EXPECT_EXIT(parse({"-help", "2"}), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(parse({"-nohelp", "1"}), ::testing::ExitedWithCode(1), "");
}

} // namespace
