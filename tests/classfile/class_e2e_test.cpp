// tvtags on compiled Java, end to end: the database and text outputs of
// archives and class files, the messages of damaged inputs (which never
// change the exit status), and the TV_ZIP_DEBUG trace.
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>

#include "class_testutil.h"
#include "e2e_util.h"

namespace {

using namespace e2e;
using cls_test::fixture;
using cls_test::zip_end;
using cls_test::zip_entry;
using cls_test::zip_entry_spec_t;

struct listed_t {
    std::string name, kind;
    long parent;
    std::string type_text, args;
};

// A line of the text form: "name path(1) KIND", the path absolute or not.
bool has_tag(const std::string &tags, const std::string &name, const std::string &file, const std::string &kind)
{
    std::istringstream in(tags);
    std::string want = file + "(1) " + kind;
    for (std::string line; std::getline(in, line);) {
        size_t at = line.find(want);
        if (line.rfind(name + " ", 0) == 0 && at != std::string::npos &&
            (at == name.size() + 1 || line[at - 1] == '/'))
            return true;
    }
    return false;
}

class ClassE2e : public Tvtags {
  protected:
    std::string tool_ = fixture("com/acme/util/Tool.class");
    std::string shape_ = fixture("com/acme/util/Shape.class");
    std::string plain_ = fixture("Plain.class");

    // The database's records by number, as -list shows them.
    std::map<long, listed_t> listing(const std::string &db)
    {
        result_t r = run({"-list", db});
        EXPECT_EQ(r.status, 0) << r.err;
        std::map<long, listed_t> recs;
        std::regex head(R"(^([0-9a-f]+): (\S+)\s+file#[0-9a-f]+\(1\) (\S+) type=\S+(?: flags=\S+)? parent=([0-9a-f]+))");
        std::regex text(R"(^type='(.*)' args='(.*)'$)");
        std::istringstream in(r.out);
        std::string line;
        long last = -1;
        for (std::smatch m; std::getline(in, line);) {
            if (std::regex_search(line, m, head)) {
                last = std::stol(m[1], nullptr, 16);
                long parent = std::stol(m[4], nullptr, 16);
                recs[last] = {m[2], m[3], parent == 0xFFFFFFFFL ? -1 : parent, "", ""};
            } else if (last >= 0 && std::regex_search(line, m, text)) {
                recs[last].type_text = m[1];
                recs[last].args = m[2];
            }
        }
        return recs;
    }

    static const listed_t *named(const std::map<long, listed_t> &recs, const std::string &name, long *id = nullptr)
    {
        for (const auto &[k, v] : recs)
            if (v.name == name) {
                if (id)
                    *id = k;
                return &v;
            }
        return nullptr;
    }
};

TEST_F(ClassE2e, AJarMadeByTheJarToolIntoTheDatabase)
{
    make_dirs(at("lib"));
    file("lib/tool.jar", fixture("tool.jar"));
    result_t r = run({"-o", "t.tags", "lib/tool.jar"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "") << "its CRCs are the ones the jar tool wrote";
    EXPECT_NE(r.out.find("lib/tool.jar"), std::string::npos) << r.out;
    auto recs = listing("t.tags");
    long pkg = -1, tool = -1;
    ASSERT_TRUE(named(recs, "com.acme.util", &pkg));
    EXPECT_EQ(named(recs, "com.acme.util")->kind, "PACKAGE");
    ASSERT_TRUE(named(recs, "Tool", &tool));
    EXPECT_EQ(recs[tool].parent, pkg);
    EXPECT_EQ(named(recs, "Shape")->parent, pkg) << "one PACKAGE tag for the package's classes";
    EXPECT_EQ(named(recs, "Plain")->parent, -1);
    const listed_t *run_fn = named(recs, "run");
    ASSERT_TRUE(run_fn);
    EXPECT_EQ(run_fn->parent, tool);
    EXPECT_EQ(run_fn->args, "(int, String)");
    EXPECT_EQ(run_fn->type_text, "void");
    int packages = 0;
    for (const auto &[k, v] : recs)
        packages += v.kind == "PACKAGE";
    EXPECT_EQ(packages, 1);
}

TEST_F(ClassE2e, DamagedInputsAreReportedAndTheRunGoesOn)
{
    std::string bad_class = shape_;
    bad_class[10] = char(42);   // the first constant's kind
    zip_entry_spec_t wrong{"Plain.class", plain_};
    wrong.crc_delta = 1;
    file("a.jar", zip_entry({"Bad.class", bad_class}) + zip_entry({"Tool.class", tool_}) + zip_entry(wrong) +
                      zip_entry({"Late.class", shape_}) + zip_end());
    file("b.class", tool_);
    result_t r = run({"-text", "-o", "tags", "a.jar", "b.class"});
    EXPECT_EQ(r.status, 0) << "one bad input does not fail the run";
    EXPECT_NE(r.err.find("a.jar:1: Bad.class: Unknown CONSTANT type 42"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("a.jar:1: Plain.class: invalid compressed data--crc error"), std::string::npos) << r.err;
    std::string tags = read_file(at("tags"));
    EXPECT_TRUE(has_tag(tags, "Tool", "a.jar", "CLASS")) << "the entry after the bad class";
    EXPECT_FALSE(has_tag(tags, "Shape", "a.jar", "INTERFACE")) << "the archive ends at the wrong CRC";
    EXPECT_TRUE(has_tag(tags, "Tool", "b.class", "CLASS")) << "the next file";
}

TEST_F(ClassE2e, GzipFilesAndTheDebugTrace)
{
    file("Tool.zip", cls_test::gzip_member(tool_, "Tool.class"));
    zip_entry_spec_t wrong{"Shape.class", shape_};
    wrong.crc_delta = 5;
    file("w.zip", zip_entry({"Plain.class", plain_, false}) + zip_entry(wrong) + zip_end());
    setenv("TV_ZIP_DEBUG", "1", 1);
    result_t r = run({"-text", "-o", "tags", "Tool.zip", "w.zip"});
    unsetenv("TV_ZIP_DEBUG");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("Zip file: Tool.class\ndeflated\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Zip file: Plain.class\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Zip file: Plain.class\ndeflated"), std::string::npos) << "a stored entry";
    EXPECT_NE(r.err.find("unzip: error: 8 invalid compressed data--crc error\n"), std::string::npos) << r.err;
    std::string tags = read_file(at("tags"));
    EXPECT_TRUE(has_tag(tags, "lambda$run$0", "Tool.zip", "FUNCTION")) << tags;
    EXPECT_TRUE(has_tag(tags, "Plain", "w.zip", "CLASS")) << tags;
}

} // namespace
