// The VHDL scanner on small designs: design units, declarations,
// subprograms and labelled processes, with their parents.
#include "hdl_testutil.h"

namespace {

TEST_F(HdlScan, VhdlArchitectureIsNamedByItsEntity)
{
    EXPECT_EQ(vhdl("entity counter is\n port (clk : in bit);\nend entity;\n"
                   "architecture rtl of counter is\n constant K, L : integer := 16#FF#;\n"
                   " type st is (IDLE, RUN);\n component sub is port (a : in bit); end component;\n"
                   "begin\nend architecture rtl;\nentity later is end;\n"),
              "ENTITY counter\nARCHITECTURE counter\nCONST K<counter\nCONST L<counter\n"
              "TYPEDEF st<counter\nCOMPONENT sub<counter\nENTITY later\n");
}

TEST_F(HdlScan, VhdlProcessesAndInstances)
{
    EXPECT_EQ(vhdl("architecture a of e is\nbegin\n"
                   " p1: process (clk, rst) begin\n  if c = '(' then s <= '1'; end if;\n end process;\n"
                   " p2 : postponed process (all) begin end process p2;\n"
                   " process (clk) begin end process;\n"
                   " u1: sub port map (a => s);\n u2: entity work.other port map (a => s);\n"
                   " g: for i in 0 to 3 generate end generate;\nend architecture;\n"
                   "package after is end;\n"),
              "ARCHITECTURE e\nPROCESS p1<e\nPROCESS p2<e\nPACKAGE after\n");
    EXPECT_EQ(args_of("p1", TT_PROCESS), "(clk, rst)");
    EXPECT_EQ(args_of("p2", TT_PROCESS), "(all)");
    EXPECT_EQ(find("p2")->line, 6);
}

TEST_F(HdlScan, VhdlPackagesAndSubprograms)
{
    EXPECT_EQ(vhdl("library ieee; use ieee.std_logic_1164.all;\npackage pkg is\n"
                   " subtype std_logic is std_ulogic;\n type rec_t is record a, b : bit; c : integer; end record;\n"
                   " function f(x : integer) return integer;\n procedure reset(x : in bit);\n"
                   " function \"+\"(a, b : rec_t) return rec_t;\nend package;\n"
                   "package body pkg is\n function f(x : integer) return integer is\n begin return x; end;\n"
                   "end package body;\n"),
              "PACKAGE pkg\nTYPEDEF std_logic<pkg\nTYPEDEF rec_t<pkg\nMEMBER a<rec_t\nMEMBER b<rec_t\n"
              "MEMBER c<rec_t\nFUNCTION f<pkg\nFUNCTION reset<pkg\nFUNCTION +<pkg\nPACKAGE pkg\nFUNCTION f<pkg\n");
    EXPECT_EQ(args_of("reset", TT_FUNCTION), "(x: in bit)");
}

TEST_F(HdlScan, VhdlConfigurationsAndCase)
{
    EXPECT_EQ(vhdl("CONFIGURATION cfg OF top IS FOR rtl END FOR; END;\nENTITY Big IS END Big;\n"),
              "CONFIGURATION cfg\nENTITY Big\n");
}

TEST_F(HdlScan, VhdlKeywordsInAnyCaseAndLiterals)
{
    // Character literals that look like brackets or quotes, based literals
    // and comments leave the declarations after them on the same line.
    EXPECT_EQ(vhdl("ARCHITECTURE Rtl OF Top IS\n -- constant hidden : bit;\n"
                   " CONSTANT Q : character := '\"'; CONSTANT P : character := '(';\n"
                   " constant H : integer := 16#FF#; Type T is range 0 to 2#1010#;\n"
                   "BEGIN\n  x <= y'length; z <= t'('0');\nEND Rtl;\n"),
              "ARCHITECTURE Top\nCONST Q<Top\nCONST P<Top\nCONST H<Top\nTYPEDEF T<Top\n");
}

TEST_F(HdlScan, VhdlUnitsSetTheParent)
{
    // A package is the parent until the next design unit; an architecture
    // until its end names it.
    EXPECT_EQ(vhdl("package p is constant A : bit := '0'; end package p;\n"
                   "entity e is end e;\nconstant B : bit := '1';\n"
                   "architecture x of e is begin end x;\nconstant C : bit := '1';\n"
                   "configuration cf of e is for x end for; end cf;\n"
                   "procedure q return bit;\n"),
              "PACKAGE p\nCONST A<p\nENTITY e\nCONST B\nARCHITECTURE e\nCONST C\nCONFIGURATION cf\n"
              "FUNCTION q\n");
    EXPECT_EQ(args_of("q", TT_FUNCTION), "return");
    // A name at the very end has no argument text at all.
    EXPECT_EQ(vhdl("function tail"), "FUNCTION tail\n");
    EXPECT_EQ(args_of("tail", TT_FUNCTION), "");
}

TEST_F(HdlScan, VhdlComponentsSkipTheirPorts)
{
    EXPECT_EQ(vhdl("architecture a of e is\n component c1\n  generic (N : natural);\n"
                   "  port (x : in bit; y : out bit);\n end component;\n"
                   " component c2 is end component c2;\n constant K : natural := 1;\n"
                   "begin\n i1 : c1 generic map (N => 2) port map (x => s, y => open);\n"
                   " i2 : component c2;\nend architecture;\n"),
              "ARCHITECTURE e\nCOMPONENT c1<e\nCOMPONENT c2<e\nCONST K<e\n");
}

TEST_F(HdlScan, VhdlCrossReferencesWhenAsked)
{
    const char *text = "architecture a of e is begin\n u1: sub port map (x => s);\n"
                       " u2: entity work.other;\nend a;\n";
    EXPECT_EQ(vhdl(text), "ARCHITECTURE e\n");
    tvt_opt.xref = 1;
    EXPECT_EQ(vhdl(text), "ARCHITECTURE e\nXREF sub\nXREF x\nXREF s\nXREF work\nXREF other\nXREF a\n");
    EXPECT_EQ(find("other")->line, 3);
}

TEST_F(HdlScan, VhdlTraceShowsEveryTokenWhenDebugging)
{
    tvt_opt.debug = 1;
    testing::internal::CaptureStdout();
    vhdl("entity e is end;\n");
    std::string out = testing::internal::GetCapturedStdout();
    tvt_opt.debug = 0;
    size_t n = 0;
    for (size_t at = out.find("Parsing "); at != std::string::npos; at = out.find("Parsing ", at + 1))
        n++;
    EXPECT_EQ(n, 5u) << out;   // entity, e, is, end, ';'
    EXPECT_NE(out.find("Parsing ;\n"), std::string::npos) << out;
}

TEST_F(HdlScan, VhdlTruncatedInputEndsTheScan)
{
    const std::string text = "architecture a of e is begin p: process (clk begin end; "
                             "function \"and\" (a : bit; type t is record x : bit";
    for (size_t n = 0; n <= text.size(); n++) {
        scan(text.substr(0, n), tvt_vhdl_scan);
        for (const seen_tag_t &t : seen_tags())
            EXPECT_FALSE(t.name.empty());
    }
}

} // namespace
