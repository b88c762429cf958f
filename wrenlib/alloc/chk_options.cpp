// The CHK settings: the option table, the parser of the settings text and
// the help listing.
#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include "chk_internal.h"
#include "wrenlib/fmt.h"

namespace wl_chk {

const chk_option_t chk_options[OPT_COUNT] = {
    {"abort", 1, "If non-zero then abort on any error or portability\nissue."},
    {"alignment", 4, "If set then ensure all memory allocated is on a\nboundary set by the alignment constraint."},
    {"depth", 0, "Set stack depth reporting limit. Bigger number\nwill use more memory."},
    {"dump", 64, "When dumping memory in use, set size of area to dump."},
    {"exit", 0, "Report memory usage statistics on exit."},
    {"fill-on-free", -1, "When memory is filled, fill memory block with\nspecified byte value."},
    {"fill", -1, "When allocating memory, fill the block with the\nspecified byte value."},
    {"free", 1, "Specify how frequently to examine memory heap\nfor corruptions."},
    {"free_abort", 1, "When reporting any free memory errors,\nabort and terminate execution."},
    {"free_queue_length", 100, "How many chunks of memory to keep in the free queue."},
    {"guard", 0, "Number of guard byte value to use to\ndetect array under/overflow writing."},
    {"help", 0, "List chkalloc help information"},
    {"leaks", 0, "Show memory leaks on exit."},
    {"leak_monitor", 0, "Show dynamic memory leak progress whilst\napplication runs."},
    {"malloc", 0, "Don't do memory checking; just use\nsystem malloc() routines."},
    {"malloc_log", 0, "Log all malloc activity.\n"},
    {"max_alloc", 0, "[mk] Fail if total allocated greater than specified size in bytes."},
    {"max_size", 0, "[mk] Fail if malloc greater than specified size in bytes."},
    {"mmap", 0,
     "[0|1|2] Use mem mapped pages for better error checking.\nSlower and users more memory.\n"
     "0 - disable\n1 - map at end of block\n2 - map at front of block"},
    {"mon_alloc", 0, "Monitor allocations bigger than size bytes/k/m\n"},
    {"nofree", 0, "Never free memory."},
    {"norealloc", 0, "Force all realloc()s to allocate a new memory block to\ncheck for relocation errors."},
    {"pass", 0, "Allow CHK environment variable to be inherited."},
    {"quiet", 0, "Don't print banner."},
    {"reserve", 0, "Allocate size block on startup to effect memory\nstarvation."},
    {"skip", 0, "Divide counter used when tail checking to speed up\nexecution."},
    {"sort", 0, "When non-zero, dump memory blocks in size\nsorted order."},
    {"stack_dump", 0, "Intercept SIGSEGV and dump stack on error."},
    {"stream", 0, "Stream requests for profiling purposes. Send data\nto file-descriptor or named file.\n"},
    {"tail", 0, "Perform tail checking after each memory operation.\nSlows down execution by potentially huge amount."},
    {"trace", 0, "Used for internal tracing/debugging."},
    {"vmalloc", 0, "Don't implement vmalloc(). Tolva specific."},
    {"zero", 0, "Report on malloc or realloc of zero byte block errors."},
    {"zero_abort", 0, "If non-zero and a zero byte block is allocated,\nabort execution."},
    {"zero_free", 1,
     "If arg is 1 then warn on call to free(0).\nIf arg is 2 then abort on call to free(0).\n"
     "Else silently continue execution."},
};

namespace {

bool ends_name(char c) { return c == '=' || c == ':' || c == '\0' || isspace((unsigned char)c); }

int find_option(const char *p, size_t *len)
{
    for (int i = 0; i < OPT_COUNT; i++) {
        size_t n = strlen(chk_options[i].co_name);
        if (strncmp(p, chk_options[i].co_name, n) == 0 && ends_name(p[n])) {
            *len = n;
            return i;
        }
    }
    return -1;
}

/* A number (C prefixes for octal and hexadecimal) with optional k and m
 * multipliers, "no" / "yes", or anything else meaning 1. */
const char *parse_value(const char *p, int32_t *out)
{
    if (isdigit((unsigned char)*p)) {
        char *end;
        unsigned long long v = strtoull(p, &end, 0);
        p = end;
        if (*p == 'k') {
            v *= 1024;
            p++;
        }
        if (*p == 'm') {
            v *= 1048576;
            p++;
        }
        *out = static_cast<int32_t>(v > 0x7FFFFFFF ? 0x7FFFFFFF : v);
        return p;
    }
    if (strncmp(p, "no", 2) == 0) {
        *out = 0;
        return p + 2;
    }
    if (strncmp(p, "yes", 3) == 0) {
        *out = 1;
        return p + 3;
    }
    *out = 1;
    return *p ? p + 1 : p;
}

/* "stream": a file descriptor, or a file to create. */
const char *parse_stream(const char *p, int32_t *out)
{
    if (isdigit((unsigned char)*p)) {
        char *end;
        *out = static_cast<int32_t>(strtol(p, &end, 10));
        return end;
    }
    const char *e = p;
    while (*e && !isspace((unsigned char)*e))
        e++;
    char name[512];
    size_t n = static_cast<size_t>(e - p) < sizeof name - 1 ? static_cast<size_t>(e - p) : sizeof name - 1;
    memcpy(name, p, n);
    name[n] = '\0';
    *out = n ? open_stream(name) : 0;
    return e;
}

} // namespace

void parse_settings(const char *text)
{
    int32_t *o = g_chk.cs_opt;
    const char *p = text;
    while (*p) {
        if (isspace((unsigned char)*p) || *p != '-') {
            p++;
            continue;
        }
        p++;
        size_t len = 0;
        int i = find_option(p, &len);
        if (i < 0)
            continue; // an unknown name is passed over a character at a time
        p += len;
        if (*p == '=' || *p == ':')
            p++;
        int32_t v = 0;
        if (i == OPT_STREAM)
            p = parse_stream(p, &v);
        else
            p = parse_value(p, &v);
        o[i] = v;
        if (i == OPT_MMAP && v) {
            o[OPT_NOREALLOC] = 1;
            o[OPT_FILL] = 102;
        }
    }
    if (o[OPT_MMAP] && o[OPT_FREE_QUEUE_LENGTH] == 0)
        o[OPT_FREE_QUEUE_LENGTH] = 1000;
}

void print_help()
{
    wl_printf("CHKALLOC Help\n");
    wl_printf("You can set multiple options using the CHK environment variable\n"
              "by separating them with blanks, as in CHK=\"-leaks -guard=8\". Values\n"
              "are decimal, octal or hexadecimal numbers with an optional k or m,\n"
              "or yes and no. CHK may instead hold the name of another variable\n"
              "that holds the settings (CHK=CHK1, say), which allows\n"
              "you to quickly switch from one set of settings to another.\n\n");
    wl_printf("Options settings:\n");
    for (int i = 0; i < OPT_COUNT; i++) {
        char head[64];
        int n = wl_snprintf(head, sizeof head, "  -%s=%d ", chk_options[i].co_name, opt(chk_opt_t(i)));
        wl_printf("%s", head);
        for (; n < 26; n++)
            wl_printf(" ");
        for (const char *h = chk_options[i].co_help; *h; h++) {
            if (*h == '\n') {
                if (h[1]) // a trailing newline is the line's own end
                    wl_printf("\n%26s", "");
            } else {
                wl_printf("%c", *h);
            }
        }
        wl_printf("\n");
    }
    wl_printf("Environment variables:\n");
    wl_printf("CHK           Collection of flags from above list.\n");
    wl_printf("CHK_FILE      Name of file for memory dumps\n");
    fflush(stdout);
    exit(1);
}

} // namespace wl_chk
