// The class-file scanner on class files made by javac (release 17, so the
// constant pools hold method handles, invokedynamic and the other newer
// kinds), and on damaged copies of them.
#include "class_internal.h"
#include "class_testutil.h"

namespace {

using namespace cls_test;

class ClassFile : public ClassScan {};

TEST_F(ClassFile, PackageClassFieldsAndMethodsWithTheirTypes)
{
    scan(fixture("com/acme/util/Tool.class"), tvt_class_scan, "Tool.class");
    EXPECT_EQ(errors(), "");
    EXPECT_EQ(dump(), "PACKAGE com.acme.util\n"
                      "CLASS Tool<com.acme.util\n"
                      "MEMBER count<Tool\n"
                      "MEMBER LIMIT<Tool\n"
                      "FUNCTION Tool<Tool\n"
                      "FUNCTION run<Tool\n"
                      "FUNCTION names<Tool\n"
                      "FUNCTION label<Tool\n"
                      "FUNCTION lambda$run$0<Tool\n");
    for (const seen_t &t : seen())
        EXPECT_EQ(t.line, 1) << t.name;
    const seen_t *run = find("run");
    ASSERT_TRUE(run);
    EXPECT_EQ(run->args, "(int, String)");
    EXPECT_EQ(run->type_text, "void");
    EXPECT_EQ(run->flags, 0x1u);
    // Arrays are items of their own; a nested class keeps its $ name.
    const seen_t *names = find("names");
    ASSERT_TRUE(names);
    EXPECT_EQ(names->args, "(array, array, int, Tool$Inner)");
    EXPECT_EQ(names->type_text, "array, String");
    EXPECT_EQ(names->flags, 0x2u | 0x40u);
    // private static final
    EXPECT_EQ(find("LIMIT")->flags, 0x4u | 0x40u | 0x100u);
    EXPECT_EQ(find("Tool", TT_CLASS)->flags, 0u);
}

TEST_F(ClassFile, EveryBaseTypeWordAndTheMethodFlags)
{
    scan(fixture("com/acme/util/Tool$Inner.class"), tvt_class_scan, "Tool$Inner.class");
    const seen_t *touch = find("touch");
    ASSERT_TRUE(touch);
    EXPECT_EQ(touch->args, "(double, boolean, char, byte, short, float)");
    EXPECT_EQ(touch->type_text, "void");
    EXPECT_EQ(touch->flags, 0x400u | 0x1000u);   // synchronized native
    EXPECT_TRUE(find("Tool$Inner", TT_CLASS));
    EXPECT_TRUE(find("Tool$Inner", TT_FUNCTION)) << "the constructor";
}

TEST_F(ClassFile, InterfacesRecordsAndTheDefaultPackage)
{
    scan(fixture("com/acme/util/Shape.class"), tvt_class_scan, "Shape.class");
    EXPECT_EQ(dump(), "PACKAGE com.acme.util\nINTERFACE Shape<com.acme.util\nFUNCTION area<Shape\n"
                      "FUNCTION describe<Shape\n");
    EXPECT_EQ(find("area")->flags, 0x1u | 0x10u);   // public abstract

    // A record's methods come through invokedynamic and method handles.
    scan(fixture("Plain.class"), tvt_class_scan, "Plain.class");
    EXPECT_EQ(errors(), "");
    const seen_t *plain = find("Plain", TT_CLASS);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->parent, -1);
    EXPECT_TRUE(find("toString"));
    EXPECT_TRUE(find("equals"));
    const seen_t *ctor = find("Plain", TT_FUNCTION);
    ASSERT_TRUE(ctor);
    EXPECT_EQ(ctor->args, "(int, String)");
}

TEST_F(ClassFile, OtherBytesGiveNothingQuietly)
{
    EXPECT_TRUE(scan("PK\3\4 not a class", tvt_class_scan).empty());
    EXPECT_TRUE(scan("", tvt_class_scan).empty());
    EXPECT_TRUE(scan("\xCA\xFE", tvt_class_scan).empty());
    EXPECT_EQ(errors(), "");
}

// Offsets in Tool.class: magic 0-3, versions 4-7, pool count 8-9, first
// entry's tag at 10.
TEST_F(ClassFile, AnUnknownConstantKindStopsThatClassWithAMessage)
{
    std::string b = fixture("com/acme/util/Tool.class");
    b[10] = char(99);
    EXPECT_TRUE(scan(b, tvt_class_scan, "Bad.class").empty());
    EXPECT_NE(errors().find("Bad.class:1: Unknown CONSTANT type 99"), std::string::npos) << errors();
}

TEST_F(ClassFile, CountsLargerThanTheFileAreRefused)
{
    std::string b = fixture("com/acme/util/Tool.class");
    b[8] = char(0xFF);
    b[9] = char(0xFF);
    EXPECT_TRUE(scan(b, tvt_class_scan, "Big.class").empty());
    EXPECT_NE(errors().find("constant pool count 65535"), std::string::npos) << errors();
}

TEST_F(ClassFile, AClassIndexOutsideThePoolEndsTheReader)
{
    std::string b = fixture("com/acme/util/Tool.class");
    // this_class sits after the pool and the access flags; find it by
    // reading the pool's end from a clean scan of the same bytes.
    cls::cursor_t c({reinterpret_cast<const uint8_t *>(b.data()), b.size()});
    c.skip(8);
    cls::pool_t pool;
    ASSERT_TRUE(pool.read(c));
    size_t this_at = c.pos() + 2;
    b[this_at] = char(0x7F);
    b[this_at + 1] = char(0x00);
    EXPECT_TRUE(scan(b, tvt_class_scan, "Idx.class").empty());
    EXPECT_NE(errors().find("Error getting string (wanted 32512 out of"), std::string::npos) << errors();
}

// Every cut of a real class file reads only what is there: the tags
// before the cut, never more, and a message instead of the rest.
TEST_F(ClassFile, EveryCutGivesAPrefixOfTheTags)
{
    const std::string whole = fixture("com/acme/util/Tool.class");
    scan(whole, tvt_class_scan);
    const std::string all = dump();
    for (size_t n = 4; n < whole.size(); n++) {
        scan(whole.substr(0, n), tvt_class_scan);
        std::string part = dump();
        ASSERT_EQ(all.compare(0, part.size(), part), 0) << "cut at " << n;
        bool said = errors().find("cut short") != std::string::npos ||
                    errors().find("larger than the file") != std::string::npos;
        ASSERT_TRUE(said) << "cut at " << n << ": " << errors();
    }
}

TEST_F(ClassFile, DescriptorWordsOfDamagedDescriptorsStayInside)
{
    std::string args, type;
    cls::class_descriptor_text("([[Ljava/util/Map$Entry;J)[B", args, type);
    EXPECT_EQ(args, "(array, array, Map$Entry, long)");
    EXPECT_EQ(type, "array, byte");
    cls::class_descriptor_text("(Lunterminated", args, type);
    EXPECT_EQ(args, "(unterminated)");
    EXPECT_EQ(type, "");
    cls::class_descriptor_text("(Q)[", args, type);
    EXPECT_EQ(args, "(Q)");
    EXPECT_EQ(type, "array");
}

} // namespace
