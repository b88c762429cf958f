// The text-mode sink and the text writer: collection, -noall merging, and
// every text form as it lands in the tags file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver/tvt_driver.h"
#include "driver/tvt_output.h"
#include "scan/tvt_lang.h"
#include "scan/tvt_settings.h"
#include "scan/tvt_tag.h"
#include "wrenlib/dstr.h"

namespace {

// Read in text mode: the tags file is a text file in the platform's own
// line-end convention.
std::string read_file(const std::string &path)
{
    std::string s;
    if (FILE *f = fopen(path.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            s.append(buf, n);
        fclose(f);
    }
    return s;
}

const char *const ctags_header = "!_TAG_FILE_SORTED\t0\t/0=unsorted, 1=sorted, 2=foldcase/\n";

class TextOutput : public ::testing::Test {
protected:
    tvt_settings_t saved_opt;
    tvt_run_t saved_run;
    std::string tag_path;
    std::vector<std::string *> names;   // stable storage for file names

    void SetUp() override
    {
        saved_opt = tvt_opt;
        saved_run = tvt_run;
        tvt_current_file = nullptr;
        tvt_run.file_start = 0;
        tvt_run.scanned_count = 0;
        dstr_init(&tvt_run.scanned, 64);
        tvt_opt.format = FMT_TVTAGS;
        tvt_opt.binary = 0;
        tvt_opt.all = 1;
        tvt_opt.browser = 1;
        tvt_opt.sort = 1;
        tvt_opt.ignorecase = 1;
        tvt_opt.fuzzy_len = 10;
        tvt_opt.warnings = 0;
        tvt_opt.debug = 0;
        tvt_opt.quiet = 1;
        tvt_opt.cxref = 0;
        tvt_opt.optimise = 0;
        tvt_opt.append = 0;
        const ::testing::TestInfo *t = ::testing::UnitTest::GetInstance()->current_test_info();
        tag_path = ::testing::TempDir() + "tvt_text_" + t->name() + ".tags";
        remove(tag_path.c_str());
        tvt_opt.tag_file = tag_path.c_str();
    }

    void TearDown() override
    {
        text_free();
        dstr_free(&tvt_run.scanned);
        for (std::string *s : names)
            delete s;
        remove(tag_path.c_str());
        tvt_opt = saved_opt;
        tvt_run = saved_run;
    }

    // Starts a file the way the file pass does: the name joins the scanned
    // list and the sink is told a new file begins.
    void begin(const char *file, bool listed = true)
    {
        names.push_back(new std::string(file));
        const char *p = names.back()->c_str();
        if (listed) {
            dstr_add_mem(&tvt_run.scanned, &p, sizeof p);
            tvt_run.scanned_count++;
        }
        tvt_current_file = p;
        text_begin_file();
    }

    int add(int type, const char *name, int line, const char *text = "", int parent = -1,
            const char *type_text = nullptr, const char *args = nullptr)
    {
        static tag_rec_t rec;
        memset(&rec, 0, sizeof rec);
        rec.tr_line = line;
        rec.tr_parent = parent;
        snprintf(rec.tr_name, sizeof rec.tr_name, "%s", name);
        snprintf(rec.tr_line_text, sizeof rec.tr_line_text, "%s", text);
        std::string tt = type_text ? type_text : "", aa = args ? args : "";
        rec.tr_type = type_text ? tt.data() : nullptr;
        rec.tr_args = args ? aa.data() : nullptr;
        return text_sink(type, &rec);
    }

    std::string written()
    {
        text_write();
        return read_file(tag_path);
    }
};

TEST_F(TextOutput, TvtagsFormKeepsCollectionOrderWithBrowserTexts)
{
    begin("src/b.c");
    add(TT_FUNCTION, "zeta", 3, "int zeta(void)", -1, "int", "(void)");
    add(TT_DATA, "alpha", 1, "int alpha;");
    add(TT_STRUCT, "s", 7, "", -1, "", nullptr);
    EXPECT_EQ(written(), "tvtags_version=3.026\n\n[Database]\n"
                         "zeta src/b.c(3) FUNCTION /^int zeta(v/ type='int' args='(void)'\n"
                         "alpha src/b.c(1) DATA /^int alpha;$/\n"
                         "s src/b.c(7) STRUCT\n");
}

TEST_F(TextOutput, FuzzyLengthCutsTheLineTextOnlyBeyondItsLimit)
{
    tvt_opt.fuzzy_len = 5;
    begin("a.c");
    add(TT_DATA, "exact", 1, "abcde");
    add(TT_DATA, "longer", 2, "abcdef");
    EXPECT_EQ(written(), "tvtags_version=3.026\n\n[Database]\n"
                         "exact a.c(1) DATA /^abcde$/\n"
                         "longer a.c(2) DATA /^abcde/\n");
    text_free();
    tvt_opt.fuzzy_len = 0;
    begin("a.c");
    add(TT_DATA, "none", 3, "abcdef");
    EXPECT_EQ(written(), "tvtags_version=3.026\n\n[Database]\nnone a.c(3) DATA\n");
}

TEST_F(TextOutput, BrowserOffDropsTextsAndSortsByNameThenFile)
{
    tvt_opt.browser = 0;
    begin("b.c");
    add(TT_FUNCTION, "beta", 1, "", -1, "int", "(x)");
    add(TT_FUNCTION, "alpha", 2);
    begin("a.c");
    add(TT_FUNCTION, "Alpha", 3);
    add(TT_FUNCTION, "alpha", 4);
    add(TT_FUNCTION, "Zed", 5);
    // Folded case: Alpha/alpha tie and go by file; Zed after beta.
    EXPECT_EQ(written(), "tvtags_version=3.026\n\n[Database]\n"
                         "Alpha a.c(3) FUNCTION\n"
                         "alpha a.c(4) FUNCTION\n"
                         "alpha b.c(2) FUNCTION\n"
                         "beta b.c(1) FUNCTION\n"
                         "Zed a.c(5) FUNCTION\n");
    tvt_opt.ignorecase = 0;
    EXPECT_EQ(written(), "tvtags_version=3.026\n\n[Database]\n"
                         "Alpha a.c(3) FUNCTION\n"
                         "Zed a.c(5) FUNCTION\n"
                         "alpha a.c(4) FUNCTION\n"
                         "alpha b.c(2) FUNCTION\n"
                         "beta b.c(1) FUNCTION\n");
    tvt_opt.sort = 0;
    EXPECT_EQ(written(), "tvtags_version=3.026\n\n[Database]\n"
                         "beta b.c(1) FUNCTION\n"
                         "alpha b.c(2) FUNCTION\n"
                         "Alpha a.c(3) FUNCTION\n"
                         "alpha a.c(4) FUNCTION\n"
                         "Zed a.c(5) FUNCTION\n");
}

TEST_F(TextOutput, FoldedOrderPutsLettersBeforeUnderscore)
{
    tvt_opt.browser = 0;
    begin("a.c");
    add(TT_FUNCTION, "a_b", 1);
    add(TT_FUNCTION, "aB", 2);
    add(TT_FUNCTION, "ab", 3);
    EXPECT_EQ(written(), "tvtags_version=3.026\n\n[Database]\n"
                         "aB a.c(2) FUNCTION\n"
                         "ab a.c(3) FUNCTION\n"
                         "a_b a.c(1) FUNCTION\n");
}

TEST_F(TextOutput, OptimisedFormNumbersFilesAndUsesShortCodes)
{
    tvt_opt.optimise = 1;
    begin("a.c");
    add(TT_STATIC_FUNC, "s", 1);
    add(TT_MACRO, "m", 2);
    begin("my dir/b.c");
    add(TT_IMPORT, "imp", 3);      // no short code: the name stands
    add(TT_FUNCTION, "f", 4, "void f()");
    begin("not listed.c", false);
    add(TT_DATA, "d", 5);
    add(200, "odd", 6);
    EXPECT_EQ(written(), "tvtags_version=3.026\n\n[Files]\na.c\nmy dir/b.c\n\n[Database]\n"
                         "s #0(1) sF\n"
                         "m #0(2) mac\n"
                         "imp #1(3) IMPORT\n"
                         "f #1(4) F /^void f()$/\n"
                         "d \"not listed.c\"(5) d\n"
                         "odd \"not listed.c\"(6) ?\n");
}

TEST_F(TextOutput, PlainFormQuotesNamesWithBlanks)
{
    begin("my dir/b.c");
    add(TT_FUNCTION, "f", 4);
    EXPECT_EQ(written(), "tvtags_version=3.026\n\n[Database]\nf \"my dir/b.c\"(4) FUNCTION\n");
}

TEST_F(TextOutput, CtagsFormEscapesPatternsAndRenamesMain)
{
    tvt_opt.format = FMT_CTAGS;
    begin("src/foo.c");
    add(TT_FUNCTION, "main", 3, "int main(void)");
    add(TT_FUNCTION, "f", 9, "a /* b */ c\\d");
    begin("my dir/x.y.c");
    add(TT_FUNCTION, "main", 1, "main()");
    add(TT_DATA, "v", 2);
    begin("dir.d\\prog");
    add(TT_FUNCTION, "main", 5, "x");
    EXPECT_EQ(written(), std::string(ctags_header) +
                             "Mfoo\tsrc/foo.c\t/^int main(void)$/\n"
                             "f\tsrc/foo.c\t/^a \\/* b *\\/ c\\\\d$/\n"
                             "Mx.y\tmy dir/x.y.c\t/^main()$/\n"
                             "v\tmy dir/x.y.c\t/^$/\n"
                             "Mprog\tdir.d\\prog\t/^x$/\n");
}

TEST_F(TextOutput, CtagsHeaderTellsHowTheFileIsOrdered)
{
    tvt_opt.format = FMT_CTAGS;
    tvt_opt.browser = 0;
    begin("a.c");
    add(TT_FUNCTION, "b", 1, "b");
    add(TT_FUNCTION, "a", 2, "a");
    EXPECT_EQ(written(), "!_TAG_FILE_SORTED\t2\t/0=unsorted, 1=sorted, 2=foldcase/\n"
                         "a\ta.c\t/^a$/\nb\ta.c\t/^b$/\n");
    tvt_opt.ignorecase = 0;
    EXPECT_EQ(written(), "!_TAG_FILE_SORTED\t1\t/0=unsorted, 1=sorted, 2=foldcase/\n"
                         "a\ta.c\t/^a$/\nb\ta.c\t/^b$/\n");
}

TEST_F(TextOutput, CodewrightFormMarksFunctionsAndVariablesOnly)
{
    tvt_opt.format = FMT_CODEWRIGHT;
    begin("my dir/x.c");
    add(TT_FUNCTION, "f", 4, "int f()");
    add(TT_DATA, "v", 2);
    add(TT_STRUCT, "S", 1);
    EXPECT_EQ(written(), "f my dir/x.c(4)F\nv my dir/x.c(2)V\nS my dir/x.c(1)????\n");
}

TEST_F(TextOutput, CrossReferenceListingGoesToStandardOutput)
{
    tvt_opt.cxref = 1;
    tvt_opt.format = FMT_CTAGS;
    begin("a.c");
    add(TT_FUNCTION, "main", 12, "int main()");
    add(TT_DATA, "a_rather_long_name", 7);
    ::testing::internal::CaptureStdout();
    text_write();
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "main" + std::string(12, ' ') + "    12 a.c" + std::string(11, ' ') + "int main()\n" +
                       "a_rather_long_name      7 a.c" + std::string(11, ' ') + "\n");
    EXPECT_EQ(read_file(tag_path), "");

    // Nor does the listing carry a tags file's header in the other forms.
    tvt_opt.format = FMT_TVTAGS;
    ::testing::internal::CaptureStdout();
    text_write();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), out);
}

TEST_F(TextOutput, AppendAddsToTheExistingFile)
{
    tvt_opt.format = FMT_CODEWRIGHT;
    begin("a.c");
    add(TT_FUNCTION, "f", 1);
    std::string first = written();
    tvt_opt.append = 1;
    EXPECT_EQ(written(), first + first);
}

TEST_F(TextOutput, ReportsTheCountUnlessQuiet)
{
    tvt_opt.quiet = 0;
    tvt_opt.format = FMT_CODEWRIGHT;
    begin("a.c");
    ::testing::internal::CaptureStdout();
    text_write();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "0 definitions found...\n");
    add(TT_FUNCTION, "f", 1);
    ::testing::internal::CaptureStdout();
    text_write();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "1 definition found...\n");
    add(TT_FUNCTION, "g", 2);
    ::testing::internal::CaptureStdout();
    text_write();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "2 definitions found...\n");
}

TEST_F(TextOutput, UnwritableTagFileExitsWithTheSystemError)
{
    // A path below a plain file cannot be created on any system.
    std::string blocker = tag_path + ".file";
    FILE *f = fopen(blocker.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    std::string bad = blocker + "/tags";
    tvt_opt.tag_file = bad.c_str();
    begin("a.c");
    add(TT_FUNCTION, "f", 1);
    EXPECT_EXIT(text_write(), ::testing::ExitedWithCode(1), "tags\\.file/tags: ");
    remove(blocker.c_str());
}

TEST_F(TextOutput, CollectingIsSilent)
{
    begin("a.c");
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 3000; i++)          // across several growth steps
        add(TT_DATA, ("v" + std::to_string(i)).c_str(), i + 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(TextOutput, DebugTracesEveryTag)
{
    tvt_opt.debug = 1;
    begin("src/a.c");
    ::testing::internal::CaptureStdout();
    add(TT_FUNCTION, "foo", 3);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Adding src/a.c(3): foo FUNCTION\n");
}

class NoAll : public TextOutput {
protected:
    void SetUp() override
    {
        TextOutput::SetUp();
        tvt_opt.all = 0;
        tvt_opt.format = FMT_CODEWRIGHT;
    }
};

TEST_F(NoAll, LaterDefinitionInTheSameFileReplacesTheEarlier)
{
    begin("a.c");
    long before = tvt_counts.rc_tags;
    int first = add(TT_PROTOTYPE, "f", 1);
    EXPECT_EQ(add(TT_FUNCTION, "f", 5), first);
    EXPECT_EQ(tvt_counts.rc_tags, before + 1);
    EXPECT_EQ(written(), "f a.c(5)F\n");
}

TEST_F(NoAll, MacroOrVariableSurvivesAFunctionOfTheSameName)
{
    begin("a.c");
    int d = add(TT_DEFINE, "m", 1);
    int v = add(TT_DATA, "v", 2);
    EXPECT_EQ(add(TT_FUNCTION, "m", 8), d);
    EXPECT_EQ(add(TT_FUNCTION, "v", 9), v);
    // Anything else does replace a variable.
    EXPECT_EQ(add(TT_STATIC_VAR, "v", 10), v);
    EXPECT_EQ(written(), "m a.c(1)????\nv a.c(10)????\n");
}

TEST_F(NoAll, ClassesAndOtherParentsStaySeparate)
{
    begin("a.c");
    int c = add(TT_CLASS, "K", 1);
    int ctor = add(TT_FUNCTION, "K", 2, "", c);
    EXPECT_NE(ctor, c);
    EXPECT_NE(add(TT_FUNCTION, "K", 3), c);     // the class is never merged into
    int g_in_class = add(TT_FUNCTION, "g", 4, "", c);
    EXPECT_NE(add(TT_FUNCTION, "g", 5, "", ctor), g_in_class);
    EXPECT_EQ(written(), "K a.c(1)????\nK a.c(2)F\nK a.c(3)F\ng a.c(4)F\ng a.c(5)F\n");
}

TEST_F(NoAll, CtagsWarnsAboutTheSameNameInAnotherFileAndKeepsBoth)
{
    tvt_opt.format = FMT_CTAGS;
    tvt_opt.warnings = 1;
    begin("a.c");
    add(TT_FUNCTION, "f", 1, "f");
    begin("b.c");
    ::testing::internal::CaptureStderr();
    add(TT_FUNCTION, "f", 2, "f");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Warning: f multiply defined in b.c and a.c\n");
    EXPECT_EQ(written(), std::string(ctags_header) + "f\ta.c\t/^f$/\nf\tb.c\t/^f$/\n");
}

TEST_F(NoAll, CtagsMergesInTheCurrentFileAfterWarningAboutOthers)
{
    tvt_opt.format = FMT_CTAGS;
    tvt_opt.warnings = 1;
    begin("a.c");
    add(TT_FUNCTION, "f", 1, "f");
    begin("b.c");
    ::testing::internal::CaptureStderr();
    int mine = add(TT_PROTOTYPE, "f", 2, "f();");
    EXPECT_EQ(add(TT_FUNCTION, "f", 3, "f()"), mine);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Warning: f multiply defined in b.c and a.c\n"
                                                        "Warning: f multiply defined in b.c and a.c\n");
    EXPECT_EQ(written(), std::string(ctags_header) + "f\ta.c\t/^f$/\nf\tb.c\t/^f()$/\n");
}

TEST_F(NoAll, OtherFormsLookOnlyAtTheCurrentFile)
{
    tvt_opt.format = FMT_TVTAGS;
    tvt_opt.warnings = 1;
    begin("a.c");
    add(TT_FUNCTION, "f", 1);
    begin("b.c");
    ::testing::internal::CaptureStderr();
    add(TT_FUNCTION, "f", 2);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(written(), "tvtags_version=3.026\n\n[Database]\nf a.c(1) FUNCTION\nf b.c(2) FUNCTION\n");
}

TEST_F(NoAll, AllOnKeepsEveryDefinition)
{
    tvt_opt.all = 1;
    begin("a.c");
    int a = add(TT_PROTOTYPE, "f", 1);
    EXPECT_NE(add(TT_FUNCTION, "f", 5), a);
    EXPECT_EQ(written(), "f a.c(1)????\nf a.c(5)F\n");
}

} // namespace
