// Python and Ruby: a line scanner that looks at the first word of each
// logical line.  A class or def belongs to the nearest open class or def
// indented less than it, so the indentation decides the parent, not the
// order of the lines.  Lines inside strings, bracketed continuations and
// Ruby's here-documents and =begin blocks are never taken as statements.
#include <cstring>

#include "script_line.h"
#include "scanners/tvt_scanners.h"

namespace {

lang_desc_t desc_python = {0, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr};

constexpr int kMaxBlocks = 128;

struct block_t {
    int indent;
    int tag;
};

struct py_state_t {
    bool ruby;
    char quote;         // open string's quote, 0 outside strings
    bool triple;
    int depth;          // open brackets
    bool cont;          // the line ended with a backslash
    bool in_doc;        // Ruby =begin .. =end
    char heredoc[64];   // Ruby here-document terminator, "" when none
    block_t blocks[kMaxBlocks];
    int nblocks;
};

thread_local py_state_t st;

bool starts_word(const char *s, int n, const char *w)
{
    int k = int(strlen(w));
    return n > k && strncmp(s, w, size_t(k)) == 0 && script_blank(s[k]);
}

int skip_blanks(const script_line_t &ln, int i)
{
    while (i < ln.len && script_blank(ln.text[i]))
        i++;
    return i;
}

int parent_for(int indent)
{
    while (st.nblocks > 0 && st.blocks[st.nblocks - 1].indent >= indent)
        st.nblocks--;
    return st.nblocks > 0 ? st.blocks[st.nblocks - 1].tag : -1;
}

void open_block(int indent, int tag)
{
    if (tag < 0)
        return;
    if (st.nblocks == kMaxBlocks)
        st.nblocks--;
    st.blocks[st.nblocks++] = {indent, tag};
}

// The bracketed group from ln.text[i] (a '(') to its match, or to the end
// of the line when unmatched; its length.
int group_len(const script_line_t &ln, int i)
{
    int depth = 0;
    int j = i;
    for (; j < ln.len && ln.text[j] != '\n' && ln.text[j] != '\r'; j++) {
        if (ln.text[j] == '(')
            depth++;
        else if (ln.text[j] == ')' && --depth == 0)
            return j + 1 - i;
    }
    return j - i;
}

// A Python class or def: the name runs to '(', '[', ':' or the end of the
// line; a '(' starts the argument text.
int record_python(const script_line_t &ln, int i, int type, int parent)
{
    int j = i;
    while (j < ln.len && !script_in(ln.text[j], "([:\n\r"))
        j++;
    int end = j;
    while (end > i && script_blank(ln.text[end - 1]))
        end--;
    script_set_name(ln, i, ln.text + i, end - i);
    tag_rec.tr_parent = parent;
    char args[TAG_LINE_SIZE];
    if (j < ln.len && ln.text[j] == '(') {
        int n = group_len(ln, j);
        if (n > TAG_LINE_SIZE - 1)
            n = TAG_LINE_SIZE - 1;
        memcpy(args, ln.text + j, size_t(n));
        args[n] = '\0';
        tag_rec.tr_args = args;
    }
    int tag = tag_add(type, &tag_rec);
    tag_rec.tr_args = nullptr;
    return tag;
}

// A Ruby name: a constant path for classes and modules; for methods also
// the trailing ?, ! or =, operator names, and a receiver ("self.", "Foo.")
// dropped.
int record_ruby(const script_line_t &ln, int i, int type, int parent, bool method)
{
    int j = i;
    const char *t = ln.text;
    if (method && j < ln.len && !script_word_char(t[j])) {
        while (j < ln.len && !script_blank(t[j]) && !script_in(t[j], "(;\n\r"))
            j++;
    } else {
        while (j < ln.len && (script_word_char(t[j]) || t[j] == '.' ||
                              (t[j] == ':' && j + 1 < ln.len && t[j + 1] == ':')))
            j += t[j] == ':' ? 2 : 1;
        if (method && j < ln.len && (t[j] == '?' || t[j] == '!' ||
                                     (t[j] == '=' && (j + 1 >= ln.len || t[j + 1] == '(' ||
                                                      script_blank(t[j + 1])))))
            j++;
    }
    // The name proper: after a receiver (self., Foo::) or an enclosing
    // constant path (Outer::Inner), which is what a lookup asks for.
    int start = i;
    for (int k = i; k < j; k++)
        if ((method && t[k] == '.') || (t[k] == ':' && k + 1 < j && t[k + 1] == ':'))
            start = k + (t[k] == '.' ? 1 : 2);
    script_set_name(ln, start, t + start, j - start);
    tag_rec.tr_parent = parent;
    return tag_add(type, &tag_rec);
}

void record_imports(const script_line_t &ln, int i)
{
    bool skip_next = false;
    while (i < ln.len) {
        while (i < ln.len && (script_blank(ln.text[i]) || ln.text[i] == ',' || ln.text[i] == '\n'))
            i++;
        if (i >= ln.len || ln.text[i] == '#' || ln.text[i] == ';' || ln.text[i] == '\\')
            return;
        int j = i;
        while (j < ln.len && !script_blank(ln.text[j]) && !script_in(ln.text[j], ",\n#;"))
            j++;
        int n = j - i;
        if (n == 6 && strncmp(ln.text + i, "import", 6) == 0)
            return;
        bool as = n == 2 && strncmp(ln.text + i, "as", 2) == 0;
        if (!as && !skip_next && ln.text[i] != '(' && ln.text[i] != ')') {
            script_set_name(ln, i, ln.text + i, n);
            tag_add(TT_IMPORT, &tag_rec);
        }
        skip_next = as;
        i = j;
    }
}

// "name = lambda ...": a function by another spelling, tagged as a def is.
void lambda_assignment(const script_line_t &ln, int i, int indent)
{
    const char *t = ln.text;
    int j = i;
    while (j < ln.len && script_word_char(t[j]))
        j++;
    if (j == i || (t[i] >= '0' && t[i] <= '9'))
        return;
    int k = skip_blanks(ln, j);
    if (k >= ln.len || t[k] != '=' || (k + 1 < ln.len && t[k + 1] == '='))
        return;
    k = skip_blanks(ln, k + 1);
    if (ln.len - k < 6 || strncmp(t + k, "lambda", 6) != 0 ||
        (k + 6 < ln.len && script_word_char(t[k + 6])))
        return;
    script_set_name(ln, i, t + i, j - i);
    tag_rec.tr_parent = parent_for(indent);
    tag_add(TT_METHOD, &tag_rec);
}

// The statement starting at ln.text[i], indented by indent.
void statement(const script_line_t &ln, int i, int indent)
{
    const char *s = ln.text + i;
    int n = ln.len - i;
    static const char *const visibility[] = {"private", "protected", "public",
                                             "private_class_method", "module_function"};
    for (const char *w : visibility)
        if (st.ruby && starts_word(s, n, w)) {
            int k = skip_blanks(ln, i + int(strlen(w)));
            if (!starts_word(ln.text + k, ln.len - k, "def"))
                return;
            i = k;
            s = ln.text + i;
            n = ln.len - i;
            break;
        }
    if (starts_word(s, n, "async")) {
        int k = skip_blanks(ln, i + 5);
        if (!starts_word(ln.text + k, ln.len - k, "def"))
            return;
        i = k;
        s = ln.text + i;
        n = ln.len - i;
    }
    if (starts_word(s, n, "class")) {
        int k = skip_blanks(ln, i + 5);
        if (st.ruby && ln.text[k] == '<')
            return;     // class << self: no name of its own
        int parent = parent_for(indent);
        int tag = st.ruby ? record_ruby(ln, k, TT_CLASS, parent, false)
                          : record_python(ln, k, TT_CLASS, parent);
        open_block(indent, tag);
    } else if (starts_word(s, n, "def")) {
        int k = skip_blanks(ln, i + 3);
        int parent = parent_for(indent);
        int tag = st.ruby ? record_ruby(ln, k, TT_METHOD, parent, true)
                          : record_python(ln, k, TT_METHOD, parent);
        open_block(indent, tag);
    } else if (st.ruby && starts_word(s, n, "module")) {
        int k = skip_blanks(ln, i + 6);
        int parent = parent_for(indent);
        open_block(indent, record_ruby(ln, k, TT_MODULE, parent, false));
    } else if (!st.ruby && (starts_word(s, n, "from") || starts_word(s, n, "import"))) {
        record_imports(ln, i + (s[0] == 'f' ? 4 : 6));
    } else if (!st.ruby) {
        lambda_assignment(ln, i, indent);
    }
}

// Follows strings, brackets and backslash continuations over the line from
// ln.text[i].
void follow_python(const script_line_t &ln, int i)
{
    const char *t = ln.text;
    bool comment = false;
    for (; i < ln.len; i++) {
        char c = t[i];
        if (st.quote) {
            if (c == '\\')
                i++;
            else if (c == st.quote && (!st.triple || (i + 2 < ln.len && t[i + 1] == c && t[i + 2] == c))) {
                if (st.triple)
                    i += 2;
                st.quote = 0;
            }
            continue;
        }
        if (c == '#') {
            comment = true;
            break;
        }
        if (c == '"' || c == '\'') {
            st.quote = c;
            st.triple = i + 2 < ln.len && t[i + 1] == c && t[i + 2] == c;
            if (st.triple)
                i += 2;
        } else if (c == '(' || c == '[' || c == '{') {
            st.depth++;
        } else if ((c == ')' || c == ']' || c == '}') && st.depth > 0) {
            st.depth--;
        }
    }
    int end = ln.len;
    while (end > 0 && (t[end - 1] == '\n' || t[end - 1] == '\r'))
        end--;
    bool whole = end < ln.len;      // the piece ends the line
    st.cont = !comment && end > 0 && t[end - 1] == '\\' && whole;
    if (whole && st.quote && !st.triple && !st.cont)
        st.quote = 0;
}

// Ruby: a here-document opened on the line (<<~ID, <<-ID, <<ID, quoted or
// not) hides the lines up to its terminator.
void follow_ruby(const script_line_t &ln, int i)
{
    const char *t = ln.text;
    for (; i + 2 < ln.len; i++) {
        if (t[i] == '#')
            return;
        if (t[i] != '<' || t[i + 1] != '<')
            continue;
        int k = i + 2;
        if (t[k] == '~' || t[k] == '-')
            k++;
        char q = (t[k] == '\'' || t[k] == '"' || t[k] == '`') ? t[k] : 0;
        if (q)
            k++;
        if (!q && !(t[k] >= 'A' && t[k] <= 'Z') && !(t[k] == '_'))
            continue;
        int j = k;
        while (j < ln.len && script_word_char(t[j]) && j - k < int(sizeof st.heredoc) - 1)
            j++;
        if (j == k || (q && t[j] != q))
            continue;
        memcpy(st.heredoc, t + k, size_t(j - k));
        st.heredoc[j - k] = '\0';
        return;
    }
}

// Ruby lines that are not code: =begin blocks and here-document bodies.
bool ruby_hidden(const script_line_t &ln, int i)
{
    if (st.in_doc) {
        if (strncmp(ln.text, "=end", 4) == 0)
            st.in_doc = false;
        return true;
    }
    if (strncmp(ln.text, "=begin", 6) == 0 && (ln.len == 6 || !script_word_char(ln.text[6]))) {
        st.in_doc = true;
        return true;
    }
    if (st.heredoc[0]) {
        size_t k = strlen(st.heredoc);
        if (strncmp(ln.text + i, st.heredoc, k) == 0 &&
            (i + int(k) >= ln.len || !script_word_char(ln.text[i + int(k)])))
            st.heredoc[0] = '\0';
        return true;
    }
    return false;
}

int scan(bool ruby)
{
    lex_init(&desc_python);
    st = py_state_t{};
    st.ruby = ruby;
    script_line_t ln;
    while (script_next_line(&ln)) {
        bool start = !ln.continued && !st.quote && st.depth == 0 && !st.cont;
        int i = 0;
        int indent = 0;
        for (; i < ln.len && script_blank(ln.text[i]); i++)
            indent = ln.text[i] == '\t' ? (indent / 8 + 1) * 8 : indent + 1;
        if (ruby) {
            if (ln.continued || ruby_hidden(ln, i))
                continue;
            if (strncmp(ln.text, "__END__", 7) == 0 && ln.len <= 9)
                break;
        }
        if (start && i < ln.len && ln.text[i] != '#' && ln.text[i] != '\n' && ln.text[i] != '\r') {
            parent_for(indent);     // a statement closes the blocks it is not inside
            statement(ln, i, indent);
        }
        if (ruby)
            follow_ruby(ln, i);
        else
            follow_python(ln, i);
    }
    return 0;
}

} // namespace

extern "C" {

int tvt_python_scan(void) { return scan(false); }
int tvt_ruby_scan(void) { return scan(true); }

} // extern "C"
