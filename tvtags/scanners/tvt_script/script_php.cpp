// PHP: a token scanner over the code between <? and ?>.  Classes,
// interfaces, traits and enums hold their methods, properties and
// constants up to their closing brace; functions outside them are
// functions.  Function bodies are skipped; other blocks are entered, so a
// function defined inside an if is still found.
#include <cstring>

#include "script_tok.h"
#include "scanners/tvt_scanners.h"

namespace {

const keyword_t kw_php[] = {
    {"php", KEY_PHP, 0}, {"define", TOK_DEFINE, 0}, {"class", KEY_CLASS, 0},
    {"function", KEY_FUNCTION, 0}, {"var", KEY_VAR, 0}, {"while", KEY_WHILE, 0},
    {"EXEC", KEY_EXEC, 0}, {"SQL", KEY_SQL, 0},
    {"interface", KEY_INTERFACE, 0}, {"namespace", KEY_NAMESPACE, 0},
    {"const", KEY_CONST, 0}, {"public", KEY_PUBLIC, 0}, {"protected", KEY_PROTECTED, 0},
    {"private", KEY_PRIVATE, 0}, {"static", KEY_STATIC, 0}, {"abstract", KEY_ABSTRACT, 0},
    {"final", KEY_FINAL, 0}, {"new", KEY_NEW, 0}, {"enum", KEY_ENUM, 0},
    KW_END,
};

int php_token();

// Single-quoted strings are read by php_token: they span lines, which the
// lexer's character constants do not.
lang_desc_t desc_php = {32, kw_php, nullptr, nullptr, nullptr, nullptr,
                        LEX_C_COMMENT | LEX_CPP_COMMENT | LEX_HASH_COMMENT | LEX_MULTILINE_STRING,
                        nullptr, php_token};

// A single-quoted string after its opening quote, kept with its quotes.
int read_quoted()
{
    dstr_t &text = lex_ctx.lx_text;
    dstr_clear(&text);
    dstr_add_char(&text, '\'');
    for (int c = lex_getc(); c; c = lex_getc()) {
        if (text.dl_len < TAG_NAME_SIZE)
            dstr_add_char(&text, c);
        if (c == '\\') {
            c = lex_getc();
            if (!c)
                break;
            if (text.dl_len < TAG_NAME_SIZE)
                dstr_add_char(&text, c);
        } else if (c == '\'') {
            break;
        }
    }
    text.dl_str[text.dl_len] = '\0';
    return TOK_STRING;
}

int php_token()
{
    int t = lex_token();
    return t == '\'' ? read_quoted() : t;
}

// The lexer's own group skipping reads tokens past the PHP reader, so
// these skip with it.
int skip_group(int open)
{
    int close = open == '{' ? '}' : open == '(' ? ')' : ']';
    for (int depth = 1;;) {
        int t = lex_next();
        if (t == TOK_EOF)
            return TOK_EOF;
        if (t == open)
            depth++;
        else if (t == close && --depth == 0)
            return t;
    }
}

// Tokens up to one of stop_a and stop_b (consumed; 0 for none) or a '}'
// (left to be read), over bracketed groups; the token stopped at.
int skip_to(int stop_a, int stop_b)
{
    for (;;) {
        int t = lex_next();
        if (t == TOK_EOF || t == stop_a || t == stop_b)
            return t;
        if (t == '}') {
            lex_unget_token(t);
            return t;
        }
        if ((t == '(' || t == '[' || t == '{') && skip_group(t) == TOK_EOF)
            return TOK_EOF;
    }
}

constexpr int kMaxClasses = 32;

struct php_class_t {
    int tag;
    int depth;      // brace depth outside the class body
};

struct php_state_t {
    int depth;
    int prev;       // the token before the current one
    php_class_t classes[kMaxClasses];
    int nclasses;
    bool done;      // the file ended outside the code
};

thread_local php_state_t st;

// Raw characters up to and including the next "<?"; false at the end.
bool skip_to_code()
{
    int c = lex_getc();
    while (c) {
        int d = lex_getc();
        if (c == '<' && d == '?')
            return true;
        c = d;
    }
    return false;
}

// The class whose body the scan is directly in, or null.
const php_class_t *in_class_body()
{
    if (st.nclasses == 0)
        return nullptr;
    const php_class_t &c = st.classes[st.nclasses - 1];
    return st.depth == c.depth + 1 ? &c : nullptr;
}

// Over a function's remaining head and its body, or to the ';' of an
// abstract method.
void skip_function_rest()
{
    if (skip_to(';', '{') == '{')
        skip_group('{');
}

void on_function()
{
    int t = lex_next();
    if (t == '&' || t == TOK_AMP)
        t = lex_next();
    if (t == '(') {             // a closure
        skip_group('(');
        skip_function_rest();
        return;
    }
    if (!script_is_word(t))
        return;
    script_remember();
    const php_class_t *c = in_class_body();
    script_emit(c ? TT_METHOD : TT_FUNCTION, c ? c->tag : -1);
    skip_function_rest();
}

void on_class(int type)
{
    if (st.prev == TOK_SCOPE || st.prev == '$' || st.prev == TOK_PTR)
        return;                 // Foo::class, $class, ->class
    if (st.prev == KEY_NEW) {   // an anonymous class: over its body
        if (skip_to(';', '{') == '{')
            skip_group('{');
        return;
    }
    int t = lex_next();
    if (!script_is_word(t))
        return;
    script_remember();
    int tag = script_emit(type, -1);
    do
        t = lex_next();
    while (t != '{' && t != ';' && t != TOK_EOF);
    if (t != '{')
        return;
    if (st.nclasses < kMaxClasses)
        st.classes[st.nclasses++] = {tag, st.depth};
    st.depth++;
}

// A property or constant declaration inside a class body, after its
// first modifier; a function among the modifiers is handed on.
void on_member(int first)
{
    const php_class_t *c = in_class_body();
    int parent = c ? c->tag : -1;
    int t = first;
    int last_word = 0;
    for (;;) {
        if (t == KEY_FUNCTION) {
            on_function();
            return;
        }
        if (t == '$') {
            t = lex_next();
            if (script_is_word(t)) {
                script_remember();
                script_emit(TT_MEMBER, parent);
            }
            break;
        }
        if (script_is_assign(t)) {
            if (first == KEY_CONST && last_word)
                script_emit(TT_CONST, parent);
            break;
        }
        if (t == ';' || t == '{' || t == '}' || t == TOK_EOF) {
            lex_unget_token(t);
            return;
        }
        if (script_is_word(t) && t != KEY_CONST) {
            script_remember();
            last_word = t;
        }
        t = lex_next();
    }
    skip_to(';', 0);
}

void on_define()
{
    int t = lex_next();
    if (t == '(')
        t = lex_next();
    if (t == TOK_EOF)
        return;
    tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME | TAG_CAP_UNQUOTE);
    script_emit(TT_DEFINE, -1);
    skip_to(';', 0);
}

void on_namespace()
{
    char name[TAG_NAME_SIZE];
    size_t n = 0;
    bool first = true;
    int t;
    for (;;) {
        t = lex_next();
        if (t == ';' || t == '{' || t == TOK_EOF || t == '(')
            break;
        if (!script_is_word(t))
            continue;
        if (first)
            script_remember();
        else if (n + 1 < sizeof name)
            name[n++] = '\\';   // the lexer passes over the separators
        first = false;
        const char *w = lex_ctx.lx_text.dl_str;
        size_t k = strlen(w);
        if (n + k < sizeof name) {
            memcpy(name + n, w, k);
            n += k;
        }
    }
    name[n] = '\0';
    if (n > 0 && tag_rec.tr_name[0]) {
        memcpy(tag_rec.tr_name, name, n + 1);
        script_emit(TT_PACKAGE, -1);
    }
    if (t == '{')
        st.depth++;
    else if (t == '(')
        skip_group('(');
}

void on_variable()
{
    int t = lex_next();
    if (t == '$')
        t = lex_next();
    if (!script_is_word(t))
        return;
    script_remember();
    script_emit(TT_DATA, -1);
}

bool is_modifier(int t)
{
    switch (t) {
    case KEY_VAR: case KEY_PUBLIC: case KEY_PROTECTED: case KEY_PRIVATE: case KEY_STATIC:
    case KEY_CONST: case KEY_ABSTRACT: case KEY_FINAL:
        return true;
    default:
        return false;
    }
}

void step(int t)
{
    if (t == '?') {
        int u = lex_next();
        if (u == '>' || u == TOK_GT) {
            st.done = !skip_to_code();
            return;
        }
        lex_unget_token(u);
        return;
    }
    if (is_modifier(t) && in_class_body()) {
        on_member(t);
        return;
    }
    switch (t) {
    case '$':
        if (st.depth == 0)
            on_variable();
        break;
    case '(':
        skip_group('(');
        break;
    case '{':
        st.depth++;
        break;
    case '}':
        if (st.depth > 0)
            st.depth--;
        if (st.nclasses > 0 && st.classes[st.nclasses - 1].depth == st.depth)
            st.nclasses--;
        break;
    case TOK_DEFINE:
        on_define();
        break;
    case KEY_FUNCTION:
        on_function();
        break;
    case KEY_CLASS:
    case KEY_ENUM:
        on_class(TT_CLASS);
        break;
    case KEY_INTERFACE:
        on_class(TT_INTERFACE);
        break;
    case KEY_NAMESPACE:
        if (st.prev != TOK_SCOPE && st.depth == 0)
            on_namespace();
        break;
    case TOK_SYMBOL:
        if (strcmp(lex_ctx.lx_text.dl_str, "trait") == 0 && st.prev != '$' && st.prev != TOK_PTR &&
            st.prev != TOK_SCOPE)
            on_class(TT_CLASS);
        break;
    default:
        break;
    }
}

} // namespace

extern "C" {

int tvt_php_scan(void)
{
    lex_init(&desc_php);
    st = php_state_t{};
    if (!skip_to_code())
        return 0;
    for (;;) {
        int t = lex_next();
        if (t == TOK_EOF)
            break;
        step(t);
        if (st.done)
            break;
        st.prev = t;
    }
    return 0;
}

} // extern "C"
