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

/* State of one scan: every thread that scans files has its own copy. */
#ifdef __cplusplus
#define TVT_PER_THREAD thread_local
#else
#define TVT_PER_THREAD _Thread_local
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
/* C++ literals: digit separators (1'000), binary constants (0b1010) and
 * raw strings (R"x(...)x" with the u8, u, U and L prefixes). */
#define LEX_CXX_LITERALS     0x8000000
#define LEX_AT_DIRECTIVE     0x10000000
#define LEX_MATCHING         0x20000000
#define LEX_REGEX            0x40000000
/* Bracket matching counts the brackets of the first branch of a
 * conditional only; #else and #elif branches are stepped over. */
#define LEX_FIRST_BRANCH     0x80000000u

/* Keyword entry flags. */
#define KW_DIRECTIVE 1
#define KW_TICK      2
#define KW_OPERATOR  4
#define KW_TABLE     8  /* kw_name points to another keyword table */

/* Character class bits (lex_class_of). */
#define CC_IDSTART 1
#define CC_BLANK   2
#define CC_DIGIT   4
#define CC_HEX     8
#define CC_IDENT   16

#define LEX_LINE_SIZE 2048

/* Token codes returned by the lexer.  Codes below 256 are the characters
 * themselves; 0 is the end of input. */
enum {
    TOK_EOF = 0,
    TOK_AMP = 260, TOK_AND_ASSIGN = 261, TOK_PTR = 262, TOK_ANDAND = 263,
    TOK_SCOPE = 264, TOK_TILDE = 265, TOK_OROR = 267, TOK_DIV = 268,
    TOK_DIV_ASSIGN = 269, TOK_DOT = 270, TOK_EQUAL = 271, TOK_ARROW = 272,
    TOK_EQEQ = 273, TOK_GE = 274, TOK_GT = 275, TOK_LE = 276, TOK_SHL = 277,
    TOK_SHL_ASSIGN = 278, TOK_LT = 279, TOK_MINUS = 280, TOK_MINUS_ASSIGN = 281,
    TOK_DEC = 282, TOK_MOD = 283, TOK_MOD_ASSIGN = 284, TOK_STAR = 285,
    TOK_MUL_ASSIGN = 286, TOK_NE = 287, TOK_NOT = 288, TOK_OR = 289,
    TOK_OR_ASSIGN = 290, TOK_PLUS = 291, TOK_PLUS_ASSIGN = 292, TOK_INC = 293,
    TOK_SHR = 296, TOK_SHR_ASSIGN = 297, TOK_UMINUS = 298, TOK_UPLUS = 299,
    TOK_XOR = 300, TOK_XOR_ASSIGN = 301,
    TOK_AT_WORD = 304, TOK_DEFINE = 305, TOK_HASH_IF = 306, TOK_HASH_ELSE = 307,
    TOK_HASH_ENDIF = 308, TOK_HASH_ELIF = 309, TOK_HASH_WORD = 310,
    TOK_INCLUDE = 311, TOK_BACKTICK_WORD = 312,
    TOK_FLOAT = 315, TOK_INT = 316, TOK_STRING = 318, TOK_SYMBOL = 319,
    TOK_TYPEDEF_NAME = 320,
    TOK_ASSIGN = 333, TOK_ELLIPSIS = 376, TOK_EMPTY_END = 419, TOK_IGNORE = 478,
    TOK_COMMENT = 601, TOK_LINE_COMMENT = 603, TOK_ASP_OPEN = 605, TOK_ASP_CLOSE = 606
};

/* Keyword codes: one numbering shared by every language's table, so that
 * the words of different languages for one construct share a code. */
enum {
    KEY_ABSTRACT = 322, KEY_ARCHITECTURE = 324, KEY_ATTR_WORD = 327, KEY_A = 329,
    KEY_APPLET = 330, KEY_ARRAY = 331, KEY_AS = 332, KEY_ASSIGN = 333,
    KEY_ASM = 334, KEY_ATTLIST = 335, KEY_ATTRIBUTE = 336, KEY_AUTO = 337,
    KEY_AUTOMATION = 338, KEY_BEGIN = 340, KEY_BODY = 342, KEY_BOOL = 343,
    KEY_BREAK = 344, KEY_BYTE = 346, KEY_CASE = 347, KEY_CATCH = 348,
    KEY_CENTER = 349, KEY_CHAR = 350, KEY_CLASS = 352, KEY_CLUSTERED = 354,
    KEY_COMMAND = 357, KEY_COMPONENT = 360, KEY_CONFIG = 361, KEY_CONST = 362,
    KEY_CONSTANT = 363, KEY_CONSTRAINT = 364, KEY_CONTINUE = 365, KEY_CREATE = 366,
    KEY_CURSOR = 367, KEY_DECLARE = 368, KEY_DECR = 369, KEY_DEF = 370,
    KEY_DEFAULT = 371, KEY_DEFEVENTTAB = 372, KEY_DEFCONST = 373, KEY_DELETE = 374,
    KEY_DO = 375, KEY_DOUBLE = 377, KEY_DROP = 378, KEY_ELEMENT = 381,
    KEY_ELSE = 383, KEY_ELSEIF = 384, KEY_END = 385, KEY_ENDCASE = 387,
    KEY_ENDCLASS = 388, KEY_ENDCONFIG = 389, KEY_ENDELSE = 390,
    KEY_ENDFUNCTION = 391, KEY_ENDPROGRAM = 392, KEY_ENDPROPERTY = 393,
    KEY_ENDWHILE = 394, KEY_ENDFOR = 395, KEY_ENDIF = 396, KEY_ENDINTERFACE = 411,
    KEY_ENDMODULE = 414, KEY_ENDPACKAGE = 416, KEY_ENTITY = 420, KEY_ENTRY = 421,
    KEY_ENUM = 422, KEY_EXCEPT = 423, KEY_EXEC = 424, KEY_EXPORT = 425,
    KEY_EXPR = 426, KEY_EXTENDS = 427, KEY_EXTERN = 428, KEY_FINAL = 430,
    KEY_FINALLY = 431, KEY_FINALIZATION = 432, KEY_FLOAT = 434, KEY_FOR = 435,
    KEY_FOREACH = 436, KEY_FORM = 437, KEY_FRAME = 438, KEY_FRIEND = 439,
    KEY_FROM = 440, KEY_FUNCTION = 442, KEY_GLOBAL = 443, KEY_GO = 444,
    KEY_GOTO = 445, KEY_GRANT = 446, KEY_HEAD = 447, KEY_H1 = 448, KEY_H2 = 449,
    KEY_H3 = 450, KEY_H4 = 451, KEY_H5 = 452, KEY_H6 = 453, KEY_H7 = 454,
    KEY_H8 = 455, KEY_H9 = 456, KEY_HREF = 457, KEY_IF = 458,
    KEY_IMPLEMENTS = 461, KEY_IMPLEMENTATION = 462, KEY_IMPORT = 464,
    KEY_IMPURE = 465, KEY_INCR = 466, KEY_INDEX = 467, KEY_INLINE = 470,
    KEY_INOUT = 471, KEY_INPUT = 472, KEY_INT = 473, KEY_INTEGER = 474,
    KEY_INTERFACE = 475, KEY_IS = 477, KEY_IGNORE = 478, KEY_LABEL = 479,
    KEY_LIBRARY = 483, KEY_APPEND = 484, KEY_LIST = 485, KEY_LOCAL = 486,
    KEY_LOGIC = 487, KEY_LONG = 489, KEY_LOOP = 490, KEY_M = 491, KEY_MACRO = 492,
    KEY_MACROMODULE = 493, KEY_MODULE = 496, KEY_MUTABLE = 497, KEY_NAME = 498,
    KEY_NAMESPACE = 499, KEY_NATIVE = 500, KEY_NETTYPE = 501, KEY_NEW = 502,
    KEY_OF = 504, KEY_OBJECT = 505, KEY_OPERATOR = 507, KEY_OUTPUT = 508,
    KEY_ORDER = 509, KEY_OVERLOAD = 510, KEY_PACKAGE = 511, KEY_PARAMETER = 512,
    KEY_PHP = 513, KEY_POSTPONED = 515, KEY_PRIMITIVE = 518, KEY_PROTECTED = 519,
    KEY_PRIVATE = 520, KEY_PROCEDURE = 521, KEY_PROCESS = 522, KEY_PROGRAM = 523,
    KEY_PROPERTY = 524, KEY_PUBLIC = 526, KEY_PUTS = 527, KEY_REAL = 529,
    KEY_RECORD = 530, KEY_REF = 531, KEY_REGISTER = 532, KEY_REPLACE = 533,
    KEY_RESTRICT = 536, KEY_RETURN = 537, KEY_RULE = 539, KEY_S = 540,
    KEY_SBYTE = 541, KEY_SCRIPT = 542, KEY_SELECT = 543, KEY_SET = 544,
    KEY_SHORT = 545, KEY_SIGNED = 546, KEY_SIZEOF = 548, KEY_SQL = 549,
    KEY_STATIC = 551, KEY_STRING = 553, KEY_STRUCT = 554, KEY_SWITCH = 558,
    KEY_SYNCHRONIZED = 560, KEY_TABLE = 561, KEY_TASK = 562, KEY_TEMPLATE = 563,
    KEY_THEN = 564, KEY_THIS = 565, KEY_THREADSAFE = 566, KEY_THROWS = 567,
    KEY_TO = 568, KEY_TR = 569, KEY_TRANSIENT = 570, KEY_TRIGGER = 571,
    KEY_TRY = 572, KEY_TYPE = 573, KEY_TYPEDEF = 574, KEY_TYPELESS = 575,
    KEY_USHORT = 576, KEY_UINT = 577, KEY_ULONG = 578, KEY_UNION = 579,
    KEY_UNIQUE = 580, KEY_UNIT = 581, KEY_UNSIGNED = 583, KEY_USE = 584,
    KEY_USES = 585, KEY_USING = 586, KEY_VAR = 589, KEY_VIEW = 590,
    KEY_VOID = 592, KEY_VOLATILE = 593, KEY_WHEN = 594, KEY_WHERE = 595,
    KEY_WHILE = 596, KEY_WIRE = 597, KEY_WITH = 598
};

typedef struct keyword_t {
    const char *kw_name;
    int16_t kw_code;
    uint16_t kw_flags;
} keyword_t;

/* An entry that splices another table in its place. */
#define KW_NEST(table) { reinterpret_cast<const char *>(table), 0, KW_TABLE }
#define KW_END { nullptr, 0, 0 }

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
    int64_t lp_int;
    double lp_float;
    dstr_t lp_text;     /* the token's text, so a pushed-back word keeps it */
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
    int lx_column;      /* characters of the current line consumed so far */
    int lx_lineno;
    int lx_depth;
    int lx_messages;
    const keyword_t *lx_names;
    dstr_t lx_text;     /* the token text, terminated (the zero not counted) */
    int64_t lx_int;
    double lx_float;
} lex_t;

/* The lexer context of the scan on this thread. */
extern TVT_PER_THREAD lex_t lex_ctx;

/* Input channel: the driver opens each source file ("rb") and closes it. */
int lex_open_file(const char *path);   /* 0, or -1 with errno set */
/* The same over text in memory (tests, fuzzing); the text must outlive the
 * scan.  The path is used in diagnostics. */
int lex_open_string(const char *text, int len, const char *path);
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
/* text must be zeroed or initialised; it is (re)initialised here. */
int lex_collect_args(dstr_t *text, int have_open);
void lex_append_token(dstr_t *text, int t);
void lex_skip_line(void);              /* the newline is consumed too */
int lex_read_line(void);               /* length, or -1 at end of input */
int lex_getbyte(void);
/* Up to n raw bytes (those lex_getbyte buffered first); the count read,
 * 0 at the end of input.  Binary inputs read in blocks with it. */
int lex_getbytes(void *dst, int n);
void lex_error(const char *fmt, ...);
void lex_set_class(int c, int bits);
int lex_class_of(int c);
void lex_trace(const char *text);

/* The smaller readers.  Each leaves its result in the token text. */
/* A string delimited by the next character (twice: two delimited parts, as
 * in s/a/b/); returns KEY_S, or 0 at end of input before the delimiter. */
int lex_read_delimited(int twice);
/* Characters up to c (consumed, not kept); stops before a newline.
 * Returns c when found, '\n' or 0 otherwise. */
int lex_read_upto(int c);
/* Skips blanks and reads a word; returns its length (0: none). */
int lex_read_word(void);
/* Skips blanks and pushes the next character back; returns it. */
int lex_peek_char(void);

/* Diagnostics and tracing destinations, set by the driver. */
void lex_set_error_stream(FILE *f);    /* null: diagnostics off */
/* With a buffer set, diagnostics are added to it in the form they would
 * have on the stream, for whoever writes them later; null writes them
 * again.  The scanning thread sets its own. */
void lex_capture_errors(dstr_t *into);
void lex_set_debug(int on);

void tag_progress(int n);
const char *format_count(long n);

/* Releases the keyword hashes of every descriptor seen and the token text
 * buffers; called once at the end of the run. */
void lex_release(void);
/* Releases what the calling thread's scans hold (buffers, token texts);
 * a scanning thread calls it before it ends. */
void lex_release_thread(void);

/* Keyword tables of the C family, shared with other languages' tables. */
extern const keyword_t kw_c[];
extern const keyword_t kw_cpp[];
extern const keyword_t kw_objc[];
extern const keyword_t kw_tolva[];

#ifdef __cplusplus
}
#endif
#endif
