// The wildcard matcher.  It runs on every name of a directory walk, so it
// allocates nothing: the pattern is read in place, and the text that follows
// a {...} group is reached through a chain of segments on the stack.
#include <string.h>

#include "sys_internal.h"
#include "wrenlib/files.h"

namespace {

using wl_names::lower;

// A piece of pattern text [p, end) and what follows it once it is used up.
struct Seg {
    const char *p;
    const char *end;
    const Seg *next;
};

// The ']' that closes the set opened at `open`, or null when there is none
// (an unclosed '[' is then an ordinary character).
const char *set_end(const char *open, const char *end) {
    const char *q = open + 1;
    if (q < end && *q == '^')
        ++q;
    for (; q < end; ++q)
        if (*q == ']')
            return q;
    return nullptr;
}

// The '}' that closes the group opened at `open`, allowing for nested
// groups and sets, or null.
const char *group_end(const char *open, const char *end) {
    int depth = 0;
    for (const char *q = open; q < end; ++q) {
        if (*q == '[') {
            const char *close = set_end(q, end);
            if (close)
                q = close;
        } else if (*q == '{') {
            ++depth;
        } else if (*q == '}') {
            if (--depth == 0)
                return q;
        }
    }
    return nullptr;
}

bool in_set(const char *b, const char *e, unsigned char c) {
    const unsigned char lc = lower(c);
    for (const char *q = b; q < e; ++q) {
        unsigned char lo = static_cast<unsigned char>(*q);
        if (q + 2 < e && q[1] == '-') {
            unsigned char hi = static_cast<unsigned char>(q[2]);
            if ((c >= lo && c <= hi) || (lc >= lower(lo) && lc <= lower(hi)))
                return true;
            q += 2;
        } else if (lower(lo) == lc) {
            return true;
        }
    }
    return false;
}

// True when nothing but the end of the pattern remains after seg.
bool at_pattern_end(const Seg *s) {
    for (; s; s = s->next)
        if (s->p != s->end)
            return false;
    return true;
}

// The first character that the rest of the pattern must match literally,
// or -1 when it may start with a wildcard (used to skip hopeless '*'
// positions quickly).
int literal_head(const Seg *s) {
    for (; s; s = s->next) {
        if (s->p == s->end)
            continue;
        char c = *s->p;
        if (c == '*' || c == '?' || c == '[' || c == '{')
            return -1;
        return lower(static_cast<unsigned char>(c));
    }
    return -1;
}

// ABORT means that no longer run of an earlier '*' can help either: the
// star that gave up had already tried every shorter rest of the name.  This
// keeps patterns with many stars linear in practice.
enum Res { NOMATCH, MATCH, ABORT };

Res match(const Seg *seg, const char *n) {
    Seg cur = *seg;
    for (;;) {
        if (cur.p == cur.end) {
            if (!cur.next)
                return *n == '\0' ? MATCH : NOMATCH;
            cur = *cur.next;
            continue;
        }
        const char c = *cur.p;
        switch (c) {
        case '*': {
            while (cur.p < cur.end && *cur.p == '*')
                ++cur.p;
            if (at_pattern_end(&cur))
                return MATCH;
            // Only the result counts, so runs are tried shortest first,
            // which is what makes the ABORT cut valid.
            const int head = literal_head(&cur);
            for (const char *t = n;; ++t) {
                if (head < 0 || lower(static_cast<unsigned char>(*t)) == head) {
                    Res r = match(&cur, t);
                    if (r != NOMATCH)
                        return r;
                }
                if (*t == '\0')
                    return ABORT;
            }
        }
        case '?':
            if (*n == '\0')
                return NOMATCH;
            ++cur.p;
            ++n;
            break;
        case '[': {
            const char *close = set_end(cur.p, cur.end);
            if (!close)
                goto literal;
            if (*n == '\0')
                return NOMATCH;
            const bool negate = cur.p[1] == '^';
            const bool hit = in_set(cur.p + (negate ? 2 : 1), close, static_cast<unsigned char>(*n));
            if (hit == negate)
                return NOMATCH;
            cur.p = close + 1;
            ++n;
            break;
        }
        case '{': {
            const char *close = group_end(cur.p, cur.end);
            if (!close)
                goto literal;
            const Seg rest{close + 1, cur.end, cur.next};
            const char *alt = cur.p + 1;
            int depth = 0;
            for (const char *q = alt; q <= close; ++q) {
                if (q < close && *q == '[') {
                    const char *se = set_end(q, close);
                    if (se)
                        q = se;
                    continue;
                }
                if (q < close && *q == '{') {
                    ++depth;
                } else if (q < close && *q == '}') {
                    --depth;
                } else if (q == close || (*q == ',' && depth == 0)) {
                    const Seg choice{alt, q, &rest};
                    // Another alternative may still match where this one
                    // gave up, so ABORT goes no further than here.
                    if (match(&choice, n) == MATCH)
                        return MATCH;
                    alt = q + 1;
                }
            }
            return NOMATCH;
        }
        default:
        literal:
            if (*n == '\0' || lower(static_cast<unsigned char>(c)) != lower(static_cast<unsigned char>(*n)))
                return NOMATCH;
            ++cur.p;
            ++n;
            break;
        }
    }
}

bool match_one(const char *name, const char *b, const char *e, int flags) {
    // A leading '*' does not reveal hidden names unless asked to.
    if (b < e && *b == '*' && name[0] == '.' && !(flags & WILD_DOTS))
        return false;
    const Seg seg{b, e, nullptr};
    return match(&seg, name) == MATCH;
}

} // namespace

extern "C" int wild_match(const char *name, const char *patterns, int flags) {
    const char *b = patterns;
    for (;;) {
        const char *e = strchr(b, ';');
        if (!e)
            return match_one(name, b, b + strlen(b), flags) ? 1 : 0;
        if (match_one(name, b, e, flags))
            return 1;
        b = e + 1;
    }
}
