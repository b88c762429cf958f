// The installation directory from the command line.  Only the first
// argument counts: a leading double quote makes it run to the closing
// quote, otherwise it ends at the first white space.
#include "uninstall.h"

namespace {

bool is_blank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// Past one item of the line: a quoted run or a run of non-blanks.
const wchar_t *skip_item(const wchar_t *p)
{
    if (*p == L'"') {
        p++;
        while (*p && *p != L'"')
            p++;
        return *p ? p + 1 : p;
    }
    while (*p && !is_blank(*p))
        p++;
    return p;
}

} // namespace

std::wstring un_cmdline_dir(const wchar_t *cmdline, bool *given)
{
    *given = false;
    if (!cmdline)
        return {};
    const wchar_t *p = skip_item(cmdline);
    while (is_blank(*p))
        p++;
    if (!*p)
        return {};
    *given = true;
    if (*p == L'"') {
        const wchar_t *start = ++p;
        while (*p && *p != L'"')
            p++;
        return std::wstring(start, p);
    }
    const wchar_t *start = p;
    while (*p && !is_blank(*p))
        p++;
    return std::wstring(start, p);
}
