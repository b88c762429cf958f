// The C scanner on small sources: what it tags, with which type, parent,
// texts and line, and that malformed input ends every scan.
#include "cpp_testutil.h"

#include <random>

namespace {

TEST_F(CppScan, Macros)
{
    scan("#define MAX 10\n#define SQR(x) ((x)*(x))\n#define PAREN (1 + 2)\n"
         "#define MULTI(a, \\\n   b) a##b\n#define\n#undef MAX\n");
    EXPECT_EQ(dump(), "DEFINE MAX\nDEFINE SQR\nDEFINE PAREN\nDEFINE MULTI\n");
    EXPECT_EQ(find("MAX")->args, "");
    EXPECT_EQ(find("SQR")->args, "(x)");
    EXPECT_EQ(find("PAREN")->args, "");
    EXPECT_EQ(find("MULTI")->args, "(a,    b)");
    EXPECT_EQ(find("MULTI")->line, 4);
}

TEST_F(CppScan, MacrosInsideBodiesAndAggregates)
{
    scan("void f(void) {\n#define IN_BODY {\n}\nstruct s {\n#define IN_STRUCT 1\n int m;\n};\nint after;\n");
    EXPECT_EQ(dump(), "FUNCTION f\nDEFINE IN_BODY\nSTRUCT s\nDEFINE IN_STRUCT\nMEMBER m<s\nDATA after\n");
}

TEST_F(CppScan, Includes)
{
    scan("#include <stdio.h>\n#include \"sys/a.h\"\n#include MACRO_H\n#include\n");
    EXPECT_EQ(dump(), "FILE stdio.h\nFILE sys/a.h\n");
    EXPECT_EQ(find("sys/a.h")->line, 2);
}

TEST_F(CppScan, FunctionsAndPrototypes)
{
    scan("static int f(void) { }\nint g(void);\nchar *dup(const char *s) { return 0; }\n"
         "int a(void), b(int);\nvoid h(void) { int inner(void); }\n");
    EXPECT_EQ(dump(), "STATIC_FUNC f\nPROTOTYPE g\nFUNCTION dup\nPROTOTYPE a\nPROTOTYPE b\nFUNCTION h\n");
    EXPECT_EQ(find("f")->args, "(void)");
    EXPECT_EQ(find("f")->type_text, "static int");
    EXPECT_EQ(find("dup")->type_text, "char *");
    EXPECT_EQ(find("dup")->args, "(const char * s)");
}

TEST_F(CppScan, FunctionsWithAnnotations)
{
    scan("void panic(const char *fmt, ...) __attribute__((noreturn)) __cold;\n"
         "void lock(void) __acquires(l) { }\n"
         "static int __init setup(void) { return 0; }\n"
         "static inline u32 __raw_read(const void *p) { return 0; }\n"
         "int old(a, b)\n  int a;\n  char *b;\n{ return a; }\n"
         "int next(void);\n");
    EXPECT_EQ(dump(), "PROTOTYPE panic\nFUNCTION lock\nSTATIC_FUNC setup\nSTATIC_FUNC __raw_read\n"
                      "FUNCTION old\nPROTOTYPE next\n");
}

TEST_F(CppScan, QualifierMacrosBeforeUnderscoreNames)
{
    // After a name that followed a type, a "__" word is an annotation
    // unless what follows shows it is the declared function.
    scan("void notrace __cov(u8 a, u8 b) { }\nvoid notrace __proto(void);\nvoid notrace __old();\n"
         "long y __aligned(8);\nint z __section(\".data\") = 1, w __used;\n"
         "static void notrace __exit_fn(struct p *prog, u64 start)\n  __releases(RCU)\n{ }\n");
    EXPECT_EQ(dump(), "FUNCTION __cov\nPROTOTYPE __proto\nPROTOTYPE __old\nDATA y\nDATA z\nDATA w\n"
                      "STATIC_FUNC __exit_fn\n");
    EXPECT_EQ(find("__cov")->type_text, "void notrace");
    EXPECT_EQ(find("__cov")->args, "(u8 a, u8 b)");
}

TEST_F(CppScan, MacroCallsAtFileLevel)
{
    // A call at file level looks like a prototype of the macro; the
    // declarations around it are unaffected.
    scan("EXPORT_SYMBOL(f);\nint x;\nSYSCALL_DEFINE1(close, int, fd) { return 0; }\nint y;\n");
    EXPECT_EQ(dump(), "PROTOTYPE EXPORT_SYMBOL\nDATA x\nFUNCTION SYSCALL_DEFINE1\nDATA y\n");
    EXPECT_EQ(find("EXPORT_SYMBOL")->type_text, "");
}

TEST_F(CppScan, Variables)
{
    scan("int a, *b, c[10] = {1, 2}, d = (3, 4);\nstatic int s;\nextern long e;\nint (*fp)(int);\n"
         "int late __read_mostly = 1;\nx = 3;\nconst char *names[] = { \"a\", \"b\" }, tail;\n");
    EXPECT_EQ(dump(), "DATA a\nDATA b\nDATA c\nDATA d\nSTATIC_VAR s\nDATA e\nDATA fp\nDATA late\n"
                      "DATA names\nDATA tail\n");
    EXPECT_EQ(find("s")->type_text, "static int");
    EXPECT_EQ(find("names")->type_text, "const char *[]");
    EXPECT_EQ(find("tail")->type_text, "const char *");
}

TEST_F(CppScan, AnonymousStructAndItsVariable)
{
    scan("struct { int a; } s;\n");
    EXPECT_EQ(dump(), "STRUCT anon\nMEMBER a<anon\nDATA s\n");
    // Anonymous names count up.
    std::string first = seen_tags()[0].name;
    scan("union { int b; } u;\n");
    EXPECT_EQ(dump(), "UNION anon\nMEMBER b<anon\nDATA u\n");
    EXPECT_NE(seen_tags()[0].name, first);
    EXPECT_EQ(seen_tags()[0].name.rfind("anon#", 0), 0u);
}

TEST_F(CppScan, StructMembersOfEveryShape)
{
    scan("struct ops {\n"
         "  struct list_head list;\n"
         "  int (*open)(struct inode *, struct file *);\n"
         "  void (*release)(void);\n"
         "  unsigned int flag:1, other:3;\n"
         "  char name[16];\n"
         "  union { long l; void *p; };\n"
         "  struct inner { int deep; } in;\n"
         "  spinlock_t lock;\n"
         "  u64 (*clock)(void);\n"
         "  s32 (*check)(struct env *e,\n              int x);\n"
         "} __packed;\n"
         "struct ops *make(void) { return 0; }\n"
         "struct ops;\n"
         "struct ops *global;\n");
    EXPECT_EQ(dump(), "STRUCT ops\nMEMBER list<ops\nMEMBER open<ops\nMEMBER release<ops\nMEMBER flag<ops\n"
                      "MEMBER other<ops\nMEMBER name<ops\nUNION anon<ops\nMEMBER l<anon\nMEMBER p<anon\n"
                      "STRUCT inner<ops\nMEMBER deep<inner\nMEMBER in<ops\nMEMBER lock<ops\nMEMBER clock<ops\n"
                      "MEMBER check<ops\n"
                      "FUNCTION make\nDATA global\n");
    EXPECT_EQ(find("list")->type_text, "struct list_head");
    EXPECT_EQ(find("make")->type_text, "struct ops *");
}

TEST_F(CppScan, Enumerations)
{
    scan("enum e { A, B = 2, C = F(1, 2), };\nenum { X } anon_var;\nenum e value;\nenum e;\n");
    EXPECT_EQ(dump(), "ENUM e\nENUM_MEMBER A<e\nENUM_MEMBER B<e\nENUM_MEMBER C<e\nENUM anon\n"
                      "ENUM_MEMBER X<anon\nDATA anon_var\nDATA value\n");
}

TEST_F(CppScan, Typedefs)
{
    scan("typedef unsigned long ulong;\ntypedef struct foo { int x; } foo_t, *foo_p;\n"
         "typedef struct bar bar_t;\ntypedef int (*cb_t)(void *);\ntypedef void fn_t(int);\n"
         "typedef enum { RED, GREEN } colour;\ntypedef int arr_t[4];\n");
    EXPECT_EQ(dump(), "TYPEDEF ulong\nSTRUCT foo\nMEMBER x<foo\nTYPEDEF foo_t\nTYPEDEF foo_p\n"
                      "TYPEDEF bar_t\nTYPEDEF cb_t\nTYPEDEF fn_t\nENUM anon\nENUM_MEMBER RED<anon\n"
                      "ENUM_MEMBER GREEN<anon\nTYPEDEF colour\nTYPEDEF arr_t\n");
    EXPECT_EQ(find("ulong")->type_text, "unsigned long");
}

TEST_F(CppScan, MacroWrapperWords)
{
    set_env("CPP_SPECIALS", nullptr);
    tvt_cpp_release();
    scan("int f PROTO((int));\nDL_EXPORT(int) g(void);\n");
    EXPECT_EQ(dump(), "PROTOTYPE f\nPROTOTYPE g\n");
    EXPECT_EQ(find("g")->type_text, "DL_EXPORT(int)");

    // The set is read once per run.
    set_env("CPP_SPECIALS", "MYPROTO, OTHER");
    scan("int h MYPROTO((int));\n");
    EXPECT_EQ(dump(), "PROTOTYPE MYPROTO\n");
    tvt_cpp_release();
    scan("int h MYPROTO((int));\nint k OTHER((int));\nint m PROTO((int));\n");
    EXPECT_EQ(dump(), "PROTOTYPE h\nPROTOTYPE k\nPROTOTYPE PROTO\n");
    set_env("CPP_SPECIALS", nullptr);
    tvt_cpp_release();
}

TEST_F(CppScan, ExternC)
{
    scan("extern \"C\" {\nint g(void);\n}\nextern \"C\" int h(void);\nint after;\n");
    EXPECT_EQ(dump(), "PROTOTYPE g\nPROTOTYPE h\nDATA after\n");
    EXPECT_EQ(find("g")->parent, -1);
}

TEST_F(CppScan, ConditionalFunctionHeads)
{
    scan("#ifdef X\nint f(int a) {\n#else\nint f(int a, int b) {\n#endif\n  return 0;\n}\n"
         "int g(void) { return 1; }\n");
    EXPECT_EQ(dump(), "FUNCTION f\nFUNCTION g\n");
    scan("void h(void) {\n#if A\n  if (x) {\n#else\n  if (y) {\n#endif\n  }\n}\nint after;\n");
    EXPECT_EQ(dump(), "FUNCTION h\nDATA after\n");
}

TEST_F(CppScan, LocalsWhenAsked)
{
    const char *code = "void f(void) {\n  int x = 1, y;\n  struct s *p;\n  g(x);\n  x = 2;\n"
                       "  int proto(void);\n  if (x) { int hidden; }\n  out: return;\n}\nint after;\n";
    scan(code);
    EXPECT_EQ(dump(), "FUNCTION f\nDATA after\n");
    tvt_opt.locals = 1;
    scan(code);
    EXPECT_EQ(dump(), "FUNCTION f\nLOCAL x<f\nLOCAL y<f\nLOCAL p<f\nDATA after\n");
}

TEST_F(CppScan, LinesTextsAndColumns)
{
    tvt_opt.browser = 0;
    scan("/* a\n   comment */\nint foo;\r\n  static long\nbar(void)\n{\n}\n");
    ASSERT_NE(find("foo"), nullptr);
    EXPECT_EQ(find("foo")->line, 3);
    EXPECT_EQ(find("foo")->line_text, "int foo;");
    EXPECT_EQ(find("foo")->start_column, 4);
    EXPECT_EQ(find("bar")->line, 5);
    EXPECT_EQ(find("bar")->start_column, 0);
}

TEST_F(CppScan, SameScannerForBriefAndD)
{
    // The C set-up serves C, BRIEF macros and D alike; the Tolva macro
    // language adds $ to identifiers and its foreach statement.
    scan("int brief_fn(void) { }\n");
    EXPECT_EQ(dump(), "FUNCTION brief_fn\n");
    scan("int $var;\nvoid m(void) { foreach (x) { int no; } }\n", tvt_tolva_scan);
    EXPECT_EQ(dump(), "DATA $var\nFUNCTION m\n");
}

TEST_F(CppScan, CppWordsAreNamesInC)
{
    const char *code = "struct s { void *private; struct list *new; int this, delete[2]; };\n";
    const char *want = "STRUCT s\nMEMBER private<s\nMEMBER new<s\nMEMBER this<s\nMEMBER delete<s\n";
    scan(code);
    EXPECT_EQ(dump(), want);
    // Headers are scanned as C++, where these are keywords.
    scan(code, tvt_cpp_scan);
    EXPECT_EQ(dump(), want);
}

TEST_F(CppScan, MalformedInputEndsEveryScan)
{
    scan("}}}} int x; {{{ int hidden;");
    EXPECT_EQ(dump(), "DATA x\n");
    scan(std::string(20000, '{') + "int y;");
    EXPECT_EQ(dump(), "");
    std::string deep;
    for (int i = 0; i < 3000; i++)
        deep += "struct a" + std::to_string(i) + " { ";
    deep += "int z;";
    scan(deep);
    EXPECT_LE(seen_tags().size(), 3001u);
    std::string chain;
    for (int i = 0; i < 5000; i++)
        chain += "struct s ";
    scan(chain + ";\nint after;\n");
    EXPECT_EQ(find("after") != nullptr, true);

    // Random bytes drawn from C's punctuation and words: each scan ends.
    std::mt19937 rng(12345);
    const char *pieces[] = {"{", "}", "(", ")", "[", "]", ";", ",", "=", "*", "struct", "enum", "typedef",
                            "int", "x", "#define", "#if", "#else", "#endif", "\n", "\"", "'", "/*", "*/",
                            "//", "\\", "::", "<", ">", "@", "-", "extern", "\"C\"", ":", "0x", "1.e"};
    for (int round = 0; round < 200; round++) {
        std::string text;
        for (int i = 0; i < 300; i++)
            text += std::string(pieces[rng() % (sizeof pieces / sizeof pieces[0])]) + " ";
        scan(text);
        scan(text, tvt_cpp_scan);
        scan(text, tvt_objc_scan);
    }
}

} // namespace
