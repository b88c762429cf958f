// Literals: numbers in every base and form, strings and character
// constants, and the malformed ones that must not stop a scan.
#include "lex_testutil.h"

namespace {

using V = std::vector<int>;
using S = std::vector<std::string>;

constexpr uint32_t kC = LEX_CPP | LEX_C_COMMENT | LEX_CPP_COMMENT | LEX_CHAR_CONST;

TEST_F(LexTest, IntegersInEachBase)
{
    struct {
        const char *src;
        int64_t value;
        const char *text;
    } cases[] = {
        {"0x1F", 31, "0x1F"},   {"017", 15, "017"},     {"42", 42, "42"},
        {"0", 0, "0"},          {"10UL", 10, "10UL"},   {"7ull", 7, "7ull"},
        {"0xffffffffffffffff", -1, "0xffffffffffffffff"},
        {"123456789012", 123456789012LL, "123456789012"},
    };
    for (auto &c : cases) {
        open(c.src, kC);
        EXPECT_EQ(lex_token(), TOK_INT) << c.src;
        EXPECT_EQ(lex_ctx.lx_int, c.value) << c.src;
        EXPECT_EQ(text(), c.text) << c.src;
        EXPECT_EQ(lex_token(), 0) << c.src;
    }
}

TEST_F(LexTest, FloatingConstants)
{
    struct {
        const char *src;
        double value;
    } cases[] = {
        {"1.5e3", 1500.0}, {".5", 0.5}, {"2.", 2.0}, {"1e-2", 0.01}, {"3.25f", 3.25}, {"0x1.8p1", 3.0},
    };
    for (auto &c : cases) {
        open(c.src, kC);
        EXPECT_EQ(lex_token(), TOK_FLOAT) << c.src;
        EXPECT_DOUBLE_EQ(lex_ctx.lx_float, c.value) << c.src;
        EXPECT_EQ(lex_token(), 0) << c.src;
    }
    open("1..", kC);
    EXPECT_EQ(tokens(), (V{TOK_FLOAT, TOK_DOT}));
    open("a . b", kC);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_DOT, TOK_SYMBOL}));
}

constexpr uint32_t kCxx = kC | LEX_CXX_LITERALS;

TEST_F(LexTest, DigitSeparatorsAndBinaryConstants)
{
    struct {
        const char *src;
        int64_t value;
    } cases[] = {
        {"1'000'000", 1000000}, {"0xFF'FF", 0xFFFF}, {"0b1010", 10}, {"0B1'0000'0000", 256},
        {"07'7", 077},          {"1'0u", 10},
    };
    for (auto &c : cases) {
        open(c.src, kCxx);
        EXPECT_EQ(lex_token(), TOK_INT) << c.src;
        EXPECT_EQ(lex_ctx.lx_int, c.value) << c.src;
        EXPECT_EQ(lex_token(), 0) << c.src;
    }
    open("1'5.25e1", kCxx);
    EXPECT_EQ(lex_token(), TOK_FLOAT);
    EXPECT_DOUBLE_EQ(lex_ctx.lx_float, 152.5);
    // A tick after a number that no digit follows is a character constant.
    open("f(1,'a')", kCxx);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, '(', TOK_INT, ',', TOK_INT, ')'}));
    // Without the flag a separator opens a character constant, as in C.
    open("1'0'", kC);
    EXPECT_EQ(tokens(), (V{TOK_INT, TOK_INT}));
}

TEST_F(LexTest, RawStrings)
{
    // Quotes, braces, backslashes and newlines are the string's own; only
    // ")delim"" ends it.
    open("a R\"(x \" { \\)\" b", kCxx);
    EXPECT_EQ(texts(), (S{"a", "R\"(x \" { \\)\"", "b"}));
    open("u8R\"tag(one )\"\n} )ta\" two))tag\" c", kCxx);
    EXPECT_EQ(texts(), (S{"u8R\"tag(one )\"\n} )ta\" two))tag\"", "c"}));
    for (const char *prefix : {"R", "LR", "uR", "UR", "u8R"}) {
        open(std::string(prefix) + "\"(})\" z", kCxx);
        EXPECT_EQ(tokens(), (V{TOK_STRING, TOK_SYMBOL})) << prefix;
    }
    // Other words before a quote, and R without the flag, are identifiers.
    open("xR\"(a)\" LR", kCxx);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_STRING, TOK_SYMBOL}));
    open("R\"(\"})\" z", kC);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_STRING, '}', ')', TOK_STRING}));
    // No "(" within 16 characters: an ordinary string after all.
    open("R\"abc\" z", kCxx);
    EXPECT_EQ(texts(), (S{"R\"abc\"", "z"}));
    // Unterminated: ends with the input.
    open("R\"(never", kCxx);
    EXPECT_EQ(tokens(), (V{TOK_STRING}));
}

TEST_F(LexTest, MalformedNumbersAreDropped)
{
    // An exponent letter without digits, a lone sign, two dots: no token,
    // and the scan goes on with what follows.
    open("1ex y", kC);
    EXPECT_EQ(texts(), (S{"x", "y"}));
    open("1e+ z", kC);
    EXPECT_EQ(texts(), (S{"z"}));
    open(".. w", kC);
    EXPECT_EQ(texts(), (S{"w"}));

    StreamCapture err;
    open("x = 1.5e", kC);
    lex_set_error_stream(err.file());
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_EQUAL}));
    EXPECT_NE(err.contents().find("EOF detected reading floating point constant"), std::string::npos);
}

TEST_F(LexTest, BasedNumbers)
{
    open("4'b1010 8'hFF 12'd99 x", LEX_BASED_NUMBER);
    EXPECT_EQ(lex_token(), TOK_INT);
    EXPECT_EQ(text(), "4'b1010");
    EXPECT_EQ(lex_ctx.lx_int, 10);
    EXPECT_EQ(lex_token(), TOK_INT);
    EXPECT_EQ(lex_ctx.lx_int, 255);
    EXPECT_EQ(lex_token(), TOK_INT);
    EXPECT_EQ(lex_ctx.lx_int, 99);
    EXPECT_EQ(lex_token(), TOK_SYMBOL);
    // Without the flag the tick is a token of its own.
    open("4'b1", 0);
    EXPECT_EQ(tokens(), (V{TOK_INT, '\'', TOK_SYMBOL}));
}

TEST_F(LexTest, Strings)
{
    open("\"a\\\"b\" x", kC);
    EXPECT_EQ(lex_token(), TOK_STRING);
    EXPECT_EQ(text(), "\"a\\\"b\"");
    EXPECT_EQ(lex_token(), TOK_SYMBOL);
    // An unterminated string ends with its line.
    open("\"abc\nx", kC);
    EXPECT_EQ(lex_token(), TOK_STRING);
    EXPECT_EQ(text(), "\"abc");
    EXPECT_EQ(lex_token(), TOK_SYMBOL);
    EXPECT_EQ(lex_ctx.lx_tok_line, 2);
    open("\"a\nb\" c", kC | LEX_MULTILINE_STRING);
    EXPECT_EQ(lex_token(), TOK_STRING);
    EXPECT_EQ(text(), "\"a\nb\"");
    open("\"never closed", kC);
    EXPECT_EQ(tokens(), (V{TOK_STRING}));
    // A backslash-newline continues a string.
    open("\"a\\\nb\" c", kC);
    EXPECT_EQ(tokens(), (V{TOK_STRING, TOK_SYMBOL}));
}

TEST_F(LexTest, CharacterConstants)
{
    open("'a' '\\n' '\\''", kC);
    EXPECT_EQ(lex_token(), TOK_INT);
    EXPECT_EQ(lex_ctx.lx_int, 'a');
    EXPECT_EQ(text(), "'a'");
    EXPECT_EQ(lex_token(), TOK_INT);
    EXPECT_EQ(lex_ctx.lx_int, '\n');
    EXPECT_EQ(lex_token(), TOK_INT);
    EXPECT_EQ(lex_ctx.lx_int, '\'');
    EXPECT_EQ(lex_token(), 0);

    open("'\\' x", kC | LEX_NO_ESCAPE);
    EXPECT_EQ(lex_token(), TOK_INT);
    EXPECT_EQ(text(), "'\\'");
    EXPECT_EQ(lex_token(), TOK_SYMBOL);

    StreamCapture err;
    open("'ab\nc", kC);
    lex_set_error_stream(err.file());
    EXPECT_EQ(tokens(), (V{TOK_INT, TOK_SYMBOL}));
    EXPECT_NE(err.contents().find("t.c:1: Character constant too long or unterminated."), std::string::npos);

    open("don't", 0);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, '\'', TOK_SYMBOL}));
}

} // namespace
