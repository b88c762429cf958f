// The built-in scanners, by language id.  A scanner registered by an
// extension library for the same id is called instead.
#include "scan/tvt_lang.h"
#include "scan/tvt_lex.h"
#include "scan/tvt_tag.h"
#include "scanners/tvt_scanners.h"

extern "C" {

const scanner_row_t scanner_table[] = {
    {LANG_C, tvt_c_scan},
    {LANG_BRIEF, tvt_c_scan},
    {LANG_CPP, tvt_cpp_scan},
    {LANG_TOLVA, tvt_tolva_scan},
    {LANG_D, tvt_d_scan},
    {LANG_OBJC, tvt_objc_scan},
    {LANG_OBJCPP, tvt_objcpp_scan},
    // The scripting languages.
    {LANG_PERL, tvt_perl_scan},
    {LANG_PYTHON, tvt_python_scan},
    {LANG_RUBY, tvt_ruby_scan},
    {LANG_PHP, tvt_php_scan},
    {LANG_TCL, tvt_tcl_scan},
    {LANG_LISP, tvt_lisp_scan},
    {LANG_MATLAB, tvt_matlab_scan},
    {LANG_IDL, tvt_idl_scan},
    {LANG_PVWAVE, tvt_pvwave_scan},
    {LANG_SLICK, tvt_slick_scan},
    // Compiled Java.
    {LANG_CLASS, tvt_class_scan},
    {LANG_JAR, tvt_archive_scan},
    {LANG_ZIP, tvt_archive_scan},
    // The markup family.
    {LANG_HTML, tvt_html_scan},
    {LANG_MIVA, tvt_miva_scan},
    {LANG_DTD, tvt_dtd_scan},
    {LANG_XML, tvt_xml_scan},
    {LANG_TEX, tvt_tex_scan},
    {LANG_BIBTEX, tvt_bibstyle_scan},
    {LANG_TIP, tvt_tip_scan},
    {LANG_INI, tvt_ini_scan},
    {LANG_TEXT, tvt_text_scan},
    // The smaller languages.
    {LANG_ADA, tvt_ada_scan},
    {LANG_ASM, tvt_asm_scan},
    {LANG_BASIC, tvt_basic_scan},
    {LANG_CHILL, tvt_chill_scan},
    {LANG_FORTRAN, tvt_fortran_scan},
    {LANG_PASCAL, tvt_pascal_scan},
    {LANG_SQL, tvt_sql_scan},
    {LANG_XBASE, tvt_xbase_scan},
    {LANG_YACC, tvt_yacc_scan},
    // The Java family.
    {LANG_JAVA, tvt_java_scan},
    {LANG_CSHARP, tvt_csharp_scan},
    {LANG_JSP, tvt_jsp_scan},
    {LANG_JAVASCRIPT, tvt_js_scan},
    // The hardware-description family.
    {LANG_VERILOG, tvt_verilog_scan},
    {LANG_SYSVERILOG, tvt_verilog_scan},
    {LANG_VHDL, tvt_vhdl_scan},
    {-1, nullptr},
};

} // extern "C"

extern "C" void tvt_scanners_release_thread(void)
{
    tvt_cpp_release();
    tvt_java_release();
    tvt_hdl_release();
    inh_free();
    lex_release_thread();
}
