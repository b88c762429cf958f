/* A small extension library for the end-to-end tests.  It replaces the C
 * scanner with a line scanner whose input is one definition per line:
 *   fn NAME   a FUNCTION        cls NAME  a CLASS
 *   def NAME  a DEFINE          var NAME  a DATA
 *   ref NAME  a cross-reference warn TEXT a scanner diagnostic
 *   crash     a fault in the scanner
 * and makes ".log" files a language whose scanner declines them. */
#include <csignal>
#include <cstring>

#include "scan/tvt_scan.h"

namespace {

lang_desc_t line_desc = {LANG_C, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr};

struct form_t {
    const char *word;
    int type;
};

constexpr form_t forms[] = {
    {"fn ", TT_FUNCTION}, {"cls ", TT_CLASS}, {"def ", TT_DEFINE},
    {"var ", TT_DATA}, {"ref ", TT_XREF},
};

bool is_name_char(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

void emit(int type, const char *name, int line)
{
    tag_capture(&tag_rec, TAG_CAP_LINE);
    int n = 0;
    while (is_name_char(name[n]) && n < TAG_NAME_SIZE - 1) {
        tag_rec.tr_name[n] = name[n];
        n++;
    }
    tag_rec.tr_name[n] = '\0';
    tag_rec.tr_line = line;
    TAG_TRACE(type, &tag_rec);
    tag_add(type, &tag_rec);
}

int scan_lines(void)
{
    lex_init(&line_desc);
    int line = 0;
    while (lex_read_line() >= 0) {
        line++;
        const char *text = lex_ctx.lx_line;
        if (strncmp(text, "crash", 5) == 0)
            raise(SIGSEGV);
        if (strncmp(text, "warn ", 5) == 0) {
            lex_error("%s", "scanner warning");
            continue;
        }
        for (const form_t &f : forms) {
            size_t n = strlen(f.word);
            if (strncmp(text, f.word, n) == 0) {
                emit(f.type, text + n, line);
                break;
            }
        }
    }
    return 0;
}

int decline(void)
{
    return -3;
}

} // namespace

extern "C" int init_tvtags_extension(void)
{
    pub_tag_add_dispatch(LANG_C, scan_lines, nullptr);
    pub_tag_add_dispatch(LANG_TEXT, decline, nullptr);
    return 0;
}
