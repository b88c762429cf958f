// The directive rule, bracket matching with conditional balancing, the
// skipping readers, pushed-back tokens and the small readers.
#include "lex_testutil.h"

#include <cstring>

namespace {

using V = std::vector<int>;
using S = std::vector<std::string>;

constexpr uint32_t kC = LEX_CPP | LEX_C_COMMENT | LEX_CPP_COMMENT | LEX_CHAR_CONST;

std::vector<int> handled;
int handler_result = 2;

int record_directive(int code)
{
    handled.push_back(code);
    return code == TOK_HASH_ENDIF ? 1 : handler_result;
}

class Directives : public LexTest {
protected:
    void SetUp() override
    {
        LexTest::SetUp();
        handled.clear();
        handler_result = 2;
    }
    void openc(const std::string &s, uint32_t extra = 0)
    {
        open(s, kC | extra, kw_c, 11, record_directive);
    }
};

TEST_F(Directives, HandlerIsCalledForDirectivesOnly)
{
    openc("#define X 1\n#pragma once\n  #  include <x.h>\nfoo");
    EXPECT_EQ(texts(), (S{"foo"}));
    EXPECT_EQ(handled, (V{TOK_DEFINE, TOK_INCLUDE}));
    EXPECT_EQ(lex_ctx.lx_tok_line, 4);
}

TEST_F(Directives, HandlerResultDecidesWhetherTheDirectiveIsAToken)
{
    openc("#endif\n#if A\nx");
    EXPECT_EQ(tokens(), (V{TOK_HASH_ENDIF, TOK_SYMBOL}));
    handler_result = 0;
    openc("#if A\nx");
    EXPECT_EQ(lex_token(), TOK_HASH_IF);
    EXPECT_EQ(text(), "if");
}

TEST_F(Directives, RestOfLineRules)
{
    // Continuations (with carriage returns), comments over lines, and
    // quoted text that only looks like a comment opener.
    openc("#define X \\\n  1 2\nfoo");
    EXPECT_EQ(texts(), (S{"foo"}));
    EXPECT_EQ(lex_ctx.lx_tok_line, 3);
    openc("#define X \\\r\n 1\r\nfoo");
    EXPECT_EQ(texts(), (S{"foo"}));
    openc("#define X /* a\n b */ 1\nfoo");
    EXPECT_EQ(texts(), (S{"foo"}));
    openc("#define S \"/*\"\nfoo\n/* */");
    EXPECT_EQ(texts(), (S{"foo"}));
    openc("#if X // a /* b\nfoo");
    EXPECT_EQ(texts(), (S{"foo"}));
    openc("#error don't\nfoo");
    EXPECT_EQ(texts(), (S{"foo"}));
    openc("# 12 \"file.c\"\nfoo");
    EXPECT_EQ(texts(), (S{"foo"}));
}

TEST_F(Directives, NewlineAfterADirectiveStaysVisible)
{
    openc("#pragma x\nfoo", LEX_NEWLINE);
    EXPECT_EQ(tokens(), (V{'\n', TOK_SYMBOL}));
}

TEST_F(Directives, DirectivesComeBackWhenCommentsDo)
{
    openc("#define X\n#foo\nx", LEX_RETURN_COMMENTS);
    EXPECT_EQ(lex_token(), TOK_DEFINE);
    EXPECT_TRUE(handled.empty());
}

TEST_F(Directives, AtDirectives)
{
    static const keyword_t at_words[] = {{"interface", KEY_INTERFACE, KW_DIRECTIVE}, KW_END};
    handler_result = 0;
    open("@interface X\n@other y\nz", LEX_AT_DIRECTIVE, at_words, 11, record_directive);
    EXPECT_EQ(lex_token(), KEY_INTERFACE);
    EXPECT_EQ(texts(), (S{"X", "z"}));
    open("@other", LEX_AT_DIRECTIVE | LEX_RETURN_COMMENTS, at_words, 11, record_directive);
    EXPECT_EQ(lex_token(), TOK_AT_WORD);
}

TEST_F(Directives, MatchBalancesConditionalBranches)
{
    openc("{\n#if A\n{\n#else\n{\n#endif\n}\ntail");
    lex_token();
    EXPECT_EQ(lex_match(nullptr, '{'), '}');
    EXPECT_EQ(texts(), (S{"tail"}));
    EXPECT_FALSE(lex_ctx.lx_flags & LEX_MATCHING);
}

TEST_F(Directives, MatchIgnoresAlternativesOfAnOuterConditional)
{
    // The body opened in the first branch; the second branch repeats the
    // head with its own brace.
    openc("{\n#else\nint f(int a, int b) {\n#endif\n return 0;\n}\ntail");
    lex_token();
    EXPECT_EQ(lex_match(nullptr, '{'), '}');
    EXPECT_EQ(texts(), (S{"tail"}));
}

TEST_F(Directives, FirstBranchOnlyCountsUnderTheFlag)
{
    // Each branch opens a brace that the one "}" after #endif closes: the
    // first branch alone counts, nested conditionals in skipped branches
    // included, and #elif chains too.
    const char *src = "{\n#if A\nif (a) {\n#elif B\nif (b) {\n#if C\n{\n#endif\n#else\nif (c) {\n#endif\n"
                      "x();\n}\n}\ntail";
    openc(src, LEX_FIRST_BRANCH);
    lex_token();
    EXPECT_EQ(lex_match(nullptr, '{'), '}');
    EXPECT_EQ(texts(), (S{"tail"}));
    // Without the flag the depth comes back at #endif: the inner "}"
    // closes the group early.
    openc(src);
    lex_token();
    EXPECT_EQ(lex_match(nullptr, '{'), '}');
    EXPECT_EQ(texts(), (S{"}", "tail"}));
}

TEST_F(Directives, FirstBranchFlagKeepsBalancedConditionals)
{
    openc("(\n#ifdef X\nint a\n#else\nint b, (c)\n#endif\n) tail", LEX_FIRST_BRANCH);
    lex_token();
    EXPECT_EQ(lex_match(nullptr, '('), ')');
    EXPECT_EQ(texts(), (S{"tail"}));
}

TEST_F(Directives, DirectiveLinesDoNotCountInAMatch)
{
    openc("{\n#define BEGIN {\n}\ntail");
    lex_token();
    EXPECT_EQ(lex_match(nullptr, '{'), '}');
    EXPECT_EQ(texts(), (S{"tail"}));
    EXPECT_EQ(handled, (V{TOK_DEFINE}));
}

TEST_F(LexTest, MatchCollectsTextAndStopsAtTheEnd)
{
    open("(int a, char *b[2]) x", kC);
    dstr_t t{};
    ASSERT_EQ(lex_token(), '(');
    EXPECT_EQ(lex_match(&t, '('), ')');
    EXPECT_STREQ(t.dl_str, "(int a, char * b[2])");
    dstr_free(&t);
    open("{ { }", kC);
    lex_token();
    EXPECT_EQ(lex_match(nullptr, '{'), 0);
    open("x", kC);
    EXPECT_EQ(lex_match(nullptr, 'x'), 0);
    EXPECT_EQ(lex_token(), TOK_SYMBOL);  // nothing consumed
}

// A skipped group reads its words without their texts, unless they go
// into a text or become cross-references; either way it ends at the same
// brace, raw strings holding braces included.
TEST_F(LexTest, SkippedGroupsEndAtTheSameBraceWhateverIsKept)
{
    const std::string body =
        "{ int R = 1; x = R\"(})\"; y = u8R\"t(})t\"; z = uR\"(})\" LR\"(})\" UR\"(})\";\n"
        "  Rx \"}\"; u8 \"}\"; longer_word_than_sixteen_chars(); if (a) { b; } } after";
    constexpr uint32_t kCxx = kC | LEX_CXX_LITERALS;
    for (int xref : {0, 1}) {
        tvt_opt.xref = xref;
        open(body, kCxx);
        ASSERT_EQ(lex_token(), '{');
        EXPECT_EQ(lex_match(nullptr, '{'), '}') << xref;
        EXPECT_EQ(lex_ctx.lx_tok_line, 2) << xref;
        EXPECT_EQ(texts(), (S{"after"})) << xref;
    }
    // Without raw strings R"(})" is a word and an ordinary string.
    tvt_opt.xref = 0;
    open("{ R\"(})\" } after", kC);
    lex_token();
    EXPECT_EQ(lex_match(nullptr, '{'), '}');
    EXPECT_EQ(texts(), (S{"after"}));
}

TEST_F(LexTest, MatchOfBeginEnd)
{
    static const keyword_t words[] = {{"begin", KEY_BEGIN, 0}, {"end", KEY_END, 0}, KW_END};
    open("begin x begin y end end z", 0, words);
    lex_token();
    EXPECT_EQ(lex_match(nullptr, KEY_BEGIN), KEY_END);
    EXPECT_EQ(texts(), (S{"z"}));
}

TEST_F(LexTest, SkipReaders)
{
    open("a (b ; c) ; d", kC);
    EXPECT_EQ(lex_skip_to(';'), ';');
    EXPECT_EQ(texts(), (S{"d"}));

    static const int commas[] = {',', 0};
    open("a [x, y], b;", kC);
    EXPECT_EQ(lex_skip_to_any(';', commas), ',');
    EXPECT_EQ(lex_token(), ',');  // pushed back
    open("a } b;", kC);
    EXPECT_EQ(lex_skip_to_any(';', commas), '}');
    EXPECT_EQ(lex_token(), '}');
    open("a b c", kC);
    EXPECT_EQ(lex_skip_to_any(';', commas), 0);

    open("a {x; y} , z", kC);
    EXPECT_EQ(lex_skip_statement(',', 0), ',');
    EXPECT_EQ(texts(), (S{"z"}));
    open("a b", kC);
    EXPECT_EQ(lex_skip_statement(',', ':'), 0);
}

TEST_F(LexTest, CollectArgs)
{
    dstr_t t{};
    open("(a, (b)) x", kC);
    EXPECT_EQ(lex_collect_args(&t, 0), 1);
    EXPECT_STREQ(t.dl_str, "(a,(b))");
    EXPECT_EQ(lex_token(), TOK_SYMBOL);
    open("x (a)", kC);
    EXPECT_EQ(lex_collect_args(&t, 0), 0);
    EXPECT_EQ(lex_token(), TOK_SYMBOL);  // pushed back
    EXPECT_EQ(text(), "x");
    open("(a) (b)", kC);
    lex_token();
    EXPECT_EQ(lex_collect_args(&t, 1), 1);  // reused buffer starts afresh
    EXPECT_STREQ(t.dl_str, "(a)");
    dstr_free(&t);
}

TEST_F(LexTest, AppendTokenSpacing)
{
    open("unsigned long *p [ n ] ( x )", kC);
    dstr_t t{};
    for (int tok = lex_token(); tok; tok = lex_token())
        lex_append_token(&t, tok);
    // Words are separated by one blank, except after "[" and "(";
    // characters are added as they are.
    EXPECT_STREQ(t.dl_str, "unsigned long * p[n](x)");
    dstr_free(&t);
}

TEST_F(LexTest, PushedBackTokensComeBackLastInFirstOut)
{
    open("a b", kC);
    lex_unget_token(401);
    lex_unget_token(402);
    lex_unget_token(403);  // drops 401
    EXPECT_EQ(lex_token(), 403);
    EXPECT_EQ(lex_token(), 402);
    EXPECT_EQ(lex_token(), TOK_SYMBOL);
    EXPECT_EQ(text(), "a");
}

TEST_F(LexTest, PushedBackTokensKeepTextAndPosition)
{
    open("first\n  second third", kC);
    lex_token();
    lex_token();
    EXPECT_EQ(text(), "second");
    int line = lex_ctx.lx_tok_line, col = lex_ctx.lx_tok_column;
    lex_unget_token(TOK_SYMBOL);
    lex_token();  // reads "second" back
    EXPECT_EQ(text(), "second");
    EXPECT_EQ(lex_ctx.lx_tok_line, line);
    EXPECT_EQ(lex_ctx.lx_tok_column, col);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(lex_token(), TOK_SYMBOL);
    EXPECT_EQ(text(), "third");
}

TEST_F(LexTest, SmallReaders)
{
    open("  foo bar", kC);
    EXPECT_EQ(lex_read_word(), 3);
    EXPECT_EQ(text(), "foo");
    EXPECT_EQ(lex_peek_char(), 'b');
    EXPECT_EQ(lex_getc(), 'b');

    open("stdio.h> x", kC);
    EXPECT_EQ(lex_read_upto('>'), '>');
    EXPECT_EQ(text(), "stdio.h");
    open("abc\ndef>", kC);
    EXPECT_EQ(lex_read_upto('>'), '\n');
    EXPECT_EQ(text(), "abc");
    open("(x", kC);
    EXPECT_EQ(lex_read_word(), 0);
    EXPECT_EQ(lex_getc(), '(');

    open("/a\\/b/ x", kC);
    EXPECT_EQ(lex_read_delimited(0), KEY_S);
    EXPECT_EQ(text(), "/a\\/b/");
    open("#a#b# x", kC);
    EXPECT_EQ(lex_read_delimited(1), KEY_S);
    EXPECT_EQ(text(), "#a#b#");
    EXPECT_EQ(lex_token(), TOK_SYMBOL);
}

} // namespace
