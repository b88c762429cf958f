// Whether the file a run is about to write is one it may overwrite: a new
// or empty file, a binary database, or a text tags file of one of our forms.
// A mistyped -o must never cost a user a source file.
#include <cstdio>
#include <cstring>

#include "db/tvt_format.h"
#include "driver/tvt_driver.h"
#include "wrenlib/byteorder.h"
#include "wrenlib/files.h"

namespace {

// The first line of a text tags file: a form's header, or an entry of the
// ctags form ("name<TAB>file<TAB>pattern") or the CodeWright form
// ("name file(line)kind"), which have none when appended to.
bool first_line_is_ours(const char *line)
{
    if (strncmp(line, "!_TAG_", 6) == 0 || strncmp(line, "tvtags_version=", 15) == 0)
        return true;
    const char *tab = strchr(line, '\t');
    if (tab != nullptr && tab != line) {
        const char *tab2 = strchr(tab + 1, '\t');
        if (tab2 != nullptr && tab2 > tab + 1 && (tab2[1] == '/' || tab2[1] == '?' ||
                                                  (tab2[1] >= '0' && tab2[1] <= '9')))
            return true;
    }
    const char *blank = strchr(line, ' ');
    const char *open = blank ? strchr(blank, '(') : nullptr;
    const char *close = open ? strchr(open, ')') : nullptr;
    if (blank != nullptr && blank != line && open != nullptr && close != nullptr && close > open + 1) {
        for (const char *p = open + 1; p < close; p++)
            if (*p < '0' || *p > '9')
                return false;
        const char *kind = close + 1;
        return strcmp(kind, "F") == 0 || strcmp(kind, "V") == 0 || strcmp(kind, "????") == 0;
    }
    return false;
}

} // namespace

extern "C" int tvt_output_is_ours(const char *path)
{
    wl_stat_t st;
    if (wl_stat(path, &st) != 0 || st.st_size == 0)
        return 1;
    if ((st.st_mode & 0xF000u) != WL_S_IFREG)
        return 0;
    FILE *fp = fopen(path, "rb");
    if (fp == nullptr)
        return 1;   // the open for writing reports what is wrong
    char buf[1024];
    size_t n = fread(buf, 1, sizeof buf - 1, fp);
    fclose(fp);
    buf[n] = 0;
    if (n >= 4 && LGET32(reinterpret_cast<unsigned char *>(buf)) == TAG_MAGIC)
        return 1;
    char *nl = strpbrk(buf, "\r\n");
    if (nl == nullptr && n == sizeof buf - 1)
        return 0;   // no line end in the first kilobyte: not a tags text
    if (nl != nullptr)
        *nl = 0;
    return first_line_is_ours(buf) ? 1 : 0;
}
