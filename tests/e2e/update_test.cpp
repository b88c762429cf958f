/* Updating a database in place: the up-to-date rule, -force, -refresh, the
 * prune of deleted files and -path_prefix. */
#include "e2e_util.h"

#include "db/tvt_check.h"

#include <cstdio>
#include <sstream>

using namespace e2e;

namespace {

class Update : public TvtagsExt {
  protected:
    void SetUp() override
    {
        make_dirs(at("src"));
        file("src/a.c", "fn a1\nfn a2\n");
        file("src/b.c", "fn b1\n");
        file("src/c.c", "fn c1\n");
    }
    /* The names of the files the report lines were printed for. */
    static std::vector<std::string> reported(const std::string &out)
    {
        std::vector<std::string> names;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);)
            if (line.find(", ") != std::string::npos && line[0] == '/')
                names.push_back(line.substr(0, line.find(' ')));
        return names;
    }
    /* The file table of the database, as -filelist prints it. */
    std::string filelist(const std::string &db = "tags")
    {
        result_t r = run({"-filelist", db});
        EXPECT_EQ(0, r.status) << r.err;
        return r.out;
    }
};

TEST_F(Update, OnlyChangedFilesAreRescanned)
{
    result_t r = run({"src"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ((std::vector<std::string>{at("src/a.c"), at("src/b.c"), at("src/c.c")}), reported(r.out));

    r = run({"src"});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.out) << "nothing changed, nothing scanned";

    set_mtime(at("src/b.c"), 10);
    r = run({"src"});
    EXPECT_EQ((std::vector<std::string>{at("src/b.c")}), reported(r.out));

    r = run({"-force", "src/a.c", "src/c.c"});
    EXPECT_EQ((std::vector<std::string>{at("src/a.c"), at("src/c.c")}), reported(r.out));
    r = run({"-noforce", "src/a.c"});
    EXPECT_EQ("", r.out);

    /* A file whose rescan yields nothing loses its old entries and keeps
     * its new time, so it is not rescanned again. */
    file("src/c.c", "nothing\n");
    set_mtime(at("src/c.c"), 20);
    r = run({"src/c.c"});
    EXPECT_EQ((std::vector<std::string>{at("src/c.c")}), reported(r.out));
    r = run({"src/c.c"});
    EXPECT_EQ("", r.out);
    EXPECT_NE(std::string::npos, filelist().find(at("src/c.c")));
    r = run({"-lookup", "c1", "tags"});
    EXPECT_EQ(std::string::npos, r.out.find("c1")) << r.out;
    char msg[2048];
    EXPECT_EQ(0, tvt_check_file(at("tags").c_str(), msg, sizeof msg)) << msg;
}

TEST_F(Update, FileWhoseTimeWentBackIsRescanned)
{
    ASSERT_EQ(0, run({"-q", "src"}).status);
    // Put back from an older copy: another content with an older time.
    file("src/b.c", "fn b_old\n");
    set_mtime(at("src/b.c"), -1000);
    result_t r = run({"src"});
    EXPECT_EQ((std::vector<std::string>{at("src/b.c")}), reported(r.out));
    r = run({"-lookup", "b_old", "tags"});
    EXPECT_NE(std::string::npos, r.out.find("b_old")) << r.out;
}

TEST_F(Update, DeletedFilesArePruned)
{
    ASSERT_EQ(0, run({"-q", "src"}).status);
    std::string before = filelist();
    ASSERT_NE(std::string::npos, before.find(at("src/b.c"))) << before;

    remove(at("src/b.c").c_str());
    result_t r = run({"-noprune", "src/a.c"});
    EXPECT_EQ("", r.out);
    EXPECT_EQ(before, filelist()) << "-noprune keeps the entry";

    r = run({"src/a.c"});
    EXPECT_EQ("Scanning for deleted files..\nRemoving tag entry for: " + at("src/b.c") + "\n", r.out);
    std::string after = filelist();
    EXPECT_EQ(std::string::npos, after.find(at("src/b.c"))) << after;
    EXPECT_NE(std::string::npos, after.find(at("src/a.c")));
    EXPECT_NE(std::string::npos, after.find(at("src/c.c")));

    /* -text has no database to prune. */
    remove(at("src/c.c").c_str());
    r = run({"-text", "-o", at("text.tags"), "src/a.c"});
    EXPECT_EQ(std::string::npos, r.out.find("Removing")) << r.out;
}

TEST_F(Update, Refresh)
{
    ASSERT_EQ(0, run({"-q", "src/a.c", "src/b.c"}).status);

    /* Only files already in the database, and only when out of date. */
    set_mtime(at("src/a.c"), 10);
    result_t r = run({"-refresh"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ((std::vector<std::string>{at("src/a.c")}), reported(r.out));

    r = run({"-refresh", "-force"});
    EXPECT_EQ((std::vector<std::string>{at("src/a.c"), at("src/b.c")}), reported(r.out));

    /* Named files come first, then the refresh; a deleted file is not
     * rescanned but pruned. */
    remove(at("src/b.c").c_str());
    set_mtime(at("src/a.c"), 20);
    r = run({"-refresh", "src/c.c"});
    EXPECT_EQ((std::vector<std::string>{at("src/c.c"), at("src/a.c")}), reported(r.out));
    EXPECT_NE(std::string::npos, r.out.find("Removing tag entry for: " + at("src/b.c") + "\n"));
    EXPECT_EQ(std::string::npos, r.err.find("b.c")) << r.err;
}

TEST_F(Update, PathPrefix)
{
    const std::string prefix = "http://host/share";
    result_t r = run({"-q", "-path_prefix", prefix, "src"});
    ASSERT_EQ(0, r.status) << r.err;
    std::string files = filelist();
    EXPECT_NE(std::string::npos, files.find(": " + prefix + at("src/a.c") + "\n")) << files;

    /* The local file is found without the prefix: unchanged files are up
     * to date, changed ones are rescanned by -refresh. */
    r = run({"-path_prefix", prefix, "src"});
    EXPECT_EQ("", r.out);
    set_mtime(at("src/c.c"), 10);
    r = run({"-path_prefix", prefix, "-refresh"});
    EXPECT_EQ((std::vector<std::string>{at("src/c.c")}), reported(r.out));
    EXPECT_EQ(files, filelist()) << "the rescan replaced the entry under the same name";

    /* A deleted file is pruned by its name without the prefix. */
    remove(at("src/a.c").c_str());
    r = run({"-path_prefix", prefix, "src/b.c"});
    EXPECT_EQ("Scanning for deleted files..\nRemoving tag entry for: " + at("src/a.c") + "\n", r.out);
    EXPECT_EQ(std::string::npos, filelist().find("a.c"));
}

TEST_F(Update, CrossReferenceFlagIsKept)
{
    file("src/x.c", "fn x1\nref y\n");
    result_t r = run({"-xref", "src/x.c"});
    EXPECT_EQ((std::vector<std::string>{at("src/x.c")}), reported(r.out));
    EXPECT_NE(std::string::npos, r.out.find("1 definition + 1 xref\n")) << r.out;

    /* Without -xref or -noxref the database decides. */
    r = run({"-force", "src/x.c"});
    EXPECT_NE(std::string::npos, r.out.find("1 definition + 1 xref\n")) << r.out;
    r = run({"-force", "-noxref", "src/x.c"});
    EXPECT_NE(std::string::npos, r.out.find("1 definition\n")) << r.out;
    r = run({"-force", "src/x.c"});
    EXPECT_NE(std::string::npos, r.out.find("1 definition\n")) << r.out;
    EXPECT_EQ(std::string::npos, r.out.find("xref")) << r.out;
}

TEST_F(Update, DumpsOfTheDatabase)
{
    ASSERT_EQ(0, run({"-q", "-n", "project-x", "-o", "db", "src/a.c"}).status);
    result_t r = run({"-info", "db"});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(0u, r.out.find("Name: project-x\n")) << r.out;

    /* -lookup exits 1 when it listed something. */
    r = run({"-lookup", "a2", "db"});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("a2")) << r.out;
    r = run({"-lookup", "zz", "db"});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.out);

    /* -filelist takes the tag file named before it when given none. */
    r = run({"-o", "db", "-filelist"});
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find(at("src/a.c"))) << r.out;
    EXPECT_FALSE(exists(at("tags"))) << "a dump writes no database";
}

} // namespace
