// The JavaScript scanner: one pass over the tokens.  Functions are tagged
// wherever they stand (declarations, and function or arrow expressions
// that an assignment or a property names); classes with their methods;
// object literals that hold methods as classes of their own, as a reader
// of such code sees them; X.prototype.m = function as method m of class X.
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "js_internal.h"
#include "wrenlib/fmt.h"

namespace {

const keyword_t kw_js[] = {
    {"function", KEY_FUNCTION, 0}, {"new", KEY_NEW, 0}, {"var", KEY_VAR, 0},
    {"this", KEY_THIS, 0}, {"true", TOK_IGNORE, 0}, {"false", TOK_IGNORE, 0},
    {"charat", TOK_IGNORE, 0}, {"eval", TOK_IGNORE, 0}, {"indexOf", TOK_IGNORE, 0},
    {"isNaN", TOK_IGNORE, 0}, {"isNumeric", TOK_IGNORE, 0}, {"length", TOK_IGNORE, 0},
    {"right", TOK_IGNORE, 0}, {"string", TOK_IGNORE, 0}, {"substring", TOK_IGNORE, 0},
    {"value", TOK_IGNORE, 0},
    KW_NEST(kw_c),
    KW_END,
};

extern "C" int js_token(void) { return js_next(); }

// Regular expressions are told from divisions by the reader, and "#"
// starts a private name, so neither LEX_REGEX nor LEX_HASH_COMMENT is set;
// "$" starts identifiers.
lang_desc_t desc_js = {LANG_JAVASCRIPT, kw_js, "$", "$", nullptr, nullptr,
                       LEX_C_COMMENT | LEX_CPP_COMMENT | LEX_CHAR_CONST | LEX_NOCASE,
                       nullptr, js_token};

constexpr int kRing = 8;   // words remembered with their records
constexpr int kHist = 8;   // tokens remembered
constexpr size_t kMaxOpen = 4096;  // deeper brackets are counted only

enum { CTX_BLOCK, CTX_CLASS, CTX_OBJECT };

struct ctx_t {
    int kind;
    int handle;        // the class's tag; -1 until an object shows a method
    bool named;        // rec holds the object's name
    size_t parens;     // open parentheses when the brace opened
    tag_rec_t rec;
};

// What a parenthesis may turn out to be when it closes.
struct paren_t {
    bool method;       // "name(" directly in a class or object
    bool assigned;     // "name = (" or "name: (": an arrow's parameters
    bool prop;         // the name is a property of the object
    int parent;
    tag_rec_t rec;
};

struct hist_t {
    int tok;
    int slot;          // ring slot of a word, else -1
};

struct js_state_t {
    std::vector<ctx_t> braces;
    std::vector<paren_t> parens;
    size_t deep_braces = 0, deep_parens = 0;  // beyond kMaxOpen
    tag_rec_t ring[kRing];
    int next_slot = 0;
    hist_t hist[kHist];
    bool have_closed = false;  // a ")" closed "closed" right before
    paren_t closed;
    int bracket_depth = 0;     // inside a computed key "[...]"
    tag_rec_t bracket_rec;
    std::string bracket_name;
    bool class_pending = false;
    size_t class_parens = 0;
    bool class_named = false;
    tag_rec_t class_rec;
    std::unordered_map<std::string, int> named;  // classes and functions: handles
};

thread_local js_state_t js;

bool word_is(const hist_t &h, const char *s)
{
    return h.slot >= 0 && strcmp(js.ring[h.slot].tr_name, s) == 0;
}

const tag_rec_t *word_rec(int k)
{
    return k < kHist && js.hist[k].slot >= 0 ? &js.ring[js.hist[k].slot] : nullptr;
}

void push_hist(int t, int slot)
{
    memmove(js.hist + 1, js.hist, sizeof js.hist - sizeof js.hist[0]);
    js.hist[0] = {t, slot};
}

int emit(int type, const tag_rec_t &rec, int parent, const char *args)
{
    thread_local tag_rec_t saved;
    saved = tag_rec;
    tag_rec = rec;
    tag_rec.tr_parent = parent;
    tag_rec.tr_args = (args && *args) ? const_cast<char *>(args) : nullptr;
    tag_rec.tr_type = nullptr;
    tag_rec.tr_inherit = nullptr;
    TAG_TRACE(type, &tag_rec);
    int h = tag_add(type, &tag_rec);
    if (type == TT_CLASS || type == TT_FUNCTION)
        js.named.emplace(rec.tr_name, h);
    tag_rec = saved;
    return h;
}

ctx_t *top()
{
    return js.braces.empty() || js.deep_braces ? nullptr : &js.braces.back();
}

bool direct(int kind)
{
    const ctx_t *c = top();
    return c && c->kind == kind && js.parens.size() == c->parens && !js.deep_parens;
}

int object_class(ctx_t &c)
{
    if (c.handle < 0 && c.named) {
        int parent = -1;
        size_t i = size_t(&c - js.braces.data());
        if (i > 0 && js.braces[i - 1].kind == CTX_OBJECT)
            parent = object_class(js.braces[i - 1]);
        c.handle = emit(TT_CLASS, c.rec, parent, nullptr);
    }
    return c.handle;
}

// X.prototype.name at history k (the name): the owner X, or null.
const tag_rec_t *prototype_owner(int k)
{
    if (k + 4 >= kHist)
        return nullptr;
    if (js.hist[k + 1].tok != TOK_DOT || !word_is(js.hist[k + 2], "prototype") ||
        js.hist[k + 3].tok != TOK_DOT)
        return nullptr;
    return word_rec(k + 4);
}

int class_of_prototype(const tag_rec_t &x)
{
    auto it = js.named.find(x.tr_name);
    if (it != js.named.end())
        return it->second;
    return emit(TT_CLASS, x, -1, nullptr);
}

// A property key: a word, or a string whose quotes are dropped.
bool key_rec(int k, tag_rec_t &out)
{
    if (const tag_rec_t *r = word_rec(k)) {
        out = *r;
        return true;
    }
    return false;
}

// A function or arrow expression named from outside: the history at k is
// "=" or ":" and the word before it the name.
void named_by_context(int k)
{
    if (k + 1 >= kHist)
        return;
    tag_rec_t rec;
    if (!key_rec(k + 1, rec))
        return;
    int op = js.hist[k].tok;
    if (op == ':' && direct(CTX_OBJECT)) {
        emit(TT_METHOD, rec, object_class(*top()), nullptr);
        return;
    }
    if (op != TOK_EQUAL || prototype_owner(k + 1))
        return;  // X.prototype.m = ... was tagged at its "="
    emit(TT_FUNCTION, rec, -1, nullptr);
}

// Where "=" or ":" stands before an expression that starts at history 0
// (an optional "async" first): its index, or -1.
int assign_before(int k)
{
    if (k < kHist && word_is(js.hist[k], "async"))
        k++;
    if (k < kHist && (js.hist[k].tok == TOK_EQUAL || js.hist[k].tok == ':'))
        return k;
    return -1;
}

void on_function()
{
    int k = assign_before(0);
    if (k >= 0)
        named_by_context(k);
    int t = js_next();
    if (t == TOK_STAR)
        t = js_next();
    lex_unget_token(t);
    if (js_is_word(t))
        js_function_reader(-1);
    push_hist(KEY_FUNCTION, -1);
}

void on_arrow()
{
    if (js.have_closed) {
        if (js.closed.assigned) {
            if (js.closed.prop)
                emit(TT_METHOD, js.closed.rec, js.closed.parent, nullptr);
            else
                emit(TT_FUNCTION, js.closed.rec, -1, nullptr);
        }
        return;
    }
    // x => ...: the parameter is history 0
    if (js.hist[0].slot < 0)
        return;
    int k = assign_before(1);
    if (k >= 0)
        named_by_context(k);
}

bool control_word(const hist_t &h)
{
    static const char *const words[] = {"if", "for", "while", "switch", "catch", "with",
                                        "function", "return", "typeof", "await", "new",
                                        "super", "import", nullptr};
    if (h.slot < 0)
        return true;
    for (const char *const *w = words; *w; w++)
        if (word_is(h, *w))
            return true;
    return false;
}

void on_open_paren()
{
    if (js.parens.size() >= kMaxOpen) {
        js.deep_parens++;
        return;
    }
    paren_t p{};
    bool in_class = direct(CTX_CLASS), in_object = direct(CTX_OBJECT);
    if ((in_class || in_object) && !control_word(js.hist[0])) {
        p.method = true;
        p.rec = js.ring[js.hist[0].slot];
        p.parent = in_class ? top()->handle : -2;  // an object's class on demand
    } else {
        int k = assign_before(0);
        tag_rec_t rec;
        if (k >= 0 && key_rec(k + 1, rec)) {
            p.assigned = true;
            p.rec = rec;
            p.prop = js.hist[k].tok == ':' && in_object;
            p.parent = -1;
            if (p.prop) {
                p.parent = -2;
            } else if (in_class) {
                // a class field holding an arrow: a method of the class
                p.prop = true;
                p.parent = top()->handle;
            }
            else if (prototype_owner(k + 1))
                p.assigned = false;  // tagged at its "="
        }
    }
    js.parens.push_back(p);
}

void on_close_paren()
{
    if (js.deep_parens) {
        js.deep_parens--;
        return;
    }
    if (js.parens.empty())
        return;
    js.closed = js.parens.back();
    js.parens.pop_back();
    if (js.closed.parent == -2) {
        ctx_t *c = top();
        js.closed.parent = -1;
        if (c && c->kind == CTX_OBJECT && (js.closed.method || js.closed.prop))
            js.closed.parent = -3;  // resolved when the method shows itself
    }
    js.have_closed = js.closed.method || js.closed.assigned;
}

int resolve_parent(int parent)
{
    if (parent == -3) {
        ctx_t *c = top();
        return c ? object_class(*c) : -1;
    }
    return parent;
}

void on_open_brace()
{
    if (js.braces.size() >= kMaxOpen) {
        js.deep_braces++;
        return;
    }
    ctx_t c{};
    c.kind = CTX_BLOCK;
    c.handle = -1;
    c.parens = js.parens.size();
    if (js.class_pending && js.class_parens == js.parens.size()) {
        js.class_pending = false;
        c.kind = CTX_CLASS;
        if (js.class_named)
            c.handle = emit(TT_CLASS, js.class_rec, -1, nullptr);
    } else if (js.have_closed && js.closed.method) {
        int parent = resolve_parent(js.closed.parent);
        emit(TT_METHOD, js.closed.rec, parent, nullptr);
    } else {
        int t = js.hist[0].tok;
        bool object = t == TOK_EQUAL || t == ':' || t == '(' || t == ',' || t == '[' ||
                      t == '?' || t == TOK_OROR || t == TOK_ANDAND || t == TOK_NOT ||
                      t == TOK_ELLIPSIS || t == KEY_RETURN;
        if (object) {
            c.kind = CTX_OBJECT;
            tag_rec_t rec;
            if ((t == TOK_EQUAL || t == ':') && key_rec(1, rec)) {
                if (t == TOK_EQUAL && word_is(js.hist[1], "prototype") && js.hist[2].tok == TOK_DOT &&
                    word_rec(3)) {
                    // X.prototype = { ... }: the methods are X's
                    tag_rec_t owner = *word_rec(3);
                    c.handle = class_of_prototype(owner);
                } else {
                    c.named = true;
                    c.rec = rec;
                }
            }
        }
    }
    js.braces.push_back(c);
}

void on_close_brace()
{
    if (js.deep_braces) {
        js.deep_braces--;
        return;
    }
    if (!js.braces.empty())
        js.braces.pop_back();
}

void on_class()
{
    int t = js_next();
    js.class_pending = true;
    js.class_parens = js.parens.size();
    js.class_named = false;
    int k = assign_before(0);
    tag_rec_t rec;
    bool assigned = k >= 0 && key_rec(k + 1, rec) && js.hist[k].tok == TOK_EQUAL;
    if (js_is_word(t) && !js_text_is("extends")) {
        // "Name = class Other": both name the class
        if (assigned && !prototype_owner(k + 1))
            emit(TT_CLASS, rec, -1, nullptr);
        tag_capture(&js.class_rec, TAG_CAP_LINE | TAG_CAP_NAME);
        js.class_named = true;
        push_hist(KEY_CLASS, -1);
        return;
    }
    if (assigned) {
        js.class_rec = rec;
        js.class_named = true;
    }
    lex_unget_token(t);
    push_hist(KEY_CLASS, -1);
}

void scan_tokens()
{
    for (;;) {
        int t = js_next();
        if (t == TOK_EOF)
            return;
        bool closed_before = js.have_closed;
        int slot = -1;
        if (js_is_word(t)) {
            if (t == TOK_SYMBOL)
                tag_xref();
            if (js_text_is("function")) {
                on_function();
                js.have_closed = false;
                continue;
            }
            if (js_text_is("class") && js.hist[0].tok != TOK_DOT) {
                on_class();
                js.have_closed = false;
                continue;
            }
            slot = js.next_slot;
            js.next_slot = (js.next_slot + 1) % kRing;
            tag_capture(&js.ring[slot], TAG_CAP_LINE | TAG_CAP_NAME);
        } else if (t == TOK_STRING && lex_ctx.lx_text.dl_len >= 2 &&
                   (lex_ctx.lx_text.dl_str[0] == '"' || lex_ctx.lx_text.dl_str[0] == '\'')) {
            // a quoted property key names what follows it too
            slot = js.next_slot;
            js.next_slot = (js.next_slot + 1) % kRing;
            tag_capture(&js.ring[slot], TAG_CAP_LINE | TAG_CAP_NAME | TAG_CAP_UNQUOTE);
        } else if (t == TOK_INT && lex_ctx.lx_text.dl_str[0] == '\'') {
            slot = js.next_slot;
            js.next_slot = (js.next_slot + 1) % kRing;
            tag_capture(&js.ring[slot], TAG_CAP_LINE | TAG_CAP_NAME);
            char *n = js.ring[slot].tr_name;
            size_t len = strlen(n);
            if (len >= 2) {
                memmove(n, n + 1, len - 2);
                n[len - 2] = '\0';
            }
        }
        if (js.bracket_depth > 0) {
            // a computed key: its tokens make its name, "[Symbol.iterator]"
            if (t == '[')
                js.bracket_depth++;
            if (t == ']' && --js.bracket_depth == 0) {
                js.bracket_name += ']';
                slot = js.next_slot;
                js.next_slot = (js.next_slot + 1) % kRing;
                js.ring[slot] = js.bracket_rec;
                wl_strlcpy(js.ring[slot].tr_name, js.bracket_name.c_str(), TAG_NAME_SIZE);
                push_hist(TOK_SYMBOL, slot);
                continue;
            }
            if (js.bracket_name.size() < TAG_NAME_SIZE)
                js.bracket_name += lex_ctx.lx_text.dl_str;
        } else if (t == '[' && (direct(CTX_CLASS) || direct(CTX_OBJECT)) &&
                   (js.hist[0].tok == '{' || js.hist[0].tok == ',' || js.hist[0].tok == ';' ||
                    js.hist[0].tok == '}' || js.hist[0].tok == TOK_STAR || js.hist[0].slot >= 0)) {
            js.bracket_depth = 1;
            js.bracket_name = "[";
            tag_capture(&js.bracket_rec, TAG_CAP_LINE);
        }
        switch (t) {
        case ':':
            // "name: value" makes a named object a class
            if (direct(CTX_OBJECT) && (js.hist[0].slot >= 0 || js.hist[0].tok == TOK_INT ||
                                       js.hist[0].tok == TOK_FLOAT))
                object_class(*top());
            break;
        case TOK_EQUAL:
            // X.prototype.m = anything: a method of class X
            if (const tag_rec_t *x = js.hist[0].slot >= 0 ? prototype_owner(0) : nullptr) {
                tag_rec_t owner = *x;
                int h = class_of_prototype(owner);
                emit(TT_METHOD, js.ring[js.hist[0].slot], h, nullptr);
            }
            break;
        case TOK_SYMBOL:
            // X.prototype anywhere makes X a class
            if (js_text_is("prototype") && js.hist[0].tok == TOK_DOT && word_rec(1))
                if (!js.named.count(word_rec(1)->tr_name)) {
                    tag_rec_t owner = *word_rec(1);
                    class_of_prototype(owner);
                }
            // (the handle is kept for the methods that follow)
            break;
        case TOK_ARROW:
            on_arrow();
            break;
        case '(':
            on_open_paren();
            break;
        case ')':
            on_close_paren();
            break;
        case '{':
            on_open_brace();
            break;
        case '}':
            on_close_brace();
            break;
        default:
            break;
        }
        if (closed_before && t != ')')
            js.have_closed = false;
        if (slot >= 0 && t != TOK_SYMBOL && !(t >= 322 && t <= 598))
            t = TOK_STRING;
        push_hist(t, slot);
    }
}

void reset()
{
    js.braces.clear();
    js.parens.clear();
    js.deep_braces = js.deep_parens = 0;
    js.next_slot = 0;
    for (hist_t &h : js.hist)
        h = {0, -1};
    js.have_closed = false;
    js.class_pending = false;
    js.bracket_depth = 0;
    js.named.clear();
}

} // namespace

extern "C" {

int tvt_js_scan(void)
{
    lex_init(&desc_js);
    js_reset_reader();
    reset();
    scan_tokens();
    reset();
    return 0;
}

int js_function_reader(int parent)
{
    // A page's script element is read with the lexer's own tokens.
    int t = lex_ctx.lx_lang == LANG_JAVASCRIPT ? lex_next() : lex_token();
    if (!(t == TOK_SYMBOL || (t >= 322 && t <= 598)))
        return -1;
    thread_local tag_rec_t saved;
    saved = tag_rec;
    tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
    // The parameter list on the same line, up to ")" or the line's end.
    dstr_t args = {};
    int c;
    do
        c = lex_getc();
    while (c == ' ' || c == '\t');
    if (c == '(') {
        dstr_init(&args, 64);
        dstr_add_char(&args, '(');
        for (;;) {
            c = lex_getc();
            if (c == 0 || c == ')')
                break;
            if (c == '\n' || c == '\r') {
                lex_ungetc(c);
                break;
            }
            dstr_add_char(&args, c);
        }
        dstr_add_char(&args, ')');
        args.dl_str[args.dl_len] = '\0';
    } else if (c) {
        lex_ungetc(c);
    }
    tag_rec.tr_parent = parent;
    tag_rec.tr_args = args.dl_str;
    TAG_TRACE(TT_FUNCTION, &tag_rec);
    int h = tag_add(TT_FUNCTION, &tag_rec);
    if (lex_ctx.lx_lang == LANG_JAVASCRIPT)
        js.named.emplace(tag_rec.tr_name, h);
    tag_rec.tr_args = nullptr;
    if (args.dl_str)
        dstr_free(&args);
    tag_rec = saved;
    return h;
}

} // extern "C"
