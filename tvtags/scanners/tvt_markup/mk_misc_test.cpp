// The smaller markup scanners: DTD modules, TeX, BibTeX styles, TIP info
// files, INI and text files.
#include "mk_testutil.h"

namespace {

TEST_F(MarkupScan, DtdDeclarationsAndWhatHidesThem)
{
    scan(tvt_dtd_scan,
         "<!-- <!ELEMENT hidden - - (a)> -->\n<!ENTITY % para.content \"(#PCDATA|%inline;)*\">\n"
         "<!ENTITY nbsp \"&#160;\" -- no-break <space> -->\n<!ELEMENT %para.qname; %para.content;>\n"
         "<!ELEMENT (SUB|SUP) - - (%text;)*>\n<!ATTLIST para id ID #IMPLIED>\n<![ %html.strict; [\n"
         "<!ELEMENT strict-only EMPTY>\n]]>\n<!ENTITY quote '>'>\n<!element lower EMPTY>\n"
         "<!NOTATION gif SYSTEM \"gif\">\n<!ELEMENT>\n<!ENTITY unended \"",
         "t.dtd");
    EXPECT_EQ(dump(true), "ENTITY para.content@2\nENTITY nbsp@3\nELEMENT para.qname@4\nELEMENT SUB@5\n"
                          "ELEMENT SUP@5\nATTRIBUTE para@6\nELEMENT strict-only@8\nENTITY quote@10\n"
                          "ELEMENT lower@11\nENTITY unended@14\n");
}

TEST_F(MarkupScan, TexLabelsAndBibtexEntries)
{
    scan(tvt_tex_scan,
         "\\section{Intro}\\label{sec:intro}\n% \\label{commented}\n"
         "Text \\ref{sec:intro}, 50\\% and \\label {spaced} \\labelx{no}\n\\label{a{b}c}\n"
         "@article{key84, title={T}}\n@comment{nothing}\n@Book{Knuth:1984,\n  author = {D. Knuth}}\n"
         "@misc{\n  multi, x}\n@INPROCEEDINGS {last}\n\\label{open",
         "t.tex");
    EXPECT_EQ(dump(true), "LABEL sec:intro@1\nLABEL spaced@3\nLABEL a{b}c@4\nBIBLIOGRAPHY key84@5\n"
                          "BIBLIOGRAPHY Knuth:1984@7\nBIBLIOGRAPHY last@11\nLABEL open@12\n");
}

TEST_F(MarkupScan, BibtexStyleFunctionsAndVariables)
{
    scan(tvt_bibstyle_scan,
         "ENTRY { address author } {} { label }\nINTEGERS { output.state before.all }\n"
         "STRINGS { s t }\nMACRO {jan} {\"January\"}\n% FUNCTION {commented}\n"
         "FUNCTION {output.nonnull}\n{ 's := }\nFUNCTION\n",
         "t.bts");
    EXPECT_EQ(dump(true), "DATA output.state@2\nDATA before.all@2\nDATA s@3\nDATA t@3\nDATA jan@4\n"
                          "FUNCTION output.nonnull@6\n");
}

TEST_F(MarkupScan, TipDeclarationsAttributeListsAndFunctions)
{
    scan(tvt_tip_scan,
         "attribute_list common { id name }\nelement book {\n  attribute title, \"isbn\", *common;\n"
         "  entity chapter;\n}\nelement para, note;\nattribute *missing;\n"
         "function handlers {\n  \"open\" file mode;\n  entry close now;\n  entity inner;\n}\n",
         "t.tip");
    EXPECT_EQ(dump(true), "ELEMENT book@2\nATTRIBUTE title<book@3\nATTRIBUTE isbn<book@3\n"
                          "ATTRIBUTE id<book@1\nATTRIBUTE name<book@1\nENTITY chapter<book@4\n"
                          "ELEMENT para@6\nELEMENT note@6\nFUNCTION open@9\nFUNCTION close@10\n"
                          "ENTITY inner@11\n");
    EXPECT_EQ(find("open")->args, "file mode");
    EXPECT_EQ(find("close")->args, "now");
    EXPECT_NE(messages().find("t.tip:7: tags:tip: Cannot locate attribute list missing"), std::string::npos)
        << messages();
}

TEST_F(MarkupScan, IniSectionsStartALine)
{
    std::string longline = "key=" + std::string(LEX_LINE_SIZE - 5, 'v') + "[notsection]\n";
    scan(tvt_ini_scan, "[Paths]\nx=1\n  [x\n; [comment]\n[]\n" + longline + "\t[last]  \r\n", "t.ini");
    EXPECT_EQ(dump(true), "SECTION Paths@1\nSECTION x@3\nSECTION last@7\n");
}

TEST_F(MarkupScan, TextWordsOfTwoCharactersOrOneLetter)
{
    scan(tvt_text_scan, "see chapter 3.\nx = a1 b\n'quoted' \xC3\x9C" "ber\n" + std::string(300, 'z'), "t.log");
    EXPECT_EQ(dump(true), "FUNCTION see@1\nFUNCTION chapter@1\nFUNCTION x@2\nFUNCTION a1@2\nFUNCTION b@2\n"
                          "FUNCTION quoted@3\nFUNCTION \xC3\x9C" "ber@3\nFUNCTION " + std::string(255, 'z') + "@4\n");
}

} // namespace
