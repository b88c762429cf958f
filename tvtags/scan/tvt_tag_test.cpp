// Tag emission: filters, sinks, capture and the inheritance stack.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tvt_lang.h"
#include "tvt_lex.h"
#include "tvt_settings.h"
#include "tvt_tag.h"
#include "wrenlib/chk.h"
#include "wrenlib/list.h"

namespace {

struct seen_t {
    int type;
    std::string name;
    std::string type_text;
    std::string args;
    int parent;
};

std::vector<seen_t> seen;

int record_sink(int type, tag_rec_t *rec)
{
    seen.push_back({type, rec->tr_name, rec->tr_type ? rec->tr_type : "", rec->tr_args ? rec->tr_args : "",
                    rec->tr_parent});
    return (int)seen.size() - 1;
}

std::vector<tag_entry_t> entries;
std::vector<std::string> entry_names;
int entry_sink(void *, const tag_entry_t *e)
{
    entries.push_back(*e);
    entry_names.push_back(e->te_name);
    return 100 + (int)entries.size();
}

Head_p filter_list(std::initializer_list<std::pair<char, const char *>> fs)
{
    Head_p hp = ll_newlist();
    for (auto &f : fs) {
        auto *tf = static_cast<tag_filter_t *>(chk_zalloc(sizeof(tag_filter_t)));
        tf->tf_sign = f.first;
        tf->tf_pattern = chk_strdup(f.second);
        ll_append(hp, ll_newatom(tf));
    }
    return hp;
}

class Emission : public ::testing::Test {
protected:
    tvt_settings_t saved_opt;
    void SetUp() override
    {
        saved_opt = tvt_opt;
        tvt_opt.binary = 0;
        tvt_opt.xref = -1;
        tvt_opt.filters = nullptr;
        for (int i = 0; i < TT_COUNT; i++)
            tag_type_enabled[i] = 1;
        seen.clear();
        entries.clear();
        entry_names.clear();
        tag_set_text_sink(record_sink);
        tag_set_db_sink(nullptr, nullptr);
        tag_reset();
    }
    void TearDown() override
    {
        tvt_opt = saved_opt;
        for (int i = 0; i < TT_COUNT; i++)
            tag_type_enabled[i] = 1;
        tag_set_text_sink(nullptr);
    }
    int add(int type, const char *name)
    {
        strcpy(tag_rec.tr_name, name);
        return tag_add(type, &tag_rec);
    }
};

} // namespace

TEST_F(Emission, FiltersRejectSilently)
{
    tag_type_enabled[TT_FUNCTION] = 0;
    EXPECT_EQ(add(TT_FUNCTION, "f"), -1);
    EXPECT_EQ(add(TT_DEFINE, ""), -1);       // empty names never reach a sink
    EXPECT_EQ(add(TT_XREF, "use"), -1);      // cross-references are off
    tvt_opt.xref = 0;
    EXPECT_EQ(add(TT_XREF, "use"), -1);
    EXPECT_TRUE(seen.empty());
    tvt_opt.xref = 1;
    EXPECT_EQ(add(TT_XREF, "use"), 0);
    EXPECT_EQ(add(TT_DEFINE, "D"), 1);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].type, TT_DEFINE);
}

TEST_F(Emission, NamePatternsInOrder)
{
    tvt_opt.filters = filter_list({{'-', "tmp*"}, {'+', "*x"}});
    EXPECT_EQ(add(TT_FUNCTION, "tmpx"), -1);
    EXPECT_EQ(add(TT_FUNCTION, "fy"), -1);
    EXPECT_GE(add(TT_FUNCTION, "fx"), 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].name, "fx");
}

TEST_F(Emission, BinaryFormGoesToTheDatabaseSink)
{
    tvt_opt.binary = 1;
    EXPECT_EQ(add(TT_FUNCTION, "f"), -2);  // no database open
    int db_token = 0;
    tag_set_db_sink(entry_sink, &db_token);
    tag_rec.tr_line = 12;
    tag_rec.tr_column = 9;
    tag_rec.tr_parent = 5;
    tag_rec.tr_flags = 0x30;
    tag_level = 2;
    EXPECT_EQ(add(TT_FUNCTION, "func"), 101);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entry_names[0], "func");
    EXPECT_EQ(entries[0].te_type, TT_FUNCTION);
    EXPECT_EQ(entries[0].te_line, 12u);
    EXPECT_EQ(entries[0].te_column, 5);  // where the name starts
    EXPECT_EQ(entries[0].te_parent, 5);
    EXPECT_EQ(entries[0].te_level, 2);
    EXPECT_EQ(entries[0].te_flags, 0x30u);
    EXPECT_TRUE(seen.empty());
}

TEST_F(Emission, AddTextJoinsAndReleases)
{
    dstr_t prefix, type, args;
    dstr_init(&prefix, 16);
    dstr_add_string(&prefix, "static", 6);
    dstr_terminate(&prefix);
    dstr_init(&type, 16);
    dstr_add_string(&type, "int", 3);
    dstr_init(&args, 16);
    dstr_add_string(&args, "(void)", 6);
    strcpy(tag_rec.tr_name, "f");
    EXPECT_EQ(tag_add_text(TT_FUNCTION, 3, &prefix, &type, &args), 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].type_text, "static int");
    EXPECT_EQ(seen[0].args, "(void)");
    EXPECT_EQ(seen[0].parent, 3);
    EXPECT_EQ(type.dl_len, 0);
    EXPECT_EQ(args.dl_str, nullptr);
    EXPECT_EQ(tag_rec.tr_type, nullptr);
    EXPECT_EQ(tag_rec.tr_args, nullptr);

    // A prefix ending in a blank gets no second one; an empty type text no blank.
    dstr_clear(&prefix);
    dstr_add_string(&prefix, "const ", 6);
    dstr_add_string(&type, "char *", 6);
    EXPECT_EQ(tag_add_text(TT_DATA, -1, &prefix, &type, nullptr), 1);
    EXPECT_EQ(seen[1].type_text, "const char *");
    EXPECT_EQ(seen[1].args, "");
    EXPECT_EQ(tag_add_text(TT_DATA, -1, &prefix, &type, nullptr), 2);
    EXPECT_EQ(seen[2].type_text, "const ");
    dstr_free(&prefix);
    dstr_free(&type);
}

TEST_F(Emission, CaptureFromTheLexer)
{
    tvt_opt.browser = 0;
    lex_init(nullptr);
    const char line[] = "foo();\r\n";
    memcpy(lex_ctx.lx_line, line, sizeof line);
    lex_ctx.lx_end = (int)strlen(line);
    lex_ctx.lx_lineno = 7;
    lex_ctx.lx_column = 4;
    dstr_clear(&lex_ctx.lx_text);
    dstr_add_string(&lex_ctx.lx_text, "\"abc\"", 5);
    dstr_terminate(&lex_ctx.lx_text);

    tag_rec_t rec;
    tag_capture(&rec, TAG_CAP_LINE | TAG_CAP_NAME | TAG_CAP_UNQUOTE);
    EXPECT_STREQ(rec.tr_name, "abc");
    EXPECT_STREQ(rec.tr_line_text, "foo();");
    EXPECT_EQ(rec.tr_line, 7);
    EXPECT_EQ(rec.tr_column, 4);
    EXPECT_EQ(rec.tr_parent, -1);

    tag_capture(&rec, TAG_CAP_NAME);
    EXPECT_STREQ(rec.tr_name, "\"abc\"");
    EXPECT_STREQ(rec.tr_line_text, "");

    // With the browser form the binary database needs no line text.
    tvt_opt.browser = 1;
    tvt_opt.binary = 1;
    tag_capture(&rec, TAG_CAP_LINE);
    EXPECT_STREQ(rec.tr_line_text, "");
    // A ctags text file needs it for its search patterns.
    tvt_opt.binary = 0;
    tvt_opt.format = FMT_CTAGS;
    tag_capture(&rec, TAG_CAP_LINE);
    EXPECT_STREQ(rec.tr_line_text, "foo();");
}

TEST_F(Emission, XrefCapturesAPositionedCopy)
{
    lex_init(nullptr);
    dstr_clear(&lex_ctx.lx_text);
    dstr_add_string(&lex_ctx.lx_text, "used", 4);
    dstr_terminate(&lex_ctx.lx_text);
    strcpy(tag_rec.tr_name, "outer");
    EXPECT_EQ(tag_xref(), 0);  // off
    EXPECT_TRUE(seen.empty());
    tvt_opt.xref = 1;
    tag_xref();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].type, TT_XREF);
    EXPECT_EQ(seen[0].name, "used");
    EXPECT_STREQ(tag_rec.tr_name, "outer");  // the current record is untouched
}

TEST(Inheritance, PushAddPopRestoresTheOuterList)
{
    inh_add("Outer");
    Head_p outer = inh_current();
    ASSERT_NE(outer, nullptr);
    inh_push();
    inh_add("Base1");
    inh_add("Base2");
    Head_p inner = inh_current();
    ASSERT_NE(inner, outer);
    EXPECT_EQ(inner->l_len, 2);
    EXPECT_STREQ(static_cast<char *>(ll_elem(ll_first(inner))), "Base1");
    inh_pop(0);
    EXPECT_EQ(inh_current(), outer);
    EXPECT_EQ(outer->l_len, 1);

    inh_push();
    inh_push();
    testing::internal::CaptureStdout();
    inh_free();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "freeing inh stack\nfreeing inh stack\n");
    EXPECT_EQ(inh_current(), nullptr);
}
