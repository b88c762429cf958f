// Wildcard expansion: a pattern becomes the sorted list of names it matches,
// each with its file status.  Components are taken one at a time, and the
// set of names found so far grows or shrinks with each.
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "sys_internal.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"
#include "wrenlib/sort.h"

namespace {

struct WildLimits {
    int timeout_seconds = 0;   // 0: no time limit
    int max_count = 0;         // 0: no count limit
};
WildLimits g_wild_limits;

using Clock = std::chrono::steady_clock;

// One name of the working set.  The name is chk-allocated and moves into
// the result as it is.
struct Cand {
    char *name;
    int len;
    bool have_stat;
    wl_stat_t st;
};

bool is_dir_mode(uint32_t mode) { return (mode & 0xF000u) == WL_S_IFDIR; }

bool hidden(const char *entry, int flags) {
    return entry[0] == '.' && !(flags & WILD_DOTS);
}

bool dot_or_dotdot(const char *e) {
    return e[0] == '.' && (e[1] == '\0' || (e[1] == '.' && e[2] == '\0'));
}

class Expander {
public:
    explicit Expander(int flags) : flags_(flags) {
        if (g_wild_limits.timeout_seconds > 0) {
            has_deadline_ = true;
            deadline_ = Clock::now() + std::chrono::seconds(g_wild_limits.timeout_seconds);
        }
    }
    ~Expander() { free_names(set_); }

    void start(std::string_view prefix) { add(set_, prefix, nullptr); }

    void literal(std::string_view text) {
        for (Cand &c : set_) {
            wl_names::join_into(buf_, std::string_view(c.name, static_cast<size_t>(c.len)), text);
            chk_free(c.name);
            c.name = wl_names::dup(buf_);
            c.len = static_cast<int>(buf_.size());
            c.have_stat = false;
        }
    }

    void wildcard(const char *component, bool last) {
        std::vector<Cand> next;
        begin_component();
        for (const Cand &dir : set_) {
            if (stopped_)
                break;
            wl_dir_t *d = wl_opendir(dir.name);
            if (!d)
                continue;        // unreadable: contributes nothing
            while (const char *e = wl_readdir(d)) {
                if (dot_or_dotdot(e))
                    continue;
                const int type = wl_readdir_type(d);
                // A walk that followed links to directories could climb out
                // of its tree or go round a loop for ever.
                if (last && (flags_ & WILD_NOLINKDIRS) && type == WL_DT_LINK && entry_is_dir(d, type))
                    continue;
                if (wild_match(e, component, flags_)) {
                    // Only directories can lead anywhere below.
                    if (!last && (type == WL_DT_FILE || type == WL_DT_OTHER))
                        continue;
                    add_entry(next, dir, e, d, last);
                    if (!counted_match())
                        break;
                } else if (last && (flags_ & WILD_ALLDIRS) && !hidden(e, flags_) &&
                           entry_is_dir(d, type)) {
                    add_entry(next, dir, e, d, last);
                }
            }
            wl_closedir(d);
        }
        replace_set(next);
    }

    // "**": every directory below the members of the set joins it.
    void all_below() {
        std::vector<Cand> next;
        begin_component();
        for (Cand &c : set_) {
            next.push_back(c);
            c.name = nullptr;
            const Cand &top = next.back();
            std::string dir(top.name, static_cast<size_t>(top.len));
            descend(next, dir);
        }
        replace_set(next);
    }

    wild_entry_t *finish(bool wildcard_involved) {
        std::vector<wild_entry_t> out;
        out.reserve(set_.size() + 1);
        const bool keep_files = (flags_ & WILD_FILES) || !(flags_ & (WILD_FILES | WILD_DIRS));
        const bool keep_dirs = (flags_ & WILD_DIRS) || !(flags_ & (WILD_FILES | WILD_DIRS));
        for (Cand &c : set_) {
            if (!c.have_stat) {
                c.have_stat = wl_stat(c.name, &c.st) == 0;
                if (!c.have_stat) {
                    if (wildcard_involved) {
                        chk_free_ptr(&c.name);
                        continue;
                    }
                    memset(&c.st, 0, sizeof c.st);
                }
            }
            if (wildcard_involved && !(is_dir_mode(c.st.st_mode) ? keep_dirs : keep_files)) {
                chk_free_ptr(&c.name);
                continue;
            }
            out.push_back(wild_entry_t{c.name, c.len + 1, c.st});
            c.name = nullptr;
        }
        set_.clear();
        return pack(out, flags_);
    }

    static wild_entry_t *pack(std::vector<wild_entry_t> &out, int flags);

private:
    void add(std::vector<Cand> &to, std::string_view name, const wl_stat_t *st) {
        Cand c{wl_names::dup(name), static_cast<int>(name.size()), st != nullptr, {}};
        if (st)
            c.st = *st;
        to.push_back(c);
    }

    void add_entry(std::vector<Cand> &to, const Cand &dir, const char *e, wl_dir_t *d, bool want_stat) {
        wl_names::join_into(buf_, std::string_view(dir.name, static_cast<size_t>(dir.len)), e);
        wl_stat_t st;
        const bool have = want_stat && wl_readdir_stat(d, &st) == 0;
        add(to, buf_, have ? &st : nullptr);
    }

    static bool entry_is_dir(wl_dir_t *d, int type) {
        if (type == WL_DT_DIR)
            return true;
        if (type != WL_DT_UNKNOWN && type != WL_DT_LINK)
            return false;
        wl_stat_t st;
        return wl_readdir_stat(d, &st) == 0 && is_dir_mode(st.st_mode);
    }

    void descend(std::vector<Cand> &to, const std::string &dir) {
        if (stopped_)
            return;
        wl_dir_t *d = wl_opendir(dir.c_str());
        if (!d)
            return;
        std::vector<std::string> subdirs;
        while (const char *e = wl_readdir(d)) {
            if (dot_or_dotdot(e) || hidden(e, flags_))
                continue;
            int type = wl_readdir_type(d);
            // Links are not followed, so a loop of links cannot trap the walk.
            if (type == WL_DT_LINK || !entry_is_dir(d, type))
                continue;
            std::string sub;
            wl_names::join_into(sub, dir, e);
            add(to, sub, nullptr);
            subdirs.push_back(std::move(sub));
            if (!counted_match())
                break;
        }
        wl_closedir(d);
        for (const std::string &s : subdirs)
            descend(to, s);
    }

    void begin_component() {
        count_ = 0;
        stopped_ = false;
    }

    // Notes one more match; false once a limit says to stop.
    bool counted_match() {
        ++count_;
        if (g_wild_limits.max_count > 0 && count_ >= g_wild_limits.max_count)
            stopped_ = true;
        else if (has_deadline_ && count_ % 4 == 0 && Clock::now() >= deadline_)
            stopped_ = true;
        return !stopped_;
    }

    static void free_names(std::vector<Cand> &v) {
        for (Cand &c : v)
            if (c.name)
                chk_free(c.name);
    }

    void replace_set(std::vector<Cand> &next) {
        free_names(set_);
        set_.swap(next);
    }

    int flags_;
    std::vector<Cand> set_;
    std::string buf_;
    int count_ = 0;
    bool stopped_ = false;
    bool has_deadline_ = false;
    Clock::time_point deadline_{};
};

int by_name(const void *a, const void *b) {
    return strcmp(static_cast<const wild_entry_t *>(a)->we_name,
                  static_cast<const wild_entry_t *>(b)->we_name);
}
int by_name_nocase(const void *a, const void *b) {
    return wl_names::compare_nocase(static_cast<const wild_entry_t *>(a)->we_name,
                                    static_cast<const wild_entry_t *>(b)->we_name);
}
int dirs_first(const void *a, const void *b) {
    const bool da = is_dir_mode(static_cast<const wild_entry_t *>(a)->we_stat.st_mode);
    const bool db = is_dir_mode(static_cast<const wild_entry_t *>(b)->we_stat.st_mode);
    return da == db ? 0 : (da ? -1 : 1);
}
int by_kind_name(const void *a, const void *b) {
    int k = dirs_first(a, b);
    return k ? k : by_name(a, b);
}
int by_kind_name_nocase(const void *a, const void *b) {
    int k = dirs_first(a, b);
    return k ? k : by_name_nocase(a, b);
}

wild_entry_t *Expander::pack(std::vector<wild_entry_t> &out, int flags) {
    const int n = static_cast<int>(out.size());
    if (!(flags & WILD_NOSORT) && n > 1) {
        int (*cmp)(const void *, const void *);
        if (flags & WILD_DIRS_FIRST)
            cmp = (flags & WILD_SORT_NOCASE) ? by_kind_name_nocase : by_kind_name;
        else
            cmp = (flags & WILD_SORT_NOCASE) ? by_name_nocase : by_name;
        merge_sort(out.data(), n, static_cast<int>(sizeof(wild_entry_t)), cmp);
    }
    wild_entry_t *r = static_cast<wild_entry_t *>(chk_alloc(sizeof(wild_entry_t) * (static_cast<size_t>(n) + 1)));
    if (n)
        memcpy(r, out.data(), sizeof(wild_entry_t) * static_cast<size_t>(n));
    memset(&r[n], 0, sizeof r[n]);
    return r;
}

// "$NAME" as a whole component stands for the variable's value when it is
// set.
const char *variable_value(std::string_view comp) {
    if (comp.size() < 2 || comp[0] != '$')
        return nullptr;
    std::string name(comp.substr(1));
    return getenv(name.c_str());
}

std::string substitute_variables(const std::string &s) {
    std::string out;
    size_t i = 0;
    while (i <= s.size()) {
        size_t j = i;
        while (j < s.size() && !WL_IS_SEP(s[j]))
            ++j;
        std::string_view comp(s.data() + i, j - i);
        const char *v = variable_value(comp);
        out.append(v ? std::string_view(v) : comp);
        if (j < s.size())
            out.push_back(s[j]);
        i = j + 1;
    }
    return out;
}

wild_entry_t *single(const char *name, bool with_stat) {
    std::vector<wild_entry_t> out;
    wild_entry_t e{wl_names::dup(name), static_cast<int>(strlen(name)) + 1, {}};
    if (!with_stat || wl_stat(name, &e.we_stat) != 0)
        memset(&e.we_stat, 0, sizeof e.we_stat);
    out.push_back(e);
    return Expander::pack(out, WILD_NOSORT);
}

} // namespace

extern "C" {

void wild_set_limits(int timeout_seconds, int max_count) {
    g_wild_limits.timeout_seconds = timeout_seconds > 0 ? timeout_seconds : 0;
    g_wild_limits.max_count = max_count > 0 ? max_count : 0;
}

void wild_read_limits(void) {
    const char *t = getenv("TV_WILD_LIMIT_TIMEOUT");
    const char *m = getenv("TV_WILD_LIMIT_MAX_COUNT");
    wild_set_limits(t ? atoi(t) : 0, m ? atoi(m) : 0);
}

wild_entry_t *wild_expand(const char *pattern, int flags) {
    if (*pattern == '|' || *pattern == '!')
        return single(pattern, false);

    // "~" first: HOME may bring a drive of its own.
    std::string pat = pattern;
    if (pattern[0] == '~' && (pattern[1] == '\0' || WL_IS_SEP(pattern[1]))) {
        char *t = tilde_expand(pattern);
        pat = t;
        chk_free(t);
    }
    std::string prefix;
    if (wl_sys::has_drives() && wl_names::has_drive(pat.c_str())) {
        prefix.assign(pat, 0, 2);
        pat.erase(0, 2);
    }

    if (!wild_has_wildcard(pat.c_str())) {
        std::string name = prefix + substitute_variables(pat);
        return single(name.c_str(), true);
    }

    const char *p = pat.c_str();
    const char *rest = filename_skip_network(p);
    if (rest != p) {
        prefix.append(p, rest);
    } else if (WL_IS_SEP(*p)) {
        prefix.push_back(WL_SEP);
        rest = p + 1;
    }

    Expander ex(flags);
    ex.start(prefix);
    std::vector<std::string> comps;
    for (const char *q = rest; *q;) {
        while (WL_IS_SEP(*q))
            ++q;
        const char *b = q;
        while (*q && !WL_IS_SEP(*q))
            ++q;
        if (q > b)
            comps.emplace_back(b, q);
    }
    for (size_t i = 0; i < comps.size(); ++i) {
        const std::string &c = comps[i];
        const bool last = i + 1 == comps.size();
        if (const char *v = variable_value(c)) {
            std::string value = v;
            for (char &ch : value)
                if (WL_IS_SEP(ch))
                    ch = WL_SEP;
            ex.literal(value);
        }
        else if (c == "**")
            ex.all_below();
        else if (wild_has_wildcard(c.c_str()))
            ex.wildcard(c.c_str(), last);
        else
            ex.literal(c);
    }
    return ex.finish(true);
}

void wild_free(wild_entry_t *result) {
    if (!result)
        return;
    for (wild_entry_t *e = result; e->we_name; ++e)
        chk_free(e->we_name);
    chk_free(result);
}

} // extern "C"
