// The Basic and Fortran line scanners.
#include "other_testutil.h"

namespace {

TEST_F(OtherScan, BasicSubsAndFunctions)
{
    EXPECT_EQ(scan("Private Function Area(r)\n  Area = r * r\nEnd Function\n"
                   "Public Sub Main()\nEnd Sub\n"
                   "sub  lower_case\n"
                   "Dim x As Integer\n",
                   tvt_basic_scan),
              "FUNCTION Area\nPROCEDURE Main\nPROCEDURE lower_case\n");
    EXPECT_EQ(find("Area")->flags, 4u);
    EXPECT_EQ(find("Main")->flags, 0u);
    EXPECT_EQ(find("Main")->line, 4);
}

TEST_F(OtherScan, FortranFixedForm)
{
    EXPECT_EQ(scan("C     comment subroutine no\n"
                   "*     subroutine also_comment\n"
                   "      subroutine solve(a, b)\n"
                   "      double precision x, y(10)\n"
                   "      integer*4 n, m(2,3)\n"
                   "      real function f(x)\n"
                   "      program main\n"
                   "   10 continue\n"
                   "      entry other(q)\n"
                   "      realloc = 1\n",
                   tvt_fortran_scan, "t.f"),
              "PROCEDURE solve\nDATA x\nDATA y\nDATA n\nDATA m\nFUNCTION f\nPROCEDURE main\n"
              "PROCEDURE other\n");
    EXPECT_EQ(find("solve")->line, 3);
}

TEST_F(OtherScan, FortranFreeForm)
{
    EXPECT_EQ(scan("module geometry\n"
                   "  implicit none\n"
                   "  real(kind=8), parameter :: pi = 3.14, tau = 2*pi\n"
                   "contains\n"
                   "  pure function area(r) result(a) ! circle\n"
                   "    real(8), intent(in) :: r\n"
                   "  end function area\n"
                   "  recursive subroutine walk(n)\n"
                   "  end subroutine walk\n"
                   "  module procedure walk\n"
                   "  integer(4) function count_it(x)\n"
                   "  end function\n"
                   "end module geometry\n"
                   "character(len=*) function label(i)\n"
                   "end function\n",
                   tvt_fortran_scan, "t.f90"),
              "MODULE geometry\nDATA pi\nDATA tau\nFUNCTION area\nDATA r\nPROCEDURE walk\n"
              "FUNCTION count_it\nFUNCTION label\n");
}

} // namespace
