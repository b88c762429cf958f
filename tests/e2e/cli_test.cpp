/* The command line of the plain program: usage, exit statuses, remaps,
 * text and binary forms, and the open failures. */
#include "e2e_util.h"

using namespace e2e;

namespace {

constexpr const char *usage_text = "\nUsage: tvtags [switches] files ..\n";

class Cli : public Tvtags {};

TEST_F(Cli, UsageWhenNothingToDo)
{
    result_t r = run({});
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find(usage_text));
    EXPECT_FALSE(exists(at("tags"))) << "no database is made when only the usage is printed";

    /* Switches alone leave no file arguments either. */
    r = run({"-q", "-force"});
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find(usage_text));

    /* -refresh is work to do without any file. */
    r = run({"-refresh"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(std::string::npos, r.out.find(usage_text));
    EXPECT_TRUE(exists(at("tags")));
}

TEST_F(Cli, HelpAndBadSwitches)
{
    result_t r = run({"-help"});
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find(usage_text));

    r = run({"-help", "2"});
    EXPECT_EQ(1, r.status) << "the long help exits 1";
    EXPECT_NE(std::string::npos, r.out.find("List of language data types which can be disabled:"));

    /* An unknown letter in a cluster prints the usage and exits 0, even
     * after letters that were understood. */
    r = run({"-xyz", "a.c"});
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find(usage_text));
    EXPECT_FALSE(exists(at("tags")));

    /* A switch whose argument is missing. */
    for (const char *sw : {"-o", "-l", "-xf", "-regexp", "-path_prefix", "-list", "-e"}) {
        r = run({sw});
        EXPECT_EQ(0, r.status) << sw;
        EXPECT_NE(std::string::npos, r.out.find(usage_text)) << sw;
    }
    EXPECT_FALSE(exists(at("tags")));
}

TEST_F(Cli, TextAndBinaryForms)
{
    file("a.c", "fn alpha\n");
    /* -text writes the text form into "tags"; it carries a version line. */
    result_t r = run({"-q", "-text", "a.c"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(0u, read_file(at("tags")).find("tvtags_version=3.026"));

    for (auto args : {std::vector<std::string>{"-q", "-nobinary", "a.c"},
                      std::vector<std::string>{"-q", "-binary", "-text", "a.c"}}) {
        remove(at("tags").c_str());
        r = run(args);
        ASSERT_EQ(0, r.status) << r.err;
        EXPECT_EQ(0u, read_file(at("tags")).find("tvtags_version=")) << args[1];
    }

    /* -notext after -text means the binary database again. */
    remove(at("tags").c_str());
    r = run({"-q", "-text", "-notext", "a.c"});
    ASSERT_EQ(0, r.status) << r.err;
    std::string db = read_file(at("tags"));
    ASSERT_GE(db.size(), 4u);
    EXPECT_EQ(std::string("\x04\x01\x07\x21", 4), db.substr(0, 4));

    /* -o and -t name the output. */
    r = run({"-q", "-t", "other", "a.c"});
    ASSERT_EQ(0, r.status);
    EXPECT_EQ(std::string("\x04\x01\x07\x21", 4), read_file(at("other")).substr(0, 4));
}

TEST_F(Cli, RefreshNeedsTheDatabase)
{
    result_t r = run({"-text", "-refresh"});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("-refresh"));
    EXPECT_FALSE(exists(at("tags")));
}

TEST_F(Cli, DatabaseThatCannotBeOpened)
{
    file("a.c", "fn alpha\n");
    std::string bad = at("no/such/dir/tags");
    result_t r = run({"-o", bad, "a.c"});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("Failed to open file " + bad + "\n", r.out);
}

TEST_F(Cli, RemapsAndUnreadableFiles)
{
    result_t r = run({"pc=nosuch", "x=c", "missing.c"});
    EXPECT_EQ(0, r.status) << "a bad remap and a missing file do not fail the run";
    EXPECT_NE(std::string::npos, r.err.find("tvtags: Cannot remap file extension pc=nosuch\n"));
    EXPECT_EQ(std::string::npos, r.err.find("x=c")) << "x=c names a known extension";
    EXPECT_NE(std::string::npos, r.err.find(at("missing.c") + ": ")) << r.err;
}

TEST_F(Cli, WildcardsAndPatterns)
{
    /* A wildcard that matches nothing ends the run. */
    result_t r = run({"*.zz"});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("No match"));

    /* Pattern arguments are not file names to expand, even when nothing in
     * the current directory matches them. */
    make_dirs(at("src"));
    write_file(at("src/a.c"), "fn alpha\n");
    for (const char *sw : {"-if", "-xf", "-xd", "-regexp", "+regexp"}) {
        r = run({"-q", sw, "*.nomatch", "src"});
        EXPECT_EQ(0, r.status) << sw << ": " << r.err;
        EXPECT_EQ(std::string::npos, r.err.find("No match")) << sw;
    }
}

TEST_F(Cli, ListFileArguments)
{
    /* A missing list file is reported and the run goes on. */
    result_t r = run({"-I", "nolist"});
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.err.find("tvtags: Cannot read include file\n"));
    EXPECT_NE(std::string::npos, r.err.find("nolist"));

    /* -I as the last argument just ends the file arguments. */
    r = run({"-q", "x.c", "-I"});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(std::string::npos, r.err.find("Cannot read include file"));

    /* After the switches, -Ifoo is a file name. */
    r = run({"-q", "x.c", "-Ifoo.c"});
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.err.find("-Ifoo.c: ")) << r.err;
}

} // namespace
