// The wildcard matcher.  It runs on every name of a directory walk, so for
// patterns of ordinary length it allocates nothing: the pattern is read in
// place and its positions are marked in tables on the stack.
#include <stdint.h>
#include <string.h>

#include <utility>
#include <vector>

#include "sys_internal.h"
#include "wrenlib/files.h"

namespace {

using wl_names::lower;

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

// The pattern is read as a set of positions that the name may have reached
// so far, all of them advanced together one name character at a time.
// Every position is visited at most once per character, so the work is
// bounded by (pattern length) x (name length) whatever the stars and
// alternatives: a search that tried each way of splitting the name among
// the stars one after the other could take exponential time on patterns
// such as "{*a,*b}{*a,*b}...c".
enum Kind : unsigned char {
    K_LIT,    // one character, compared without case
    K_ANY,    // '?'
    K_SET,    // '[...]': aux is the ']'
    K_STAR,   // '*': stays, or moves on without consuming
    K_GROUP,  // '{': aux is the first alternative's end, alternatives follow
    K_JUMP,   // ',' or '}' ending an alternative: aux is the group's continuation
    K_END,    // end of the pattern
};

struct Prog {
    const char *p = nullptr;
    int len = 0;
    Kind *kind = nullptr;
    int *aux = nullptr;
    int *next_alt = nullptr; // at an alternative's end: the next one's end, or -1
};

// Marks the positions of [from, to): a group's alternatives end at a K_JUMP
// to `cont`, the pattern at K_END.
void compile(Prog &g, int from, int to) {
    const char *p = g.p;
    for (int i = from; i < to;) {
        const char c = p[i];
        if (c == '*') {
            g.kind[i++] = K_STAR;
        } else if (c == '?') {
            g.kind[i++] = K_ANY;
        } else if (c == '[' && set_end(p + i, p + to)) {
            const int close = int(set_end(p + i, p + to) - p);
            g.kind[i] = K_SET;
            g.aux[i] = close;
            i = close + 1;
        } else if (c == '{' && group_end(p + i, p + to)) {
            const int close = int(group_end(p + i, p + to) - p);
            g.kind[i] = K_GROUP;
            int alt = i + 1, prev_end = -1, depth = 0;
            for (int q = alt; q <= close; ++q) {
                if (q < close && p[q] == '[') {
                    if (const char *se = set_end(p + q, p + close))
                        q = int(se - p);
                    continue;
                }
                if (q < close && p[q] == '{') {
                    ++depth;
                } else if (q < close && p[q] == '}') {
                    --depth;
                } else if (q == close || (p[q] == ',' && depth == 0)) {
                    compile(g, alt, q);
                    g.kind[q] = K_JUMP;
                    g.aux[q] = close + 1;
                    g.next_alt[q] = -1;
                    if (prev_end < 0)
                        g.aux[i] = q;
                    else
                        g.next_alt[prev_end] = q;
                    prev_end = q;
                    alt = q + 1;
                }
            }
            i = close + 1;
        } else {
            g.kind[i++] = K_LIT;
        }
    }
}

struct Bits {
    uint64_t *w;
    int words;
    bool test(int i) const { return (w[i >> 6] >> (i & 63)) & 1; }
    void set(int i) { w[i >> 6] |= uint64_t(1) << (i & 63); }
    void clear() { memset(w, 0, sizeof(uint64_t) * size_t(words)); }
};

// Adds position i and every position reached from it without consuming.
void reach(const Prog &g, Bits &set, int *stack, int i) {
    int top = 0;
    if (set.test(i))
        return;
    set.set(i);
    stack[top++] = i;
    while (top) {
        const int at = stack[--top];
        auto push = [&](int to) {
            if (!set.test(to)) {
                set.set(to);
                stack[top++] = to;
            }
        };
        switch (g.kind[at]) {
        case K_STAR: push(at + 1); break;
        case K_JUMP: push(g.aux[at]); break;
        case K_GROUP:
            push(at + 1);
            for (int e = g.aux[at]; e >= 0 && g.next_alt[e] >= 0; e = g.next_alt[e])
                push(e + 1);
            break;
        default: break;
        }
    }
}

bool run(const Prog &g, const char *name, Bits cur, Bits nxt, int *stack) {
    cur.clear();
    reach(g, cur, stack, 0);
    for (const char *n = name; *n; ++n) {
        const unsigned char ch = static_cast<unsigned char>(*n);
        nxt.clear();
        bool any = false;
        for (int i = 0; i < g.len; ++i) {
            if (!cur.test(i))
                continue;
            int to = -1;
            switch (g.kind[i]) {
            case K_LIT:
                if (lower(static_cast<unsigned char>(g.p[i])) == lower(ch))
                    to = i + 1;
                break;
            case K_ANY: to = i + 1; break;
            case K_SET: {
                const bool negate = g.p[i + 1] == '^';
                if (in_set(g.p + i + (negate ? 2 : 1), g.p + g.aux[i], ch) != negate)
                    to = g.aux[i] + 1;
                break;
            }
            case K_STAR: to = i; break;
            default: break;
            }
            if (to >= 0) {
                reach(g, nxt, stack, to);
                any = true;
            }
        }
        if (!any)
            return false;
        std::swap(cur, nxt);
    }
    return cur.test(g.len);
}

bool match_one(const char *name, const char *b, const char *e, int flags) {
    // A leading '*' does not reveal hidden names unless asked to.
    if (b < e && *b == '*' && name[0] == '.' && !(flags & WILD_DOTS))
        return false;
    const int len = int(e - b);
    const int words = (len + 1 + 63) / 64;
    // Patterns are short; the rare long one pays for an allocation.
    constexpr int kLocal = 256;
    Kind kind_local[kLocal + 1];
    int aux_local[kLocal + 1], alt_local[kLocal + 1], stack_local[kLocal + 1];
    uint64_t bits_local[2 * ((kLocal + 64) / 64)];
    std::vector<int> heap;
    std::vector<Kind> heap_kind;
    std::vector<uint64_t> heap_bits;
    Prog g;
    g.p = b;
    g.len = len;
    int *stack;
    uint64_t *bits;
    if (len <= kLocal) {
        g.kind = kind_local;
        g.aux = aux_local;
        g.next_alt = alt_local;
        stack = stack_local;
        bits = bits_local;
    } else {
        heap.assign(3 * size_t(len + 1), 0);
        heap_kind.assign(size_t(len + 1), K_LIT);
        heap_bits.assign(2 * size_t(words), 0);
        g.kind = heap_kind.data();
        g.aux = heap.data();
        g.next_alt = heap.data() + len + 1;
        stack = heap.data() + 2 * (len + 1);
        bits = heap_bits.data();
    }
    compile(g, 0, len);
    g.kind[len] = K_END;
    return run(g, name, Bits{bits, words}, Bits{bits + words, words}, stack);
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
