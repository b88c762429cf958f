// The JavaScript scanner on small sources: functions, classes and
// methods of today's code, and that template literals, regular
// expressions and divisions never make it lose the definitions after them.
#include "scanners/tvt_cpp/cpp_testutil.h"

#include <random>

namespace {

using JsScan = CppScan;

TEST_F(JsScan, FunctionDeclarations)
{
    scan("function go(x) {\n  return x;\n}\n// function no()\n/* function nor() */\n"
         "async function af() {}\nfunction* gen(a,\n    b) { yield a; }\nexport function ef() {}\n",
         tvt_js_scan);
    EXPECT_EQ(dump(), "FUNCTION go\nFUNCTION af\nFUNCTION gen\nFUNCTION ef\n");
    EXPECT_EQ(find("go")->args, "(x)");
    EXPECT_EQ(find("go")->line, 1);
    EXPECT_EQ(find("gen")->args, "(a,)");
    EXPECT_EQ(find("ef")->line, 9);
}

TEST_F(JsScan, FunctionAndArrowExpressionsNamedByAssignment)
{
    scan("const fe = function (q) {};\nvar named = function inner(q) {};\n"
         "const arrow = (a, b) => a / b;\nlet one = x => x * 2;\nconst aa = async (y) => { await y; };\n"
         "exports.ex = function () {};\nconst notfn = (a + b) * c;\nconst call = run(a);\n",
         tvt_js_scan);
    EXPECT_EQ(dump(), "FUNCTION fe\nFUNCTION named\nFUNCTION inner\nFUNCTION arrow\nFUNCTION one\n"
                      "FUNCTION aa\nFUNCTION ex\n");
}

TEST_F(JsScan, ClassesAndTheirMethods)
{
    scan("class Foo extends mix(Bar, Baz) {\n"
         "  #priv = 1\n"
         "  static s = 2\n"
         "  handler = () => {}\n"
         "  constructor(x) { super(x); if (x) { this.y = x } }\n"
         "  method(a) { return /re{/.test(a) }\n"
         "  static sm() {}\n  async am() {}\n  *gm() {}\n"
         "  get g() { return 1 }\n  #pm() {}\n"
         "  [Symbol.iterator]() {}\n"
         "}\n"
         "export default class Def {}\n"
         "const C = class {};\n"
         "module.exports = class Agent { run() {} }\n",
         tvt_js_scan);
    EXPECT_EQ(dump(), "CLASS Foo\nMETHOD handler<Foo\nMETHOD constructor<Foo\nMETHOD method<Foo\n"
                      "METHOD sm<Foo\nMETHOD am<Foo\nMETHOD gm<Foo\nMETHOD g<Foo\nMETHOD pm<Foo\n"
                      "METHOD [Symbol.iterator]<Foo\nCLASS Def\nCLASS C\nCLASS exports\nCLASS Agent\nMETHOD run<Agent\n");
}

TEST_F(JsScan, ObjectLiteralsAndPrototypes)
{
    scan("module.exports = { lit() {}, prop: function () {}, 'quoted': function () {}, val: 1 };\n"
         "const sub = { deep: { d1() {} } };\n"
         "const shorthand = { a, b };\n"
         "foo({ anon() {} });\n"
         "function Old() {}\nOld.prototype.go = function (z) {};\n"
         "New.prototype.run = function () {};\n"
         "Proto.prototype = { m1: function () {} };\n",
         tvt_js_scan);
    EXPECT_EQ(dump(), "CLASS exports\nMETHOD lit<exports\nMETHOD prop<exports\nMETHOD quoted<exports\n"
                      "CLASS sub\nCLASS deep<sub\nMETHOD d1<deep\nMETHOD anon\nFUNCTION Old\nMETHOD go<Old\n"
                      "CLASS New\nMETHOD run<New\nCLASS Proto\nMETHOD m1<Proto\n");
}

TEST_F(JsScan, LiteralsThatHoldBracesOrSlashes)
{
    scan("#!/usr/bin/env node\n"
         "const t = `a ${b + `in ${c ? '}' : \"{\"}`} { `;\n"
         "const r = /[/{]+\\//g, q = a / b / c;\n"
         "if (x) { y = z / 2 } function afterDiv() {}\n"
         "const s = '}' + \"{\" + `}`;\n"
         "let re = x.match(/\\{/) ? 1 : 2;\n"
         "function last() {}\n",
         tvt_js_scan);
    EXPECT_EQ(dump(), "FUNCTION afterDiv\nFUNCTION last\n");
    EXPECT_EQ(find("last")->line, 7);
}

TEST_F(JsScan, RegexOrDivisionByWhatComesBefore)
{
    // After an operand "/" divides; after an operator or a keyword it
    // starts a regular expression, whose "{" or "/" count for nothing.
    scan("let a = b / c / d; function one() {}\n"
         "let r = x ? /{/ : /}/; function two() {}\n"
         "if (/^\\/{2}/.test(s)) { function three() {} }\n"
         "return /[/]{/g; function four() {}\n"
         "n = (i++) / 2 / m; function five() {}\n"
         "arr[0] / 3; function six() {}\n",
         tvt_js_scan);
    EXPECT_EQ(dump(), "FUNCTION one\nFUNCTION two\nFUNCTION three\nFUNCTION four\nFUNCTION five\n"
                      "FUNCTION six\n");
}

TEST_F(JsScan, NestedFunctionsAndDollarNames)
{
    scan("function outer() {\n  function inner() {}\n  const $x = function () {};\n"
         "  return { make() { return class Made {} } };\n}\nfunction $() {}\n",
         tvt_js_scan);
    EXPECT_EQ(dump(), "FUNCTION outer\nFUNCTION inner\nFUNCTION $x\nMETHOD make\nCLASS Made\nFUNCTION $\n");
    EXPECT_EQ(find("inner")->line, 2);
}

TEST_F(JsScan, MalformedInputEndsTheScan)
{
    std::string full = "class A { m() { return `x${ {a: `y${1}`} }` } }\nconst f = (a) => /r/;\n"
                       "X.prototype.p = function () {}\nmodule.exports = { k: 1 }\n";
    for (size_t n = 0; n <= full.size(); n++)
        scan(full.substr(0, n), tvt_js_scan);
    std::mt19937 rng(24);
    for (int i = 0; i < 300; i++) {
        std::string s = full;
        for (int k = 0; k < 6; k++)
            s[rng() % s.size()] = "{}()[]`$/'\"=>:,"[rng() % 15];
        scan(s, tvt_js_scan);
    }
    std::string nest;
    for (int i = 0; i < 200; i++)
        nest += "`${";
    scan(nest + std::string(20000, '{') + std::string(20000, '(') + "function end() {}", tvt_js_scan);
    scan("function ok() {}", tvt_js_scan);
    EXPECT_EQ(dump(), "FUNCTION ok\n");
}

} // namespace
