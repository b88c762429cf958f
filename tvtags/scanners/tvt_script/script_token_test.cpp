// The smaller token scanners: Tcl, Lisp, Matlab, IDL, PV-Wave and SlickEdit
// macros.
#include "script_testutil.h"

namespace {

TEST_F(ScriptScan, TclProcedures)
{
    EXPECT_EQ(scan(tvt_tcl_scan, "proc simple {a b} {\n  set proc 1\n  puts $proc\n}\n"
                                 "# proc commented {} {}\n"
                                 "namespace eval ns {\n  proc ::ns::qualified args { }\n"
                                 "  proc tk.widget-name {} {}\n}\nproc"),
              "PROCEDURE simple\nPROCEDURE qualified\nPROCEDURE tk.widget-name\n");
    EXPECT_EQ(find("qualified")->line, 7);
}

TEST_F(ScriptScan, LispDefinitions)
{
    EXPECT_EQ(scan(tvt_lisp_scan,
                   "(defun my-fun (x) \"doc with (defun not-one)\" x)\n"
                   "(defconst my-const 1)\n(defvar *my-var* nil)\n"
                   "(defmacro (my-macro) ())\n(defsubst my-subst ())\n"
                   "(defstruct (my-struct (:copier nil)) a)\n"
                   "; (defun commented ())\n"
                   "(setq c ?\\\" d ?\\( e ?\")\n(defun after-chars ())\n"
                   "(cl-defun cl-fun ())\n(defcustom my-option t \"\")\n"
                   "(list 'defun not-a-def)\n(defun"),
              "FUNCTION my-fun\nCONST my-const\nDATA *my-var*\nMACRO my-macro\nMACRO my-subst\n"
              "STRUCT my-struct\nFUNCTION after-chars\nFUNCTION cl-fun\nDATA my-option\n");
    EXPECT_EQ(find("after-chars")->line, 9);
}

TEST_F(ScriptScan, MatlabFunctions)
{
    EXPECT_EQ(scan(tvt_matlab_scan, "function [a, b] = solve(x)\nend\nfunction y = solve2(x)\n"
                                    "function solve3(x)\n% function commented(x)\n"
                                    "# function octave_comment\nfunction retval = fourth\n"
                                    "function"),
              "FUNCTION solve\nFUNCTION solve2\nFUNCTION solve3\nFUNCTION fourth\n");
}

TEST_F(ScriptScan, IdlRoutinesOutsideBlocks)
{
    EXPECT_EQ(scan(tvt_idl_scan, "pro first, a\n  if a then begin\n    begin\n function hidden\n"
                                 "    end\n  endif\nend\n"
                                 "FUNCTION Second, x ; function in_comment\n"
                                 "  case x of\n  1: case y of\n  function hidden2\n endcase\n"
                                 " endcase\n  return, 1\nend\n"
                                 "pro shape::draw\nend\npro"),
              "PROCEDURE first\nFUNCTION Second\nPROCEDURE draw\n");
}

TEST_F(ScriptScan, IdlVerboseParsingLines)
{
    tvt_opt.debug = 1;
    testing::internal::CaptureStdout();
    scan(tvt_idl_scan, "pro p\n");
    fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    tvt_opt.debug = 0;
    EXPECT_NE(out.find("Parsing pro\n"), std::string::npos);
    EXPECT_NE(out.find("Parsing <symbol:p>\n"), std::string::npos);
}

TEST_F(ScriptScan, PvwaveRoutines)
{
    EXPECT_EQ(scan(tvt_pvwave_scan, "PRO first, a\nend\nfunction second, x\nprocedure third\n"
                                    "; pro commented\nx = 1\nfunction cut"),
              "PROCEDURE first\nFUNCTION second\nPROCEDURE third\n");
}

TEST_F(ScriptScan, SlickMacroDeclarations)
{
    EXPECT_EQ(scan(tvt_slick_scan,
                   "#include \"slick.sh\"\n"
                   "defeventtab my_keys;\n"
                   "def 'C-A' = top_of_buffer;\n"
                   "_command void my_command() name_info(',') { int inner; }\n"
                   "static typeless counter;\n"
                   "int add(int a, int b) { return a + b; }\n"
                   "struct point { int x; };\n"),
              "FILE slick.sh\nFUNCTION my_command\nDATA counter\nFUNCTION add\n"
              "STRUCT point\nMEMBER x<point\n");
}

} // namespace

namespace {

// The macro language borrows the C family's statement parser; what a file
// yields must not depend on which C-family language was scanned before it.
TEST_F(ScriptScan, SlickIsReadAsCWhateverCameBefore)
{
    const std::string macros = "struct s { int f(); };\n"
                               "int s::g(int a) { return a; }\n"
                               "template_like<int> h;\n"
                               "int k(a, b) int a; int b; { }\n";
    const std::string alone = scan(tvt_slick_scan, macros);
    EXPECT_NE(alone, "");
    struct before_t {
        int (*entry)(void);
        const char *path;
    } befores[] = {{tvt_cpp_scan, "t.cpp"}, {tvt_d_scan, "t.d"}, {tvt_objcpp_scan, "t.mm"}};
    for (const before_t &b : befores) {
        scan(b.entry, "namespace n { class c { int m(); }; }\n", b.path);
        EXPECT_EQ(scan(tvt_slick_scan, macros), alone) << "after " << b.path;
    }
}

} // namespace
