// Language choice, remapping, dispatch and the tag-type table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tvt_lang.h"
#include "tvt_tag.h"

namespace {

int lang_for(const char *name, const char *forced = nullptr)
{
    const ext_map_t *r = lang_of_file(name, forced);
    return r ? r->em_lang : -1;
}

int counted_calls;
int counting_scanner()
{
    counted_calls++;
    return 42;
}
int other_scanner()
{
    return 7;
}

} // namespace

TEST(ExtensionMap, RowsAndFirstMatchWins)
{
    int rows = 0;
    for (const ext_map_t *r = ext_map; r->em_ext; r++)
        rows++;
    EXPECT_EQ(rows, 77);
    EXPECT_STREQ(ext_map[0].em_ext, "a");
    EXPECT_STREQ(ext_map[rows - 1].em_ext, "zip");

    // Case is ignored and the first matching row wins.
    EXPECT_EQ(lang_for("x.M"), LANG_OBJC);
    EXPECT_EQ(lang_for("x.C"), LANG_C);
    EXPECT_EQ(lang_for("foo.c++"), LANG_CPP);
    EXPECT_EQ(lang_for("dir/foo.H"), LANG_CPP);
    EXPECT_EQ(lang_for("main.tolva"), LANG_C);
    EXPECT_EQ(lang_for("x.tv"), LANG_TOLVA);
    EXPECT_EQ(lang_for("x.vg"), LANG_VERILOG);
}

TEST(ExtensionMap, NamesWithoutExtension)
{
    EXPECT_EQ(lang_for("Makefile"), -1);
    // The dot of a directory is not the file's extension.
    EXPECT_EQ(lang_for("src.d/Makefile"), -1);
    EXPECT_EQ(lang_for("x.unknown"), -1);
}

TEST(ExtensionMap, ForcedLanguageByExtensionOrDescription)
{
    EXPECT_EQ(lang_for("readme.txt", "java"), LANG_JAVA);
    EXPECT_EQ(lang_for("readme.txt", "TeX or LaTeX"), LANG_TEX);
    EXPECT_EQ(lang_for("Makefile", "Perl script"), LANG_PERL);
    EXPECT_EQ(lang_for("a.c", "nosuch"), -1);
}

TEST(Remap, ExactExtensionAndMessages)
{
    lang_clear_remaps();
    ASSERT_EQ(lang_remap("inc=pl"), 0);
    EXPECT_EQ(lang_for("a.inc"), LANG_PERL);
    EXPECT_EQ(lang_for("a.INC"), -1);  // remaps are case-sensitive

    // A later remapping of the same extension is shadowed.
    ASSERT_EQ(lang_remap("inc=java"), 0);
    EXPECT_EQ(lang_for("a.inc"), LANG_PERL);

    // A remap overrides the built-in row.
    ASSERT_EQ(lang_remap("pc=c"), 0);
    ASSERT_EQ(lang_remap("h=c"), 0);
    EXPECT_EQ(lang_for("x.pc"), LANG_C);
    EXPECT_EQ(lang_for("x.h"), LANG_C);

    testing::internal::CaptureStderr();
    EXPECT_EQ(lang_remap("inc2=nosuch"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "tvtags: Cannot remap file extension inc2=nosuch\n");
    EXPECT_EQ(lang_for("a.inc2"), -1);

    // The language may also be named by its description's first word.
    ASSERT_EQ(lang_remap("cgi=perl"), 0);
    EXPECT_EQ(lang_for("a.cgi"), LANG_PERL);
    lang_clear_remaps();
    EXPECT_EQ(lang_for("x.h"), LANG_CPP);
}

TEST(Dispatch, RegisteredBeforeBuiltInAndEarliestWins)
{
    EXPECT_EQ(lang_run_scanner(2), -3);  // an id without any scanner
    counted_calls = 0;
    pub_tag_add_dispatch(LANG_C, counting_scanner, nullptr);
    pub_tag_add_dispatch(LANG_C, other_scanner, nullptr);
    EXPECT_EQ(lang_run_scanner(LANG_C), 42);
    EXPECT_EQ(counted_calls, 1);
}

TEST(TagTypes, TableAndLookup)
{
    EXPECT_STREQ(tag_types[TT_STRUCT].tt_name, "STRUCT");
    EXPECT_STREQ(tag_types[TT_XREF].tt_name, "XREF");
    EXPECT_STREQ(tag_types[TT_SECTION].tt_name, "SECTION");
    EXPECT_STREQ(tag_types[TT_STATIC_FUNC].tt_short, "sF");
    EXPECT_STREQ(tag_types[TT_IMPORT].tt_short, "");
    EXPECT_EQ(TT_XREF, 54);
    EXPECT_EQ(TT_ANY, 55);
    EXPECT_EQ(tag_type_lookup("function"), TT_FUNCTION);
    EXPECT_EQ(tag_type_lookup("Func_Prototype"), TT_FUNC_PROTOTYPE);
    EXPECT_EQ(tag_type_lookup("FUNC"), -1);
    EXPECT_STREQ(tag_type_name(-1), "?");
    EXPECT_STREQ(tag_type_name(TT_COUNT), "?");
}
