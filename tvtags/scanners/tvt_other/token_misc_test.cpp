// The CHILL, xBase and Yacc scanners.
#include "other_testutil.h"

namespace {

TEST_F(OtherScan, ChillModulesProceduresProcesses)
{
    EXPECT_EQ(scan("main: MODULE\n"
                   "  add: PROC (a, b INT) RETURNS (INT);\n    RESULT a + b;\n  END add;\n"
                   "  worker: PROCESS ();\n  END worker;\n"
                   "  x: loop_label;\n"
                   "END main;\n",
                   tvt_chill_scan),
              "MODULE main\nFUNCTION add\nPROCESS worker\n");
}

TEST_F(OtherScan, XbaseFunctionsAndProcedures)
{
    EXPECT_EQ(scan("STATIC FUNCTION Sum( a, b )\n  RETURN a + b\n"
                   "procedure Main\n  LOCAL x := 1\n"
                   "exit procedure\n"
                   "FUNCTION\n",
                   tvt_xbase_scan),
              "FUNCTION Sum\nPROCEDURE Main\n");
    EXPECT_EQ(find("Sum")->args, "(a, b)");
}

TEST_F(OtherScan, YaccRuleNames)
{
    EXPECT_EQ(scan("%{\n#include <stdio.h>\nint not_a_rule: 1;\n%}\n"
                   "%code requires {\n  struct pos { int line; };\n}\n"
                   "%token NUM\n"
                   "%%\n"
                   "expr : expr '+' term { if (x) { $$ = $1 + $3; } }\n"
                   "     | term\n"
                   "     ;\n"
                   "term : NUM { printf(\"}\"); }\n"
                   "     | '(' expr ')' %prec NUM\n"
                   "list : %empty | list item\n"
                   "item[it] : NUM\n"
                   "%%\n"
                   "int main(void) { label: return 0; }\n",
                   tvt_yacc_scan),
              "DEFINE expr\nDEFINE term\nDEFINE list\nDEFINE item\n");
    EXPECT_EQ(find("term")->line, 13);
}

TEST_F(OtherScan, YaccWithoutRulesTagsNothing)
{
    EXPECT_EQ(scan("%token A\nexpr : A ;\n", tvt_yacc_scan), "");
    EXPECT_EQ(scan("%%\nr : { unclosed", tvt_yacc_scan), "DEFINE r\n");
}

} // namespace
