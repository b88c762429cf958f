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

/* The C directive handler, for other languages' descriptors too. */
int cpp_directive(int code);
/* The C family's token reader: #endif tokens dropped, operator joined
 * with the operator that follows it. */
int cpp_token(void);
/* One statement or declaration at the current level; its last token, or 0
 * at the end of input. */
int cpp_statement(int parent, int deftype);
/* Frees what the C family keeps for the run (the CPP_SPECIALS set). */
void tvt_cpp_release(void);

#ifdef __cplusplus
}
#endif
#endif
