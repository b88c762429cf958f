/* The reports on binary databases that the real program built: exact texts
 * on a small tree, agreement between the reports on a real one, and cut
 * files that must not bring a report down. */
#include "outputs_util.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>

using namespace e2e;
using namespace outputs;

namespace {

std::string rec(const std::string &tid, const std::string &name, const std::string &rest)
{
    return tid + ": " + left(name, 24) + " " + rest;
}

/* The records of the small tree's database: a.c's block from tag number 0,
 * b.c's from 7; RED and GREEN have color (tag 3) as parent. */
const std::vector<std::string> sample_records = {
    rec("0000", "MAX", "file#0000(1) DEFINE type=0c parent=ffffffff\n\n"),
    rec("0001", "SQR", "file#0000(2) DEFINE type=0c parent=ffffffff\ntype='' args='(x)'\n"),
    rec("0002", "stdio.h", "file#0000(3) FILE type=31 parent=ffffffff\n\n"),
    rec("0003", "color", "file#0000(4) ENUM type=0a parent=ffffffff\n\n"),
    rec("0004", "RED", "file#0000(4) ENUM_MEMBER type=0b parent=000003\n\n"),
    rec("0005", "GREEN", "file#0000(4) ENUM_MEMBER type=0b parent=000003\n\n"),
    rec("0006", "main", "file#0000(5) FUNCTION type=0e parent=ffffffff\ntype='int' args='(void)'\n"),
    rec("0007", "counter", "file#0001(1) DATA type=13 parent=ffffffff\ntype='int' args=''\n"),
    rec("0008", "helper_fn", "file#0001(2) FUNCTION type=0e parent=ffffffff\ntype='int' args='(int a, int b)'\n"),
};

std::string joined(const std::vector<std::string> &v, size_t from = 0, size_t to = (size_t)-1)
{
    std::string s;
    for (size_t i = from; i < v.size() && i < to; i++)
        s += v[i];
    return s;
}

std::string free_totals(const std::string &prefix = "")
{
    std::string s = prefix;
    for (const char *label : {"   0", " 128", "1024", "9999"})
        s += std::string("Freelist ") + label + ": bytes free: 0 (0x0000) number of chunks: 0 (0x0000)\n";
    return s;
}

class Reports : public Tvtags {
  protected:
    void SetUp() override
    {
        file("a.c", a_c);
        file("b.c", b_c);
    }
    void build(std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {"-noabsolute", "-q"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.insert(args.end(), {"a.c", "b.c"});
        result_t r = run(args);
        ASSERT_EQ(r.status, 0) << r.err;
    }
    result_t report(const std::vector<std::string> &args)
    {
        result_t r = run(args);
        EXPECT_EQ(r.signal, 0);
        return r;
    }
};

TEST_F(Reports, ListPrintsEveryRecord)
{
    build();
    result_t r = report({"-list", "tags"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, joined(sample_records));
}

TEST_F(Reports, LookupPrintsTheSymbolAndExitsOneWhenFound)
{
    build();
    result_t r = report({"-lookup", "RED", "tags"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, sample_records[4]);
    r = report({"-lookup", "red", "tags"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(Reports, OneCharacterNamesAreFound)
{
    file("a.c", "int x;\nint xy;\n");
    build();
    result_t r = report({"-lookup", "x", "tags"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, rec("0000", "x", "file#0000(1) DATA type=13 parent=ffffffff\ntype='int' args=''\n"));
}

TEST_F(Reports, FilelistInfoAndBitmapShowTheLayout)
{
    build({"-n", "demo"});
    std::string bytes = read_file(at("tags"));
    unsigned long first = get32(bytes, 18), second = get32(bytes, first);
    ASSERT_NE(first, 0ul);
    ASSERT_NE(second, 0ul);

    result_t r = report({"-filelist", "tags"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0: a.c\n1: b.c\n");

    const std::string head = "Name: demo\nFlags: 00000000\n        Type TID      Used/Size TSize FID\n";
    const std::string block_a = hex(first, 6) + ": 55   0" + spaces(8) + "   7/   7 18    0 a.c\n";
    const std::string block_b = hex(second, 6) + ": 55   7" + spaces(8) + "   2/   2 18    1 b.c\n";
    r = report({"-info", "tags"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, head + block_a + block_b);

    std::string info2 = head + block_a;
    for (size_t i = 0; i < 9; i++) {
        if (i == 7)
            info2 += block_b;
        const std::string &s = sample_records[i];
        size_t nl = s.find('\n');
        std::string second_line = s.substr(nl + 1);
        info2 += "    " + s.substr(0, s.find(" parent="));
        if (second_line != "\n")
            info2 += " flags=0000" + s.substr(s.find(" parent="), nl - s.find(" parent=") + 1) + second_line;
        else
            info2 += "\n";
    }
    r = report({"-info2", "tags"});
    EXPECT_EQ(r.out, info2);

    auto bitmap = [](unsigned long off, const std::string &chars) {
        std::string row = hex(off, 8) + ": ";
        for (int c = 33; c <= 126; c++)
            row += chars.find((char)c) != std::string::npos ? (char)c : ' ';
        return row + "\n";
    };
    r = report({"-bitmap", "tags"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, bitmap(first, "MSscRGm") + bitmap(second, "ch"));
}

TEST_F(Reports, StatsAndFreelistOfAFreshDatabase)
{
    build();
    struct stat st;
    ASSERT_EQ(stat(at("tags").c_str(), &st), 0);
    auto row = [](const char *type, long pct, long count, long bytes, long longest, long text, long longest_text,
                  long children) {
        return left(type, 13) + " " + right(pct, 3) + "% " + right(count, 7) + " " + right(bytes, 7) + " " +
               right(longest, 7) + "    (" + right(text, 7) + " " + right(longest_text, 7) + " " + right(children, 8) +
               ")\n";
    };
    result_t r = report({"-stats", "tags"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Tags statistics:\n"
                     "Type          %age   Count   Bytes Longest    (Typelen LngType Children)\n" +
                         row("ENUM", 11, 1, 6, 5, 0, 0, 0) + row("ENUM_MEMBER", 22, 2, 10, 5, 0, 0, 2) +
                         row("DEFINE", 22, 2, 8, 3, 5, 5, 0) + row("FUNCTION", 22, 2, 15, 9, 30, 19, 0) +
                         row("DATA", 11, 1, 8, 7, 5, 5, 0) + row("FILE", 11, 1, 8, 7, 0, 0, 0) +
                         "\nTags in use: 9   Free slots: 0\nFiles: 2\n\n\n\n\nIndex freelist:\n" + free_totals() +
                         "File size: " + std::to_string((long)st.st_size) + "\n");

    r = report({"-freelist", "tags"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, free_totals("\n\n\n\nIndex freelist:\n"));
}

TEST_F(Reports, RescannedFileLeavesAFreeBlock)
{
    build();
    file("b.c", std::string(b_c) + "int extra;\n");
    set_mtime(at("b.c"), 10);
    build();
    result_t r = report({"-list", "tags"});
    EXPECT_EQ(r.out, joined(sample_records, 0, 7) + "  FREE BLOCK\n" +
                         rec("0009", "counter", "file#0001(1) DATA type=13 parent=ffffffff\ntype='int' args=''\n") +
                         rec("000a", "helper_fn",
                             "file#0001(2) FUNCTION type=0e parent=ffffffff\ntype='int' args='(int a, int b)'\n") +
                         rec("000b", "extra", "file#0001(6) DATA type=13 parent=ffffffff\ntype='int' args=''\n"));
    r = report({"-info", "tags"});
    EXPECT_NE(r.out.find(" 18    16777215  (FREE)\n"), std::string::npos) << r.out;
    r = report({"-freelist", "tags"});
    EXPECT_EQ(r.out.find("ERROR"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Index freelist:\n    "), std::string::npos) << r.out;
}

TEST_F(Reports, DumpFailures)
{
    result_t r = report({"-list", "missing"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "missing: No such file or directory\n");

    std::string old(246, '\0');
    old[0] = 4, old[1] = 1, old[2] = 7, old[3] = 0x21, old[7] = 1;
    file("old", old);
    r = report({"-stats", "old"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "old: is an old style tags file. Please rebuild it\n");

    // A source file given by mistake is named for what it is not.
    r = report({"-list", "a.c"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "a.c: not a tags database\n");
}

/* --- a real tree ------------------------------------------------------ */

std::map<std::string, long> count_by_type(const std::string &list, long &records, std::set<std::string> &names)
{
    std::map<std::string, long> by_type;
    records = 0;
    for (const std::string &line : lines_of(list)) {
        size_t colon = line.find(": ");
        size_t file = line.find(" file#");
        if (colon == std::string::npos || file == std::string::npos || colon == 0 || colon > 8 ||
            line.find_first_not_of("0123456789abcdef") != colon)
            continue;
        size_t type_at = line.find(") ", file) + 2;
        std::string type = line.substr(type_at, line.find(' ', type_at) - type_at);
        by_type[type]++;
        records++;
        std::string name = line.substr(colon + 2, file - colon - 2);
        names.insert(name.substr(0, name.find_last_not_of(' ') + 1));
    }
    return by_type;
}

TEST_F(Reports, DumpsOfARealTreeAgree)
{
    std::string tree = at("tree");
    copy_tree(TV_SOURCE_DIR "/wrenlib", tree + "/wrenlib", {".cpp", ".h"});
    copy_tree(TV_SOURCE_DIR "/tvtags/db", tree + "/db", {".cpp", ".h"});
    result_t r = run({"-q", "tree"});
    ASSERT_EQ(r.status, 0) << r.err;
    /* Deleted and edited files leave freed blocks, names and texts behind. */
    int removed = 0;
    for (const auto &e : std::filesystem::recursive_directory_iterator(tree + "/wrenlib"))
        if (e.is_regular_file() && e.path().extension() == ".h" && removed++ % 2 == 0)
            std::filesystem::remove(e.path());
    for (const auto &e : std::filesystem::recursive_directory_iterator(tree + "/db")) {
        if (e.is_regular_file() && e.path().extension() == ".cpp") {
            write_file(e.path().string(), read_file(e.path().string()) + "\nint appended_" +
                                              e.path().stem().string() + ";\n");
            set_mtime(e.path().string(), 10);
        }
    }
    r = run({"-q", "tree"});
    ASSERT_EQ(r.status, 0) << r.err;

    result_t list = report({"-list", "tags"});
    result_t stats = report({"-stats", "tags"});
    result_t freelist = report({"-freelist", "tags"});
    result_t files = report({"-filelist", "tags"});
    result_t info = report({"-info", "tags"});
    result_t info2 = report({"-info2", "tags"});
    result_t bitmap = report({"-bitmap", "tags"});

    long records = 0;
    std::set<std::string> names;
    std::map<std::string, long> by_type = count_by_type(list.out, records, names);
    ASSERT_GT(records, 200);

    EXPECT_NE(stats.out.find("Tags in use: " + std::to_string(records) + "   "), std::string::npos) << stats.out;
    for (const auto &[type, count] : by_type) {
        std::string row = left(type, 13) + " ";
        size_t at_row = stats.out.find("\n" + row);
        ASSERT_NE(at_row, std::string::npos) << type;
        long stated = std::stol(stats.out.substr(at_row + 1 + row.size() + 5, 7));
        EXPECT_EQ(stated, count) << type;
    }

    EXPECT_EQ(freelist.out.find("ERROR"), std::string::npos) << freelist.out;
    EXPECT_EQ(stats.out.find("ERROR"), std::string::npos);
    std::vector<std::string> file_lines = lines_of(files.out);
    EXPECT_NE(stats.out.find("\nFiles: " + std::to_string(file_lines.size()) + "\n"), std::string::npos);

    int free_blocks = count_of(list.out, "  FREE BLOCK\n");
    EXPECT_GT(free_blocks, 0);
    EXPECT_EQ(count_of(info.out, " (FREE)\n"), free_blocks);
    EXPECT_EQ(count_of(bitmap.out, "  FREE BLOCK\n"), free_blocks);
    int block_lines = (int)lines_of(info.out).size() - 3;
    EXPECT_EQ((int)lines_of(bitmap.out).size(), block_lines);
    long info2_records = 0;
    for (const std::string &line : lines_of(info2.out)) {
        size_t colon = line.find(": ");
        if (starts_with(line, "    ") && colon != std::string::npos && colon < 12 &&
            line.find_first_not_of("0123456789abcdef", 4) == colon && line.find(" file#") != std::string::npos)
            info2_records++;
    }
    EXPECT_EQ(info2_records, records);

    /* -lookup prints exactly the -list lines of its symbol. */
    std::string symbol = *names.rbegin();
    result_t look = report({"-lookup", symbol, "tags"});
    EXPECT_EQ(look.status, 1);
    std::string expected;
    std::vector<std::string> ls = lines_of(list.out);
    for (size_t i = 0; i < ls.size(); i++) {
        if (ls[i].find(": " + left(symbol, 24) + " file#") == std::string::npos)
            continue;
        expected += ls[i] + "\n";
        if (ls[i].find(" parent=") != std::string::npos && i + 1 < ls.size())
            expected += ls[++i] + "\n";
    }
    EXPECT_EQ(look.out, expected);
}

TEST_F(Reports, CutDatabasesNeverBringAReportDown)
{
    std::string tree = at("tree");
    copy_tree(TV_SOURCE_DIR "/wrenlib/lookup", tree, {".cpp"});
    result_t r = run({"-q", "tree"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string whole = read_file(at("tags"));
    ASSERT_GT(whole.size(), 4096u);
    const size_t n = whole.size();
    for (size_t cut : {(size_t)0, (size_t)100, (size_t)246, (size_t)300, n / 4, n / 3, n / 2, n * 3 / 4, n - 1}) {
        write_file(at("cut"), whole.substr(0, cut));
        for (const char *sw : {"-list", "-bitmap", "-filelist", "-info", "-info2", "-freelist", "-stats"}) {
            result_t d = report({sw, "cut"});
            EXPECT_EQ(d.signal, 0) << sw << " at " << cut;
            EXPECT_EQ(d.status, cut < 246 ? 1 : 0) << sw << " at " << cut << ": " << d.err;
        }
        result_t s = report({"-stats", "cut"});
        if (cut >= 246) {
            EXPECT_NE(s.out.find("File size: " + std::to_string(cut) + "\n"), std::string::npos) << s.out;
        }
    }
}

} // namespace
