// The C family's language set-ups and entry points, its token reader, the
// macro-wrapper words of CPP_SPECIALS and the helpers every parser uses.
#include <cstdlib>
#include <cstring>

#include "cpp_internal.h"
#include "wrenlib/chk.h"
#include "wrenlib/fmt.h"

constinit thread_local cpp_state_t cpp_st{};

namespace {

// Conditional branches are matched by their first branch only, and
// "#if 0" regions skipped (cpp_directive), in every language of the family.
constexpr uint32_t kCFlags = LEX_CPP | LEX_C_COMMENT | LEX_CPP_COMMENT | LEX_CHAR_CONST | LEX_FIRST_BRANCH;
constexpr uint32_t kCxxFlags = kCFlags | LEX_CXX_LITERALS;

// Bytes from 0x80 up are letters: identifiers written in UTF-8 or Latin-1
// stay whole.
constexpr char kHighBytes[] =
    "\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8a\x8b\x8c\x8d\x8e\x8f"
    "\x90\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9a\x9b\x9c\x9d\x9e\x9f"
    "\xa0\xa1\xa2\xa3\xa4\xa5\xa6\xa7\xa8\xa9\xaa\xab\xac\xad\xae\xaf"
    "\xb0\xb1\xb2\xb3\xb4\xb5\xb6\xb7\xb8\xb9\xba\xbb\xbc\xbd\xbe\xbf"
    "\xc0\xc1\xc2\xc3\xc4\xc5\xc6\xc7\xc8\xc9\xca\xcb\xcc\xcd\xce\xcf"
    "\xd0\xd1\xd2\xd3\xd4\xd5\xd6\xd7\xd8\xd9\xda\xdb\xdc\xdd\xde\xdf"
    "\xe0\xe1\xe2\xe3\xe4\xe5\xe6\xe7\xe8\xe9\xea\xeb\xec\xed\xee\xef"
    "\xf0\xf1\xf2\xf3\xf4\xf5\xf6\xf7\xf8\xf9\xfa\xfb\xfc\xfd\xfe\xff";

// Objective-C++: the Objective-C words over the C++ table, so that the
// classes, namespaces and templates of a .mm file are understood.
const keyword_t kw_objcpp[] = {
    {"self", KEY_IGNORE, 0},
    {"id", KEY_IGNORE, 0},
    KW_NEST(kw_cpp),
    KW_END,
};

// D: the C words, and classes and interfaces whose bodies end without a
// semicolon.
const keyword_t kw_d[] = {
    {"class", KEY_CLASS, 0},
    {"interface", KEY_INTERFACE, 0},
    KW_NEST(kw_c),
    KW_END,
};

lang_desc_t desc_d = {11, kw_d, kHighBytes, kHighBytes, nullptr, nullptr, kCFlags, cpp_directive, cpp_token};
lang_desc_t desc_c = {11, kw_c, kHighBytes, kHighBytes, nullptr, nullptr, kCFlags, cpp_directive, cpp_token};
lang_desc_t desc_cpp = {11, kw_cpp, kHighBytes, kHighBytes, nullptr, nullptr, kCxxFlags, cpp_directive, cpp_token};
lang_desc_t desc_tolva = {12, kw_tolva, kHighBytes, kHighBytes, nullptr, nullptr,
                          kCFlags | LEX_DOLLAR_IDENT, cpp_directive, cpp_token};
lang_desc_t desc_objc = {28, kw_objc, kHighBytes, kHighBytes, nullptr, nullptr, kCFlags, cpp_directive, cpp_token};
lang_desc_t desc_objcpp = {29, kw_objcpp, kHighBytes, kHighBytes, nullptr, nullptr, kCxxFlags, cpp_directive,
                           cpp_token};

const char kDefaultSpecials[] = "STDARG_PROTO PROTO DL_IMPORT DL_EXPORT";

void load_specials()
{
    if (cpp_st.specials)
        return;
    const char *env = getenv("CPP_SPECIALS");
    cpp_st.specials_text = chk_strdup(env ? env : kDefaultSpecials);
    cpp_st.specials = hash_create(16, 16);
    char *save = nullptr;
    for (char *w = wl_strtok_r(cpp_st.specials_text, " \t,", &save); w;
         w = wl_strtok_r(nullptr, " \t,", &save))
        hash_insert(cpp_st.specials, w, cpp_st.specials_text);
}

void begin_file(bool dlang, bool objc, bool cplusplus)
{
    load_specials();
    cpp_st.dlang = dlang;
    cpp_st.objc = objc;
    cpp_st.cplusplus = cplusplus;
    cpp_st.nest = 0;
}

int scan_with(lang_desc_t *d, bool objc, bool cplusplus)
{
    begin_file(d == &desc_d, objc, cplusplus);
    lex_init(d);
    while (cpp_statement(-1, TT_DATA) != TOK_EOF) {
    }
    return 0;
}

void set_token_text(const char *s)
{
    dstr_t &t = lex_ctx.lx_text;
    dstr_clear(&t);
    dstr_add_string(&t, s, int(strlen(s)));
    t.dl_str[t.dl_len] = '\0';
}

int raw_token()
{
    int t;
    do
        t = lex_token();
    while (t == TOK_HASH_ENDIF);
    return t;
}

// The words of a conversion operator's type, up to the "(" of its list,
// joined with single blanks: "const char *", "std::string".
void conversion_name(int u, char *name, size_t size)
{
    dstr_t &out = cpp_st.scratch;
    if (!out.dl_str)
        dstr_init(&out, 64);
    dstr_clear(&out);
    for (int n = 0; n < 16; n++) {
        if (u == '(' || u == ';' || u == '{' || u == '}' || u == TOK_EOF) {
            lex_unget_token(u);
            break;
        }
        if (u == TOK_SCOPE) {
            while (out.dl_len > 0 && out.dl_str[out.dl_len - 1] == ' ')
                out.dl_len--;
            dstr_add_string(&out, "::", 2);
        } else {
            const char *s = u == TOK_SYMBOL ? lex_ctx.lx_text.dl_str : lex_token_text(u);
            bool glue = out.dl_len == 0 || out.dl_str[out.dl_len - 1] == ':' || u == '[' || u == ']';
            if (!glue)
                dstr_add_char(&out, ' ');
            dstr_add_string(&out, s, int(strlen(s)));
        }
        u = raw_token();
    }
    out.dl_str[out.dl_len] = '\0';
    wl_strlcpy(name, out.dl_str, size);
}

// "operator" and the operator after it become one name: "+", "()", "[]",
// "new", or the type of a conversion operator.
int join_operator()
{
    int u = raw_token();
    if (u == TOK_EOF)
        return TOK_EOF;
    char name[64];
    if (u == '(' || u == '[') {
        int v = raw_token();
        int want = u == '(' ? ')' : ']';
        if (v == want) {
            name[0] = char(u);
            name[1] = char(want);
            name[2] = '\0';
        } else {
            lex_unget_token(v);
            name[0] = char(u);
            name[1] = '\0';
        }
    } else if (u == TOK_PTR) {
        // "->" or "->*".
        int v = raw_token();
        if (v == TOK_STAR) {
            wl_strlcpy(name, "->*", sizeof name);
        } else {
            lex_unget_token(v);
            wl_strlcpy(name, "->", sizeof name);
        }
    } else if (u == TOK_SYMBOL || (u >= KEY_ABSTRACT && u <= KEY_WITH) || u == TOK_SCOPE) {
        // A conversion ("operator const char *", "operator std::string"),
        // or new, delete and their array forms: the words up to "(".
        conversion_name(u, name, sizeof name);
    } else {
        wl_strlcpy(name, lex_token_text(u), sizeof name);
    }
    set_token_text(name);
    return TOK_SYMBOL;
}

} // namespace

extern "C" {

int tvt_c_scan(void) { return scan_with(&desc_c, false, false); }
void cpp_begin_c(void) { begin_file(false, false, false); }
int tvt_d_scan(void) { return scan_with(&desc_d, false, false); }
int tvt_cpp_scan(void) { return scan_with(&desc_cpp, false, true); }
int tvt_tolva_scan(void) { return scan_with(&desc_tolva, false, false); }
int tvt_objc_scan(void) { return scan_with(&desc_objc, true, false); }
int tvt_objcpp_scan(void) { return scan_with(&desc_objcpp, true, true); }

int cpp_token(void)
{
    int t = raw_token();
    return t == KEY_OPERATOR ? join_operator() : t;
}

int cpp_anon_next(void)
{
    return tag_anon.ta_struct++;
}

void tvt_cpp_release(void)
{
    if (cpp_st.specials)
        hash_destroy(cpp_st.specials, 0);
    cpp_st.specials = nullptr;
    chk_free_ptr(&cpp_st.specials_text);
    for (dstr_t &d : cpp_st.texts)
        if (d.dl_str)
            dstr_free(&d);
    if (cpp_st.args.dl_str)
        dstr_free(&cpp_st.args);
    if (cpp_st.scratch.dl_str)
        dstr_free(&cpp_st.scratch);
}

} // extern "C"

int cpp_next()
{
    return cpp_token();
}

void cpp_unget(int t)
{
    lex_unget_token(t);
}

void cpp_unget2(int first, const char *first_text, int second)
{
    lex_unget_token(second);
    set_token_text(first_text);
    lex_unget_token(first);
}

bool cpp_text_is(const char *s)
{
    return strcmp(lex_ctx.lx_text.dl_str, s) == 0;
}

bool cpp_text_starts(const char *s)
{
    return strncmp(lex_ctx.lx_text.dl_str, s, strlen(s)) == 0;
}

bool cpp_is_special()
{
    const dstr_t &t = lex_ctx.lx_text;
    return cpp_st.specials && hash_nlookup(cpp_st.specials, t.dl_str, t.dl_len) != nullptr;
}

int cpp_attr_kind()
{
    const char *s = lex_ctx.lx_text.dl_str;
    if (s[0] != '_' && s[0] != 'a' && s[0] != 't' && s[0] != 'd')
        return 0;
    static const char *const with_group[] = {
        "__attribute__", "__attribute", "__declspec", "__asm__", "__asm", "asm",
        "_Alignas", "alignas", "__alignas",
    };
    static const char *const type_group[] = {
        "typeof", "__typeof__", "__typeof", "decltype", "_Atomic", "typeof_unqual",
    };
    for (const char *w : with_group)
        if (strcmp(s, w) == 0)
            return 1;
    for (const char *w : type_group)
        if (strcmp(s, w) == 0)
            return 2;
    return 0;
}

bool cpp_is_type_kw(int t)
{
    switch (t) {
    case KEY_BOOL: case KEY_CHAR: case KEY_DOUBLE: case KEY_FLOAT: case KEY_INT:
    case KEY_LONG: case KEY_SHORT: case KEY_SIGNED: case KEY_UNSIGNED: case KEY_VOID:
        return true;
    default:
        return false;
    }
}

bool cpp_is_qualifier(int t)
{
    switch (t) {
    case KEY_CONST: case KEY_VOLATILE: case KEY_STATIC: case KEY_INLINE: case KEY_EXTERN:
    case KEY_REGISTER: case KEY_AUTO: case KEY_RESTRICT: case KEY_MUTABLE:
        return true;
    default:
        return false;
    }
}

int cpp_emit(int type, int parent, const char *type_text, const char *args)
{
    return TAG_EMIT(type, parent, type_text, args);
}

void cpp_set_name(const char *name)
{
    wl_strlcpy(tag_rec.tr_name, name, sizeof tag_rec.tr_name);
}

void cpp_anon_name(bool is_enum)
{
    tag_capture(&tag_rec, TAG_CAP_LINE);
    int n = is_enum ? tag_anon.ta_enum++ : tag_anon.ta_struct++;
    wl_snprintf(tag_rec.tr_name, sizeof tag_rec.tr_name, "anon#%d", n);
}

cpp_decl_t::cpp_decl_t(int parent_, int deftype_) : parent(parent_), deftype(deftype_)
{
    level = cpp_st.nest < CPP_MAX_NEST ? cpp_st.nest : CPP_MAX_NEST;
    text = &cpp_st.texts[level];
    if (!text->dl_str)
        dstr_init(text, 128);
    dstr_clear(text);
    text->dl_str[0] = '\0';
    cpp_st.nest++;
}

cpp_decl_t::~cpp_decl_t()
{
    cpp_st.nest--;
}

void cpp_decl_t::add(int t)
{
    lex_append_token(text, t);
}

void cpp_decl_t::add_text(const char *s)
{
    if (text->dl_len > 0 && text->dl_str[text->dl_len - 1] != ' ')
        dstr_add_char(text, ' ');
    dstr_add_string(text, s, int(strlen(s)));
    text->dl_str[text->dl_len] = '\0';
}

const char *cpp_decl_t::type_text() const
{
    return text->dl_str;
}
