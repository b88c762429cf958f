// The Ada scanner: dotted packages, subprogram shapes, types, constants,
// and bodies that must not hide the definitions after them.
#include "other_testutil.h"

namespace {

TEST_F(OtherScan, AdaPackagesNestUnderTheirParents)
{
    EXPECT_EQ(scan("package Outer.Inner is\nend Outer.Inner;\n"
                   "package body Util is\nend Util;\n"
                   "package Int_IO is new Ada.Text_IO.Integer_IO (Integer);\n",
                   tvt_ada_scan),
              "PACKAGE Outer\nPACKAGE Inner<Outer\nPACKAGE Util\nPACKAGE Int_IO\n");
}

TEST_F(OtherScan, AdaSubprogramShapes)
{
    EXPECT_EQ(scan("package P is\n"
                   "   procedure Reset;\n"
                   "   function Count return Natural;\n"
                   "   function Add (A, B : Integer) return Integer\n"
                   "     with Pre => A > 0, Inline;\n"
                   "   function \"<\" (L, R : T) return Boolean;\n"
                   "   function Length (V : Vec) return Natural;\n"
                   "   procedure Free is new Ada.Unchecked_Deallocation (Node, Node_Access);\n"
                   "   Callback : access procedure (X : Integer);\n"
                   "end P;\n"
                   "procedure Parent.Child is begin null; end Parent.Child;\n",
                   tvt_ada_scan),
              "PACKAGE P\nPROCEDURE Reset\nFUNCTION Count\nFUNCTION Add\nFUNCTION <\nFUNCTION Length\n"
              "PROCEDURE Free\nPROCEDURE Child\n");
    EXPECT_EQ(find("Add")->line, 4);
}

TEST_F(OtherScan, AdaTypesAndConstants)
{
    EXPECT_EQ(scan("package Shapes is\n"
                   "   type Point is record\n      X, Y : Float;\n   end record;\n"
                   "   type Buffer (Size : Natural) is private;\n"
                   "   type Node;\n"
                   "   subtype Small is Integer range 1 .. 10;\n"
                   "   use type Interfaces.C.int;\n"
                   "   Max_Size : constant Natural := 100;\n"
                   "   type Color is (Red, Green);\n"
                   "end Shapes;\n",
                   tvt_ada_scan),
              "PACKAGE Shapes\nTYPEDEF Point\nTYPEDEF Buffer\nTYPEDEF Node\nTYPEDEF Small\n"
              "CONST Max_Size\nTYPEDEF Color\n");
}

TEST_F(OtherScan, AdaBodiesEndAtTheirOwnEnd)
{
    // The "end if", "end loop" and "end case" inside the body close their
    // own constructs; ticks inside calls are attributes, not characters.
    EXPECT_EQ(scan("package body Q is\n"
                   "   procedure Run (X : in out T'Class) is\n"
                   "      Local : Integer := X'Size;\n"
                   "   begin\n"
                   "      if Check (X'Unrestricted_Access.all) then\n"
                   "         for I in X'Range loop\n"
                   "            case I is\n"
                   "               when 1 => null;\n"
                   "               when others => declare B : Integer; begin null; end;\n"
                   "            end case;\n"
                   "         end loop;\n"
                   "      end if;\n"
                   "      Outer : loop exit; end loop Outer;\n"
                   "   end Run;\n"
                   "   function After return Boolean is (True);\n"
                   "begin\n   null;\nend Q;\n"
                   "procedure Last;\n",
                   tvt_ada_scan),
              "PACKAGE Q\nPROCEDURE Run\nFUNCTION After\nPROCEDURE Last\n");
}

TEST_F(OtherScan, AdaMalformedInputEnds)
{
    EXPECT_EQ(scan("procedure", tvt_ada_scan), "");
    EXPECT_EQ(scan("package body", tvt_ada_scan), "");
    EXPECT_EQ(scan("procedure P is begin if (X then", tvt_ada_scan), "PROCEDURE P\n");
    EXPECT_EQ(scan("type", tvt_ada_scan), "");
}

} // namespace
