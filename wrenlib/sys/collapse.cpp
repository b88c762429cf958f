// Path simplification: wild_collapse works in place on a name as given;
// simplify_filename also makes the name absolute.
#include <string.h>

#include <string>
#include <string_view>

#include "sys_internal.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"

namespace {

bool is_dot(const char *b, const char *e) { return e - b == 1 && b[0] == '.'; }
bool is_dotdot(const char *b, const char *e) { return e - b == 2 && b[0] == '.' && b[1] == '.'; }

} // namespace

extern "C" char *wild_collapse(char *p) {
    char *base = const_cast<char *>(filename_skip_drive(p));
    char *after_net = const_cast<char *>(filename_skip_network(base));
    // Below a network share or a root separator ".." cannot climb further.
    bool rooted = after_net != base;
    char *r = after_net, *w = after_net;
    if (!rooted && WL_IS_SEP(*r)) {
        *w++ = *r;
        rooted = true;
    }
    while (WL_IS_SEP(*r))
        ++r;
    char *const floor = w;
    bool leading_dot = false;     // a relative "./" prefix is kept as written
    bool trailing_sep = false;
    char sep_char = WL_SEP;

    while (*r) {
        char *b = r;
        while (*r && !WL_IS_SEP(*r))
            ++r;
        char *e = r;
        if (*r) {
            sep_char = *r;
            while (WL_IS_SEP(*r))
                ++r;
            trailing_sep = *r == '\0';
        } else {
            trailing_sep = false;
        }

        if (is_dot(b, e)) {
            if (w == floor && !rooted && !leading_dot && b == after_net) {
                *w++ = '.';
                leading_dot = true;
            }
            continue;
        }
        if (is_dotdot(b, e)) {
            // The last component written starts after the last separator
            // in [floor, w).
            char *last = w;
            while (last > floor && !WL_IS_SEP(last[-1]))
                --last;
            bool removable = w > floor && !is_dotdot(last, w) && !(leading_dot && last == floor);
            if (removable) {
                w = last > floor ? last - 1 : floor;
                continue;
            }
            if (rooted)
                continue;
        }
        if (w > floor)
            *w++ = sep_char;
        memmove(w, b, static_cast<size_t>(e - b));
        w += e - b;
    }
    if (trailing_sep && w > floor)
        *w++ = sep_char;
    // A relative name that climbed back to where it started is ".".
    if (w == floor && !rooted && after_net == p && *p != '\0' && floor == p)
        *w++ = '.';
    *w = '\0';
    return p;
}

namespace {

void to_written_sep(std::string &s) {
    for (char &c : s)
        if (WL_IS_SEP(c))
            c = WL_SEP;
}

std::string current_dir() {
    char *cwd = wl_getcwd();
    std::string s = cwd ? cwd : "";
    chk_free(cwd);
    return s;
}

// The drive (or network share) of the current directory, to put in front
// of a name that starts with a separator.
std::string current_drive() {
    std::string cwd = current_dir();
    if (wl_names::has_drive(cwd.c_str()))
        return cwd.substr(0, 2);
    const char *net = filename_skip_network(cwd.c_str());
    if (net != cwd.c_str()) {
        std::string prefix(cwd.c_str(), net);
        while (!prefix.empty() && WL_IS_SEP(prefix.back()))
            prefix.pop_back();
        return prefix;
    }
    return std::string();
}

std::string make_absolute(const std::string &s, bool allow_tilde) {
    const bool drives = wl_sys::has_drives();
    const char *c = s.c_str();
    if (drives && wl_names::has_drive(c)) {
        if (WL_IS_SEP(c[2]))
            return s;
        std::string out;
        char *dcwd = wl_sys::drive_cwd(c[0]);
        if (dcwd) {
            wl_names::join_into(out, dcwd, c + 2);
            chk_free(dcwd);
        } else {
            out = s.substr(0, 2) + WL_SEP + (c + 2);
        }
        return out;
    }
    if (filename_is_unc(c))
        return s;                 // a network name is already absolute
    if (allow_tilde && c[0] == '~' && (c[1] == '\0' || WL_IS_SEP(c[1]))) {
        char *t = tilde_expand(c);
        std::string expanded = t;
        chk_free(t);
        to_written_sep(expanded);
        return make_absolute(expanded, false);
    }
    if (WL_IS_SEP(c[0]))
        return drives ? current_drive() + s : s;
    std::string out;
    wl_names::join_into(out, current_dir(), s);
    return out;
}

} // namespace

extern "C" char *simplify_filename(const char *p) {
    if (*p == '\0' || *p == '!' || *p == '|')
        return chk_strdup(p);
    std::string s = p;
    to_written_sep(s);
    const bool drives = wl_sys::has_drives();
    if (drives && wl_names::has_drive(s.c_str()) && s[0] >= 'a' && s[0] <= 'z')
        s[0] = static_cast<char>(s[0] - 32);
    if (s.size() > 1 && WL_IS_SEP(s.back()) &&
        !(drives && s.size() == 3 && wl_names::has_drive(s.c_str())))
        s.pop_back();
    std::string abs = make_absolute(s, true);
    to_written_sep(abs);
    char *out = wl_names::dup(abs);
    return wild_collapse(out);
}
