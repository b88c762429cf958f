// Whole programs of a realistic size in the languages with no corpus on
// the machine (Basic, CHILL, xBase), with every tag worked out by hand.
#include "other_testutil.h"

namespace {

const char kBasicModule[] = R"(Attribute VB_Name = "Inventory"
Option Explicit

' Stock levels kept per item code.
Private Type StockItem
    Code As String
    Count As Long
End Type

Private items() As StockItem
Public LastError As String

Public Sub LoadItems(ByVal path As String)
    Dim f As Integer
    f = FreeFile
    Open path For Input As #f
    ' Sub NotThis: a comment
    Close #f
End Sub

Private Function FindItem(code As String) As Long
    Dim i As Long
    For i = LBound(items) To UBound(items)
        If items(i).Code = code Then
            FindItem = i
            Exit Function
        End If
    Next i
    FindItem = -1
End Function

Function AddStock(code As String, n As Long) As Boolean
    Dim i As Long
    i = FindItem(code)
    If i < 0 Then
        LastError = "no item " & code
        AddStock = False
        Exit Function
    End If
    items(i).Count = items(i).Count + n
    AddStock = True
End Function

PRIVATE SUB Reset_All()
    Erase items
End Sub

Static Sub Tick()
End Sub
)";

TEST_F(OtherScan, BasicModule)
{
    EXPECT_EQ(scan(kBasicModule, tvt_basic_scan),
              "PROCEDURE LoadItems\nFUNCTION FindItem\nFUNCTION AddStock\nPROCEDURE Reset_All\n"
              "PROCEDURE Tick\n");
    EXPECT_EQ(find("LoadItems")->line, 13);
    EXPECT_EQ(find("FindItem")->flags, 4u);
    EXPECT_EQ(find("Reset_All")->flags, 4u);
    EXPECT_EQ(find("AddStock")->flags, 0u);
    EXPECT_EQ(find("AddStock")->line, 32);
}

const char kChillModule[] = R"(/* A bounded queue shared by producers and consumers. */
queue: MODULE
  SEIZE ALL;
  GRANT put, get, worker;

  SYNMODE item = INT;
  DCL buffer ARRAY (0:15) item,
      head, tail INT := 0,
      count INT := 0;

  put: PROC (x item);
    IF count = 16 THEN
      RETURN;
    FI;
    buffer(tail) := x;
    tail := (tail + 1) MOD 16;
    count := count + 1;
  END put;

  get: PROC () RETURNS (item);
    DCL r item;
    r := buffer(head);
    head := (head + 1) MOD 16;
    count := count - 1;
    RESULT r;
  END get;

  // one worker per queue
  worker: PROCESS (n INT);
    DCL i INT;
    DO FOR i := 1 TO n;
      CALL put(i);
    OD;
  END worker;

  START worker(10);
END queue;
)";

TEST_F(OtherScan, ChillModule)
{
    EXPECT_EQ(scan(kChillModule, tvt_chill_scan), "MODULE queue\nFUNCTION put\nFUNCTION get\nPROCESS worker\n");
    EXPECT_EQ(find("get")->line, 20);
    EXPECT_EQ(find("worker")->line, 29);
}

const char kXbaseProgram[] = R"(#include "inkey.ch"
#define MAX_ROWS 20

// Customer browser
PROCEDURE Main()
   LOCAL nKey := 0
   PUBLIC cTitle := "Customers"
   USE customer INDEX custname NEW
   DO WHILE nKey != K_ESC
      ShowPage( RecNo() )
      nKey := Inkey( 0 )
      DO CASE
      CASE nKey == K_PGDN
         SKIP MAX_ROWS
      OTHERWISE
         LOOP
      ENDCASE
   ENDDO
   CLOSE ALL
   RETURN

STATIC PROCEDURE ShowPage( nStart )
   LOCAL i
   FOR i := 1 TO MAX_ROWS
      @ i, 0 SAY FormatRow( customer->name, customer->city )
   NEXT
   RETURN

STATIC FUNCTION FormatRow( cName, cCity )
   RETURN PadR( cName, 30 ) + " " + cCity

FUNCTION Total( aValues )
   LOCAL nSum := 0, x
   FOR EACH x IN aValues
      nSum += x
   NEXT
   RETURN nSum

EXIT PROCEDURE Cleanup
   QUIT
)";

TEST_F(OtherScan, XbaseProgram)
{
    EXPECT_EQ(scan(kXbaseProgram, tvt_xbase_scan),
              "PROCEDURE Main\nPROCEDURE ShowPage\nFUNCTION FormatRow\nFUNCTION Total\nPROCEDURE Cleanup\n");
    EXPECT_EQ(find("Main")->args, "()");
    EXPECT_EQ(find("FormatRow")->args, "(cName, cCity)");
    EXPECT_EQ(find("ShowPage")->line, 22);
}

} // namespace
