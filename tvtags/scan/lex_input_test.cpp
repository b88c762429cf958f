// The lexer's input channel: line pieces, zero bytes, raw bytes and the
// diagnostics format.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tvt_lex.h"
#include "tvt_tag.h"

namespace {

// Each test gets its own file: ctest runs the cases of this file as
// separate processes at once, so the name comes from the running test.
std::string write_temp(const std::string &content)
{
    const testing::TestInfo *t = testing::UnitTest::GetInstance()->current_test_info();
    std::string path = testing::TempDir() + "lexin_" + t->name() + ".c";
    FILE *f = fopen(path.c_str(), "wb");
    fwrite(content.data(), 1, content.size(), f);
    fclose(f);
    return path;
}

} // namespace

TEST(LexInput, LongLinesArriveInPiecesUnderOneLineNumber)
{
    std::string text(3000, 'x');
    text += "\nend\n";
    std::string path = write_temp(text);
    ASSERT_EQ(lex_open_file(path.c_str()), 0);
    lex_init(nullptr);
    int chars = 0;
    while (lex_getc() != 'e')
        chars++;
    EXPECT_EQ(chars, 3001);           // the x's and the newline
    // The pieces share their line's number, so "end" is on line 2.
    EXPECT_EQ(lex_ctx.lx_lineno, 2);
    lex_close_file();
    remove(path.c_str());
}

// Zero bytes read as blanks wherever they fall in a line, and a line ends
// at its newline wherever that falls: lines of every length up to past
// the wide copy's stride, from a file and from memory.
TEST(LexInput, LinesOfEveryLengthEndAtTheirNewlineWithZerosAsBlanks)
{
    std::string text, expect;
    for (int len = 0; len < 40; len++) {
        std::string line(size_t(len), 'a');
        if (len > 2)
            line[size_t(len) / 2] = '\0';
        text += line + "\n";
        if (len > 2)
            line[size_t(len) / 2] = ' ';
        expect += line + "\n";
    }
    text += std::string("tail\0end", 8);
    expect += "tail end";
    std::string path = write_temp(text);
    for (bool from_file : {true, false}) {
        if (from_file)
            ASSERT_EQ(lex_open_file(path.c_str()), 0);
        else
            lex_open_string(text.data(), int(text.size()), "m.c");
        lex_init(nullptr);
        std::string got;
        for (int c = lex_getc(); c != 0; c = lex_getc())
            got += char(c);
        EXPECT_EQ(got, expect) << from_file;
        EXPECT_EQ(lex_ctx.lx_lineno, 41) << from_file;
        lex_close_file();
    }
    remove(path.c_str());
}

TEST(LexInput, ReadLineKeepsZeroBytesAndCountsTheRecord)
{
    std::string text("a\0b\nsecond\n", 11);
    std::string path = write_temp(text);
    ASSERT_EQ(lex_open_file(path.c_str()), 0);
    lex_init(nullptr);
    EXPECT_EQ(lex_read_line(), 4);
    EXPECT_EQ(memcmp(lex_ctx.lx_line, "a\0b\n", 4), 0);
    EXPECT_EQ(tag_rec.tr_line, 1);
    EXPECT_EQ(lex_read_line(), 7);
    EXPECT_EQ(lex_read_line(), -1);
    EXPECT_EQ(tag_rec.tr_line, 2);
    lex_close_file();
    remove(path.c_str());
}

TEST(LexInput, RawBytesAndEndOfInput)
{
    std::string text(5000, '\x7f');
    text[4999] = '\x01';
    std::string path = write_temp(text);
    ASSERT_EQ(lex_open_file(path.c_str()), 0);
    lex_init(nullptr);
    int n = 0, last = 0, c;
    while ((c = lex_getbyte()) >= 0)
        last = c, n++;
    EXPECT_EQ(n, 5000);
    EXPECT_EQ(last, 1);
    EXPECT_EQ(lex_getbyte(), -1);
    lex_close_file();
    EXPECT_EQ(lex_getc(), 0);  // no file: end of input
    remove(path.c_str());
}

TEST(LexInput, DiagnosticsGoToTheChosenStreamOnly)
{
    std::string path = write_temp("line one\n");
    ASSERT_EQ(lex_open_file(path.c_str()), 0);
    lex_init(nullptr);
    lex_getc();
    lex_set_error_stream(nullptr);
    lex_error("silent %d", 1);
    std::string log = testing::TempDir() + "lexin_err.txt";
    FILE *err = fopen(log.c_str(), "w+");
    lex_set_error_stream(err);
    lex_error("bad %s", "thing");
    lex_error("%s", std::string(600, 'y').c_str());
    lex_set_error_stream(nullptr);
    rewind(err);
    char buf[2048] = {0};
    size_t got = fread(buf, 1, sizeof buf - 1, err);
    fclose(err);
    std::string out(buf, got);
    std::string head = "\n" + path + ":1: bad thing\n";
    ASSERT_GE(out.size(), head.size());
    EXPECT_EQ(out.substr(0, head.size()), head);
    // The message is cut to 511 characters.
    EXPECT_EQ(out.size(), head.size() + path.size() + 4 + 511 + 1);
    lex_close_file();
    remove(path.c_str());
    remove(log.c_str());
}
