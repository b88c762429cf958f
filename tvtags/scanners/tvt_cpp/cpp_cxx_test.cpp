// The C++ and Objective-C set-ups: classes with bases and members,
// operators, qualified names, namespaces, templates; Objective-C classes,
// protocols and methods.
#include "cpp_testutil.h"

namespace {

TEST_F(CppScan, ClassWithBaseAndMethod)
{
    scan("class D : public B { void m(); };\n", tvt_cpp_scan);
    EXPECT_EQ(dump(), "CLASS D\nMETHOD m<D\n");
    EXPECT_EQ(find("D")->inherit, (std::vector<std::string>{"B"}));
    EXPECT_TRUE(find("m")->inherit.empty());
}

TEST_F(CppScan, BaseListsWithQualifiersAndTemplates)
{
    scan("class E : public A<int, 2>, private virtual ns::C, D { };\nstruct F : G {};\n", tvt_cpp_scan);
    EXPECT_EQ(dump(), "CLASS E\nSTRUCT F\n");
    EXPECT_EQ(find("E")->inherit, (std::vector<std::string>{"A", "ns::C", "D"}));
    EXPECT_EQ(find("F")->inherit, (std::vector<std::string>{"G"}));
}

TEST_F(CppScan, ClassBodies)
{
    scan("class EXPORT Shape : public Base {\n"
         "public:\n"
         "  Shape(int n) : count(n), v{1} { }\n"
         "  virtual ~Shape();\n"
         "  virtual double area() const = 0;\n"
         "  int get() const { return count; }\n"
         "  Shape &operator=(const Shape &o);\n"
         "  bool operator==(const Shape &o) const;\n"
         "  static int instances;\n"
         "private:\n"
         "  int count;\n"
         "  friend class Other;\n"
         "};\n"
         "Shape::~Shape() { }\n"
         "double Shape::area() const { return 0; }\n",
         tvt_cpp_scan);
    EXPECT_EQ(dump(), "CLASS Shape\nMETHOD Shape<Shape\nMETHOD ~Shape<Shape\nMETHOD area<Shape\nMETHOD get<Shape\n"
                      "METHOD =<Shape\nMETHOD ==<Shape\nMEMBER instances<Shape\nMEMBER count<Shape\n"
                      "FUNCTION Shape::~Shape\nFUNCTION Shape::area\n");
}

TEST_F(CppScan, NamespacesAndTemplates)
{
    scan("namespace outer {\nint f();\ntemplate <typename T, int N = 3> class Vec { T items[N]; };\n}\n"
         "namespace alias = outer;\nusing namespace std;\nstd::vector<int> values;\n"
         "template <class T> T max(T a, T b) { return a; }\n",
         tvt_cpp_scan);
    EXPECT_EQ(dump(), "NAMESPACE outer\nPROTOTYPE f\nCLASS Vec\nMEMBER items<Vec\nDATA values\nFUNCTION max\n");
}

TEST_F(CppScan, ConversionAndCallOperators)
{
    scan("struct S { operator bool() const; int operator()(int); int operator[](int); };\n", tvt_cpp_scan);
    EXPECT_EQ(dump(), "STRUCT S\nMETHOD bool<S\nMETHOD ()<S\nMETHOD []<S\n");
}

TEST_F(CppScan, ObjectiveCClasses)
{
    scan("@class Fwd;\n"
         "@interface Foo : NSObject <Proto> {\n  int ivar;\n}\n"
         "@property (nonatomic) int count;\n"
         "- (void)bar:(int)x;\n+ (id)make;\n@end\n"
         "@implementation Foo\n@synthesize count;\n"
         "- (void)bar:(int)x { [self baz]; }\n@end\n"
         "@protocol P\n- (void)required;\n@end\n"
         "@protocol Later;\n",
         tvt_objc_scan);
    EXPECT_EQ(dump(), "CLASS Foo\nMEMBER count<Foo\nMETHOD bar<Foo\nMETHOD make<Foo\nCLASS Foo\n"
                      "METHOD bar<Foo\nINTERFACE P\nMETHOD required<P\n");
    EXPECT_EQ(seen_tags()[2].type_text, "void");
}

TEST_F(CppScan, ObjectiveCMethodsAtFileLevel)
{
    scan("- (int)count { return 0; }\n+ helper { }\nint after;\n", tvt_objc_scan);
    EXPECT_EQ(dump(), "METHOD count\nMETHOD helper\nDATA after\n");
    // In C the same text declares nothing.
    scan("@interface Foo\n- (int)count { return 0; }\n@end\n", tvt_c_scan);
    EXPECT_EQ(find("Foo"), nullptr);
    EXPECT_EQ(find("count"), nullptr);
}

TEST_F(CppScan, ObjectiveCppSharesTheObjectiveCRules)
{
    scan("@interface Bar\n- (void)go;\n@end\n", tvt_objcpp_scan);
    EXPECT_EQ(dump(), "CLASS Bar\nMETHOD go<Bar\n");
}

} // namespace
