#ifndef TVTAGS_SCANNERS_TVT_SCANNERS_H
#define TVTAGS_SCANNERS_TVT_SCANNERS_H
/* Entry points of the built-in scanners for the registry's table, and the
 * parts of the C-family scanner that other scanners reuse. */

#ifdef __cplusplus
extern "C" {
#endif

/* The C family: one entry per language set-up. */
int tvt_c_scan(void);       /* 7 C, 8 BRIEF/CBRIEF */
int tvt_d_scan(void);       /* 14 D: C with classes and interfaces */
int tvt_cpp_scan(void);     /* 11 C++ */
int tvt_tolva_scan(void);   /* 12 Tolva macro */
int tvt_objc_scan(void);    /* 28 Objective-C */
int tvt_objcpp_scan(void);  /* 29 Objective-C++ */

/* The scripting languages. */
int tvt_perl_scan(void);    /* 31 Perl */
int tvt_python_scan(void);  /* 34 Python */
int tvt_ruby_scan(void);    /* 36 Ruby */
int tvt_php_scan(void);     /* 32 PHP */
int tvt_tcl_scan(void);     /* 41 Tcl */
int tvt_lisp_scan(void);    /* 21 Lisp */
int tvt_matlab_scan(void);  /* 26 Matlab */
int tvt_idl_scan(void);     /* 19 IDL */
int tvt_pvwave_scan(void);  /* 33 PV-Wave */
int tvt_slick_scan(void);   /* 47 SlickEdit macros */
/* The markup family: HTML and Miva, DTD, XML, TeX, BibTeX styles, TIP,
 * INI and text files. */
int tvt_html_scan(void);     /* 18 HTML */
int tvt_miva_scan(void);     /* 27 Miva */
int tvt_dtd_scan(void);      /* 15 DTD */
int tvt_xml_scan(void);      /* 49 XML */
int tvt_tex_scan(void);      /* 42 TeX */
int tvt_bibstyle_scan(void); /* 6 BibTeX style */
int tvt_tip_scan(void);      /* 44 TIP */
int tvt_ini_scan(void);      /* 20 INI */
int tvt_text_scan(void);     /* 43 text */
/* The smaller languages, one scanner each. */
int tvt_ada_scan(void);     /* 1 Ada */
int tvt_asm_scan(void);     /* 3 Assembler */
int tvt_basic_scan(void);   /* 5 Basic */
int tvt_chill_scan(void);   /* 9 CHILL */
int tvt_fortran_scan(void); /* 17 Fortran */
int tvt_pascal_scan(void);  /* 30 Pascal/Delphi */
int tvt_sql_scan(void);     /* 39 SQL */
int tvt_xbase_scan(void);   /* 48 xBase */
int tvt_yacc_scan(void);    /* 51 Yacc */

/* The C directive handler, for other languages' descriptors too. */
int cpp_directive(int code);
/* The C family's token reader: #endif tokens dropped, operator joined
 * with the operator that follows it. */
int cpp_token(void);
/* One statement or declaration at the current level; its last token, or 0
 * at the end of input. */
int cpp_statement(int parent, int deftype);
/* Sets the statement parser to plain C, for a scanner that borrows it:
 * what the file yields must not depend on the C-family file before it. */
void cpp_begin_c(void);
/* The run-wide counter of anonymous names ("anon#N"), shared with the
 * other scanners that name anonymous aggregates. */
int cpp_anon_next(void);
/* Frees what the C family keeps for the run (the CPP_SPECIALS set). */
void tvt_cpp_release(void);

/* Compiled Java: class files, and JAR, ZIP and gzip archives of them. */
int tvt_class_scan(void);   /* 10 Java class file */
int tvt_archive_scan(void); /* 22 JAR, 52 ZIP */
/* The Java family: Java, C# and Java Server Pages share one parser;
 * JavaScript has a scanner of its own, whose function reader also serves
 * the script elements of pages. */
int tvt_java_scan(void);    /* 23 Java */
int tvt_csharp_scan(void);  /* 13 C# */
int tvt_jsp_scan(void);     /* 25 Java Server Page */
int tvt_js_scan(void);      /* 24 JavaScript */
/* After the word "function": the name, when one follows, and its
 * parameter list, emitted as FUNCTION with the given parent.  Returns the
 * tag's handle, or -1 when nothing was emitted. */
int js_function_reader(int parent);
void tvt_java_release(void);
/* The hardware-description family. */
int tvt_verilog_scan(void); /* 45 Verilog, 40 System Verilog */
int tvt_vhdl_scan(void);    /* 46 VHDL */
/* Frees the argument texts the family keeps between files. */
void tvt_hdl_release(void);

/* Frees what the calling thread's scans keep between files (the lexer's
 * buffers, the families' texts, the inheritance stack); a scanning thread
 * calls it before it ends. */
void tvt_scanners_release_thread(void);

#ifdef __cplusplus
}
#endif
#endif
