/* A real editor reading the ctags form: Vim jumps with :tag through a tags
 * file written by `tvtags -ctags -text`, and lands on the file and line
 * where each definition is. */
#include "outputs_util.h"

#include <cstdlib>
#include <map>

using namespace e2e;
using namespace outputs;

namespace {

class Editor : public Tvtags {
  protected:
    void SetUp() override
    {
        if (std::string(TV_VIM_EXE).empty())
            GTEST_SKIP() << "vim is not installed";
    }

    /* Jumps to every name in one Vim run; returns name -> "file:line", or
     * the error Vim gave. */
    std::map<std::string, std::string> jump(const std::string &tags, const std::vector<std::string> &names)
    {
        std::string script = "set nomore\nset tags=" + tags + "\nlet s:out = []\n";
        for (const std::string &n : names)
            script += "try\n  execute 'tag " + n + "'\n  call add(s:out, '" + n +
                      " ' . expand('%:p') . ':' . line('.'))\ncatch\n  call add(s:out, '" + n +
                      " ERROR ' . v:exception)\nendtry\n";
        script += "call writefile(s:out, '" + at("jumps.txt") + "')\nqa!\n";
        file("jumps.vim", script);
        std::string cmd = "cd '" + dir_.path() + "' && timeout 120 '" TV_VIM_EXE "' -u NONE -N -es -n -i NONE -c 'source " +
                          at("jumps.vim") + "' </dev/null >/dev/null 2>&1";
        int rc = std::system(cmd.c_str());
        EXPECT_EQ(rc, 0) << cmd;
        std::map<std::string, std::string> got;
        for (const std::string &line : lines_of(read_file(at("jumps.txt")))) {
            size_t sp = line.find(' ');
            got[line.substr(0, sp)] = line.substr(sp + 1);
        }
        return got;
    }
};

/* A small tree whose definitions sit on lines with the characters a search
 * pattern must escape or take literally. */
TEST_F(Editor, JumpsToEveryDefinitionInEachOrder)
{
    make_dirs(at("src/util"));
    make_dirs(at("include"));
    file("src/main.c", "#include \"defs.h\"\n"
                       "\n"
                       "/* entry point */\n"
                       "int main(int argc, char **argv)\n"
                       "{\n"
                       "    return run_all(argc, argv);\n"
                       "}\n");
    file("src/util/strings.c", "#include <string.h>\n"
                               "\n"
                               "static int table[4] = { 0 }; /* ~x [y] .* */\n"
                               "\n"
                               "int run_all(int n, char **v) /* n/v */\n"
                               "{\n"
                               "    return n + (v != 0);\n"
                               "}\n"
                               "\n"
                               "int Run_Other(const char *path) /* \"a\\\\b\" */\n"
                               "{\n"
                               "    return path[0] == '\\\\';\n"
                               "}\n"
                               "int run_other2(void) { return 0; }\n");
    file("include/defs.h", "#define DEFS_H 1\n"
                           "#define PATH_SEP '/'\n"
                           "struct Point_t { int x; int y; };\n"
                           "typedef unsigned long ulong_t;\n"
                           "int helper_decl(int n);\n");
    const std::string main_c = at("src/main.c"), strings_c = at("src/util/strings.c"), defs_h = at("include/defs.h");
    const std::map<std::string, std::string> where = {
        {"Mmain", main_c + ":4"},        {"defs.h", main_c + ":1"},       {"string.h", strings_c + ":1"},
        {"table", strings_c + ":3"},     {"run_all", strings_c + ":5"},   {"Run_Other", strings_c + ":10"},
        {"run_other2", strings_c + ":14"}, {"DEFS_H", defs_h + ":1"},     {"PATH_SEP", defs_h + ":2"},
        {"Point_t", defs_h + ":3"},      {"x", defs_h + ":3"},            {"ulong_t", defs_h + ":4"},
        {"helper_decl", defs_h + ":5"},
    };
    std::vector<std::string> names;
    for (const auto &[name, place] : where)
        names.push_back(name);

    for (std::vector<std::string> order : {std::vector<std::string>{}, {"-nobrowser"}, {"-nobrowser", "-ignorecase"}}) {
        std::vector<std::string> args = {"-ctags", "-text", "-q"};
        args.insert(args.end(), order.begin(), order.end());
        args.insert(args.end(), {"src", "include"});
        result_t r = run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        std::map<std::string, std::string> got = jump(at("tags"), names);
        for (const auto &[name, place] : where)
            EXPECT_EQ(got[name], place) << name << " with " << (order.empty() ? "defaults" : order.back()) << "\n"
                                        << read_file(at("tags"));
    }
}

/* A file whose name holds blanks: the name goes into the tags file as it
 * is, and Vim opens it. */
TEST_F(Editor, OpensAFileWhoseNameHoldsBlanks)
{
    make_dirs(at("my dir"));
    file("my dir/my file.c", "\nint spaced_out(void) { return 1; }\n");
    result_t r = run({"-ctags", "-text", "-q", "my dir"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(jump(at("tags"), {"spaced_out"})["spaced_out"], at("my dir/my file.c") + ":2") << read_file(at("tags"));
}

/* Appending out of order to a sorted file: the header then says unsorted,
 * so Vim searches the whole file and still finds every tag. */
TEST_F(Editor, FindsTagsAfterAnAppendOfUnsortedLines)
{
    file("z.c", "int zeta(void) { return 0; }\nint omega;\n");
    file("a.c", "int alpha(void) { return 0; }\nint beta;\nint gamma_v;\n");
    ASSERT_EQ(run({"-ctags", "-text", "-q", "-nobrowser", "z.c"}).status, 0);
    ASSERT_EQ(run({"-ctags", "-text", "-q", "-nobrowser", "-a", "a.c"}).status, 0);
    std::map<std::string, std::string> got = jump(at("tags"), {"alpha", "beta", "gamma_v", "omega", "zeta"});
    EXPECT_EQ(got["alpha"], at("a.c") + ":1") << read_file(at("tags"));
    EXPECT_EQ(got["beta"], at("a.c") + ":2");
    EXPECT_EQ(got["gamma_v"], at("a.c") + ":3");
    EXPECT_EQ(got["omega"], at("z.c") + ":2");
    EXPECT_EQ(got["zeta"], at("z.c") + ":1");
}

struct tag_place_t {
    std::string file;
    int line;
};

/* Over a real tree: every definition whose line is unique in its file is
 * where the CodeWright form (which carries line numbers) says it is. */
TEST_F(Editor, JumpsThroughARealTree)
{
    std::string tree = at("tree");
    copy_tree(TV_SOURCE_DIR "/wrenlib/lookup", tree + "/lookup", {".cpp"});
    copy_tree(TV_SOURCE_DIR "/wrenlib/string", tree + "/string", {".cpp"});
    result_t r = run({"-ctags", "-text", "-q", "tree"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = run({"-codewright", "-text", "-q", "-o", "tags.cw", "tree"});
    ASSERT_EQ(r.status, 0) << r.err;

    std::map<std::string, std::vector<tag_place_t>> places;
    for (const std::string &line : lines_of(read_file(at("tags.cw")))) {
        size_t sp = line.find(' '), open = line.rfind('('), close = line.rfind(')');
        if (sp == std::string::npos || open == std::string::npos || close < open)
            continue;
        places[line.substr(0, sp)].push_back({line.substr(sp + 1, open - sp - 1),
                                              std::atoi(line.substr(open + 1, close - open - 1).c_str())});
    }
    std::vector<std::string> names;
    std::map<std::string, std::string> expected;
    for (const auto &[name, at_places] : places) {
        if (at_places.size() != 1 || name == "main" || name.find_first_not_of(
                "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") != std::string::npos)
            continue;
        const tag_place_t &p = at_places[0];
        std::vector<std::string> src = lines_of(read_file(p.file));
        if (p.line < 1 || p.line > (int)src.size() || count_of(read_file(p.file), "\n" + src[p.line - 1] + "\n") != 1)
            continue;
        names.push_back(name);
        expected[name] = p.file + ":" + std::to_string(p.line);
        if (names.size() == 80)
            break;
    }
    ASSERT_GE(names.size(), 20u) << read_file(at("tags.cw"));
    std::map<std::string, std::string> got = jump(at("tags"), names);
    for (const std::string &name : names)
        EXPECT_EQ(got[name], expected[name]) << name;
}

} // namespace
