// The Pascal scanner: the unit and its imports, routines in the interface
// and implementation sections, and the declarations of type sections.
#include "other_testutil.h"

namespace {

TEST_F(OtherScan, PascalPrototypesFollowTheSection)
{
    EXPECT_EQ(scan("unit Counter;\n"
                   "interface\n"
                   "uses SysUtils, Classes in 'classes.pas';\n"
                   "function Count: Integer;\n"
                   "procedure Run(a: Integer);\n"
                   "procedure Stop;\n"
                   "implementation\n"
                   "function Count: Integer;\nbegin\n  Result := 0;\nend;\n"
                   "procedure Run(a: Integer);\nbegin\nend;\n"
                   "end.\n",
                   tvt_pascal_scan),
              "PACKAGE Counter\nIMPORT SysUtils\nIMPORT Classes\nPROTOTYPE Count<Counter\n"
              "PROCEDURE Run<Counter\nPROCEDURE Stop<Counter\nFUNCTION Count<Counter\n"
              "PROCEDURE Run<Counter\n");
    EXPECT_EQ(find("Run")->args, "(a: Integer)");
    EXPECT_EQ(find("Count")->line, 4);
}

TEST_F(OtherScan, PascalRecordsAndClasses)
{
    EXPECT_EQ(scan("type\n"
                   "  TPoint = packed record\n    X, Y: Integer;\n"
                   "    case Kind: Byte of\n      0: (A: Word);\n      1: (B: Char);\n  end;\n"
                   "  TFwd = class;\n"
                   "  TBase = class(TObject)\n"
                   "  private\n    FName: string;\n"
                   "  public\n"
                   "    constructor Create;\n"
                   "    function GetName: string; virtual; abstract;\n"
                   "    property Name: string read FName write FName; default;\n"
                   "  end;\n"
                   "  TList<T> = class(TBase)\n    Items: array of T;\n  end;\n"
                   "  TEmpty = class(TBase);\n"
                   "  IShape = interface(IUnknown)\n    ['{01234567-89AB-CDEF-0123-456789ABCDEF}']\n"
                   "    procedure Draw;\n  end;\n"
                   "  TColor = (Red, Green);\n"
                   "  TProc = procedure(A: Integer) of object;\n"
                   "var\n  Current: TPoint;\n",
                   tvt_pascal_scan),
              "STRUCT TPoint\nMEMBER X<TPoint\nMEMBER Y<TPoint\nMEMBER Kind<TPoint\n"
              "CLASS TBase\nMEMBER FName<TBase\nMEMBER Create<TBase\nMEMBER GetName<TBase\n"
              "MEMBER Name<TBase\nCLASS TList\nMEMBER Items<TList\nCLASS TEmpty\n"
              "INTERFACE IShape\nMEMBER Draw<IShape\nTYPEDEF TColor\nTYPEDEF TProc\n");
}

TEST_F(OtherScan, PascalBodiesKeepLaterRoutines)
{
    // case, try and asm close with their own "end" inside a body.
    EXPECT_EQ(scan("implementation\n"
                   "procedure TBase.Paint(C: TCanvas);\n"
                   "var I: Integer;\n"
                   "  procedure Inner;\n  begin\n  end;\n"
                   "begin\n"
                   "  case I of\n    1: Inner;\n  else\n    I := 0;\n  end;\n"
                   "  try\n    Inner;\n  finally\n    I := 1;\n  end;\n"
                   "end;\n"
                   "function Fast: Integer; assembler;\nasm\n  mov eax, 1\nend;\n"
                   "constructor TBase.Create;\nbegin\nend;\n"
                   "function TList<T>.Get(I: Integer): T;\nbegin\nend;\n"
                   "procedure Last;\nbegin\nend;\n",
                   tvt_pascal_scan),
              "PROCEDURE Paint\nPROCEDURE Inner\nFUNCTION Fast\nPROCEDURE Create\nFUNCTION Get\n"
              "PROCEDURE Last\n");
}

TEST_F(OtherScan, PascalTypeSectionEndsAtOtherSections)
{
    // Constants and variables are not types; a stray word in a type
    // section loses nothing after it.
    EXPECT_EQ(scan("type TA = Integer;\nconst Limit = 10;\n"
                   "type TB = Word; stdcall;\n  TC = Byte;\n"
                   "resourcestring Msg = 'x';\n"
                   "procedure P;\n",
                   tvt_pascal_scan),
              "TYPEDEF TA\nTYPEDEF TB\nTYPEDEF TC\nPROCEDURE P\n");
}

TEST_F(OtherScan, PascalMalformedInputEnds)
{
    EXPECT_EQ(scan("unit", tvt_pascal_scan), "");
    EXPECT_EQ(scan("type T = class(", tvt_pascal_scan), "CLASS T\n");
    EXPECT_EQ(scan("type R = record A: record B: Integer;", tvt_pascal_scan), "STRUCT R\nMEMBER A<R\n");
    EXPECT_EQ(scan("procedure P; begin begin", tvt_pascal_scan), "PROCEDURE P\n");
}

} // namespace
