/* Many scanning threads at once: files of every family scanned side by side
 * must give, byte for byte, what one thread gives.  The files are small and
 * many, so that the threads really overlap, and they are mixed so that each
 * thread goes from one scanner to another; anonymous aggregates sit in
 * files next to each other, so that their run-wide numbering is tested
 * with files finishing out of turn. */
#include "e2e_util.h"

#include <cstdlib>
#include <set>

using namespace e2e;

namespace {

// A file of the given family, varied by n.
std::string source_of(int family, int n)
{
    std::string s = std::to_string(n);
    switch (family) {
    case 0:   // C with anonymous aggregates, a stray character constant
        return "struct { int a" + s + "; } v" + s + ";\n" +
               (n % 2 ? "enum { E" + s + "a, E" + s + "b } e" + s + ";\n" : std::string()) +
               "typedef union { int u; } U" + s + ";\nint f" + s + "(int x) { return x; }\n" +
               (n % 9 == 4 ? "char c = 'q;\n" : "");
    case 1:   // C++: classes with bases, namespaces, anonymous structs
        return "namespace ns" + s + " {\nclass B" + s + " {};\nclass D" + s + " : public B" + s +
               " { int m; struct { int q; } inner; void run(); };\n}\n"
               "void ns" + s + "::D" + s + "::run() {}\n";
    case 2:
        return "package p" + s + ";\npublic class C" + s + " extends Base implements I {\n"
               "  int field" + s + ";\n  void method" + s + "(int a) { }\n  enum K { X, Y }\n}\n";
    case 3:
        return "class Py" + s + "(object):\n    def m" + s + "(self):\n        pass\n\ndef top" + s + "():\n    return 1\n";
    case 4:
        return "<html><head><title>t" + s + "</title></head><body>\n<h1>Head " + s +
               "</h1>\n<a name=\"anchor" + s + "\">x</a>\n<h2>Sub</h2></body></html>\n";
    case 5:
        return "module m" + s + "(input a, output b);\n  wire w" + s + ";\n  reg r;\n"
               "  typedef struct { logic x; } t" + s + ";\nendmodule\n";
    case 6:
        return "program P" + s + ";\nprocedure Proc" + s + "(a: integer);\nbegin\nend;\n"
               "function F" + s + ": integer;\nbegin\nend;\nbegin\nend.\n";
    case 7:
        return "CREATE TABLE t" + s + " (a int);\nCREATE VIEW v" + s + " AS SELECT 1;\n"
               "CREATE PROCEDURE p" + s + " AS BEGIN SELECT 1; END;\n";
    case 8:
        return "function js" + s + "(a) { return a; }\nvar o" + s + " = { m: function() {} };\n"
               "class K" + s + " { meth() {} }\n";
    default:
        return "<?php\nclass Php" + s + " { function f" + s + "() {} }\nfunction g" + s + "() {}\n";
    }
}

const char *const kExtensions[] = {".c", ".cpp", ".java", ".py", ".html", ".sv", ".pas", ".sql", ".js", ".php"};
constexpr int kFamilies = 10;
constexpr int kFiles = 400;

class ManyThreads : public Tvtags {
  protected:
    void SetUp() override
    {
        make_dirs(at("t"));
        std::string list;
        for (int i = 0; i < kFiles; i++) {
            // Runs of C files with anonymous names now and then, the rest
            // mixed, so that neighbours both name anonymous aggregates.
            int family = (i / 5) % 3 == 0 ? 0 : i % kFamilies;
            std::string name = "t/f" + std::to_string(i) + kExtensions[family];
            file(name, source_of(family, i));
            list += name + "\n";
        }
        file("all.lst", list);
    }

    // One run with TVTAGS_THREADS set to threads (null: unset), into a
    // database or text file of its own.
    result_t run_with(const char *threads, const std::vector<std::string> &form, const std::string &out)
    {
        if (threads)
            setenv("TVTAGS_THREADS", threads, 1);
        else
            unsetenv("TVTAGS_THREADS");
        std::vector<std::string> a = {"-o", out};
        a.insert(a.end(), form.begin(), form.end());
        a.insert(a.end(), {"-I", "all.lst"});
        result_t r = run(a);
        unsetenv("TVTAGS_THREADS");
        for (std::string *s : {&r.out, &r.err})
            for (size_t p; (p = s->find(out)) != std::string::npos;)
                s->replace(p, out.size(), "OUT");
        return r;
    }

    void same_for_every_thread_count(const std::vector<std::string> &form, const char *what)
    {
        result_t one = run_with("0", form, "one.out");
        ASSERT_EQ(0, one.status) << one.err;
        const std::string expected = read_file(at("one.out"));
        ASSERT_FALSE(expected.empty());
        for (const char *n : {"1", "2", "4", "7", static_cast<const char *>(nullptr)}) {
            std::string out = std::string("many") + (n ? n : "default") + ".out";
            result_t r = run_with(n, form, out);
            const char *shown = n ? n : "default";
            EXPECT_EQ(one.status, r.status) << what << " threads " << shown;
            EXPECT_EQ(one.out, r.out) << what << " threads " << shown;
            EXPECT_EQ(one.err, r.err) << what << " threads " << shown;
            EXPECT_TRUE(read_file(at(out)) == expected) << what << " threads " << shown;
        }
    }
};

TEST_F(ManyThreads, EveryThreadCountWritesWhatOneThreadWrites)
{
    same_for_every_thread_count({}, "database");
    same_for_every_thread_count({"-ctags", "-text"}, "ctags text");
    same_for_every_thread_count({"-text"}, "tvtags text");
    same_for_every_thread_count({"-text", "-noall", "-xref"}, "text with cross-references");
}

TEST_F(ManyThreads, AnonymousNamesRunOverTheWholeRunInFileOrder)
{
    // On many threads the names must still be anon#0, anon#1, ... in the
    // order of the files, each once, as one thread numbers them.
    result_t r = run_with("4", {"-text"}, "anon.txt");
    ASSERT_EQ(0, r.status) << r.err;
    std::string text = read_file(at("anon.txt"));
    // Structures and unions share one counter; enumerations have their own.
    std::set<int> aggregates, enums;
    int last_aggregate = -1;
    bool in_order = true;
    for (size_t p = 0; (p = text.find("\nanon#", p)) != std::string::npos; p++) {
        size_t eol = text.find('\n', p + 1);
        std::string line = text.substr(p + 1, eol - p - 1);
        int n = std::atoi(line.c_str() + 5);
        if (line.find(" ENUM") != std::string::npos) {
            EXPECT_TRUE(enums.insert(n).second) << line;
            continue;
        }
        if (line.find(" STRUCT") == std::string::npos && line.find(" UNION") == std::string::npos)
            continue;
        EXPECT_TRUE(aggregates.insert(n).second) << line;
        in_order = in_order && n > last_aggregate;
        last_aggregate = n;
    }
    EXPECT_TRUE(in_order) << "aggregates numbered out of file order";
    ASSERT_GT(aggregates.size(), 100u);
    EXPECT_EQ(0, *aggregates.begin());
    EXPECT_EQ(static_cast<int>(aggregates.size()) - 1, *aggregates.rbegin()) << "a gap in the numbering";
    ASSERT_GT(enums.size(), 10u);
    EXPECT_EQ(static_cast<int>(enums.size()) - 1, *enums.rbegin());
}

// Files of megabytes among small ones: more source bytes than the scans
// may hold ahead of the writer at once, so that the writer waits for its
// bytes to fall as well as for its count of files.
TEST_F(ManyThreads, LargeFilesAmongSmallOnesComeOutInOrder)
{
    make_dirs(at("big"));
    std::string list;
    for (int i = 0; i < 40; i++) {
        std::string name = "big/s" + std::to_string(i) + ".c";
        if (i % 8 == 3) {
            std::string big;
            for (int d = 0; big.size() < (size_t(5) << 19); d++)
                big += "#define REG_" + std::to_string(i) + "_" + std::to_string(d) + " 0x" + std::to_string(d) + "\n";
            big += "struct { int x; } tail" + std::to_string(i) + ";\n";
            file(name, big);
        } else {
            file(name, source_of(0, i));
        }
        list += name + "\n";
    }
    file("all.lst", list);
    result_t one = run_with("0", {}, "big1.tags");
    ASSERT_EQ(0, one.status) << one.err;
    for (const char *n : {"2", "4"}) {
        std::string out = std::string("big") + n + ".tags";
        result_t r = run_with(n, {}, out);
        EXPECT_EQ(0, r.status) << r.err;
        EXPECT_EQ(one.out, r.out) << n;
        EXPECT_TRUE(read_file(at(out)) == read_file(at("big1.tags"))) << n;
    }
}

TEST_F(ManyThreads, AThreadCountThatIsNoNumberFallsBackToTheDefault)
{
    result_t a = run_with("lots", {}, "a.tags");
    result_t b = run_with("0", {}, "b.tags");
    EXPECT_EQ(0, a.status) << a.err;
    EXPECT_EQ(a.out, b.out);
    EXPECT_TRUE(read_file(at("a.tags")) == read_file(at("b.tags")));
}

} // namespace
