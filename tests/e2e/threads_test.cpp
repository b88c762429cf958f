/* Scanning on a second thread changes nothing a user can see: the database,
 * the report lines and the diagnostics, with their interleaving, are those
 * of a run on one thread.  Files named twice, files that cannot be opened,
 * remaps between files, updates and -refresh are among them. */
#include "e2e_util.h"

#include <cstdlib>

using namespace e2e;

namespace {

class Threads : public Tvtags {
  protected:
    const std::vector<std::string> *text_form_ = nullptr;   // switches of a text form, or none

    void SetUp() override
    {
        make_dirs(at("src/sub"));
        std::string list;
        for (int i = 0; i < 150; i++) {
            std::string name = (i % 3 ? "src/f" : "src/sub/g") + std::to_string(i) + ".c";
            std::string text = "struct s" + std::to_string(i) + " { int m; };\n";
            for (int k = 0; k < i % 17; k++)
                text += "int fn" + std::to_string(i) + "_" + std::to_string(k) + "(void) { return 0; }\n";
            if (i % 20 == 7)
                text += "char c = 'x;\n#define M" + std::to_string(i) + " 1\n";
            if (i % 40 == 3)
                text = "";   // no tags at all
            file(name, text);
            list += name + "\n";
            if (i % 50 == 10)
                list += name + "\n";   // named twice
            if (i % 60 == 20)
                list += "src/missing" + std::to_string(i) + ".c\n";
        }
        file("src/x.pc", "int in_pc(void) { return 1; }\n");
        // Names declared and then defined, within a file and across files.
        file("src/sub/dup1.c", "int f(void);\nint f(void) { return 0; }\nstruct S { int f; int g; };\nint g;\n");
        file("src/sub/dup2.c", "int f(void) { return 1; }\n#define g 2\nint g(void) { return 2; }\n");
        file("files.lst", list);
    }

    /* One run with the given switches on one thread and on two, into
     * databases of their own; everything they print and write must agree. */
    void same_both_ways(const std::vector<std::string> &args, const char *what)
    {
        result_t runs[2];
        std::string dbs[2] = {"one.tags", "two.tags"};
        for (int t = 0; t < 2; t++) {
            if (t == 0)
                setenv("TVTAGS_THREADS", "0", 1);
            else
                unsetenv("TVTAGS_THREADS");
            std::vector<std::string> a = {"-o", dbs[t]};
            if (text_form_)
                a.insert(a.end(), text_form_->begin(), text_form_->end());
            a.insert(a.end(), args.begin(), args.end());
            runs[t] = run(a);
            // Messages name the database; make them comparable.
            for (std::string *s : {&runs[t].out, &runs[t].err})
                for (size_t p; (p = s->find(dbs[t])) != std::string::npos;)
                    s->replace(p, dbs[t].size(), "DB");
        }
        unsetenv("TVTAGS_THREADS");
        EXPECT_EQ(runs[0].status, runs[1].status) << what;
        EXPECT_EQ(runs[0].out, runs[1].out) << what;
        EXPECT_EQ(runs[0].err, runs[1].err) << what;
        EXPECT_EQ(read_file(at(dbs[0])), read_file(at(dbs[1]))) << what;
        EXPECT_FALSE(read_file(at(dbs[0])).empty()) << what;
    }
};

TEST_F(Threads, OneThreadAndTwoWriteTheSame)
{
    same_both_ways({"-I", "files.lst", "src/x.pc", "pc=c", "src/x.pc"}, "full scan");
    EXPECT_NE(std::string::npos, read_file(at("files.lst")).find("missing"));

    // An update: some files change, one goes, the rest are up to date.
    for (int i = 0; i < 150; i += 7) {
        std::string name = (i % 3 ? "src/f" : "src/sub/g") + std::to_string(i) + ".c";
        file(name, "int changed" + std::to_string(i) + "(int x) { return x; }\n");
        set_mtime(at(name), 100);
    }
    std::remove(at("src/f1.c").c_str());
    same_both_ways({"-I", "files.lst"}, "update");
    same_both_ways({"-refresh", "-force"}, "refresh");
    same_both_ways({"-xref", "src"}, "directory walk with cross-references");
}

TEST_F(Threads, TextFormsAreTheSameOnOneThreadAndTwo)
{
    const std::vector<std::vector<std::string>> forms = {
        {"-ctags", "-text"}, {"-ctags", "-text", "-noall"}, {"-text"}, {"-text", "-noall"},
        {"-ctags", "-text", "-noall", "-w"}};
    for (const auto &form : forms) {
        text_form_ = &form;
        std::string what;
        for (const std::string &s : form)
            what += s + " ";
        same_both_ways({"-I", "files.lst", "src"}, what.c_str());
    }
    text_form_ = nullptr;
}

TEST_F(Threads, DiagnosticsStayBetweenTheirFilesReports)
{
    unsetenv("TVTAGS_THREADS");
    result_t r = run({"-o", "tags", "-I", "files.lst"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("f7.c:9: Character constant too long"));
    EXPECT_NE(std::string::npos, r.err.find("missing20.c: "));
    EXPECT_EQ(1, count_of(r.out, "/src/f10.c ")) << "named twice, scanned once";
}

} // namespace
