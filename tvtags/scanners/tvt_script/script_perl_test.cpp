// The Perl scanner: which lines define subs and packages, their qualified
// names, and what is not code.
#include "script_testutil.h"

namespace {

TEST_F(ScriptScan, PerlSubsAndPrototypes)
{
    EXPECT_EQ(scan(tvt_perl_scan, "sub name;\nsub body {\n}\nsub f { return 1; }\n"
                                  "  sub indented\n{\n}\nsub with_proto($$) : lvalue {\n"),
              "PROTOTYPE name\nPROCEDURE body\nPROCEDURE f\nPROCEDURE indented\n"
              "PROCEDURE with_proto\n");
    EXPECT_EQ(find("indented")->line, 5);
    EXPECT_EQ(find("indented")->start_column, 6);
}

TEST_F(ScriptScan, PerlWordRules)
{
    EXPECT_EQ(scan(tvt_perl_scan, "subroutine x;\nsub_x;\nsub {\n# sub commented\nmy $s = sub {\n"
                                  "BEGIN {\n}\nEND\nENDING;\n"),
              "INTERFACE BEGIN\nINTERFACE END\n");
}

TEST_F(ScriptScan, PerlQualifiedNames)
{
    EXPECT_EQ(scan(tvt_perl_scan, "package Foo::Bar;\nsub Foo::Bar::baz {\nsub Outer'inner {\n"
                                  "package Block::Form 1.2 {\npackage ## hidden\n  Next::Line;\n"
                                  "package\n"),
              "PACKAGE Foo::Bar\nPROCEDURE Foo::Bar::baz\nPROCEDURE Outer::inner\n"
              "PACKAGE Block::Form\nPACKAGE Next::Line\n");
}

TEST_F(ScriptScan, PerlDocumentationAndDataAreNotCode)
{
    EXPECT_EQ(scan(tvt_perl_scan, "sub one {}\n=head1 NAME\n\nsub in_pod {\n=cut\nsub two {}\n"
                                  "=pod\n=cut\n__END__\nsub after_end {}\n"),
              "PROCEDURE one\nPROCEDURE two\n");
}

} // namespace
