#ifndef TVTAGS_SCAN_LEX_INTERNAL_H
#define TVTAGS_SCAN_LEX_INTERNAL_H
// State and helpers shared by the lexer's own files.
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "tvt_lex.h"
#include "wrenlib/dstr.h"

// The input channel: an open file read through a block buffer, or text in
// memory.  Lines are cut out of the block into the context's line buffer.
struct lex_input_t {
    FILE *fp = nullptr;
    const char *mem = nullptr;
    size_t mem_len = 0;
    size_t mem_pos = 0;
    char *block = nullptr;      // file block buffer, kept for the run
    size_t bpos = 0, blen = 0;
    bool open = false;
    bool eof = false;
    bool at_line_start = true;  // the last piece ended a line
    bool sccs = false;          // base name begins with "s."
    char *path = nullptr;
};

struct lex_progress_t {
    long calls = 0;
    long dups = 0;
    long largest = 0;
    long long last_second = 0;
};

// What one scanning thread reads and changes: each thread that scans has
// its own, so that files can be scanned side by side.
struct lex_state_t {
    lex_input_t in;
    unsigned char cls[256] = {};
    dstr_t *captured = nullptr;   // diagnostics go here instead of err
    lex_progress_t progress;
};

extern constinit thread_local lex_state_t lex_st;

// What every scanning thread shares: set by the driver before the scans,
// and the keyword hashes, built once for the run under a lock.
struct lex_shared_t {
    FILE *err = nullptr;
    int debug = 0;
    // Descriptors whose hash tables were built, so they can be released.
    lang_desc_t *built[64] = {};
    int nbuilt = 0;
};

extern lex_shared_t lex_shared;

// Reads the next piece of a line into the line buffer: its length, or -1
// at the end of input.  Counts the line when the piece begins one.
int lex_fill(void);
int lex_fill_piece(bool raw);  // raw: zero bytes kept
// Skips to the end of the line and pushes the newline back, so that
// languages with newline tokens still see it.  Honours LEX_LINE_CONT.
void lex_skip_to_eol(void);
// Skips a /* */ comment whose opener was read; nesting when asked.
void lex_skip_c_comment(bool nesting);
// lex_token for groups skipped with nothing taken from them: a word is
// TOK_SYMBOL, without its text or its keyword code.
int lex_skip_token(void);
// Token readers of the literal rules; -1 means "no token, read on".
int lex_scan_number(int c);
int lex_scan_string(int delim);
// A raw string; its prefix and opening quote are in the token text.
int lex_scan_raw_string(void);
int lex_scan_char_const(void);
// The directive rule after '#' or '@'; -1 means "line consumed, read on".
int lex_directive_rule(int deflt);
// The keyword entry for a word, or null (folded under LEX_NOCASE).
const keyword_t *lex_find_keyword(const char *word, int len);
const keyword_t *lex_find_directive(const char *word, int len);
// The data of the table's key equal to the len bytes of word, or null: the
// keyword lookups' fast copy of the table, kept per thread and forgotten
// when the thread's lexer is released.
void *lex_kw_lookup(const hash_t *h, const char *word, int len);
void lex_kw_index_reset();

inline int lex_cls(int c) { return lex_st.cls[c & 0xFF]; }

// The helpers below run for every character or token: inlined even where
// the compiler would rather not (the operator switch, say).
#if defined(__GNUC__)
#define LEX_HOT inline __attribute__((always_inline))
// Keeps a value in a register of its own, so that the compiler does not
// fuse its load with a neighbour's into one wider load (which waits when
// one half was just stored).
#define LEX_APART(v) __asm__("" : "+r"(v))
#else
#define LEX_HOT inline
#define LEX_APART(v) ((void)0)
#endif

// The character reader of lex_getc, inline for the lexer's own loops.
LEX_HOT int gc()
{
    lex_t &x = lex_ctx;
    if (x.lx_unget_char) {
        int c = x.lx_unget_char;
        x.lx_unget_char = 0;
        x.lx_column++;
        return c;
    }
    if (x.lx_pos >= x.lx_end && lex_fill() < 0)
        return 0;
    x.lx_column++;
    return static_cast<unsigned char>(x.lx_line[x.lx_pos++]);
}

LEX_HOT void ugc(int c)
{
    if (c == 0)
        return;
    lex_ctx.lx_unget_char = c;
    if (lex_ctx.lx_column > 0)
        lex_ctx.lx_column--;
}

// The next character without consuming it; 0 when it lies beyond the
// current line piece (the caller then treats it as "no match").
LEX_HOT int peek1()
{
    const lex_t &x = lex_ctx;
    if (x.lx_unget_char)
        return x.lx_unget_char;
    return x.lx_pos < x.lx_end ? static_cast<unsigned char>(x.lx_line[x.lx_pos]) : 0;
}

// The character after peek1(), from the line piece only.
inline int peek2()
{
    const lex_t &x = lex_ctx;
    int p = x.lx_unget_char ? x.lx_pos : x.lx_pos + 1;
    return p < x.lx_end ? static_cast<unsigned char>(x.lx_line[p]) : 0;
}

// Token-text helpers: the text stays terminated, the zero not counted.
LEX_HOT void text_clear()
{
    lex_ctx.lx_text.dl_len = 0;
    lex_ctx.lx_text.dl_str[0] = '\0';
}

LEX_HOT void text_add(int c)
{
    dstr_t &t = lex_ctx.lx_text;
    if (t.dl_len + 2 < t.dl_size)
        t.dl_str[t.dl_len++] = static_cast<char>(c);
    else
        dstr_add_char(&t, c);
    t.dl_str[t.dl_len] = '\0';
}

LEX_HOT void text_append(const char *s, int n)
{
    dstr_t &t = lex_ctx.lx_text;
    if (t.dl_len + n + 2 < t.dl_size) {
        // Mostly a short word: a call to memcpy costs more than the copy.
        char *d = t.dl_str + t.dl_len;
        if (n <= 16) {
            for (int i = 0; i < n; i++)
                d[i] = s[i];
        } else {
            std::memcpy(d, s, size_t(n));
        }
        t.dl_len += n;
        t.dl_str[t.dl_len] = '\0';
        return;
    }
    for (int i = 0; i < n; i++)
        text_add(static_cast<unsigned char>(s[i]));
}

// Consumes the characters of the current line piece, from the reading
// position on, while keep(c) holds: the fast path of the lexer's character
// loops, which keeps the position in a register instead of going through
// gc() for each character.  Returns how many were taken and leaves them at
// `from`; stops at the end of the piece (the caller goes on with gc(),
// which refills) and takes nothing while a character is pushed back.
template <typename Keep> inline int take_run(Keep keep, const char **from = nullptr)
{
    lex_t &x = lex_ctx;
    if (from)
        *from = x.lx_line + x.lx_pos;
    if (x.lx_unget_char)
        return 0;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(x.lx_line) + x.lx_pos;
    const unsigned char *e = reinterpret_cast<const unsigned char *>(x.lx_line) + x.lx_end;
    const unsigned char *q = p;
    while (q < e && keep(*q))
        q++;
    int n = int(q - p);
    x.lx_pos += n;
    x.lx_column += n;
    return n;
}

// The same for the characters of a class (any of the bits).
inline int take_class_run(int bits, const char **from = nullptr)
{
    return take_run([bits](unsigned char c) { return (lex_st.cls[c] & bits) != 0; }, from);
}

inline void text_set(const char *s)
{
    text_clear();
    while (*s)
        text_add(*s++);
}

#endif
