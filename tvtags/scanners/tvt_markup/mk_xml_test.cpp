// The XML scanner: elements and attributes under their parents, the parts
// of a document that hold no elements, and compiler-generated
// documentation files read from disk.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "mk_testutil.h"

namespace {

TEST_F(MarkupScan, XmlElementsNestUnderTheirParents)
{
    scan(tvt_xml_scan,
         "<?xml version=\"1.0\"?>\n<!DOCTYPE root [ <!ENTITY e \"<x>\"> ]>\n"
         "<root id=\"r\" xmlns:a=\"u\">\n  <!-- <hidden/> -->\n  <a:item key='k'/>\n"
         "  <![CDATA[ <notatag> ]]>\n  <group><leaf/>1<2 &amp; 3>2</group>\n</root>\n<after/>\n",
         "t.xml");
    EXPECT_EQ(dump(true), "ENTITY root@3\nATTRIBUTE id<root@3\nATTRIBUTE xmlns:a<root@3\n"
                          "ENTITY a:item<root@5\nATTRIBUTE key<a:item@5\nENTITY group<root@7\n"
                          "ENTITY leaf<group@7\nENTITY after@9\n");
}

TEST_F(MarkupScan, XmlDeepAndUnclosedDocumentsEnd)
{
    std::string deep;
    for (int i = 0; i < 20000; i++)
        deep += "<e a='1'>";
    deep += "<!-- never closed <x>";
    const auto &tags = scan(tvt_xml_scan, deep, "t.xml");
    ASSERT_EQ(tags.size(), 40000u);
    EXPECT_EQ(tags[2].parent, 0);
    EXPECT_EQ(tags[3].parent, 2);
    EXPECT_GE(tags.back().parent, 0);
    scan(tvt_xml_scan, "<a b=\"unclosed value>\n<c/>", "t.xml");
    EXPECT_EQ(dump(), "ENTITY a\nATTRIBUTE b<a\n");
}

TEST_F(MarkupScan, XmlDocumentationFileGivesMembersByKind)
{
    std::string dir = testing::TempDir() + "/" + testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(dir);
    std::string path = dir + "/Lib.xml";
    {
        std::ofstream f(path, std::ios::binary);
        f << "<?xml version=\"1.0\"?>\n<doc>\n    <assembly>\n        <name>Lib</name>\n    </assembly>\n"
             "    <members>\n        <member name=\"N:Ns\">\n            <summary>The namespace.</summary>\n"
             "        </member>\n        <member name=\"T:Ns.Type\">\n"
             "            <summary>A <see cref=\"T:Ns.Other\"/> type.</summary>\n        </member>\n"
             "        <member name=\"F:Ns.Type.count\">\n        </member>\n"
             "        <member name=\"M:Ns.Type.Run(System.Int32)\">\n"
             "            <param name=\"n\">How many.</param>\n        </member>\n"
             "        <member name=\"M:Ns.Type.#ctor\">\n        </member>\n"
             "        <member name=\"E:Ns.Type.Changed\">\n        </member>\n"
             "        <member name=\"P:Ns.Type.Size\">\n        </member>\n"
             "        <member name=\"!:Bad.Ref\">\n        </member>\n"
             "        <member name=\"M:\"/>\n    </members>\n</doc>\n";
    }
    mk_seen().clear();
    ASSERT_EQ(lex_open_file(path.c_str()), 0);
    EXPECT_EQ(tvt_xml_scan(), 0);
    lex_close_file();
    EXPECT_EQ(dump(true), "NAMESPACE Ns@7\nTYPEDEF Ns.Type@10\nFIELD Ns.Type.count@13\n"
                          "METHOD Ns.Type.Run(System.Int32)@15\nMETHOD Ns.Type.#ctor@18\n"
                          "EVENT Ns.Type.Changed@20\nPROPERTY Ns.Type.Size@22\nERROR Bad.Ref@24\n");
    std::filesystem::remove_all(dir);
}

TEST_F(MarkupScan, XmlDocumentationModeNeedsTheWholeOpening)
{
    scan(tvt_xml_scan, "<doc><assembly><title>T</title><member name=\"M:A.B\"/></assembly></doc>", "t.xml");
    EXPECT_EQ(dump(), "ENTITY title\nENTITY member\nATTRIBUTE name<member\n");
}

} // namespace
