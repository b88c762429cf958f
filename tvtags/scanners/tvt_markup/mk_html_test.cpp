// The HTML and Miva scanners: anchors, headers and their parents, nested
// lists and tables, and documents that are malformed or huge.
#include "mk_testutil.h"

namespace {

TEST_F(MarkupScan, HtmlAnchorsGiveALabelAndTheirText)
{
    scan(tvt_html_scan,
         "<a name=\"top\">Start</a>\n<A HREF=page.html#x>Go\n there</A>\n<a name=bare>", "t.html");
    EXPECT_EQ(dump(true), "FILE t.html@1\n"
                          "LABEL NAME=\"top\"<t.html@1\nLABEL Start<t.html@1\n"
                          "LABEL HREF=\"page.html#x\"<t.html@2\nLABEL Go  there<t.html@2\n"
                          "LABEL NAME=\"bare\"<t.html@4\n");
}

TEST_F(MarkupScan, HtmlHeadersHangUnderTheHeaderOfTheLevelAbove)
{
    scan(tvt_html_scan,
         "<h2>Before</h2><h1>A</h1><h2>B</h2><h3>C</h3><h2>D</h2><h3>E</h3>\n"
         "<H1>F</H1><h3>G</h3>\n<h1>X <h2>Y</h2></h1>\n<h1>\n\tspread\r\n over  </h1>",
         "t.html");
    EXPECT_EQ(dump(), "FILE t.html\nHEADER2 H2: Before\nHEADER1 H1: A<t.html\nHEADER2 H2: B<H1: A\n"
                      "HEADER3 H3: C<H2: B\nHEADER2 H2: D<H1: A\nHEADER3 H3: E<H2: D\n"
                      "HEADER1 H1: F<t.html\nHEADER3 H3: G\nHEADER1 H1: X (GARBLED)<t.html\n"
                      "HEADER1 H1: spread   over<t.html\n");
}

TEST_F(MarkupScan, HtmlListsAndTablesAreLevelsEndedByAClosingTag)
{
    scan(tvt_html_scan,
         "<ul>\n<li><a name=\"in\">x</a>\n</ul>\n<h1>T</h1><table><tr><td><h1>In</h1></td></tr></table>\n"
         "<applet code=a><form><frame src=f><h2>After</h2>",
         "t.html");
    EXPECT_EQ(dump(), "FILE t.html\nLIST list<t.html\nLABEL NAME=\"in\"<list\nLABEL x<list\n"
                      "HEADER1 H1: T<t.html\nTABLE table<t.html\nHEADER1 H1: In<table\n"
                      "APPLET applet<t.html\nFORM form<t.html\nFRAME frame<t.html\nHEADER2 H2: After<H1: T\n");
}

TEST_F(MarkupScan, HtmlMarkupInsideCommentsScriptsAndStylesIsNotTagged)
{
    std::string longname(200, 'w');
    scan(tvt_html_scan,
         "<!-- <h1>Hidden</h1> -->\n<script>if (a<b && c>d) document.write(\"<h1>No</h1>\");</script>\n"
         "<style>p > a { }</style>\n<p>1 < 2</p>\n<a name=x1 href='y'>unclosed\n<h2>Seen</h2>\n"
         "<h1><a name=\"sec\"></a>Title<a href=\"#sec\">#</a></h1>\n"
         "<a name=\"long\">" + longname + "</a>",
         "t.html");
    EXPECT_EQ(dump(), "FILE t.html\nFRAME script<t.html\nLABEL NAME=\"x1\"<t.html\nLABEL unclosed<t.html\n"
                      "HEADER2 H2: Seen\nLABEL NAME=\"sec\"<t.html\nLABEL HREF=\"#sec\"<t.html\n"
                      "HEADER1 H1: Title#<t.html\nLABEL NAME=\"long\"<t.html\nLABEL " +
                          std::string(127, 'w') + "<t.html\n");
}

TEST_F(MarkupScan, HtmlTagsThatEndAnAnchorTextAreStillHandled)
{
    scan(tvt_html_scan,
         "<a name=u>open text<ul><li><a href=z>in</a></li></ul><script src=\"s.js\"/>"
         "<h1>Kept</h1><a>t</h2>after</a><h2>Under</h2>",
         "t.html");
    EXPECT_EQ(dump(), "FILE t.html\nLABEL NAME=\"u\"<t.html\nLABEL open text<t.html\nLIST list<t.html\n"
                      "LABEL HREF=\"z\"<list\nLABEL in<list\nFRAME script<t.html\nHEADER1 H1: Kept<t.html\n"
                      "LABEL t<t.html\nHEADER2 H2: Under<H1: Kept\n");
}

TEST_F(MarkupScan, HtmlHugeSingleLineDocumentKeepsTextsWithinBounds)
{
    std::string unit = "<h1>" + std::string(1000, 't') + "</h1><a href=\"" + std::string(600, 'h') +
                       "\">x</a><ul><table>";
    std::string doc;
    for (int i = 0; i < 2000; i++)
        doc += unit;
    doc += "<!-- " + std::string(50000, '<') + "<script>" + std::string(100000, '<') + "<a href=\"open";
    ASSERT_GT(doc.size(), 3000000u);
    const auto &tags = scan(tvt_html_scan, doc, "t.html");
    ASSERT_EQ(tags.size(), 1u + 2000 * 5);
    for (size_t i = 1; i < tags.size(); i += 5) {
        EXPECT_EQ(tags[i].name, "H1: " + std::string(127, 't'));
        EXPECT_EQ(tags[i + 1].name.size(), 255u);
        EXPECT_EQ(tags[i + 2].name, "x");
        EXPECT_EQ(tags[i + 3].name, "list");
        EXPECT_EQ(tags[i].line, 1);
    }
    // Lists never closed nest only so deep.
    EXPECT_EQ(tags.back().name, "table");
}

TEST_F(MarkupScan, MivaFunctionsByTheirNameAttribute)
{
    scan(tvt_miva_scan,
         "<MvFUNCTION NAME=\"Calc\" PARAMETERS=\"a\">\n<h1>Not a header</h1>\n"
         "<mvfunction parameters=\"x\" name = \" Spaced\">\n<MvFunction>",
         "t.mv");
    EXPECT_EQ(dump(true), "FILE t.mv@1\nFUNCTION Calc<t.mv@1\nFUNCTION Spaced<t.mv@3\n");
}

} // namespace
