// The lexer's input channel and context: the file being scanned is read a
// line at a time into the fixed line buffer, and the raw readers for
// line-oriented and binary inputs work on the same buffer.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "tvt_lex.h"
#include "tvt_tag.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"
#include "wrenlib/fmt.h"

namespace {

struct lex_input_t {
    FILE *fp = nullptr;
    char *path = nullptr;
    FILE *err = nullptr;       // diagnostics stream, null when off
    int debug = 0;
    char *buf = nullptr;       // read block
    size_t have = 0, at = 0;
};

lex_input_t input;

// Source bytes are read in large blocks; lines are cut from them.
constexpr size_t READ_BLOCK = 64 * 1024;

size_t refill()
{
    if (!input.buf)
        input.buf = static_cast<char *>(chk_alloc(READ_BLOCK));
    input.have = fread(input.buf, 1, READ_BLOCK, input.fp);
    input.at = 0;
    return input.have;
}

// Reads the next line (at most LEX_LINE_SIZE - 1 bytes, zero bytes kept)
// into the line buffer.  A longer line arrives in pieces and each piece
// counts as a line.
int fill_line()
{
    if (!input.fp)
        return -1;
    size_t n = 0;
    while (n < LEX_LINE_SIZE - 1) {
        if (input.at >= input.have && refill() == 0)
            break;
        size_t room = LEX_LINE_SIZE - 1 - n;
        size_t avail = input.have - input.at;
        size_t take = avail < room ? avail : room;
        const char *src = input.buf + input.at;
        const char *nl = static_cast<const char *>(memchr(src, '\n', take));
        if (nl)
            take = (size_t)(nl - src) + 1;
        memcpy(lex_ctx.lx_line + n, src, take);
        n += take;
        input.at += take;
        if (nl)
            break;
    }
    lex_ctx.lx_line[n] = '\0';
    lex_ctx.lx_pos = 0;
    lex_ctx.lx_end = (int)n;
    if (n == 0)
        return -1;
    lex_ctx.lx_lineno++;
    lex_ctx.lx_column = 0;
    return (int)n;
}

} // namespace

extern "C" {

lex_t lex_ctx;

int lex_open_file(const char *path)
{
    lex_close_file();
    input.fp = fopen(path, "rb");
    if (!input.fp)
        return -1;
    input.path = chk_strdup(path);
    return 0;
}

void lex_close_file(void)
{
    if (input.fp)
        fclose(input.fp);
    input.fp = nullptr;
    input.have = input.at = 0;
    chk_free_ptr(&input.path);
}

const char *lex_file_path(void)
{
    return input.path ? input.path : "";
}

void lex_set_error_stream(FILE *f)
{
    input.err = f;
}

void lex_set_debug(int on)
{
    input.debug = on;
}

lex_t *lex_init(lang_desc_t *desc)
{
    dstr_t text = lex_ctx.lx_text;
    memset(&lex_ctx, 0, sizeof lex_ctx);
    lex_ctx.lx_text = text;
    if (!lex_ctx.lx_text.dl_str)
        dstr_init(&lex_ctx.lx_text, 128);
    dstr_clear(&lex_ctx.lx_text);
    dstr_terminate(&lex_ctx.lx_text);
    lex_ctx.lx_text.dl_len = 0;
    tag_reset();
    if (desc) {
        lex_ctx.lx_desc = desc;
        lex_ctx.lx_flags = desc->ld_flags;
        lex_ctx.lx_lang = desc->ld_lang;
        lex_ctx.lx_names = desc->ld_keywords;
    }
    return &lex_ctx;
}

int lex_getc(void)
{
    if (lex_ctx.lx_unget_char) {
        int c = lex_ctx.lx_unget_char;
        lex_ctx.lx_unget_char = 0;
        return c;
    }
    if (lex_ctx.lx_pos >= lex_ctx.lx_end && fill_line() < 0)
        return 0;
    lex_ctx.lx_column++;
    return (unsigned char)lex_ctx.lx_line[lex_ctx.lx_pos++];
}

void lex_ungetc(int c)
{
    lex_ctx.lx_unget_char = c;
}

int lex_read_line(void)
{
    int n = fill_line();
    if (n >= 0)
        tag_rec.tr_line++;
    lex_ctx.lx_pos = lex_ctx.lx_end;
    return n;
}

int lex_getbyte(void)
{
    if (lex_ctx.lx_pos >= lex_ctx.lx_end) {
        if (!input.fp)
            return -1;
        size_t n = 0;
        while (n < LEX_LINE_SIZE) {
            if (input.at >= input.have && refill() == 0)
                break;
            size_t take = input.have - input.at;
            if (take > LEX_LINE_SIZE - n)
                take = LEX_LINE_SIZE - n;
            memcpy(lex_ctx.lx_line + n, input.buf + input.at, take);
            n += take;
            input.at += take;
        }
        if (n == 0)
            return -1;
        lex_ctx.lx_pos = 0;
        lex_ctx.lx_end = (int)n;
    }
    return (unsigned char)lex_ctx.lx_line[lex_ctx.lx_pos++];
}

void lex_error(const char *fmt, ...)
{
    if (!input.err)
        return;
    fflush(stdout);
    if (lex_ctx.lx_messages++ == 0)
        wl_fprintf(input.err, "\n");
    char msg[512];
    va_list ap;
    va_start(ap, fmt);
    wl_vsnprintf(msg, sizeof msg, fmt, ap);
    va_end(ap);
    wl_fprintf(input.err, "%s:%d: %s\n", lex_file_path(), lex_ctx.lx_lineno, msg);
}

void lex_trace(const char *text)
{
    if (input.debug)
        wl_printf("%s:%d: %s\n", lex_file_path(), lex_ctx.lx_lineno, text);
}

} // extern "C"
