// The Python and Ruby scanner: names, argument texts, imports, and parents
// decided by indentation across strings, continuations and nesting.
#include "script_testutil.h"

namespace {

TEST_F(ScriptScan, PythonClassesAndDefsWithArguments)
{
    EXPECT_EQ(scan(tvt_python_scan, "class A(B):\n    def f(x, (y, z)):\n        pass\n"
                                    "class Plain:\n    pass\nclass Spaced :\n"),
              "CLASS A\nMETHOD f<A\nCLASS Plain\nCLASS Spaced\n");
    EXPECT_EQ(find("A")->args, "(B)");
    EXPECT_EQ(find("f")->args, "(x, (y, z))");
    EXPECT_EQ(find("f")->line, 2);
    EXPECT_EQ(find("f")->start_column, 8);
    EXPECT_EQ(find("f")->line_text, "    def f(x, (y, z)):");
    EXPECT_EQ(find("Plain")->args, "");
}

TEST_F(ScriptScan, PythonWordsThatAreNotDefinitions)
{
    EXPECT_EQ(scan(tvt_python_scan, "classes = []\ndefault = 1\n# def commented():\n"
                                    "definition(x)\n  \n\n"),
              "");
}

TEST_F(ScriptScan, PythonLambdaAssignments)
{
    EXPECT_EQ(scan(tvt_python_scan, "key = lambda x: x[0]\nclass A:\n    get = lambda self: 1\n"
                                    "f = lambdas\ng == lambda: 0\nh = g(lambda: 0)\n1x = lambda: 0\n"),
              "METHOD key\nCLASS A\nMETHOD get<A\n");
}

TEST_F(ScriptScan, PythonImports)
{
    EXPECT_EQ(scan(tvt_python_scan, "import os, sys\nfrom os import path\nimport a.b as c, d\n"
                                    "from . import x  # comment\n"),
              "IMPORT os\nIMPORT sys\nIMPORT os\nIMPORT a.b\nIMPORT d\nIMPORT .\n");
}

TEST_F(ScriptScan, PythonParentsFollowIndentation)
{
    EXPECT_EQ(scan(tvt_python_scan,
                   "class Outer:\n"
                   "    def m(self):\n"
                   "        def helper():\n"
                   "            pass\n"
                   "    class Inner(Base):\n"
                   "        def im(self): return 1\n"
                   "    @property\n"
                   "    async def am(self):\n"
                   "        pass\n"
                   "x = 1\n"
                   "def free():\n"
                   "    pass\n"
                   "if X:\n"
                   "    def guarded(): pass\n"
                   "class Again: pass\n"
                   "def after(): pass\n"),
              "CLASS Outer\nMETHOD m<Outer\nMETHOD helper<m\nCLASS Inner<Outer\nMETHOD im<Inner\n"
              "METHOD am<Outer\nMETHOD free\nMETHOD guarded\nCLASS Again\n"
              "METHOD after\n");
    // A tab reaches the next multiple of eight columns.
    EXPECT_EQ(scan(tvt_python_scan, "class T:\n\tdef a(self):\n\t\tpass\n        def b(self): pass\n"
                                    "    def c(self): pass\n"),
              "CLASS T\nMETHOD a<T\nMETHOD b<T\nMETHOD c<T\n");
}

TEST_F(ScriptScan, PythonStringsAndContinuationsAreNotStatements)
{
    // The text at the left margin inside a docstring, a bracketed argument
    // list and a backslash continuation must not close the class.
    EXPECT_EQ(scan(tvt_python_scan,
                   "class A:\n"
                   "    \"\"\"Doc\n"
                   "class NotOne:\n"
                   "def not_one():\n"
                   "\"\"\"\n"
                   "    x = f(1,\n"
                   "def not_two(): ')'\n"
                   ")\n"
                   "    y = 1 + \\\n"
                   "0\n"
                   "    s = '''a''' + \"def # (\"\n"
                   "    def m(self): pass\n"),
              "CLASS A\nMETHOD m<A\n");
}

TEST_F(ScriptScan, RubyModulesClassesAndMethods)
{
    EXPECT_EQ(scan(tvt_ruby_scan,
                   "module Outer::Space\n"
                   "  class Thing < Base\n"
                   "    def self.build(x)\n"
                   "    end\n"
                   "    def empty?; end\n"
                   "    def name=(v)\n"
                   "    end\n"
                   "    def <=>(other)\n"
                   "    end\n"
                   "    private def hidden_too(x) = x\n"
                   "    def Thing::by_path; end\n"
                   "    class Nested::Deep; end\n"
                   "    class << self\n"
                   "      def hidden; end\n"
                   "    end\n"
                   "  end\n"
                   "end\n"
                   "def top_level\nend\n",
                   "t.rb"),
              "MODULE Space\nCLASS Thing<Space\nMETHOD build<Thing\n"
              "METHOD empty?<Thing\nMETHOD name=<Thing\nMETHOD <=><Thing\nMETHOD hidden_too<Thing\n"
              "METHOD by_path<Thing\nCLASS Deep<Thing\nMETHOD hidden<Thing\n"
              "METHOD top_level\n");
}

TEST_F(ScriptScan, RubyDocumentsAndHereDocsAreNotCode)
{
    EXPECT_EQ(scan(tvt_ruby_scan,
                   "class A\n"
                   "  X = <<~EOS\n"
                   "def not_a_method\n"
                   "  EOS\n"
                   "=begin\n"
                   "def not_either\n"
                   "=end\n"
                   "  def real\n"
                   "  end\n"
                   "end\n"
                   "__END__\n"
                   "def data_section\n",
                   "t.rb"),
              "CLASS A\nMETHOD real<A\n");
}

TEST_F(ScriptScan, LongLinesAndUnterminatedTextEndTheScan)
{
    std::string long_line = "def " + std::string(5000, 'n') + "(x):\n";
    EXPECT_EQ(scan(tvt_python_scan, long_line + "class B:\n    def m(self): pass"),
              "METHOD " + std::string(255, 'n') + "\nCLASS B\nMETHOD m<B\n");
    EXPECT_EQ(scan(tvt_python_scan, "class A:\n    '''never closed\ndef f(): pass\n"), "CLASS A\n");
    EXPECT_EQ(scan(tvt_python_scan, "def f(a, (b"), "METHOD f\n");
    EXPECT_EQ(find("f")->args, "(a, (b");
    // Zero bytes inside a line are stray characters, not its end.
    static const char nul[] = "import os,\0\0 sys\nclass A\0B: pass\n";
    EXPECT_EQ(scan(tvt_python_scan, std::string(nul, sizeof nul - 1)),
              "IMPORT os\nIMPORT sys\nCLASS A\n");
    EXPECT_EQ(scan(tvt_python_scan, "def f(a, (b"), "METHOD f\n");
    EXPECT_EQ(find("f")->args, "(a, (b");
}

} // namespace
