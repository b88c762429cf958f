// The Verilog scanner on small designs: units, ports, nets, parameters,
// subprograms and types, with their parents, and that no construct makes
// it lose the units after it.
#include "hdl_testutil.h"

namespace {

TEST_F(HdlScan, VerilogPortsDeclaredInTheBody)
{
    EXPECT_EQ(verilog("module m(a, b); input a; output reg b; endmodule\n"),
              "MODULE m\nINPUT a<m\nOUTPUT b<m\n");
    EXPECT_EQ(args_of("m", TT_MODULE), "a, b");
    EXPECT_EQ(verilog("module m(q, r);\noutput logic [3:0] q, r;\nendmodule\n"),
              "MODULE m\nOUTPUT q<m\nREG q<m\nOUTPUT r<m\nREG r<m\n");
    EXPECT_EQ(find("r")->line, 2);
}

TEST_F(HdlScan, VerilogAnsiHeaderWithParameters)
{
    EXPECT_EQ(verilog("module p #(parameter W = 8, parameter int D = W * 2)\n"
                      "  (input wire clk, input [W-1:0] d, e,\n"
                      "   output logic [3:0] q = 4'b0, my_if.mp bus);\n"
                      "endmodule\nmodule after; endmodule\n"),
              "MODULE p\nCONST W<p\nCONST D<p\nINPUT clk<p\nINPUT d<p\nINPUT e<p\n"
              "OUTPUT q<p\nREG q<p\nIO bus<p\nMODULE after\n");
    EXPECT_EQ(find("e")->line, 2);
    // A header of bare names declares nothing yet.
    EXPECT_EQ(verilog("module n (a, b, c); endmodule\n"), "MODULE n\n");
}

TEST_F(HdlScan, VerilogBodyDeclarations)
{
    EXPECT_EQ(verilog("module m;\n wire x, y = 1'b0;\n tri1 t;\n reg [7:0] c = 0, d [0:3];\n"
                      " integer i; genvar g;\n logic z;\n localparam L = 3, M = f(1, 2);\n"
                      " parameter P = 1;\n defparam u.X = 2;\n"
                      " always_ff @(posedge clk) c <= int'(d) + $time;\nendmodule\n"),
              "MODULE m\nWIRE x<m\nWIRE y<m\nWIRE t<m\nREG c<m\nREG d<m\nREG i<m\nREG g<m\n"
              "DATA z<m\nCONST L<m\nCONST M<m\nCONST P<m\n");
}

TEST_F(HdlScan, VerilogVariablesOfUsersTypes)
{
    EXPECT_EQ(verilog("module m;\n wire w = a == b;\n level_t level;\n pkg::beat_t b1, b2 [4];\n"
                      " sub #(.W(4)) u1 (.a(x));\n sub u2 (x);\n return_t r = 0;\n"
                      " always_comb level = idle;\n initial begin\n  state = s0;\n  return x;\n end\n"
                      "endmodule\n"),
              "MODULE m\nWIRE w<m\nREG level<m\nREG b1<m\nREG b2<m\nREG r<m\n");
}

TEST_F(HdlScan, VerilogGenerateIfdefAndDefines)
{
    EXPECT_EQ(verilog("`define W 8\n`define M(a, b) \\\n  module fake;\n"
                      "`timescale 1ns/1ps\nmodule m;\n`ifdef FAST\n wire f;\n`else\n reg f;\n`endif\n"
                      " generate for (genvar i = 0; i < 2; i++) begin : g\n  wire gw;\n end endgenerate\n"
                      "endmodule\n"),
              "DEFINE W\nDEFINE M\nMODULE m\nWIRE f<m\nREG f<m\nREG i<m\nWIRE gw<m\n");
}

TEST_F(HdlScan, VerilogFunctionsAndTasks)
{
    EXPECT_EQ(verilog("module m;\n function automatic [7:0] f(input [7:0] v, int n);\n"
                      "  reg r; f = v;\n endfunction\n task t1; input a; begin end endtask\n"
                      " wire after;\nendmodule\n"),
              "MODULE m\nFUNCTION f<m\nINPUT v<f\nINPUT n<f\nREG r<f\nTASK t1<m\nINPUT a<t1\nWIRE after<m\n");
    // Heads without a body do not swallow what follows.
    EXPECT_EQ(verilog("class c;\n extern function void g();\n pure virtual task h();\n"
                      " int k;\nendclass\nmodule m; endmodule\n"),
              "CLASS c\nFUNCTION g<c\nTASK h<c\nREG k<c\nMODULE m\n");
    EXPECT_EQ(verilog("class mailbox #(type T);\n protected T m_queue[$];\n local int n;\nendclass\n"),
              "CLASS mailbox\nCONST T<mailbox\nREG m_queue<mailbox\nREG n<mailbox\n");
}

TEST_F(HdlScan, VerilogTypes)
{
    EXPECT_EQ(verilog("typedef enum {IDLE, RUN} state_t;\n"),
              "ENUM anon\nENUM_MEMBER IDLE<anon\nENUM_MEMBER RUN<anon\nENUM state_t<anon\n");
    EXPECT_EQ(verilog("typedef enum logic [1:0] {A = 2'd0, B[2]} ab_t;\n"
                      "typedef struct packed { logic [7:0] f1; bit f2, f3; } s_t;\n"
                      "typedef logic [7:0] byte_t;\ntypedef class fwd;\nmodule m; endmodule\n"),
              "ENUM anon\nENUM_MEMBER A<anon\nENUM_MEMBER B<anon\nENUM ab_t<anon\n"
              "STRUCT anon\nMEMBER f1<anon\nMEMBER f2<anon\nMEMBER f3<anon\nTYPEDEF s_t\n"
              "TYPEDEF byte_t\nMODULE m\n");
}

TEST_F(HdlScan, VerilogAnonymousNamesCountUp)
{
    verilog("typedef struct { int a; } x_t;\ntypedef union { int b; } y_t;\n");
    ASSERT_EQ(seen_tags().size(), 6u);
    int first = atoi(seen_tags()[0].name.c_str() + 5);
    EXPECT_EQ(seen_tags()[3].name, "anon#" + std::to_string(first + 1));
    EXPECT_EQ(seen_tags()[3].type, TT_UNION);
}

TEST_F(HdlScan, VerilogInterfacesPackagesAndLostEnds)
{
    EXPECT_EQ(verilog("interface bus_if (input clk);\n logic req;\n modport mp (input req, output ack);\n"
                      "endinterface : bus_if\npackage pk;\n parameter P = 1;\n"
                      " function int pf(); return 1; endfunction\nendpackage\n"
                      "module broken (input a);\nmodule next_one (output b); endmodule\n"),
              "INTERFACE bus_if\nINPUT clk<bus_if\nDATA req<bus_if\nPACKAGE pk\nCONST P<pk\n"
              "FUNCTION pf<pk\nMODULE broken\nINPUT a<broken\nMODULE next_one\nOUTPUT b<next_one\n");
}

TEST_F(HdlScan, VerilogSameTagsForSystemVerilogFiles)
{
    const std::string text = "module m #(parameter W = 4) (input logic [W-1:0] a);\n"
                             " always_comb begin end\nendmodule\n";
    std::string as_v = verilog(text);
    seen_tags().clear();
    src = text;
    lex_open_string(src.data(), int(src.size()), "t.sv");
    EXPECT_EQ(lang_run_scanner(LANG_SYSVERILOG), 0);
    EXPECT_EQ(dump(), as_v);
    EXPECT_EQ(as_v, "MODULE m\nCONST W<m\nINPUT a<m\nREG a<m\n");
}

TEST_F(HdlScan, VerilogPrimitivesConfigsAndComments)
{
    EXPECT_EQ(verilog("// module hidden; endmodule\n/* wire x; */\n"
                      "primitive mux (out, a, b, s);\n output out; input a, b, s;\n"
                      " table\n  0 ? 0 : 0;\n  1 ? 0 : 1;\n endtable\nendprimitive\n"
                      "config cfg;\n design lib.top;\nendconfig\nmodule top; endmodule\n"),
              "MODULE mux\nOUTPUT out<mux\nINPUT a<mux\nINPUT b<mux\nINPUT s<mux\n"
              "CONFIGURATION cfg\nMODULE top\n");
    EXPECT_EQ(args_of("mux", TT_MODULE), "out, a, b, s");
}

TEST_F(HdlScan, VerilogHeadsWithoutBodies)
{
    // DPI imports, prototypes and covergroup sampling functions have no
    // endfunction; the declarations after them keep their parent.
    EXPECT_EQ(verilog("module m;\n import \"DPI-C\" function int c_add(input int a, input int b);\n"
                      " import pkg::*;\n covergroup cg with function sample(int v);\n"
                      "  coverpoint v;\n endgroup\n wire after;\nendmodule\n"),
              "MODULE m\nFUNCTION sample<m\nIO v<sample\nWIRE after<m\n");
}

TEST_F(HdlScan, VerilogLostEndWordsKeepLaterUnits)
{
    // A function without its endfunction ends at the end of its module;
    // a module without endmodule ends where the next one starts.
    EXPECT_EQ(verilog("module a;\n function f;\n  input x;\nendmodule\n"
                      "module b;\n wire w;\n"
                      "module c;\n task t;\nendmodule\nmodule d; endmodule\n"),
              "MODULE a\nFUNCTION f<a\nINPUT x<f\nMODULE b\nWIRE w<b\nMODULE c\nTASK t<c\nMODULE d\n");
}

TEST_F(HdlScan, VerilogAggregatesOutsideTypedefs)
{
    EXPECT_EQ(verilog("module m;\n struct { int a; struct packed { bit x; } inner; } s1;\n"
                      " union packed { logic [7:0] b; byte c; } u1;\n enum bit {OFF, ON} sw;\nendmodule\n"),
              "MODULE m\nSTRUCT anon<m\nMEMBER a<anon\nSTRUCT anon<anon\nMEMBER x<anon\nSTRUCT inner<anon\n"
              "STRUCT s1<m\nUNION anon<m\nMEMBER b<anon\nMEMBER c<anon\nUNION u1<m\n"
              "ENUM anon<m\nENUM_MEMBER OFF<anon\nENUM_MEMBER ON<anon\nENUM sw<anon\n");
}

TEST_F(HdlScan, VerilogLinesAndPropertyDeclarations)
{
    EXPECT_EQ(verilog("module m(input clk);\n property p_req;\n  @(posedge clk) req |-> ack;\n"
                      " endproperty\n assert property (@(posedge clk) req);\n\n"
                      " task automatic pkg_t::run(input int n);\n endtask\nendmodule\n"),
              "MODULE m\nINPUT clk<m\nTASK run<m\nINPUT n<run\n");
    EXPECT_EQ(find("run")->line, 7);
    EXPECT_EQ(find("n")->line, 7);
    EXPECT_EQ(find("m")->line, 1);
}

TEST_F(HdlScan, VerilogCrossReferencesOnlyUses)
{
    const char *text = "module m(input a);\n wire w;\n assign w = a & b;\n sub u (.p(w));\nendmodule\n";
    EXPECT_EQ(verilog(text), "MODULE m\nINPUT a<m\nWIRE w<m\n");
    tvt_opt.xref = 1;
    EXPECT_EQ(verilog(text), "MODULE m\nINPUT a<m\nWIRE w<m\nXREF w\nXREF a\nXREF b\nXREF sub\n"
                             "XREF u\nXREF p\nXREF w\n");
    EXPECT_EQ(seen_tags()[5].line, 3);
}

TEST_F(HdlScan, VerilogTruncatedInputEndsTheScan)
{
    const std::string text = "module m #(parameter W = (8) (input [3:0 a, output { b;\n"
                             "typedef struct { int x; function f(; task";
    for (size_t n = 0; n <= text.size(); n++) {
        scan(text.substr(0, n), tvt_verilog_scan);
        for (const seen_tag_t &t : seen_tags())
            EXPECT_FALSE(t.name.empty());
    }
}

} // namespace
