// The hook library's two pure parts: the bounded argument text and the
// message-name table of its diagnostic.
#include <gtest/gtest.h>

#include <string>

#include "dll_args.h"
#include "dll_state.h"

namespace {

std::string item(int line, int column, const std::string &path)
{
    return "+" + std::to_string(line) + "," + std::to_string(column) + " \"" + path + "\" ";
}

TEST(TvidedllArgs, ItemsAreAppendedEachEndingInABlank)
{
    edit_args_t ea;
    edit_args_init(&ea);
    EXPECT_STREQ("", ea.ea_text);
    ASSERT_TRUE(edit_args_add(&ea, 12, 5, "C:\\a b\\x.cpp"));
    ASSERT_TRUE(edit_args_add(&ea, -1, 0, "y.h"));
    EXPECT_EQ(item(12, 5, "C:\\a b\\x.cpp") + item(-1, 0, "y.h"), ea.ea_text);
    EXPECT_EQ(strlen(ea.ea_text), ea.ea_len);
}

TEST(TvidedllArgs, TheWholeTextWithItsNulFitsExactlyAndNotOneByteMore)
{
    edit_args_t ea;
    edit_args_init(&ea);
    const std::string first = "C:\\" + std::string(2000, 'a');
    ASSERT_TRUE(edit_args_add(&ea, 1, 1, first.c_str()));
    size_t used = ea.ea_len;
    // An item of exactly the room left, counting the NUL, still fits ...
    size_t room = TVIDE_ARGS_MAX - 1 - used;
    size_t overhead = item(2, 2, "").size();
    std::string exact(room - overhead, 'b');
    edit_args_t longer = ea;
    ASSERT_TRUE(edit_args_add(&ea, 2, 2, exact.c_str()));
    EXPECT_EQ((size_t)TVIDE_ARGS_MAX - 1, ea.ea_len);
    EXPECT_EQ(ea.ea_len, strlen(ea.ea_text));
    // ... one byte more is left out whole, and the text is unchanged.
    std::string before = longer.ea_text;
    EXPECT_FALSE(edit_args_add(&longer, 2, 2, (exact + "b").c_str()));
    EXPECT_EQ(before, longer.ea_text);
    EXPECT_EQ(used, longer.ea_len);
    // A later short item still goes in where there is room.
    EXPECT_TRUE(edit_args_add(&longer, 3, 3, "z"));
    EXPECT_EQ(before + item(3, 3, "z"), longer.ea_text);
}

TEST(TvidedllArgs, APathLongerThanTheWholeTextIsLeftOut)
{
    edit_args_t ea;
    edit_args_init(&ea);
    std::string huge(TVIDE_ARGS_MAX + 10, 'p');
    EXPECT_FALSE(edit_args_add(&ea, 1, 1, huge.c_str()));
    EXPECT_EQ(0u, ea.ea_len);
    EXPECT_STREQ("", ea.ea_text);
}

TEST(TvidedllMessageNames, KnownMessagesOfEveryFamilyAreNamedAsTheHeadersSpellThem)
{
    char buf[32];
    struct {
        UINT msg;
        const char *name;
    } cases[] = {
        {WM_NULL, "WM_NULL"},           {WM_ACTIVATE, "WM_ACTIVATE"},
        {WM_INITDIALOG, "WM_INITDIALOG"}, {WM_COMMAND, "WM_COMMAND"},
        {WM_MDIGETACTIVE, "WM_MDIGETACTIVE"}, {EM_GETSEL, "EM_GETSEL"},
        {EM_SETWORDBREAKPROC, "EM_SETWORDBREAKPROC"}, {BM_CLICK, "BM_CLICK"},
        {CB_ADDSTRING, "CB_ADDSTRING"}, {CB_SETDROPPEDWIDTH, "CB_SETDROPPEDWIDTH"},
        {LB_GETCOUNT, "LB_GETCOUNT"},   {LB_SETCOUNT, "LB_SETCOUNT"},
        {SBM_SETSCROLLINFO, "SBM_SETSCROLLINFO"},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(c.name, dll_message_name(c.msg, buf, sizeof buf));
}

TEST(TvidedllMessageNames, TheTableHolds239NamesAndOthersPrintAsNumbers)
{
    EXPECT_EQ(239u, dll_message_name_count());
    char buf[32];
    EXPECT_STREQ("WM_0x7fff", dll_message_name(0x7fff, buf, sizeof buf));
    EXPECT_STREQ("WM_0x0400", dll_message_name(WM_USER, buf, sizeof buf));
    // A registered message, such as the editor's own.
    UINT edit = RegisterWindowMessageA("Tolva_edit");
    char want[16];
    snprintf(want, sizeof want, "WM_0x%04x", edit);
    EXPECT_STREQ(want, dll_message_name(edit, buf, sizeof buf));
}

} // namespace
