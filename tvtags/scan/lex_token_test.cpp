// The token reader: operators, words and keywords, and every flag that
// switches a comment style or a token rule.
#include "lex_testutil.h"

#include <cctype>
#include <cstring>

namespace {

using V = std::vector<int>;
using S = std::vector<std::string>;

constexpr uint32_t kC = LEX_CPP | LEX_C_COMMENT | LEX_CPP_COMMENT | LEX_CHAR_CONST;

TEST_F(LexTest, OperatorsHaveTheirCodesAndSpellings)
{
    const char *ops =
        "&= && & -> :: ~ || /= / == = >= >>= >> > <= <<= << < -= -- - %= % *= * != ! |= | += ++ + ^= ^ "
        "? ( ) [ ] { } , ; :";
    open(ops, 0);
    V want = {261, 263, 260, 262, 264, 265, 267, 269, 268, 273, 271, 274, 297, 296, 275, 276, 278,
              277, 279, 281, 282, 280, 284, 283, 286, 285, 287, 288, 290, 289, 292, 293, 291, 301,
              300, '?', '(', ')', '[', ']', '{', '}', ',', ';', ':'};
    std::vector<std::string> spellings;
    std::vector<int> got;
    for (int t = lex_token(); t; t = lex_token()) {
        got.push_back(t);
        spellings.push_back(text());
    }
    EXPECT_EQ(got, want);
    // The text of each operator is its spelling in the source.
    std::string joined;
    for (auto &s : spellings)
        joined += (joined.empty() ? "" : " ") + s;
    EXPECT_EQ(joined, ops);
}

TEST_F(LexTest, WordsAreKeywordsOrSymbols)
{
    open("int x_1 struct _y9 while", kC);
    EXPECT_EQ(tokens(), (V{KEY_INT, TOK_SYMBOL, KEY_STRUCT, TOK_SYMBOL, KEY_WHILE}));
    open("int x_1", kC);
    lex_token();
    EXPECT_EQ(text(), "int");
    lex_token();
    EXPECT_EQ(text(), "x_1");
}

TEST_F(LexTest, CommentStylesFollowTheFlags)
{
    open("a // b\nc", LEX_CPP_COMMENT);
    EXPECT_EQ(texts(), (S{"a", "c"}));
    open("a // b", 0);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_DIV, TOK_DIV, TOK_SYMBOL}));
    open("a /* b\n c */ d", LEX_C_COMMENT);
    EXPECT_EQ(texts(), (S{"a", "d"}));
    EXPECT_EQ(lex_ctx.lx_tok_line, 2);
    open("/* a /* b */ c */ d", LEX_NESTED_COMMENT);
    EXPECT_EQ(texts(), (S{"d"}));
    open("/* a /* b */ c */ d", LEX_C_COMMENT);
    EXPECT_EQ(texts(), (S{"c", "*", "/", "d"}));
    open("x (* a (* b *) c *) y { p { q } r } z", LEX_PASCAL_COMMENT);
    EXPECT_EQ(texts(), (S{"x", "y", "z"}));
    open("a # c\nb", LEX_HASH_COMMENT);
    EXPECT_EQ(texts(), (S{"a", "b"}));
    open("a -- c\nb ! d\ne", LEX_DASH_COMMENT);
    EXPECT_EQ(texts(), (S{"a", "b", "e"}));
    open("a ; c\nb % d\ne", LEX_SEMI_COMMENT | LEX_PERCENT_COMMENT);
    EXPECT_EQ(texts(), (S{"a", "b", "e"}));
    open("a <!-- b -- c --> d <!-- e --!> f", LEX_HTML_COMMENT);
    EXPECT_EQ(texts(), (S{"a", "d", "f"}));
}

TEST_F(LexTest, CommentsComeBackAsTokensWhenAsked)
{
    open("/* c */ // d\n# e\n-- f", LEX_C_COMMENT | LEX_CPP_COMMENT | LEX_RETURN_COMMENTS);
    EXPECT_EQ(lex_token(), TOK_COMMENT);
    EXPECT_EQ(text(), "/* c */");
    EXPECT_EQ(lex_token(), TOK_LINE_COMMENT);
    EXPECT_EQ(text(), "// d");
    open("# e\n-- f\n<!-- g", LEX_HASH_COMMENT | LEX_DASH_COMMENT | LEX_HTML_COMMENT | LEX_RETURN_COMMENTS);
    EXPECT_EQ(lex_token(), TOK_COMMENT);
    EXPECT_EQ(text(), "# e");
    EXPECT_EQ(lex_token(), TOK_LINE_COMMENT);
    EXPECT_EQ(text(), "-- f");
    EXPECT_EQ(lex_token(), TOK_COMMENT);
    EXPECT_EQ(text(), "<!--");
}

TEST_F(LexTest, NewlinesAndBlanksAreTokensOnlyWhenAsked)
{
    open("a # x\nb", LEX_HASH_COMMENT | LEX_NEWLINE);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, '\n', TOK_SYMBOL}));
    open("a b\tc", LEX_SPACE);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, ' ', TOK_SYMBOL, ' ', TOK_SYMBOL}));
    open("a\n\nb", 0);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_SYMBOL}));
}

TEST_F(LexTest, DivisionAndSlashDelimitedStrings)
{
    open("x/=2", 0);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_DIV_ASSIGN, TOK_INT}));
    open("a = /ab/ ;", LEX_REGEX);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_EQUAL, TOK_STRING, ';'}));
    open("/ab/", LEX_REGEX);
    lex_token();
    EXPECT_EQ(text(), "/ab/");
    open("/= x", LEX_SLASH_STRING);
    EXPECT_EQ(lex_token(), TOK_STRING);
    open("a /> b", LEX_XML);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_EMPTY_END, TOK_SYMBOL}));
}

TEST_F(LexTest, EllipsisAndTheDotRuleOfLanguageEight)
{
    open("a...b", kC);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_ELLIPSIS, TOK_SYMBOL}));

    StreamCapture err;
    open("a .. b ... .word", 0, nullptr, 8);
    lex_set_error_stream(err.file());
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_SYMBOL, TOK_ELLIPSIS, TOK_SYMBOL}));
    EXPECT_NE(err.contents().find("Syntax error, ellipsis requires three dots."), std::string::npos);
    open(".word", 0, nullptr, 8);
    lex_token();
    EXPECT_EQ(text(), ".word");
}

TEST_F(LexTest, FlagGatedTokens)
{
    open("a := b", LEX_ASSIGN);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_ASSIGN, TOK_SYMBOL}));
    open("a := b", 0);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, ':', TOK_EQUAL, TOK_SYMBOL}));
    open("<% x %>", LEX_ASP);
    EXPECT_EQ(tokens(), (V{TOK_ASP_OPEN, TOK_SYMBOL, TOK_ASP_CLOSE}));
    open("a >= b", LEX_XML);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_GT, TOK_EQUAL, TOK_SYMBOL}));
    open("$abc $", LEX_DOLLAR_IDENT);
    EXPECT_EQ(lex_token(), TOK_SYMBOL);
    EXPECT_EQ(text(), "$abc");
    open("$1F $", LEX_DOLLAR_HEX);
    EXPECT_EQ(lex_token(), TOK_INT);
    EXPECT_EQ(lex_ctx.lx_int, 31);
    EXPECT_EQ(lex_token(), TOK_INT);
    open("$10000000000000001F", LEX_DOLLAR_HEX);   // more digits than 64 bits hold
    EXPECT_EQ(lex_token(), TOK_INT);
    EXPECT_EQ(text(), "$10000000000000001F");
    EXPECT_EQ(lex_ctx.lx_int, 31);
    open("$", 0);
    EXPECT_EQ(lex_token(), '$');
    open("a .= b", 0, nullptr, 31);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_IGNORE, TOK_SYMBOL}));
    open("` define x `", 0, nullptr, 45);
    EXPECT_EQ(lex_token(), TOK_BACKTICK_WORD);
    EXPECT_EQ(text(), "`define");
    open("`x", 0);
    EXPECT_EQ(lex_token(), '`');
    open("@x", 0);
    EXPECT_EQ(lex_token(), '@');
}

TEST_F(LexTest, ArrowNeedsTheOperatorEntry)
{
    static const keyword_t with_arrow[] = {{"=>", TOK_ARROW, KW_OPERATOR}, KW_END};
    open("a => b", 0, with_arrow);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_ARROW, TOK_SYMBOL}));
    open("a => b", 0, kw_c);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_EQUAL, TOK_GT, TOK_SYMBOL}));
}

TEST_F(LexTest, TickKeywords)
{
    static const keyword_t attrs[] = {{"range", KEY_ATTR_WORD, KW_TICK}, {"loop", KEY_LOOP, 0}, KW_END};
    open("a'range b'loop c'", LEX_TICK_KEYWORD, attrs);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, KEY_ATTR_WORD, TOK_SYMBOL, '\'', TOK_SYMBOL, '\''}));
    // Without the flag the word after the tick is an ordinary word.
    open("a'range", 0, attrs);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, '\'', KEY_ATTR_WORD}));
}

TEST_F(LexTest, ExtraIdentifierCharacters)
{
    src = "a-b -c";
    desc = lang_desc_t{11, nullptr, "-", "-", nullptr, nullptr, 0, nullptr, nullptr};
    lex_open_string(src.data(), int(src.size()), "t");
    lex_init(&desc);
    EXPECT_EQ(texts(), (S{"a-b", "-c"}));
    open("a.b", 0);
    lex_set_class('.', CC_IDENT);
    EXPECT_EQ(texts(), (S{"a.b"}));
    EXPECT_TRUE(lex_class_of('.') & CC_IDENT);
}

TEST_F(LexTest, CaseFoldedKeywords)
{
    static const keyword_t words[] = {{"begin", KEY_BEGIN, 0}, {"END", KEY_END, 0}, KW_END};
    std::string longword(300, 'b');
    open("Begin BEGIN end " + longword, LEX_NOCASE, words);
    EXPECT_EQ(tokens(), (V{KEY_BEGIN, KEY_BEGIN, KEY_END, TOK_SYMBOL}));
    EXPECT_EQ(lex_keyword("bEgIn", 0), KEY_BEGIN);
    open("BEGIN end", 0, words);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, TOK_SYMBOL}));
}

TEST_F(LexTest, DuplicateKeywordKeepsTheFirst)
{
    static const keyword_t dup[] = {{"x", 400, 0}, {"x", 401, 0}, KW_END};
    testing::internal::CaptureStdout();
    open("x", 0, dup);
    fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "tvtags: failed to add keyword #1 'x'\n");
    EXPECT_EQ(lex_token(), 400);
}

TEST_F(LexTest, NestedTablesAndTheDirectiveHash)
{
    static const keyword_t outer[] = {{"extra", 450, 0}, KW_NEST(kw_c), KW_END};
    open("extra int", kC, outer);
    EXPECT_EQ(tokens(), (V{450, KEY_INT}));
    EXPECT_EQ(lex_keyword("define", KW_DIRECTIVE), TOK_DEFINE);
    EXPECT_EQ(lex_keyword("define", 0), TOK_DEFINE);
    EXPECT_EQ(lex_keyword("if", 0), KEY_IF);
    EXPECT_EQ(lex_keyword("if", KW_DIRECTIVE), TOK_HASH_IF);
    EXPECT_EQ(lex_keyword("int", KW_DIRECTIVE), -1);
    EXPECT_EQ(lex_keyword("nosuch", 0), -1);
}

TEST_F(LexTest, ControlAInSccsFilesSkipsItsLine)
{
    src = "\x01h12345\nx";
    desc = lang_desc_t{11, kw_c, nullptr, nullptr, nullptr, nullptr, kC, nullptr, nullptr};
    lex_open_string(src.data(), int(src.size()), "dir/s.foo.c");
    lex_init(&desc);
    EXPECT_EQ(texts(), (S{"x"}));
    lex_open_string(src.data(), int(src.size()), "dir/foo.c");
    lex_init(&desc);
    EXPECT_EQ(texts(), (S{"h12345", "x"}));
}

TEST_F(LexTest, TokenNames)
{
    open("identifier_of_more_than_forty_eight_characters_in_all_of_it", kC);
    lex_token();
    EXPECT_STREQ(lex_token_text(TOK_SYMBOL), "<symbol:identifier_of_more_than_forty_eight_characters_i>");
    EXPECT_STREQ(lex_token_text(TOK_STAR), "*");
    EXPECT_STREQ(lex_token_text(KEY_INT), "int");
    // The language's table first (the directive's word), then the
    // built-in names.
    EXPECT_STREQ(lex_token_text(TOK_HASH_ENDIF), "endif");
    EXPECT_STREQ(lex_token_text(TOK_FLOAT), "<float>");
    EXPECT_STREQ(lex_token_text(999), "<token:999>");
    EXPECT_STREQ(lex_token_text(TOK_ARROW), "<token:272>");
    EXPECT_STREQ(lex_token_text('x'), "x");
    open("", 0, nullptr);
    EXPECT_STREQ(lex_token_text(TOK_HASH_ENDIF), "#endif");
    EXPECT_STREQ(lex_token_text(KEY_INT), "<token:473>");
}

} // namespace

namespace {

// Words, blanks and comments cut by the 2048-byte line pieces come out
// whole.
TEST_F(LexTest, WordsBlanksAndCommentsAcrossLinePieces)
{
    for (int pad = 2040; pad <= 2050; pad++) {
        std::string blank(size_t(pad), ' ');
        open(blank + "alpha_beta /*" + std::string(3000, 'c') + "*/ int\tgamma", kC);
        ASSERT_EQ(texts(), (S{"alpha_beta", "int", "gamma"})) << pad;
        open(std::string(size_t(pad), 'w') + " x", kC);
        ASSERT_EQ(lex_token(), TOK_SYMBOL);
        EXPECT_EQ(lex_ctx.lx_text.dl_len, pad);
        EXPECT_EQ(lex_token(), TOK_SYMBOL);
        EXPECT_EQ(text(), "x");
    }
    open("a /* one ** two *\n/ still */ b /**/ c /***/ d", kC);
    EXPECT_EQ(texts(), (S{"a", "b", "c", "d"}));
    open("a /* x /* y */ z */ b", LEX_NESTED_COMMENT);
    EXPECT_EQ(texts(), (S{"a", "b"}));
}

// The lookups follow the table's contents: a keyword put in later is
// found, one taken out is not, and one taken out and another put in (the
// same count of keys) is no confusion.
TEST_F(LexTest, KeywordLookupsFollowChangesToABuiltTable)
{
    open("frob int", kC);
    EXPECT_EQ(tokens(), (V{TOK_SYMBOL, KEY_INT}));
    static keyword_t extra = {"frob", KEY_STRUCT, 0};
    static keyword_t other = {"blah", KEY_UNION, 0};
    ASSERT_TRUE(hash_insert(desc.ld_kw_hash, extra.kw_name, &extra));
    auto again = [&](const char *text) {
        src = text;
        lex_open_string(src.data(), int(src.size()), "t.c");
        lex_init(&desc);
        return tokens();
    };
    EXPECT_EQ(again("frob int"), (V{KEY_STRUCT, KEY_INT}));
    ASSERT_TRUE(hash_remove(desc.ld_kw_hash, "frob", 0));
    ASSERT_TRUE(hash_insert(desc.ld_kw_hash, other.kw_name, &other));
    EXPECT_EQ(again("frob blah int"), (V{TOK_SYMBOL, KEY_UNION, KEY_INT}));
    ASSERT_TRUE(hash_remove(desc.ld_kw_hash, "int", 0));
    EXPECT_EQ(again("int blah"), (V{TOK_SYMBOL, KEY_UNION}));
}

// The words of a keyword table and the tables it splices in.
void table_words(const keyword_t *tab, std::vector<const keyword_t *> &out)
{
    for (const keyword_t *k = tab; k->kw_name; k++) {
        if (k->kw_flags & KW_TABLE)
            table_words(reinterpret_cast<const keyword_t *>(k->kw_name), out);
        else if (!(k->kw_flags & KW_DIRECTIVE) && (isalpha(static_cast<unsigned char>(k->kw_name[0])) || k->kw_name[0] == '_'))
            out.push_back(k);
    }
}

// Every keyword of a real table is found, and near misses (a longer word,
// another last character) are not.
TEST_F(LexTest, EveryKeywordOfATableIsFoundAndNearMissesAreNot)
{
    std::vector<const keyword_t *> kws;
    table_words(kw_cpp, kws);
    ASSERT_GT(kws.size(), size_t(40));
    std::string words;
    for (const keyword_t *k : kws) {
        std::string w = k->kw_name;
        words += w + " " + w + "x " + w.substr(0, w.size() - 1) + "Q ";
    }
    open(words, kC, kw_cpp);
    V got = tokens();
    ASSERT_EQ(got.size(), 3 * kws.size());
    for (size_t i = 0; i < kws.size(); i++) {
        EXPECT_EQ(got[3 * i], kws[i]->kw_code) << kws[i]->kw_name;
        EXPECT_EQ(got[3 * i + 1], TOK_SYMBOL) << kws[i]->kw_name;
        EXPECT_EQ(got[3 * i + 2], TOK_SYMBOL) << kws[i]->kw_name;
    }
}

} // namespace
