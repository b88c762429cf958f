// The Java scanner on small sources: what it tags, with which type, parent
// and texts, and that the constructs of today's Java never make it lose
// the declarations after them.
#include "scanners/tvt_cpp/cpp_testutil.h"

#include <random>

namespace {

using JavaScan = CppScan;


TEST_F(JavaScan, PackageClassAndMembers)
{
    scan("package a.b; public class C extends D implements E, F { int x; void m() {} }\n", tvt_java_scan);
    EXPECT_EQ(dump(), "PACKAGE a.b\nCLASS C<a.b\nMEMBER x<C\nMETHOD m<C\n");
    const seen_tag_t *c = find("C");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->inherit, (std::vector<std::string>{"D", "E", "F"}));
    EXPECT_EQ(find("x")->type_text, "int");
    EXPECT_EQ(find("m")->args, "()");
    EXPECT_EQ(find("m")->type_text, "void");
}

TEST_F(JavaScan, Imports)
{
    scan("import java.util.List;\nimport java.util.*;\nimport static java.lang.Math.max;\nclass K {}\n",
         tvt_java_scan);
    EXPECT_EQ(dump(), "IMPORT java.util.List\nIMPORT java.lang.Math.max\nCLASS K\n");
    EXPECT_EQ(find("java.lang.Math.max")->line, 3);
}

TEST_F(JavaScan, FieldsMethodsAndConstructors)
{
    scan("class A {\n"
         "  private static final int X = 1, Y = f(2, 3);\n"
         "  int[] arr = {1, 2}, other;\n"
         "  String names[];\n"
         "  Map<String, List<Integer>> m = new HashMap<String, List<Integer>>(), n;\n"
         "  A(int a) { super(a); }\n"
         "  public <T extends Comparable<T>> T max(List<? extends T> l) throws IOException, E { return null; }\n"
         "  abstract void abs(int a);\n"
         "  static { init(); }\n"
         "  { block(); }\n"
         "  native long nat();\n"
         "}\n",
         tvt_java_scan);
    EXPECT_EQ(dump(), "CLASS A\nMEMBER X<A\nMEMBER Y<A\nMEMBER arr<A\nMEMBER other<A\nMEMBER names<A\n"
                      "MEMBER m<A\nMEMBER n<A\nMETHOD A<A\nMETHOD max<A\nMETHOD abs<A\nMETHOD nat<A\n");
    EXPECT_EQ(find("A")->type, TT_CLASS);
    EXPECT_EQ(seen_tags()[8].args, "(int a)");
    EXPECT_EQ(find("max")->line, 7);
    EXPECT_EQ(find("other")->type_text, "int[]");
    EXPECT_EQ(find("m")->type_text, "Map<String, List<Integer>>");
    EXPECT_EQ(find("max")->type_text, "<T extends Comparable<T>> T");
}

TEST_F(JavaScan, EnumsWithConstantsBodiesAndMembers)
{
    scan("enum Color implements Named {\n"
         "  @Deprecated RED,\n"
         "  GREEN(\"g\") { @Override void over() {} },\n"
         "  BLUE;\n"
         "  private final int code;\n"
         "  Color() { this(0); }\n"
         "  int code() { return code; }\n"
         "}\n"
         "enum Empty { ; int e; }\n"
         "enum Trailing { A, B, }\n"
         "class After {}\n",
         tvt_java_scan);
    EXPECT_EQ(dump(), "ENUM Color\nENUM_MEMBER RED<Color\nENUM_MEMBER GREEN<Color\nENUM_MEMBER BLUE<Color\n"
                      "MEMBER code<Color\nMETHOD Color<Color\nMETHOD code<Color\n"
                      "ENUM Empty\nMEMBER e<Empty\nENUM Trailing\nENUM_MEMBER A<Trailing\n"
                      "ENUM_MEMBER B<Trailing\nCLASS After\n");
    EXPECT_EQ(find("GREEN")->line, 3);
}

TEST_F(JavaScan, RecordsAndTheirComponents)
{
    scan("public record Point(int x, @NonNull List<String> ys) implements Shape {\n"
         "  Point { check(x); }\n"
         "  static int count;\n"
         "  int sum() { return x; }\n"
         "}\n"
         "record Pair<A, B>(A first, B second) {}\n"
         "class Uses { record Inner(int v) {} Object record; int after; }\n",
         tvt_java_scan);
    EXPECT_EQ(dump(), "CLASS Point\nMEMBER x<Point\nMEMBER ys<Point\nMETHOD Point<Point\nMEMBER count<Point\n"
                      "METHOD sum<Point\nCLASS Pair\nMEMBER first<Pair\nMEMBER second<Pair\n"
                      "CLASS Uses\nCLASS Inner<Uses\nMEMBER v<Inner\nMEMBER record<Uses\nMEMBER after<Uses\n");
    EXPECT_EQ(find("Point")->inherit, (std::vector<std::string>{"Shape"}));
    EXPECT_EQ(find("ys")->line, 1);
}

TEST_F(JavaScan, AnnotationsAndAnnotationTypes)
{
    scan("@SuppressWarnings(\"x\")\n@Target({ElementType.TYPE, ElementType.METHOD})\n"
         "public @interface Ann {\n"
         "  String value() default \"a\";\n"
         "  int[] n() default {1, 2};\n"
         "  Class<?> k() default Object.class;\n"
         "}\n"
         "class B {\n"
         "  @SuppressWarnings(\"unchecked\") int y;\n"
         "  @Override @Nullable public String toString() { return \"\"; }\n"
         "  void p(@Named(\"q\") final int q) {}\n"
         "}\n",
         tvt_java_scan);
    EXPECT_EQ(dump(), "INTERFACE Ann\nMETHOD value<Ann\nMETHOD n<Ann\nMETHOD k<Ann\n"
                      "CLASS B\nMEMBER y<B\nMETHOD toString<B\nMETHOD p<B\n");
}

TEST_F(JavaScan, NestedAnonymousClassesLambdasAndSwitchExpressions)
{
    scan("class Outer {\n"
         "  static class Nested<T> { T t; }\n"
         "  interface I { default void d() {} static void s() {} int K = 3; }\n"
         "  Runnable r = new Runnable() { public void run() { int q; } };\n"
         "  Function<Integer, Integer> f = x -> { return x + 1; };\n"
         "  int v = switch (k) { case 1 -> 2; default -> { yield 3; } };\n"
         "  void body() { var list = new ArrayList<String>(); list.forEach(s -> { if (s) {} });\n"
         "    class Local { void lm() {} } }\n"
         "  int last;\n"
         "}\n",
         tvt_java_scan);
    EXPECT_EQ(dump(), "CLASS Outer\nCLASS Nested<Outer\nMEMBER t<Nested\nINTERFACE I<Outer\nMETHOD d<I\n"
                      "METHOD s<I\nMEMBER K<I\nMEMBER r<Outer\nMEMBER f<Outer\nMEMBER v<Outer\n"
                      "METHOD body<Outer\nMEMBER last<Outer\n");
}

TEST_F(JavaScan, TextBlocksAndLiteralsHideBraces)
{
    scan("class T {\n"
         "  String tb = \"\"\"\n    { \" \\\"\"\" }\n    \"\"\";\n"
         "  char c = '{', d = '\\'';\n"
         "  String s = \"}\";\n"
         "  /* } */ // }\n"
         "  int after;\n"
         "}\n",
         tvt_java_scan);
    EXPECT_EQ(dump(), "CLASS T\nMEMBER tb<T\nMEMBER c<T\nMEMBER d<T\nMEMBER s<T\nMEMBER after<T\n");
    EXPECT_EQ(find("after")->line, 8);
}

TEST_F(JavaScan, SealedHierarchies)
{
    scan("public sealed interface Shape permits Circle, Square {}\n"
         "final class Circle implements Shape { double r; }\n"
         "non-sealed class Square implements Shape {}\n"
         "sealed abstract class Base<T> extends Object permits Sub {}\n",
         tvt_java_scan);
    EXPECT_EQ(dump(), "INTERFACE Shape\nCLASS Circle\nMEMBER r<Circle\nCLASS Square\nCLASS Base\n");
    EXPECT_EQ(find("Shape")->inherit, std::vector<std::string>{});
    EXPECT_EQ(find("Base")->inherit, (std::vector<std::string>{"Object"}));
}

TEST_F(JavaScan, WordsOfTheTableThatJavaDoesNotReserve)
{
    // "namespace", "operator" and "language" are plain names in Java.
    scan("class L { String namespace; int operator() { return 0; } Locale language; int unsigned; }\n",
         tvt_java_scan);
    EXPECT_EQ(dump(), "CLASS L\nMEMBER namespace<L\nMETHOD operator<L\nMEMBER language<L\nMEMBER unsigned<L\n");
}

TEST_F(JavaScan, LocalsInBodies)
{
    tvt_opt.locals = 1;
    scan("class W { void m(int a) {\n"
         "  int x = 1, y;\n  final var z = f(x);\n  x = 2;\n  call(a);\n  a.b.c(d);\n"
         "  for (int i = 0; i < 3; i++) { String s = \"\"; }\n"
         "  if (a > 0) return; else { long w; }\n"
         "  switch (a) { case 1 -> g(); default -> h(); }\n"
         "  try (var in = open()) { } catch (IOException e) { } finally { }\n"
         "} int after; }\n",
         tvt_java_scan);
    EXPECT_EQ(dump(), "CLASS W\nMETHOD m<W\nLOCAL x<m\nLOCAL y<m\nLOCAL z<m\nLOCAL s<m\nLOCAL w<m\n"
                      "MEMBER after<W\n");
}

TEST_F(JavaScan, PositionsAndLineTextsOfTags)
{
    tvt_opt.browser = 0;  // line texts are kept
    scan("package p;\n\nclass Pos {\n    int\n      spread;\n    void run(\n      int a) {}\n}\n",
         tvt_java_scan);
    const seen_tag_t *c = find("Pos");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->line, 3);
    EXPECT_EQ(c->start_column, 6);
    EXPECT_EQ(c->line_text, "class Pos {");
    EXPECT_EQ(find("spread")->line, 5);
    EXPECT_EQ(find("spread")->start_column, 6);
    EXPECT_EQ(find("spread")->line_text, "      spread;");
    EXPECT_EQ(find("run")->line, 6);
    EXPECT_EQ(find("run")->args, "(int a)");
}

TEST_F(JavaScan, CrossReferencesOnlyWhenAsked)
{
    tvt_opt.xref = 1;
    scan("class X { int f() { return helper(count); } }\n", tvt_java_scan);
    std::string xrefs;
    for (const seen_tag_t &t : seen_tags())
        if (t.type == TT_XREF)
            xrefs += t.name + " ";
    EXPECT_EQ(xrefs, "helper count ");
    tvt_opt.xref = -1;
    scan("class X { int f() { return helper(count); } }\n", tvt_java_scan);
    EXPECT_EQ(dump(), "CLASS X\nMETHOD f<X\n");
}

TEST_F(JavaScan, TruncatedAndRandomInputEndsTheScan)
{
    const char *src = "package p; @A(\"x\") public final class C<T extends D<T>> extends E implements F {\n"
                      "  enum G { H(1) { void i() {} }, J; int k; }\n"
                      "  record R(int a) {} String tb = \"\"\"\n x\n \"\"\";\n"
                      "  <U> U m(java.util.List<? super U> l) throws X { return switch (1) { default -> null; }; }\n"
                      "}\n";
    std::string full = src;
    for (size_t n = 0; n <= full.size(); n += 3)
        scan(full.substr(0, n), tvt_java_scan);
    std::mt19937 rng(15);
    for (int i = 0; i < 200; i++) {
        std::string s = full;
        for (int k = 0; k < 8; k++)
            s[rng() % s.size()] = "{}()<>@;\"'`,=/*"[rng() % 15];
        scan(s, tvt_java_scan);
    }
    scan(std::string(5000, '{') + std::string(5000, '}'), tvt_java_scan);
    scan(std::string(3000, '(') + "class X {" + std::string(3000, '<'), tvt_java_scan);
    std::string deep;
    for (int i = 0; i < 500; i++)
        deep += "class A" + std::to_string(i) + " { ";
    scan(deep + "int last;", tvt_java_scan);
    EXPECT_EQ(find("A0")->type, TT_CLASS);
}

} // namespace
