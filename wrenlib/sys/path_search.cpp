// Finding a program's file from its name and a PATH-style list, the way the
// program finds its own executable (and the files kept beside it).
#include <stdio.h>
#include <string.h>

#include <string>

#include "sys_internal.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"

namespace {

bool usable(const std::string &name) {
    FILE *f = fopen(name.c_str(), "rb");
    if (!f)
        return false;
    fclose(f);
    wl_stat_t st;
    return wl_stat(name.c_str(), &st) == 0 && (st.st_mode & 0xF000u) != WL_S_IFDIR;
}

// The candidate as it is, then with the extensions of runnable files.
char *try_candidate(const std::string &cand) {
    static const char *const suffixes[] = {"", ".exe", ".com"};
    for (const char *suffix : suffixes) {
        std::string name = cand + suffix;
        if (usable(name)) {
            const char *r = name.c_str();
            if (r[0] == '.' && WL_IS_SEP(r[1]))
                r += 2;
            return chk_strdup(r);
        }
    }
    return nullptr;
}

} // namespace

extern "C" char *path_search(const char *path_list, const char *program) {
    if (!program || !*program)
        return nullptr;
    if (filename_first_sep(program) || (wl_sys::has_drives() && wl_names::has_drive(program))) {
        if (is_absolute(program))
            return try_candidate(program);
        const char *p = program;
        while (p[0] == '.' && WL_IS_SEP(p[1]))
            p += 2;
        char *abs = simplify_filename(p);
        char *r = try_candidate(abs);
        chk_free(abs);
        return r;
    }
    if (!path_list)
        return nullptr;

    const char *q = path_list;
    for (;;) {
        const char *b = q;
        while (*q && !wl_sys::is_path_list_sep(*q))
            ++q;
        std::string entry;
        for (const char *c = b; c < q; ++c)
            if (*c != '"')
                entry.push_back(*c);
        if (entry.empty())
            entry.push_back('.');   // an empty entry is the current directory
        char *dir = tilde_expand(entry.c_str());
        char *cand = filename_append_filename(dir, program);
        char *r = try_candidate(cand);
        chk_free(cand);
        chk_free(dir);
        if (r)
            return r;
        if (*q == '\0')
            return nullptr;
        ++q;
    }
}
