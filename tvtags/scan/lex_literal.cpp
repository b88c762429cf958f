// Literals: numbers, strings and character constants.
#include <cmath>
#include <cstdlib>

#include "lex_internal.h"

namespace {

inline bool is_digit(int c) { return (lex_cls(c) & CC_DIGIT) != 0; }
inline bool is_hex(int c) { return (lex_cls(c) & CC_HEX) != 0; }

int hex_value(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

// Value of the integer text: 0x prefix hexadecimal, a leading 0 octal,
// otherwise decimal; 64 bits, wrapping like the machine does.
int64_t integer_value(const char *s, int len)
{
    uint64_t v = 0;
    int i = 0;
    if (len > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        for (i = 2; i < len && is_hex(s[i]); i++)
            v = v * 16 + uint64_t(hex_value(s[i]));
    } else if (len > 1 && s[0] == '0') {
        for (i = 1; i < len && is_digit(s[i]); i++)
            v = v * 8 + uint64_t(s[i] - '0');
    } else {
        for (i = 0; i < len && is_digit(s[i]); i++)
            v = v * 10 + uint64_t(s[i] - '0');
    }
    return int64_t(v);
}

// Reads digits of the class while they come; returns the first other one.
// Under LEX_CXX_LITERALS a tick between two digits separates them
// ("1'000'000") and is left out of the text, so the value reads as usual.
int digits(int cls)
{
    bool separators = (lex_ctx.lx_flags & LEX_CXX_LITERALS) != 0;
    for (;;) {
        int c = gc();
        if (c == '\'' && separators && (lex_cls(peek1()) & cls))
            continue;
        if (!(lex_cls(c) & cls))
            return c;
        text_add(c);
    }
}

int finish_integer();

// "0b1010" under LEX_CXX_LITERALS, "0b" in the text: its value.
int binary_number()
{
    lex_t &x = lex_ctx;
    uint64_t v = 0;
    for (;;) {
        int c = gc();
        if (c == '\'' && (peek1() == '0' || peek1() == '1'))
            continue;
        if (c != '0' && c != '1') {
            ugc(c);
            break;
        }
        text_add(c);
        v = v * 2 + uint64_t(c - '0');
    }
    int64_t value = int64_t(v);
    int r = finish_integer();
    x.lx_int = value;
    return r;
}

// After the integer digits under LEX_BASED_NUMBER: 'b1010, 'hFF, 'd10.
bool based_part(int64_t *value)
{
    int base_letter = peek2();
    if (peek1() != '\'' || !(lex_cls(base_letter) & CC_IDSTART))
        return false;
    text_add(gc());
    text_add(gc());
    int lower = base_letter | 0x20;
    int base = lower == 'b' ? 2 : lower == 'o' ? 8 : lower == 'd' ? 10 : 16;
    uint64_t v = 0;
    for (;;) {
        int c = gc();
        bool ok = base == 2 ? (c == '0' || c == '1') : is_hex(c);
        if (!ok) {
            ugc(c);
            break;
        }
        text_add(c);
        v = v * uint64_t(base) + uint64_t(hex_value(c));
    }
    *value = int64_t(v);
    return true;
}

// The exponent after 'e' or 'p' (already read as c): an optional sign
// and digits.  False for a malformed exponent (the number is dropped).
bool exponent(int c, bool fraction, int digit_class)
{
    int s = gc();
    if (s == 0 && fraction) {
        lex_error("EOF detected reading floating point constant");
        return false;
    }
    if (!(lex_cls(s) & digit_class) && s != '+' && s != '-') {
        ugc(s);
        return false;
    }
    text_add(c);
    text_add(s);
    if (s == '+' || s == '-') {
        int d = gc();
        if (!(lex_cls(d) & CC_DIGIT)) {
            ugc(d);
            return false;
        }
        text_add(d);
    }
    ugc(digits(CC_DIGIT));
    return true;
}

int finish_float()
{
    int c = gc();
    if (c == 'f' || c == 'F' || c == 'l' || c == 'L')
        text_add(c);
    else
        ugc(c);
    lex_ctx.lx_float = atof(lex_ctx.lx_text.dl_str);
    return TOK_FLOAT;
}

int finish_integer()
{
    lex_t &x = lex_ctx;
    x.lx_int = integer_value(x.lx_text.dl_str, x.lx_text.dl_len);
    if ((x.lx_flags & LEX_BASED_NUMBER) && based_part(&x.lx_int))
        return TOK_INT;
    // The suffix letters of C integers (u, l, ul, ull, ...).
    for (int n = 0; n < 3; n++) {
        int c = gc();
        if (c != 'u' && c != 'U' && c != 'l' && c != 'L') {
            ugc(c);
            break;
        }
        text_add(c);
    }
    return TOK_INT;
}

// "0x1.8p3": computed here, as not every C library reads hexadecimal
// floating constants.
double hex_float_value(const char *s)
{
    double v = 0;
    const char *p = s + 2;
    for (; is_hex(*p); p++)
        v = v * 16 + hex_value(*p);
    if (*p == '.') {
        double scale = 1.0 / 16;
        for (p++; is_hex(*p); p++, scale /= 16)
            v += hex_value(*p) * scale;
    }
    if (*p == 'p' || *p == 'P')
        v = ldexp(v, atoi(p + 1));
    return v;
}

int hex_number()
{
    // "0x" is in the text.
    int c = digits(CC_HEX);
    bool is_float = false;
    if (c == '.') {
        text_add(c);
        c = digits(CC_HEX);
        is_float = true;
    }
    if (c == 'p' || c == 'P') {
        if (!exponent(c, is_float, CC_DIGIT))
            return -1;
        is_float = true;
    } else {
        ugc(c);
    }
    if (is_float) {
        lex_ctx.lx_float = hex_float_value(lex_ctx.lx_text.dl_str);
        return TOK_FLOAT;
    }
    return finish_integer();
}

} // namespace

int lex_scan_number(int c)
{
    text_clear();
    if (c == '.') {
        int d = gc();
        if (d == '.') {
            int e = gc();
            if (e == '.') {
                text_set("...");
                return TOK_ELLIPSIS;
            }
            ugc(e);
            return -1;
        }
        if (!is_digit(d)) {
            ugc(d);
            text_set(".");
            return TOK_DOT;
        }
        text_add('.');
        text_add(d);
        c = digits(CC_DIGIT);
        if (c == 'e' || c == 'E') {
            if (!exponent(c, true, CC_DIGIT))
                return -1;
        } else {
            ugc(c);
        }
        return finish_float();
    }
    text_add(c);
    if (c == '0' && (peek1() == 'x' || peek1() == 'X') && is_hex(peek2())) {
        text_add(gc());
        return hex_number();
    }
    if (c == '0' && (lex_ctx.lx_flags & LEX_CXX_LITERALS) && (peek1() == 'b' || peek1() == 'B') &&
        (peek2() == '0' || peek2() == '1')) {
        text_add(gc());
        return binary_number();
    }
    int d = digits(CC_DIGIT);
    bool is_float = false;
    if (d == '.') {
        text_add(d);
        d = digits(CC_DIGIT);
        is_float = true;
    }
    if (d == 'e' || d == 'E') {
        if (!exponent(d, is_float, CC_DIGIT))
            return -1;
        return finish_float();
    }
    ugc(d);
    return is_float ? finish_float() : finish_integer();
}

int lex_scan_string(int delim)
{
    bool multiline = (lex_ctx.lx_flags & LEX_MULTILINE_STRING) != 0;
    text_clear();
    text_add(delim);
    for (;;) {
        int c = gc();
        if (c == 0)
            break;
        if (c == '\\') {
            text_add(c);
            int d = gc();
            if (d == 0)
                break;
            text_add(d);
            continue;
        }
        if (c == '\n' && !multiline) {
            // An unterminated string ends with its line.
            ugc(c);
            break;
        }
        text_add(c);
        if (c == delim)
            break;
    }
    return TOK_STRING;
}

namespace {

// The rest of a string whose opening was read into the text.
int ordinary_string_rest()
{
    for (;;) {
        int c = gc();
        if (c == 0)
            break;
        if (c == '\n') {
            ugc(c);
            break;
        }
        text_add(c);
        if (c == '\\') {
            int d = gc();
            if (d == 0)
                break;
            text_add(d);
        } else if (c == '"') {
            break;
        }
    }
    return TOK_STRING;
}

} // namespace

int lex_scan_raw_string(void)
{
    // The prefix and the quote are in the text.  The delimiter runs up to
    // "(", at most 16 characters; anything else there is no raw string
    // after all and the rest reads as an ordinary string.
    char delim[20];
    int n = 0;
    for (;;) {
        int c = gc();
        if (c == '(')
            break;
        if (c == 0 || c == '\n' || c == ')' || c == '\\' || c == ' ' || c == '"' || n == 16) {
            ugc(c);
            return ordinary_string_rest();
        }
        delim[n++] = char(c);
        text_add(c);
    }
    text_add('(');
    // The body ends at ")delim\"", and may span lines.
    int matched = -1;  // characters of ")delim" matched so far, -1 none
    for (;;) {
        int c = gc();
        if (c == 0)
            break;
        text_add(c);
        if (matched >= 0 && matched == n && c == '"')
            break;
        if (c == ')')
            matched = 0;
        else if (matched >= 0 && matched < n && c == delim[matched])
            matched++;
        else
            matched = -1;
    }
    return TOK_STRING;
}

int lex_scan_char_const(void)
{
    bool escapes = !(lex_ctx.lx_flags & LEX_NO_ESCAPE);
    // A word read after the tick by the attribute rule stays in the text.
    dstr_t &t = lex_ctx.lx_text;
    int keep = t.dl_len;
    char kept[64];
    if (keep > int(sizeof kept))
        keep = int(sizeof kept);
    for (int i = 0; i < keep; i++)
        kept[i] = t.dl_str[i];
    text_clear();
    text_add('\'');
    for (int i = 0; i < keep; i++)
        text_add(kept[i]);
    for (;;) {
        int c = gc();
        if (c == 0)
            break;
        if (c == '\n') {
            ugc(c);
            lex_error("Character constant too long or unterminated.");
            break;
        }
        text_add(c);
        if (c == '\\' && escapes) {
            int d = gc();
            if (d == 0)
                break;
            if (d == '\n') {
                ugc(d);
                lex_error("Character constant too long or unterminated.");
                break;
            }
            text_add(d);
            continue;
        }
        if (c == '\'')
            break;
    }
    // The value is the constant's first character; common escapes are
    // mapped so that '\n' has the value of a newline.
    int v = t.dl_len > 1 ? static_cast<unsigned char>(t.dl_str[1]) : 0;
    if (v == '\\' && escapes && t.dl_len > 2) {
        int e = static_cast<unsigned char>(t.dl_str[2]);
        switch (e) {
        case 'n': v = '\n'; break;
        case 't': v = '\t'; break;
        case 'r': v = '\r'; break;
        case '0': v = 0; break;
        case 'a': v = 7; break;
        case 'b': v = 8; break;
        case 'f': v = 12; break;
        case 'v': v = 11; break;
        default: v = e; break;
        }
    }
    lex_ctx.lx_int = v;
    return TOK_INT;
}
