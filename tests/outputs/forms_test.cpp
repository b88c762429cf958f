/* The text forms of the tags file, written by the real program from real
 * C files, compared whole with the texts they must have. */
#include "outputs_util.h"

using namespace e2e;
using namespace outputs;

namespace {

const std::string ctags_unsorted = "!_TAG_FILE_SORTED\t0\t/0=unsorted, 1=sorted, 2=foldcase/\n";

class Forms : public Tvtags {
  protected:
    void SetUp() override
    {
        file("a.c", a_c);
        file("b.c", b_c);
    }
    /* Runs a text-mode scan and returns the tags file. */
    std::string tags(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"-text", "-noabsolute", "-q"});
        result_t r = run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.signal, 0);
        return read_file(at("tags"));
    }
};

TEST_F(Forms, PlainFormKeepsCollectionOrderAndBrowserTexts)
{
    EXPECT_EQ(tags({"a.c", "b.c"}), "tvtags_version=3.026\n\n[Database]\n"
                                    "MAX a.c(1) DEFINE\n"
                                    "SQR a.c(2) DEFINE args='(x)'\n"
                                    "stdio.h a.c(3) FILE\n"
                                    "color a.c(4) ENUM\n"
                                    "RED a.c(4) ENUM_MEMBER\n"
                                    "GREEN a.c(4) ENUM_MEMBER\n"
                                    "main a.c(5) FUNCTION type='int' args='(void)'\n"
                                    "counter b.c(1) DATA type='int'\n"
                                    "helper_fn b.c(2) FUNCTION type='int' args='(int a, int b)'\n");
}

TEST_F(Forms, NoBrowserSortsAndShowsFuzzyLines)
{
    /* Lines of at most 14 characters are whole; longer ones are cut. */
    EXPECT_EQ(tags({"-nobrowser", "-len", "14", "a.c", "b.c"}),
              "tvtags_version=3.026\n\n[Database]\n"
              "color a.c(4) ENUM /^enum color { R/\n"
              "counter b.c(1) DATA /^int counter;$/\n"
              "GREEN a.c(4) ENUM_MEMBER /^enum color { R/\n"
              "helper_fn b.c(2) FUNCTION /^int helper_fn(/\n"
              "main a.c(5) FUNCTION /^int main(void)$/\n"
              "MAX a.c(1) DEFINE /^#define MAX 10$/\n"
              "RED a.c(4) ENUM_MEMBER /^enum color { R/\n"
              "SQR a.c(2) DEFINE /^#define SQR(x)/\n"
              "stdio.h a.c(3) FILE /^#include <stdi/\n");
    /* -ignorecase toggles the folding off: upper case first. */
    EXPECT_EQ(tags({"-nobrowser", "-ignorecase", "-len", "0", "a.c", "b.c"}),
              "tvtags_version=3.026\n\n[Database]\n"
              "GREEN a.c(4) ENUM_MEMBER\n"
              "MAX a.c(1) DEFINE\n"
              "RED a.c(4) ENUM_MEMBER\n"
              "SQR a.c(2) DEFINE\n"
              "color a.c(4) ENUM\n"
              "counter b.c(1) DATA\n"
              "helper_fn b.c(2) FUNCTION\n"
              "main a.c(5) FUNCTION\n"
              "stdio.h a.c(3) FILE\n");
}

TEST_F(Forms, OptimisedFormNumbersTheFiles)
{
    file("my file.c", "int spaced;\n");
    EXPECT_EQ(tags({"-O", "a.c", "b.c", "my file.c"}), "tvtags_version=3.026\n\n[Files]\na.c\nb.c\nmy file.c\n\n"
                                                       "[Database]\n"
                                                       "MAX #0(1) D\n"
                                                       "SQR #0(2) D args='(x)'\n"
                                                       "stdio.h #0(3) FILE\n"
                                                       "color #0(4) E\n"
                                                       "RED #0(4) e\n"
                                                       "GREEN #0(4) e\n"
                                                       "main #0(5) F type='int' args='(void)'\n"
                                                       "counter #1(1) d type='int'\n"
                                                       "helper_fn #1(2) F type='int' args='(int a, int b)'\n"
                                                       "spaced #2(1) d type='int'\n");
    /* Without -O a name with a blank is quoted. */
    EXPECT_EQ(tags({"my file.c"}), "tvtags_version=3.026\n\n[Database]\nspaced \"my file.c\"(1) DATA type='int'\n");
}

TEST_F(Forms, CtagsFormEscapesPatternsAndRenamesMain)
{
    file("my file.c", "int spaced;\n");
    EXPECT_EQ(tags({"-ctags", "a.c", "b.c", "my file.c"}), ctags_unsorted +
                                                               "MAX\ta.c\t/^#define MAX 10$/\n"
                                                               "SQR\ta.c\t/^#define SQR(x) ((x)*(x))$/\n"
                                                               "stdio.h\ta.c\t/^#include <stdio.h>$/\n"
                                                               "color\ta.c\t/^enum color { RED, GREEN = 2 };$/\n"
                                                               "RED\ta.c\t/^enum color { RED, GREEN = 2 };$/\n"
                                                               "GREEN\ta.c\t/^enum color { RED, GREEN = 2 };$/\n"
                                                               "Ma\ta.c\t/^int main(void)$/\n"
                                                               "counter\tb.c\t/^int counter;$/\n"
                                                               "helper_fn\tb.c\t/^int helper_fn(int a, int b) \\/* a\\/b *\\/$/\n"
                                                               "spaced\tmy file.c\t/^int spaced;$/\n");
}

TEST_F(Forms, CtagsPatternOfACutLineDoesNotClaimTheLineEnd)
{
    // A line longer than the record keeps only its start: a pattern with
    // "$" after it could never match the line in the file.
    std::string init(3000, '1');
    file("long.c", "int wide = " + init + ";\nint narrow;\n");
    std::string out = tags({"-ctags", "long.c"});
    size_t wide = out.find("wide\tlong.c\t/^int wide = 111");
    ASSERT_NE(wide, std::string::npos) << out;
    std::string line = out.substr(wide, out.find('\n', wide) - wide);
    EXPECT_EQ(line.substr(line.size() - 2), "1/");
    EXPECT_LT(line.size(), init.size());
    EXPECT_NE(out.find("narrow\tlong.c\t/^int narrow;$/\n"), std::string::npos) << out;
}

TEST_F(Forms, CtagsSortedFormsSayHowTheyAreSorted)
{
    EXPECT_EQ(tags({"-ctags", "-nobrowser", "b.c"}), "!_TAG_FILE_SORTED\t2\t/0=unsorted, 1=sorted, 2=foldcase/\n"
                                                     "counter\tb.c\t/^int counter;$/\n"
                                                     "helper_fn\tb.c\t/^int helper_fn(int a, int b) \\/* a\\/b *\\/$/\n");
    std::string sorted = tags({"-ctags", "-nobrowser", "-ignorecase", "a.c"});
    EXPECT_TRUE(starts_with(sorted, "!_TAG_FILE_SORTED\t1\t/0=unsorted, 1=sorted, 2=foldcase/\nGREEN\ta.c\t")) << sorted;
}

TEST_F(Forms, CodewrightFormMarksFunctionsAndVariables)
{
    file("my file.c", "int spaced;\n");
    EXPECT_EQ(tags({"-codewright", "a.c", "b.c", "my file.c"}), "MAX a.c(1)????\n"
                                                                 "SQR a.c(2)????\n"
                                                                 "stdio.h a.c(3)????\n"
                                                                 "color a.c(4)????\n"
                                                                 "RED a.c(4)????\n"
                                                                 "GREEN a.c(4)????\n"
                                                                 "main a.c(5)F\n"
                                                                 "counter b.c(1)V\n"
                                                                 "helper_fn b.c(2)F\n"
                                                                 "spaced my file.c(1)V\n");
}

TEST_F(Forms, CrossReferenceListingGoesToStandardOutput)
{
    result_t r = run({"-text", "-noabsolute", "-q", "-ctags", "-x", "b.c"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, left("counter", 16) + right(1, 6) + " " + left("b.c", 14) + "int counter;\n" +
                         left("helper_fn", 16) + right(2, 6) + " " + left("b.c", 14) +
                         "int helper_fn(int a, int b) /* a/b */\n");
    EXPECT_FALSE(exists(at("tags")));

    /* main keeps its name in the listing. */
    r = run({"-text", "-noabsolute", "-q", "-ctags", "-x", "a.c"});
    EXPECT_NE(r.out.find(left("main", 16) + right(5, 6) + " " + left("a.c", 14) + "int main(void)\n"), std::string::npos)
        << r.out;
}

TEST_F(Forms, AppendAddsEntriesWithoutAnotherHeader)
{
    std::string first = tags({"-ctags", "b.c"});
    ASSERT_TRUE(starts_with(first, ctags_unsorted));
    EXPECT_EQ(tags({"-ctags", "-a", "b.c"}), first + first.substr(ctags_unsorted.size()));
}

TEST_F(Forms, AppendToASortedFileMarksItUnsorted)
{
    // Sorted, then appended to: an editor that binary-searched the result
    // would miss tags, so the header must say it is out of order.
    std::string sorted = tags({"-ctags", "-nobrowser", "b.c"});
    ASSERT_TRUE(starts_with(sorted, "!_TAG_FILE_SORTED\t2\t")) << sorted;
    std::string both = tags({"-ctags", "-nobrowser", "-a", "a.c"});
    EXPECT_TRUE(starts_with(both, "!_TAG_FILE_SORTED\t0\t/0=unsorted")) << both;
    EXPECT_EQ(both.substr(sorted.size() - 1 + 1).find("!_TAG_"), std::string::npos);
    EXPECT_EQ(both.size(), sorted.size() + tags({"-ctags", "-nobrowser", "a.c"}).size() - ctags_unsorted.size());
}

TEST_F(Forms, AppendToANewFileWritesTheHeader)
{
    EXPECT_TRUE(starts_with(tags({"-ctags", "-nobrowser", "-a", "b.c"}), "!_TAG_FILE_SORTED\t2\t"));
}

TEST_F(Forms, ExistingFileOfAnotherKindIsNeverOverwritten)
{
    const std::string victim = "int precious(void) { return 1; }\n";
    file("victim.c", victim);
    for (auto form : {std::vector<std::string>{"-text", "-ctags"}, {"-text"}, {}}) {
        std::vector<std::string> args = form;
        for (const char *a : {"-q", "-o", "victim.c", "b.c"})
            args.push_back(a);
        result_t r = run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "victim.c: not a tags file; not overwritten\n");
        EXPECT_EQ(read_file(at("victim.c")), victim);
    }
    // Our own files of every form, and an empty one, are written again.
    file("empty", "");
    EXPECT_EQ(run({"-text", "-q", "-o", "empty", "b.c"}).status, 0);
    for (auto form : {std::vector<std::string>{"-text", "-ctags"}, {"-text"}, {"-text", "-codewright"}, {}}) {
        std::vector<std::string> args = form;
        for (const char *a : {"-q", "-o", "ours", "b.c"})
            args.push_back(a);
        EXPECT_EQ(run(args).status, 0);
        result_t again = run(args);
        EXPECT_EQ(again.status, 0) << again.err;
        remove(at("ours").c_str());
    }
}

TEST_F(Forms, CrossReferenceColumnsStayApartWhenFull)
{
    file("a_rather_long_file_name.c", "int a_name_of_exactly_twenty;\n");
    result_t r = run({"-text", "-noabsolute", "-q", "-ctags", "-x", "a_rather_long_file_name.c"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "a_name_of_exactly_twenty " + right(1, 6) + " a_rather_long_file_name.c int a_name_of_exactly_twenty;\n");
}

TEST_F(Forms, CountLineUnlessQuiet)
{
    result_t r = run({"-text", "-noabsolute", "-codewright", "a.c", "b.c"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("9 definitions found...\n"), std::string::npos) << r.out;
    file("one.c", "int only;\n");
    r = run({"-text", "-noabsolute", "-codewright", "one.c"});
    EXPECT_NE(r.out.find("1 definition found...\n"), std::string::npos) << r.out;
}

TEST_F(Forms, UnwritableTagsFileExitsOne)
{
    result_t r = run({"-text", "-q", "-o", "no/such/dir/tags", "a.c"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(starts_with(r.err, "no/such/dir/tags: ")) << r.err;
}

class NoAll : public Forms {};

TEST_F(NoAll, CtagsWarnsOnceAcrossFilesAndKeepsBoth)
{
    file("c1.c", "int f(void) { return 1; }\n");
    file("c2.c", "int f(void) { return 2; }\n");
    result_t r = run({"-text", "-noabsolute", "-q", "-ctags", "-noall", "-w", "c1.c", "c2.c"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Warning: f multiply defined in c2.c and c1.c\n");
    EXPECT_EQ(read_file(at("tags")), ctags_unsorted + "f\tc1.c\t/^int f(void) { return 1; }$/\n"
                                                      "f\tc2.c\t/^int f(void) { return 2; }$/\n");

    /* The plain form compares within each file only: no warning. */
    r = run({"-text", "-noabsolute", "-q", "-noall", "-w", "c1.c", "c2.c"});
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_file(at("tags")), "tvtags_version=3.026\n\n[Database]\n"
                                     "f c1.c(1) FUNCTION type='int' args='(void)'\n"
                                     "f c2.c(1) FUNCTION type='int' args='(void)'\n");
}

TEST_F(NoAll, MacroStaysWhenAFunctionOfItsNameFollows)
{
    file("d.c", "#define g 1\nint g(void) { return 0; }\nint h;\nint h;\n");
    EXPECT_EQ(tags({"-codewright", "-noall", "d.c"}), "g d.c(1)????\nh d.c(4)V\n");
    EXPECT_EQ(tags({"-codewright", "d.c"}), "g d.c(1)????\ng d.c(2)F\nh d.c(3)V\nh d.c(4)V\n");
}

} // namespace
