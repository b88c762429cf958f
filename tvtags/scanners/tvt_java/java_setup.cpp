// The Java family's keyword tables, language set-ups and entry points, and
// its token reader: the in-code state of pages, text blocks, verbatim
// strings, and the table words that are plain identifiers in a language.
#include <cstring>

#include "java_internal.h"
#include "wrenlib/fmt.h"

constinit thread_local jv_state_t jv_st{};

namespace {

constexpr keyword_t kw_java[] = {
    {"abstract", KEY_ABSTRACT, 0}, {"auto", KEY_AUTO, 0}, {"automation", KEY_AUTOMATION, 0},
    {"boolean", KEY_BOOL, 0}, {"byte", KEY_BYTE, 0}, {"break", KEY_BREAK, 0},
    {"case", KEY_CASE, 0}, {"catch", KEY_CATCH, 0}, {"char", KEY_CHAR, 0},
    {"class", KEY_CLASS, 0}, {"continue", KEY_CONTINUE, 0}, {"default", KEY_DEFAULT, 0},
    {"do", KEY_DO, 0}, {"double", KEY_DOUBLE, 0}, {"else", KEY_ELSE, 0},
    {"extends", KEY_EXTENDS, 0}, {"final", KEY_FINAL, 0}, {"float", KEY_FLOAT, 0},
    {"for", KEY_FOR, 0}, {"goto", KEY_GOTO, 0}, {"if", KEY_IF, 0},
    {"implements", KEY_IMPLEMENTS, 0}, {"import", KEY_IMPORT, 0},
    {"interface", KEY_INTERFACE, 0}, {"int", KEY_INT, 0}, {"long", KEY_LONG, 0},
    {"namespace", KEY_NAMESPACE, 0}, {"native", KEY_NATIVE, 0}, {"operator", KEY_OPERATOR, 0},
    {"overload", KEY_OVERLOAD, 0}, {"package", KEY_PACKAGE, 0}, {"private", KEY_PRIVATE, 0},
    {"protected", KEY_PROTECTED, 0}, {"public", KEY_PUBLIC, 0}, {"register", KEY_REGISTER, 0},
    {"return", KEY_RETURN, 0}, {"short", KEY_SHORT, 0}, {"signed", KEY_SIGNED, 0},
    {"sizeof", KEY_SIZEOF, 0}, {"static", KEY_STATIC, 0}, {"switch", KEY_SWITCH, 0},
    {"synchronized", KEY_SYNCHRONIZED, 0}, {"threadsafe", KEY_THREADSAFE, 0},
    {"throws", KEY_THROWS, 0}, {"transient", KEY_TRANSIENT, 0}, {"try", KEY_TRY, 0},
    {"unsigned", KEY_UNSIGNED, 0}, {"void", KEY_VOID, 0}, {"volatile", KEY_VOLATILE, 0},
    {"while", KEY_WHILE, 0},
    {"define", TOK_DEFINE, KW_DIRECTIVE}, {"if", TOK_HASH_IF, KW_DIRECTIVE},
    {"elif", TOK_HASH_ELIF, KW_DIRECTIVE}, {"ifdef", TOK_HASH_IF, KW_DIRECTIVE},
    {"ifndef", TOK_HASH_IF, KW_DIRECTIVE}, {"else", TOK_HASH_ELSE, KW_DIRECTIVE},
    {"endif", TOK_HASH_ENDIF, KW_DIRECTIVE},
    KW_END,
};

const keyword_t kw_csharp[] = {
    {"sbyte", KEY_SBYTE, 0}, {"ushort", KEY_USHORT, 0}, {"uint", KEY_UINT, 0},
    {"ulong", KEY_ULONG, 0}, {"using", KEY_USING, 0},
    KW_NEST(kw_java),
    KW_END,
};

const keyword_t kw_jsp[] = {
    {"String", KEY_STRING, 0}, {"<%", TOK_ASP_OPEN, 0}, {"%>", TOK_ASP_CLOSE, 0},
    KW_NEST(kw_java),
    KW_END,
};

constexpr uint32_t kJavaFlags = LEX_CPP | LEX_C_COMMENT | LEX_CPP_COMMENT | LEX_CHAR_CONST;

// Identifiers may hold "$" (Java) and letters beyond ASCII (every byte of
// a UTF-8 sequence).
struct ident_chars_t {
    char java[130];
    char csharp[129];
    constexpr ident_chars_t() : java(), csharp()
    {
        java[0] = '$';
        for (int i = 0; i < 128; i++) {
            java[i + 1] = char(0x80 + i);
            csharp[i] = char(0x80 + i);
        }
    }
};
constexpr ident_chars_t kIdent;

extern "C" int jv_token(void) { return jv_next(); }

lang_desc_t desc_java = {LANG_JAVA, kw_java, kIdent.java, kIdent.java, nullptr, nullptr,
                         kJavaFlags, cpp_directive, jv_token};
lang_desc_t desc_csharp = {LANG_JAVA, kw_csharp, kIdent.csharp, kIdent.csharp, nullptr, nullptr,
                           kJavaFlags, cpp_directive, jv_token};
lang_desc_t desc_jsp = {LANG_JAVA, kw_jsp, kIdent.java, kIdent.java, nullptr, nullptr,
                        kJavaFlags | LEX_ASP | LEX_HTML_COMMENT, cpp_directive, jv_token};

int scan_with(lang_desc_t *d, int lang)
{
    jv_st.lang = lang;
    jv_st.csharp = lang == LANG_CSHARP;
    jv_st.jsp = lang == LANG_JSP;
    jv_st.in_code = !jv_st.jsp;
    jv_st.nest = 0;
    lex_init(d);
    while (jv_statement(-1, TT_DATA) != TOK_EOF) {
    }
    return 0;
}

void set_text(const char *s)
{
    dstr_t &t = lex_ctx.lx_text;
    dstr_clear(&t);
    dstr_add_string(&t, s, int(strlen(s)));
    t.dl_str[t.dl_len] = '\0';
}

// The two characters after the current token, when the line holds them.
void peek2(int &a, int &b)
{
    const lex_t &x = lex_ctx;
    int p = x.lx_pos;
    if (x.lx_unget_char) {
        a = x.lx_unget_char;
        b = p < x.lx_end ? (unsigned char) x.lx_line[p] : 0;
        return;
    }
    a = p < x.lx_end ? (unsigned char) x.lx_line[p] : 0;
    b = p + 1 < x.lx_end ? (unsigned char) x.lx_line[p + 1] : 0;
}

// A text block or raw string: the opening quotes are read; up to three
// quotes in a row.
void read_text_block()
{
    lex_getc();  // the third quote
    int quotes = 0;
    for (;;) {
        int c = lex_getc();
        if (c == 0)
            break;
        if (c == '"') {
            if (++quotes == 3)
                break;
            continue;
        }
        quotes = 0;
        if (c == '\\' && !jv_st.csharp)
            lex_getc();
    }
    set_text("\"\"\"\"\"\"");
}

// A verbatim string @"...": backslashes are plain, "" is a quote, lines
// continue.  The opening quote is next in the input.
void read_verbatim()
{
    lex_getc();
    for (;;) {
        int c = lex_getc();
        if (c == 0)
            break;
        if (c == '"') {
            int d = lex_getc();
            if (d == '"')
                continue;
            if (d)
                lex_ungetc(d);
            break;
        }
    }
    set_text("@\"\"");
}

// <%-- ... --%>: a page comment, skipped whole.
void skip_page_comment()
{
    int a, b;
    peek2(a, b);
    if (a != '-' || b != '-')
        return;
    int run = 0;
    for (;;) {
        int c = lex_getc();
        if (c == 0)
            return;
        if (c == '-') {
            run++;
        } else if (c == '%' && run >= 2) {
            int d = lex_getc();
            if (d == '>' || d == 0)
                return;
            run = 0;
        } else {
            run = 0;
        }
    }
}

// Words of the shared table that are no keywords of the language at hand.
bool demoted(int t)
{
    switch (t) {
    case KEY_AUTO: case KEY_AUTOMATION: case KEY_OVERLOAD: case KEY_REGISTER:
    case KEY_SIGNED: case KEY_THREADSAFE: case KEY_UNSIGNED:
        return true;
    case KEY_NAMESPACE: case KEY_OPERATOR: case KEY_SIZEOF:
        return !jv_st.csharp;
    case KEY_NATIVE: case KEY_TRANSIENT: case KEY_SYNCHRONIZED: case KEY_THROWS:
    case KEY_EXTENDS: case KEY_IMPLEMENTS: case KEY_PACKAGE: case KEY_IMPORT:
        return jv_st.csharp;
    default:
        return false;
    }
}

bool word_is_nocase(const char *w)
{
    const char *s = lex_ctx.lx_text.dl_str;
    return s && wl_strcasecmp(s, w) == 0;
}

// Outside the code of a page only the start of a script element is kept.
int outside_code(int t)
{
    if (t == TOK_SYMBOL && word_is_nocase("language"))
        return JV_TOK_LANGUAGE;
    if (t == TOK_LT) {
        int u = lex_token();
        if (u == TOK_SYMBOL && word_is_nocase("script"))
            return JV_TOK_LANGUAGE;
        lex_unget_token(u);
    }
    return -1;
}

} // namespace

extern "C" {

int tvt_java_scan(void) { return scan_with(&desc_java, LANG_JAVA); }
int tvt_csharp_scan(void) { return scan_with(&desc_csharp, LANG_CSHARP); }
int tvt_jsp_scan(void) { return scan_with(&desc_jsp, LANG_JSP); }

void tvt_java_release(void)
{
    for (dstr_t &d : jv_st.texts)
        if (d.dl_str)
            dstr_free(&d);
    if (jv_st.args.dl_str)
        dstr_free(&jv_st.args);
    if (jv_st.scratch.dl_str)
        dstr_free(&jv_st.scratch);
}

} // extern "C"

int jv_next()
{
    for (;;) {
        int t = lex_token();
        switch (t) {
        case TOK_EOF:
            return TOK_EOF;
        case TOK_HASH_ENDIF:
            if (lex_ctx.lx_flags & LEX_MATCHING)
                return t;
            continue;
        case TOK_ASP_OPEN:
            if (jv_st.jsp) {
                jv_st.in_code = true;
                skip_page_comment();
                continue;
            }
            break;
        case TOK_ASP_CLOSE:
            if (jv_st.jsp) {
                bool was = jv_st.in_code;
                jv_st.in_code = false;
                if (was)
                    return ';';  // the end of a scriptlet ends its statement
                continue;
            }
            break;
        case TOK_STRING:
            if (lex_ctx.lx_text.dl_len == 2 && jv_peek_char() == '"')
                read_text_block();
            break;
        case '@':
            if (jv_st.csharp) {
                int a, b;
                peek2(a, b);
                if (a == '"') {
                    read_verbatim();
                    t = TOK_STRING;
                } else if (a == '$' && b == '"') {
                    lex_getc();
                    read_verbatim();
                    t = TOK_STRING;
                } else if (lex_class_of(a) & CC_IDSTART) {
                    // @class: a keyword used as a name
                    lex_token();
                    t = TOK_SYMBOL;
                }
            }
            break;
        case '$':
            if (jv_st.csharp) {
                int a, b;
                peek2(a, b);
                if (a == '@' && b == '"') {
                    lex_getc();
                    read_verbatim();
                    t = TOK_STRING;
                } else if (a == '"') {
                    // $"...": an ordinary string with braces inside it
                    t = lex_token();
                    if (t == TOK_STRING && lex_ctx.lx_text.dl_len == 2 && jv_peek_char() == '"')
                        read_text_block();
                }
            }
            break;
        default:
            if (t > 255 && t < 600 && demoted(t))
                t = TOK_SYMBOL;
            break;
        }
        if (!jv_st.in_code) {
            int r = outside_code(t);
            if (r >= 0)
                return r;
            continue;
        }
        return t;
    }
}

void jv_unget(int t)
{
    lex_unget_token(t);
}

int jv_peek_char()
{
    int a, b;
    peek2(a, b);
    if (a)
        return a;
    int c = lex_getc();
    if (c)
        lex_ungetc(c);
    return c;
}

bool jv_text_is(const char *s)
{
    return strcmp(lex_ctx.lx_text.dl_str, s) == 0;
}

bool jv_is_word(int t)
{
    if (t == TOK_SYMBOL)
        return true;
    if (t < 322 || t > 598)
        return false;
    unsigned char c = (unsigned char) lex_ctx.lx_text.dl_str[0];
    return (lex_class_of(c) & CC_IDSTART) != 0;
}

bool jv_is_type_kw(int t)
{
    switch (t) {
    case KEY_BOOL: case KEY_BYTE: case KEY_CHAR: case KEY_DOUBLE: case KEY_FLOAT:
    case KEY_INT: case KEY_LONG: case KEY_SHORT: case KEY_VOID: case KEY_SBYTE:
    case KEY_USHORT: case KEY_UINT: case KEY_ULONG: case KEY_STRING:
        return true;
    default:
        return false;
    }
}

bool jv_is_modifier(int t)
{
    switch (t) {
    case KEY_ABSTRACT: case KEY_FINAL: case KEY_NATIVE: case KEY_PROTECTED:
    case KEY_PRIVATE: case KEY_PUBLIC: case KEY_STATIC: case KEY_SYNCHRONIZED:
    case KEY_THREADSAFE: case KEY_TRANSIENT: case KEY_VOLATILE:
        return true;
    case TOK_SYMBOL:
        break;
    default:
        return false;
    }
    static const char *const java_words[] = {"sealed", "strictfp", nullptr};
    static const char *const cs_words[] = {
        "sealed", "internal", "override", "virtual", "readonly", "async", "extern", "unsafe",
        "partial", "new", "const", "event", "implicit", "explicit", "required", "file", nullptr};
    const char *s = lex_ctx.lx_text.dl_str;
    for (const char *const *w = jv_st.csharp ? cs_words : java_words; *w; w++)
        if (strcmp(s, *w) == 0)
            return true;
    return false;
}

namespace {

// The collected text spaces every token; type arguments and qualified
// names read better closed up: "Map<String, List<Integer>>", "a.B[]".
const char *tidy_type(const char *in)
{
    thread_local char out[1024];
    size_t n = 0;
    for (const char *p = in; *p && n < sizeof out - 1; p++) {
        if (*p == ' ') {
            char before = n > 0 ? out[n - 1] : '\0';
            char after = p[1];
            if (before == '<' || before == '.' || before == '(' || before == '[' || before == '@' ||
                after == '<' || after == '>' || after == '.' || after == ',' || after == ')' ||
                after == '[' || after == ']' || after == '?' || after == '\0' ||
                (before == '?' && after != 'e' && after != 's'))
                continue;
        }
        out[n++] = *p;
    }
    out[n] = '\0';
    return out;
}

} // namespace

int jv_emit(int type, int parent, const char *type_text, const char *args)
{
    if (type_text && *type_text)
        type_text = tidy_type(type_text);
    return TAG_EMIT(type, parent, type_text, args);
}

void jv_set_name(const char *name)
{
    wl_strlcpy(tag_rec.tr_name, name, sizeof tag_rec.tr_name);
}
