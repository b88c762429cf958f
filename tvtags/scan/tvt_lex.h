#ifndef TVTAGS_SCAN_TVT_LEX_H
#define TVTAGS_SCAN_TVT_LEX_H
/* The shared lexer: language descriptors, keyword tables, token codes and
 * the readers every scanner pulls its input through. */
#include <stdint.h>
#include <stdio.h>
#include "wrenlib/dstr.h"
#include "wrenlib/hash.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Lexer flags. */
#define LEX_CPP              0x1
#define LEX_DOLLAR_IDENT     0x2
#define LEX_C_COMMENT        0x4
#define LEX_CPP_COMMENT      0x8
#define LEX_DASH_COMMENT     0x10
#define LEX_ASSIGN           0x20
#define LEX_CHAR_CONST       0x40
#define LEX_PASCAL_COMMENT   0x80
#define LEX_NOCASE           0x100
#define LEX_DOLLAR_HEX       0x200
#define LEX_HASH_COMMENT     0x400
#define LEX_SLASH_STRING     0x800
#define LEX_NEWLINE          0x1000
#define LEX_SEMI_COMMENT     0x4000
#define LEX_NO_ESCAPE        0x8000
#define LEX_TICK_KEYWORD     0x10000
#define LEX_RETURN_COMMENTS  0x20000
#define LEX_SPACE            0x40000
#define LEX_LINE_CONT        0x80000
#define LEX_PERCENT_COMMENT  0x100000
#define LEX_ASP              0x200000
#define LEX_HTML_COMMENT     0x400000
#define LEX_XML              0x800000
#define LEX_BASED_NUMBER     0x1000000
#define LEX_MULTILINE_STRING 0x2000000
#define LEX_NESTED_COMMENT   0x4000000
#define LEX_AT_DIRECTIVE     0x10000000
#define LEX_MATCHING         0x20000000
#define LEX_REGEX            0x40000000

/* Keyword entry flags. */
#define KW_DIRECTIVE 1
#define KW_TICK      2
#define KW_OPERATOR  4
#define KW_TABLE     8  /* kw_name points to another keyword table */

#define LEX_LINE_SIZE 2048

typedef struct keyword_t {
    const char *kw_name;
    int16_t kw_code;
    uint16_t kw_flags;
} keyword_t;

typedef struct lang_desc_t {
    int32_t ld_lang;
    const keyword_t *ld_keywords;
    const char *ld_ident_start;
    const char *ld_ident_chars;
    hash_t *ld_kw_hash;
    hash_t *ld_dir_hash;
    uint32_t ld_flags;
    int (*ld_directive)(int code);
    int (*ld_token)(void);
} lang_desc_t;

typedef struct lex_pushed_t {
    int lp_token;
    int lp_line;
    int lp_column;
} lex_pushed_t;

typedef struct lex_t {
    uint32_t lx_flags;
    lang_desc_t *lx_desc;
    char lx_line[LEX_LINE_SIZE];
    int lx_pos;
    int lx_end;
    int lx_unget_char;
    lex_pushed_t lx_stack[2];
    int lx_nstack;
    int lx_lang;
    int lx_tok_line;
    int lx_tok_column;
    int lx_column;
    int lx_lineno;
    int lx_depth;
    int lx_messages;
    const keyword_t *lx_names;
    dstr_t lx_text;
    int64_t lx_int;
    double lx_float;
} lex_t;

/* The one lexer context of the run. */
extern lex_t lex_ctx;

/* Input channel: the driver opens each source file ("rb") and closes it. */
int lex_open_file(const char *path);   /* 0, or -1 with errno set */
void lex_close_file(void);
const char *lex_file_path(void);

lex_t *lex_init(lang_desc_t *desc);
int lex_getc(void);
void lex_ungetc(int c);
int lex_token(void);
int lex_next(void);                    /* the descriptor's token reader */
void lex_unget_token(int t);
const char *lex_token_text(int t);
int lex_keyword(const char *word, int mask);
int lex_match(dstr_t *text, int open);
int lex_skip_group(int open);
int lex_skip_to(int t);
int lex_skip_to_any(int t, const int *list);
int lex_skip_statement(int t1, int t2);
int lex_collect_args(dstr_t *text, int have_open);
void lex_append_token(dstr_t *text, int t);
void lex_skip_line(void);
int lex_read_line(void);
int lex_getbyte(void);
void lex_error(const char *fmt, ...);
void lex_set_class(int c, int bits);
void lex_trace(const char *text);

/* Diagnostics and tracing destinations, set by the driver. */
void lex_set_error_stream(FILE *f);    /* null: diagnostics off */
void lex_set_debug(int on);

void tag_progress(int n);
const char *format_count(long n);

#ifdef __cplusplus
}
#endif
#endif
