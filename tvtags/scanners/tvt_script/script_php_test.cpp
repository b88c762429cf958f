// The PHP scanner: code only between <? and ?>, class bodies ended at
// their closing brace, and the declarations inside them.
#include "script_testutil.h"

namespace {

TEST_F(ScriptScan, PhpTextOutsideCodeIsNotTagged)
{
    EXPECT_EQ(scan(tvt_php_scan, "function html() {}\n<p>it's</p>\n"), "");
    EXPECT_EQ(scan(tvt_php_scan, "<html>function a() {}\n<?php function b() {} ?>\n"
                                 "<b>function c() { it's }</b>\n<?php function d() {}\n"),
              "FUNCTION b\nFUNCTION d\n");
    EXPECT_EQ(find("d")->line, 4);
}

TEST_F(ScriptScan, PhpDefinesAndVariables)
{
    EXPECT_EQ(scan(tvt_php_scan, "<?php\ndefine('X', 1);\ndefine(\"Y\", 2);\n$top = 1;\n$$indirect = 2;\n"
                                 "if ($a) { $inner = 3; }\n"),
              "DEFINE 'X'\nDEFINE Y\nDATA top\nDATA indirect\n");
}

TEST_F(ScriptScan, PhpClassBodiesEndAtTheirBrace)
{
    EXPECT_EQ(scan(tvt_php_scan,
                   "<?php\n"
                   "namespace App\\Models;\n"
                   "abstract class Shape extends Base implements I {\n"
                   "    const SIDES = 0;\n"
                   "    var $old;\n"
                   "    public static ?int $count = 0;\n"
                   "    private array $items = [];\n"
                   "    abstract protected function area(): float;\n"
                   "    final public static function &make(int $n) { if ($n) { return 1; } }\n"
                   "    function list() { $f = function ($x) use ($n) { return $x; }; }\n"
                   "}\n"
                   "function after_class() { return Shape::class; }\n"
                   "interface Drawable { public function draw(); }\n"
                   "trait Named { function name() {} }\n"
                   "if (!function_exists('guarded')) { function guarded() {} }\n"
                   "$o = new class { function anon_method() {} };\n"),
              "PACKAGE App\\Models\nCLASS Shape\nCONST SIDES<Shape\nMEMBER old<Shape\n"
              "MEMBER count<Shape\nMEMBER items<Shape\nMETHOD area<Shape\nMETHOD make<Shape\n"
              "METHOD list<Shape\nFUNCTION after_class\nINTERFACE Drawable\nMETHOD draw<Drawable\n"
              "CLASS Named\nMETHOD name<Named\nFUNCTION guarded\nDATA o\n");
}

TEST_F(ScriptScan, PhpStringsSpanLinesAndHideBraces)
{
    EXPECT_EQ(scan(tvt_php_scan, "<?php\nclass A {\n  var $doc = array('doc' => '\nit\\'s { here\n');\n"
                                 "  function f() { return \"}\n\"; }\n  function g() { return '}'; }\n}\n"
                                 "function h() {}\n"),
              "CLASS A\nMEMBER doc<A\nMETHOD f<A\nMETHOD g<A\nFUNCTION h\n");
}

TEST_F(ScriptScan, PhpCutShortByTheEndOfTheFile)
{
    EXPECT_EQ(scan(tvt_php_scan, "<?php class A { function f("), "CLASS A\nMETHOD f<A\n");
    EXPECT_EQ(scan(tvt_php_scan, "<?php define("), "");
    EXPECT_EQ(scan(tvt_php_scan, "<?php class"), "");
    EXPECT_EQ(scan(tvt_php_scan, "<?php } } function f() {} ?"), "FUNCTION f\n");
}

} // namespace
