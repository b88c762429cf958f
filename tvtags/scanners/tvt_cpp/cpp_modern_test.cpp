// C++ and Objective-C as written today: the constructs that used to make
// the scanner lose what follows them, each followed by a declaration that
// must still be found.
#include "cpp_testutil.h"

namespace {

TEST_F(CppScan, NestedAndAttributedNamespaces)
{
    scan("namespace a::b { int f(); }\n"
         "namespace c::inline v2 { int g(); }\n"
         "inline namespace v3 { }\n"
         "namespace [[deprecated]] X { int h(); }\n"
         "namespace Y __attribute__((visibility(\"default\"))) { int i(); }\n"
         "namespace Z = a::b;\n"
         "int after;\n",
         tvt_cpp_scan);
    EXPECT_EQ(dump(), "NAMESPACE a\nNAMESPACE b\nPROTOTYPE f\nNAMESPACE c\nNAMESPACE v2\nPROTOTYPE g\n"
                      "NAMESPACE v3\nNAMESPACE X\nPROTOTYPE h\nNAMESPACE Y\nPROTOTYPE i\nDATA after\n");
}

TEST_F(CppScan, LiteralsDoNotHideDeclarations)
{
    scan("int big = 1'000'000;\nint mask = 0xFF'FF;\n"
         "const char *raw = R\"x(a \" } { )\" )x\";\n"
         "const char *lines = u8R\"(\n'{\n)\";\n"
         "int after(void) { return 0; }\n",
         tvt_cpp_scan);
    EXPECT_EQ(dump(), "DATA big\nDATA mask\nDATA raw\nDATA lines\nFUNCTION after\n");
}

TEST_F(CppScan, AliasDeclarationsAreTypedefs)
{
    scan("using Count = unsigned long;\n"
         "template <class T> using Ptr = T *;\n"
         "using Fn = void (*)(int);\n"
         "using namespace std;\nusing std::swap;\n"
         "typedef typename WRAP(T::size_type) size_type;\n"
         "struct S {\n  using value_type = int;\n  using Base::Base;\n  int m;\n};\n"
         "void f() { using Local = int; typedef long Old; struct In { int x; } in; enum E { A };\n"
         "  union { int i; } u; struct In *p = 0; }\n",
         tvt_cpp_scan);
    EXPECT_EQ(dump(), "TYPEDEF Count\nTYPEDEF Ptr\nTYPEDEF Fn\nTYPEDEF size_type\nSTRUCT S\nTYPEDEF value_type<S\nMEMBER m<S\n"
                      "FUNCTION f\nTYPEDEF Local<f\nTYPEDEF Old<f\nSTRUCT In<f\nMEMBER x<In\nENUM E<f\n"
                      "ENUM_MEMBER A<E\n");
    EXPECT_EQ(find("Count")->type_text, "unsigned long");
    EXPECT_EQ(find("Ptr")->type_text, "T *");
}

TEST_F(CppScan, ConditionalBranchesThatEachOpenABrace)
{
    const char *src = "#ifdef A\nvoid f(int a) {\n#else\nvoid f(void) {\n#endif\n  if (x) {\n  }\n}\n"
                      "int g(void) {\n#if B\n  if (a) {\n#else\n  if (b) {\n#endif\n    run();\n  }\n  return 0;\n}\n"
                      "int after;\n";
    scan(src, tvt_c_scan);
    EXPECT_EQ(dump(), "FUNCTION f\nFUNCTION g\nDATA after\n");
    scan(src, tvt_cpp_scan);
    EXPECT_EQ(dump(), "FUNCTION f\nFUNCTION g\nDATA after\n");
}

TEST_F(CppScan, IfZeroRegions)
{
    scan("#if 0\nvoid dead(void) {\n  {\n#if X\n#else\n#endif\n#endif\n"
         "int live(void) {\n#if 0\n  if (a) { {\n#else\n  if (b) {\n#endif\n  }\n  return 0;\n}\n"
         "#if 0 /* off */\nint off;\n#elif Y\nint on;\n#endif\nint after;\n",
         tvt_c_scan);
    EXPECT_EQ(dump(), "FUNCTION live\nDATA on\nDATA after\n");
    // "#if 00x" or "#if 0x1" is no plain zero.
    scan("#if 0x1\nint kept;\n#endif\n", tvt_c_scan);
    EXPECT_EQ(dump(), "DATA kept\n");
}

TEST_F(CppScan, FriendsAndAccessAfterMacroLines)
{
    scan("class C {\n  Q_OBJECT\npublic:\n  int m();\n"
         "  friend bool operator==(C a, C b) { return true; }\n"
         "  INLINE friend C operator+(C a, C b) { return a; }\n"
         "  friend class D;\n  friend struct E;\n"
         "  DECLARE_THING(C)\n  void n();\n"
         "  int k;\n};\nint after;\n",
         tvt_cpp_scan);
    EXPECT_EQ(dump(), "CLASS C\nMETHOD m<C\nFUNCTION ==\nFUNCTION +\nMETHOD n<C\nMEMBER k<C\nDATA after\n");
}

TEST_F(CppScan, MacroLinesBeforeTemplatesAndNamespaces)
{
    scan("BEGIN_NAMESPACE\ntemplate <class T> class V { int x; };\n"
         "END_NAMESPACE\nnamespace n { }\nUSE_IT\nusing T = int;\n",
         tvt_cpp_scan);
    EXPECT_EQ(dump(), "CLASS V\nMEMBER x<V\nNAMESPACE n\nTYPEDEF T\n");
}

TEST_F(CppScan, ExportMacrosAndAttributesBeforeClassNames)
{
    scan("class API_EXPORT Widget : public Base { int a; };\n"
         "struct alignas(16) Vec { float v[4]; };\n"
         "class API_EXPORT Final final : Base { int b; };\n"
         "int after;\n",
         tvt_cpp_scan);
    EXPECT_EQ(dump(), "CLASS Widget\nMEMBER a<Widget\nSTRUCT Vec\nMEMBER v<Vec\nCLASS Final\nMEMBER b<Final\n"
                      "DATA after\n");
}

TEST_F(CppScan, FunctionsReturningFunctionPointers)
{
    scan("void (*get(void))(int) { return 0; }\n"
         "static int (*pick(int n, char c))(void);\n"
         "void (*handler)(int);\n"
         "int after;\n",
         tvt_c_scan);
    EXPECT_EQ(dump(), "FUNCTION get\nPROTOTYPE pick\nDATA handler\nDATA after\n");
    EXPECT_EQ(find("get")->args, "(void)");
}

TEST_F(CppScan, OperatorForms)
{
    scan("struct S {\n  operator const char *() const;\n  operator std::string() const;\n"
         "  int operator->*(int);\n  S *operator->();\n  void *operator new[](unsigned long);\n"
         "  virtual int v() const = 0;\n  virtual void w() const noexcept override = 0;\n"
         "  int after;\n};\n",
         tvt_cpp_scan);
    EXPECT_EQ(dump(), "STRUCT S\nMETHOD const char *<S\nMETHOD std::string<S\nMETHOD ->*<S\nMETHOD -><S\n"
                      "METHOD new[]<S\nMETHOD v<S\nMETHOD w<S\nMEMBER after<S\n");
}

TEST_F(CppScan, ObjectiveCGenericsMacrosAndExtensions)
{
    scan("NS_ASSUME_NONNULL_BEGIN\n"
         "@interface Foo : NSObject\n"
         "@property (nonatomic, copy) NSArray<NSString *> *names;\n"
         "@property (nonatomic) NSDictionary<NSString *, id> *map;\n"
         "@end\n"
         "@interface Foo ()\n@property (nonatomic) int hidden;\n- (void)secret;\n@end\n"
         "NS_ASSUME_NONNULL_END\n"
         "NSArray<NSString *> *globalNames;\n",
         tvt_objc_scan);
    EXPECT_EQ(dump(), "CLASS Foo\nMEMBER names<Foo\nMEMBER map<Foo\nCLASS Foo\nMEMBER hidden<Foo\n"
                      "METHOD secret<Foo\nDATA globalNames\n");
}

TEST_F(CppScan, ObjectiveCppReadsCxx)
{
    scan("namespace ns { class K { public: int m(); }; }\n"
         "template <class T> struct W { T v; };\n"
         "@interface Bar : NSObject\n- (void)go;\n@end\n"
         "int after;\n",
         tvt_objcpp_scan);
    EXPECT_EQ(dump(), "NAMESPACE ns\nCLASS K\nMETHOD m<K\nSTRUCT W\nMEMBER v<W\nCLASS Bar\nMETHOD go<Bar\n"
                      "DATA after\n");
}

TEST_F(CppScan, NonAsciiIdentifiersStayWhole)
{
    scan("int gr\xc3\xb6\xc3\x9f" "e(int \xc3\xa4) { return 0; }\nstruct caf\xe9 { int n; };\n", tvt_cpp_scan);
    EXPECT_EQ(dump(), "FUNCTION gr\xc3\xb6\xc3\x9f" "e\nSTRUCT caf\xe9\nMEMBER n<caf\xe9\n");
    scan("int \xce\xb1\xce\xb2;\n", tvt_c_scan);
    EXPECT_EQ(dump(), "DATA \xce\xb1\xce\xb2\n");
}

TEST_F(CppScan, DClassesWithBaseLists)
{
    scan("class Foo : Bar, Baz { int x; void m() { } }\nint y;\n"
         "interface I : J { void n(); }\nstruct S { int z; }\nint w;\n",
         tvt_d_scan);
    EXPECT_EQ(dump(), "CLASS Foo\nMEMBER x<Foo\nMETHOD m<Foo\nDATA y\nINTERFACE I\nMETHOD n<I\nSTRUCT S\n"
                      "MEMBER z<S\nDATA w\n");
    EXPECT_EQ(find("Foo")->inherit, (std::vector<std::string>{"Bar", "Baz"}));
}

} // namespace
