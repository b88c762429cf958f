// The character level: the input channel over files and memory, line
// pieces and line numbers, raw readers, diagnostics and the progress
// report.
#include "lex_testutil.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "tvt_tag.h"

namespace {

using V = std::vector<int>;
using S = std::vector<std::string>;

constexpr uint32_t kC = LEX_CPP | LEX_C_COMMENT | LEX_CPP_COMMENT | LEX_CHAR_CONST;

std::string temp_file(const std::string &name, const std::string &content)
{
    auto path = std::filesystem::temp_directory_path() / ("lexer_test_" + name);
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
}

TEST_F(LexTest, LineNumbersAndColumns)
{
    open("a\n  bc\n\nd", 0);
    std::vector<std::pair<int, int>> pos;
    for (int t = lex_token(); t; t = lex_token())
        pos.push_back({lex_ctx.lx_tok_line, lex_ctx.lx_column - lex_ctx.lx_text.dl_len});
    // Line and the column where each word starts (0-based) after reading it.
    EXPECT_EQ(pos, (std::vector<std::pair<int, int>>{{1, 0}, {2, 2}, {4, 0}}));
}

TEST_F(LexTest, LongLinesArriveInPiecesUnderOneLineNumber)
{
    std::string line(3000, 'x');
    open(line + " y\nz", 0);
    EXPECT_EQ(lex_token(), TOK_SYMBOL);
    EXPECT_EQ(lex_ctx.lx_text.dl_len, 3000);  // the word spans both pieces
    EXPECT_EQ(lex_token(), TOK_SYMBOL);
    EXPECT_EQ(text(), "y");
    EXPECT_EQ(lex_ctx.lx_lineno, 1);
    EXPECT_EQ(lex_token(), TOK_SYMBOL);
    EXPECT_EQ(lex_ctx.lx_lineno, 2);
    // A line of exactly the buffer's capacity and its newline.
    open(std::string(LEX_LINE_SIZE - 1, 'a') + "\nb", 0);
    lex_token();
    lex_token();
    EXPECT_EQ(text(), "b");
    EXPECT_EQ(lex_ctx.lx_lineno, 2);
}

TEST_F(LexTest, ZeroBytesDoNotEndTheInput)
{
    open(std::string("a\0b", 3), 0);
    EXPECT_EQ(texts(), (S{"a", "b"}));
}

TEST_F(LexTest, CharacterPushBack)
{
    open("ab", 0);
    EXPECT_EQ(lex_getc(), 'a');
    lex_ungetc('x');
    lex_ungetc('y');  // replaces x
    EXPECT_EQ(lex_getc(), 'y');
    EXPECT_EQ(lex_getc(), 'b');
    EXPECT_EQ(lex_getc(), 0);
    EXPECT_EQ(lex_getc(), 0);
}

TEST_F(LexTest, ReadLineCountsLines)
{
    open("one\ntwo\n\nlast", 0);
    tag_rec.tr_line = 0;
    S lines;
    for (int n = lex_read_line(); n >= 0; n = lex_read_line())
        lines.push_back(std::string(lex_ctx.lx_line, size_t(n)));
    EXPECT_EQ(lines, (S{"one\n", "two\n", "\n", "last"}));
    EXPECT_EQ(lex_ctx.lx_lineno, 4);
    EXPECT_EQ(tag_rec.tr_line, 4);
}

TEST_F(LexTest, SkipLineHonoursContinuations)
{
    open("a \\\nb\nc", LEX_LINE_CONT);
    lex_skip_line();
    EXPECT_EQ(texts(), (S{"c"}));
    open("a \\\nb\nc", 0);
    lex_skip_line();
    EXPECT_EQ(texts(), (S{"b", "c"}));
}

TEST_F(LexTest, RawBytesComeInOrder)
{
    std::string bin;
    for (int i = 0; i < 5000; i++)
        bin.push_back(char(i * 7));
    open(bin, 0);
    std::string got;
    for (int c = lex_getbyte(); c >= 0; c = lex_getbyte())
        got.push_back(char(c));
    EXPECT_EQ(got, bin);
}

TEST_F(LexTest, FilesReadLikeMemory)
{
    // Large enough to cross the channel's block buffer several times.
    std::string content;
    for (int i = 0; i < 20000; i++)
        content += "int v" + std::to_string(i) + ";\r\n";
    std::string path = temp_file("big.c", content);
    desc = lang_desc_t{11, kw_c, nullptr, nullptr, nullptr, nullptr, kC, nullptr, nullptr};
    ASSERT_EQ(lex_open_file(path.c_str()), 0);
    EXPECT_STREQ(lex_file_path(), path.c_str());
    lex_init(&desc);
    int count = 0, last_line = 0;
    std::string last;
    for (int t = lex_token(); t; t = lex_token()) {
        if (t == TOK_SYMBOL) {
            count++;
            last = text();
            last_line = lex_ctx.lx_tok_line;
        }
    }
    EXPECT_EQ(count, 20000);
    EXPECT_EQ(last, "v19999");
    EXPECT_EQ(last_line, 20000);
    lex_close_file();
    std::filesystem::remove(path);

    errno = 0;
    EXPECT_EQ(lex_open_file((path + ".missing").c_str()), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(LexTest, InitWithoutDescriptorResets)
{
    open("a\nb\nc", kC);
    lex_token();
    lex_token();
    lex_ctx.lx_depth = 3;
    tag_rec.tr_parent = 7;
    lex_init(nullptr);
    EXPECT_EQ(lex_ctx.lx_lineno, 0);
    EXPECT_EQ(lex_ctx.lx_depth, 0);
    EXPECT_EQ(lex_ctx.lx_flags, 0u);
    EXPECT_EQ(lex_ctx.lx_desc, nullptr);
    EXPECT_EQ(tag_rec.tr_parent, -1);
    EXPECT_EQ(lex_next(), TOK_SYMBOL);  // the rest of the input
}

TEST_F(LexTest, ErrorsGoToTheChosenStreamOnly)
{
    open("a\nb", 0);
    lex_error("nobody sees %d", 1);  // no stream chosen
    EXPECT_EQ(lex_ctx.lx_messages, 0);

    StreamCapture err;
    lex_set_error_stream(err.file());
    lex_token();
    lex_error("first %s", "one");
    lex_token();
    lex_error("second");
    EXPECT_EQ(err.contents(), "\nt.c:1: first one\nt.c:2: second\n");
    EXPECT_EQ(lex_ctx.lx_messages, 2);

    // A long message is cut to the formatting buffer.
    StreamCapture err2;
    lex_set_error_stream(err2.file());
    std::string longmsg(2000, 'm');
    lex_error("%s", longmsg.c_str());
    std::string out = err2.contents();
    EXPECT_LT(out.size(), 530u);
    EXPECT_EQ(out.rfind("t.c:2: mmm", 0), 0u);
}

TEST_F(LexTest, CapturedErrorsReadAsTheStreamWouldHaveThem)
{
    open("a\nb", 0);
    StreamCapture err;
    lex_set_error_stream(err.file());
    dstr_t held;
    dstr_init(&held, 16);
    lex_capture_errors(&held);
    lex_token();
    lex_error("first %s", "one");
    lex_token();
    lex_error("second");
    lex_capture_errors(nullptr);
    EXPECT_EQ(std::string(held.dl_str, (size_t) held.dl_len), "\nt.c:1: first one\nt.c:2: second\n");
    EXPECT_EQ(err.contents(), "");
    lex_error("third");   // to the stream again, without the opening blank line
    EXPECT_EQ(err.contents(), "t.c:2: third\n");
    dstr_free(&held);
    lex_set_error_stream(nullptr);
}

TEST_F(LexTest, TraceOnlyWithDebug)
{
    open("x", 0);
    lex_token();
    testing::internal::CaptureStdout();
    lex_trace("quiet");
    lex_set_debug(1);
    lex_trace("loud");
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "t.c:1: loud\n");
}

TEST(LexCount, FormatCountGroupsDigits)
{
    EXPECT_STREQ(format_count(0), "0");
    EXPECT_STREQ(format_count(999), "999");
    EXPECT_STREQ(format_count(1000), "1,000");
    EXPECT_STREQ(format_count(1234567), "1,234,567");
    EXPECT_STREQ(format_count(-1000), "-1,000");
    // Four results can be used at once.
    const char *a = format_count(1), *b = format_count(2), *c = format_count(3), *d = format_count(4);
    EXPECT_STREQ(a, "1");
    EXPECT_STREQ(b, "2");
    EXPECT_STREQ(c, "3");
    EXPECT_STREQ(d, "4");
}

TEST_F(LexTest, ProgressReportEveryTenThousandTags)
{
    open("x", 0);
    lex_token();
    tag_progress(0);
    testing::internal::CaptureStdout();
    // Every other tag number repeats one seen before.
    for (int i = 0; i < 9999; i++)
        tag_progress(i / 2 + 1);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    testing::internal::CaptureStdout();
    tag_progress(1);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Tags found:    10,000 --     5,000 dups 50.00% Line: 1\n");
}

} // namespace
