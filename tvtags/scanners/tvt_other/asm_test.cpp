// The assembler scanner on both syntaxes: labels, equates, structures,
// data, macros, GNU directives and cross-references.
#include "other_testutil.h"

namespace {

TEST_F(OtherScan, AsmLabelsDataAndStructures)
{
    EXPECT_EQ(scan("loop: dec r1\n"
                   "buf db 10 dup (0)\n"
                   "pt struc\n"
                   "x dw ?\n"
                   "y dw ?\n"
                   "pt ends\n"
                   "z dd 0\n"
                   "SIZE equ 10\n"
                   "main proc near\n"
                   "show macro a, b\n"
                   "        mov ax, bx\n",
                   tvt_asm_scan),
              "LABEL loop\nDATA buf\nSTRUCT pt\nMEMBER x\nMEMBER y\nDATA z\nCONST SIZE\n"
              "PROCEDURE main\nMACRO show\n");
    EXPECT_EQ(find("loop")->line, 1);
    EXPECT_EQ(find("SIZE")->line, 8);
    EXPECT_EQ(find("SIZE")->start_column, 0);
}

TEST_F(OtherScan, AsmDirectivesAreWholeWords)
{
    // "equal" and "macros" are not the directives they begin with.
    EXPECT_EQ(scan("a equal 1\nb macros\nc  EQU 2\n", tvt_asm_scan), "CONST c\n");
}

TEST_F(OtherScan, AsmGnuSyntax)
{
    EXPECT_EQ(scan("#include <linux/linkage.h>\n"
                   "#define FLAGS 0x10\n"
                   "/* start: not a label\n"
                   "   still: a comment */\n"
                   "\t.globl do_it\n"
                   "\t.type do_it, @function\n"
                   "do_it:\n"
                   "1:\tjmp 1b\n"
                   ".Lout:\tret\n"
                   "\tinner:\t.short 0\n"
                   "\t.set COUNT, 4\n"
                   "\t.equ .Lsize, 8\n"
                   "CTX = %rdi\n"
                   "\ti = 0\n"
                   "\t.macro SAVE reg\n"
                   "\t.endm\n"
                   "A_l\t.req\tx7\n"
                   "\tcmp $1, %eax\n",
                   tvt_asm_scan),
              "DEFINE FLAGS\nLABEL do_it\nLABEL .Lout\nLABEL inner\nCONST COUNT\nCONST .Lsize\n"
              "CONST CTX\nCONST i\nMACRO SAVE\nCONST A_l\n");
    EXPECT_EQ(find("inner")->start_column, 1);
    EXPECT_EQ(find("SAVE")->line, 15);
}

TEST_F(OtherScan, AsmCrossReferences)
{
    tvt_opt.xref = 1;
    EXPECT_EQ(scan("start: mov ax,[table+bx]\n  call (near_fn) ; comment\n", tvt_asm_scan),
              "LABEL start\nXREF mov\nXREF ax\nXREF table\nXREF call\nXREF near_fn\n");
    tvt_opt.xref = -1;
    EXPECT_EQ(scan("start: mov ax,[table+bx]\n", tvt_asm_scan), "LABEL start\n");
}

} // namespace
