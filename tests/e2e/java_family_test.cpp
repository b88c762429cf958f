/* The Java family through the real program: each file is picked by its
 * extension and scanned by its language's scanner; the tags reach the
 * text form and the database alike. */
#include <string>

#include "e2e_util.h"

using namespace e2e;

namespace {

class JavaFamily : public Tvtags {
  protected:
    /* The text form's lines without the path: "name(line) TYPE ...". */
    std::string text_tags(const std::vector<std::string> &files)
    {
        std::vector<std::string> args{"-q", "-text", "-tvtags", "-o", "out.txt"};
        args.insert(args.end(), files.begin(), files.end());
        result_t r = run(args);
        EXPECT_EQ(0, r.status) << r.err;
        std::string all = read_file(at("out.txt")), out;
        size_t pos = 0;
        while (pos < all.size()) {
            size_t nl = all.find('\n', pos);
            std::string line = all.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
            pos = nl == std::string::npos ? all.size() : nl + 1;
            if (line.empty() || line[0] == '[' || line.rfind("tvtags_version", 0) == 0)
                continue;
            size_t sp = line.find(' ');
            size_t paren = line.find('(', sp);
            out += line.substr(0, sp) + line.substr(line.rfind('/', paren) + 1) + "\n";
        }
        return out;
    }
};

TEST_F(JavaFamily, EachLanguageByItsExtension)
{
    file("Shape.java", "package geo;\nimport java.util.List;\n"
                       "public sealed interface Shape permits Circle {}\n"
                       "record Circle(double r) implements Shape {\n  double area() { return r * r; }\n}\n");
    file("Order.cs", "using System;\nnamespace Shop;\npublic class Order { public int Id { get; set; } }\n");
    file("page.jsp", "<html><%! int hits; %>\n<script language=\"javascript\">\nfunction go(x) {}\n"
                     "</script></html>\n");
    file("app.js", "export class App {\n  start() { return `${this.x}}` }\n}\nconst run = () => 1\n");
    std::string got = text_tags({"Shape.java", "Order.cs", "page.jsp", "app.js"});
    EXPECT_EQ(got,
              "geoShape.java(1) PACKAGE\n"
              "java.util.ListShape.java(2) IMPORT\n"
              "ShapeShape.java(3) INTERFACE\n"
              "CircleShape.java(4) CLASS\n"
              "rShape.java(4) MEMBER\n"
              "areaShape.java(5) METHOD type='double' args='()'\n"
              "SystemOrder.cs(1) IMPORT\n"
              "ShopOrder.cs(2) NAMESPACE\n"
              "OrderOrder.cs(3) CLASS\n"
              "IdOrder.cs(3) PROPERTY type='int'\n"
              "hitspage.jsp(1) DATA type='int'\n"
              "gopage.jsp(3) FUNCTION args='(x)'\n"
              "Appapp.js(1) CLASS\n"
              "startapp.js(2) METHOD\n"
              "runapp.js(4) FUNCTION\n");
}

TEST_F(JavaFamily, TheDatabaseHoldsTheSameTags)
{
    file("A.java", "class A { int f; void m() {} enum E { X, Y } }\n");
    result_t r = run({"-q", "-o", "db", "A.java"});
    ASSERT_EQ(0, r.status) << r.err;
    r = run({"-list", "db"});
    ASSERT_EQ(0, r.status) << r.err;
    /* Each tag with its type, and the enclosing definition's number as
     * its parent: the constants belong to E (tag 3), the rest to A (0). */
    for (const char *want : {"0000: A ", "0001: f ", "0002: m ", "0003: E ", "0004: X ", "0005: Y "})
        EXPECT_NE(std::string::npos, r.out.find(want)) << want << "\n" << r.out;
    EXPECT_NE(std::string::npos, r.out.find("CLASS type=08 parent=ffffffff")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("METHOD type=34 parent=000000")) << r.out;
    EXPECT_EQ(2, count_of(r.out, "ENUM_MEMBER type=0b parent=000003")) << r.out;
}

} // namespace
