// File-name helpers: drives, network prefixes, separators, joining and the
// pieces of a name.  Both separators are accepted everywhere; WL_SEP is the
// one written.
#include <stdlib.h>
#include <string.h>

#include <string>
#include <string_view>

#include "sys_internal.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"

namespace wl_names {

void join_into(std::string &out, std::string_view dir, std::string_view name) {
    out.assign(dir);
    if (!dir.empty() && !WL_IS_SEP(dir.back()) &&
        !(dir.size() == 2 && wl_sys::has_drives() && has_drive(dir.data())))
        out.push_back(WL_SEP);
    out.append(name);
}

char *dup(std::string_view s) {
    char *r = static_cast<char *>(chk_alloc(s.size() + 1));
    memcpy(r, s.data(), s.size());
    r[s.size()] = '\0';
    return r;
}

int compare_nocase(const char *a, const char *b) {
    const unsigned char *x = reinterpret_cast<const unsigned char *>(a);
    const unsigned char *y = reinterpret_cast<const unsigned char *>(b);
    while (*x && lower(*x) == lower(*y)) {
        ++x;
        ++y;
    }
    return static_cast<int>(lower(*x)) - static_cast<int>(lower(*y));
}

} // namespace wl_names

using wl_names::dup;

extern "C" {

const char *filename_skip_drive(const char *p) {
    return (p[0] != '\0' && p[1] == ':') ? p + 2 : p;
}

// "\\server\share\rest" -> "rest".  A network prefix needs a server name:
// three separators in a row are a plain root with redundant separators.
const char *filename_skip_network(const char *p) {
    if (!WL_IS_SEP(p[0]) || !WL_IS_SEP(p[1]) || p[2] == '\0' || WL_IS_SEP(p[2]))
        return p;
    const char *q = p + 2;
    for (int part = 0; part < 2; ++part) {
        while (*q && !WL_IS_SEP(*q))
            ++q;
        if (*q == '\0')
            return q;
        ++q;
    }
    return q;
}

const char *filename_first_sep(const char *p) {
    for (; *p; ++p)
        if (WL_IS_SEP(*p))
            return p;
    return nullptr;
}

const char *filename_last_sep(const char *p) {
    const char *last = nullptr;
    for (; *p; ++p)
        if (WL_IS_SEP(*p))
            last = p;
    return last;
}

int is_absolute(const char *p) {
    if (WL_IS_SEP(p[0]))
        return 1;
    return (wl_sys::has_drives() && wl_names::has_drive(p) && WL_IS_SEP(p[2])) ? 1 : 0;
}

int filename_is_unc(const char *p) {
    return (WL_IS_SEP(p[0]) && WL_IS_SEP(p[1])) ? 1 : 0;
}

char *filename_normalise(char *p) {
    for (char *q = p; *q; ++q)
        if (WL_IS_SEP(*q))
            *q = WL_SEP;
    return p;
}

char *backslash_to_fwd(char *p) {
    return p;
}

char *filename_append_filename(const char *dir, const char *name) {
    std::string out;
    if (is_absolute(name) || filename_is_unc(name) || *dir == '\0')
        out = name;
    else if (*name == '\0')
        out = dir;
    else {
        out = dir;
        if (!WL_IS_SEP(out.back()))
            out.push_back('/');
        out += name;
    }
    // A name with blanks and stray quotes is handed on as one quoted word.
    if (out.find(' ') != std::string::npos && out.find('"') != std::string::npos) {
        std::string quoted = "\"";
        for (char c : out)
            if (c != '"')
                quoted.push_back(c);
        quoted.push_back('"');
        out.swap(quoted);
    }
    for (char &c : out)
        if (WL_IS_SEP(c))
            c = WL_SEP;
    return dup(out);
}

const char *filename_extension(const char *p) {
    const char *sep = filename_last_sep(p);
    const char *dot = strrchr(sep ? sep + 1 : p, '.');
    return dot ? dot + 1 : nullptr;
}

char *wl_dirname(const char *p) {
    const char *sep = filename_last_sep(p);
    if (!sep)
        return dup(".");
    size_t keep = static_cast<size_t>(sep - p);
    // The root separator stays, so the parent of "/x" is "/" and, where
    // drives mean something, the parent of "C:\x" is "C:\".
    if (keep == 0 || (keep == 2 && wl_sys::has_drives() && wl_names::has_drive(p)))
        ++keep;
    return dup(std::string_view(p, keep));
}

// The base name of "/x" is "x"; only a lone root separator is its own base
// name, so that the result is never empty for a root.
const char *wl_basename(const char *p) {
    const char *sep = filename_last_sep(p);
    if (!sep || (sep == p && p[1] == '\0'))
        return p;
    return sep + 1;
}

const char *file_extension(const char *p) {
    return strrchr(wl_basename(p), '.');
}

char *tilde_expand(const char *name) {
    if (name[0] == '~' && (name[1] == '\0' || WL_IS_SEP(name[1]))) {
        const char *home = getenv("HOME");
        std::string out = home ? home : "";
        out += name + 1;
        return dup(out);
    }
    return chk_strdup(name);
}

int wild_has_wildcard(const char *p) {
    return strpbrk(p, "*?[") != nullptr ? 1 : 0;
}

} // extern "C"
