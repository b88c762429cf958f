// The lexer context, the input channel and the character level: reading a
// file a line piece at a time into the fixed line buffer, the character
// classes and the keyword hashes of each language descriptor.
#include <cerrno>
#include <cstring>
#include <mutex>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "lex_internal.h"
#include "tvt_tag.h"
#include "wrenlib/chk.h"
#include "wrenlib/fmt.h"

namespace {

// File reads go through one block buffer kept for the run; lines are cut
// out of it, so a file costs one pass and no allocation.
constexpr size_t kBlockSize = 64 * 1024;

lex_input_t &in() { return lex_st.in; }

// The next block of the file once the last is used up; false at the end.
bool refill(lex_input_t &i)
{
    if (i.eof)
        return false;
    i.blen = fread(i.block, 1, kBlockSize, i.fp);
    i.bpos = 0;
    // A short block is the last: the stream has already met the end, and
    // asking again would cost one more read of nothing per file.
    if (i.blen < kBlockSize)
        i.eof = true;
    return i.blen > 0;
}

// Raw bytes for the binary reader: up to n from the block or the text.
int read_raw(char *dst, int n)
{
    lex_input_t &i = in();
    if (!i.open)
        return -1;
    if (i.mem) {
        size_t avail = i.mem_len - i.mem_pos;
        size_t k = avail < size_t(n) ? avail : size_t(n);
        memcpy(dst, i.mem + i.mem_pos, k);
        i.mem_pos += k;
        return k ? int(k) : -1;
    }
    int got = 0;
    while (got < n) {
        if (i.bpos == i.blen && !refill(i))
            break;
        size_t k = i.blen - i.bpos;
        if (k > size_t(n - got))
            k = size_t(n - got);
        memcpy(dst + got, i.block + i.bpos, k);
        i.bpos += k;
        got += int(k);
    }
    return got ? got : -1;
}

// Copies src into dst up to and including the first newline, at most lim
// bytes, in one pass: the count copied, and whether a newline ended it.  A
// zero byte would read as the end of input; inside a file it is only a
// stray character, so it is copied as a blank unless raw.
size_t copy_line(char *dst, const char *src, size_t lim, bool raw, bool *got_nl)
{
    size_t k = 0;
#if defined(__SSE2__)
    const __m128i newline = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    const __m128i blank = _mm_set1_epi8(' ');
    for (; k + 16 <= lim; k += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + k));
        if (!raw) {
            __m128i z = _mm_cmpeq_epi8(v, zero);
            v = _mm_or_si128(_mm_andnot_si128(z, v), _mm_and_si128(z, blank));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + k), v);
        unsigned m = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, newline)));
        if (m) {
            *got_nl = true;
            return k + unsigned(__builtin_ctz(m)) + 1;
        }
    }
#endif
    for (; k < lim; k++) {
        char c = src[k];
        if (c == '\0' && !raw)
            c = ' ';
        dst[k] = c;
        if (c == '\n') {
            *got_nl = true;
            return k + 1;
        }
    }
    *got_nl = false;
    return lim;
}

void reset_channel(lex_input_t &i)
{
    i.mem = nullptr;
    i.mem_len = i.mem_pos = 0;
    i.bpos = i.blen = 0;
    i.eof = false;
    i.at_line_start = true;
    i.open = false;
}

void remember_path(const char *path)
{
    lex_input_t &i = in();
    chk_free_ptr(&i.path);
    i.path = chk_strdup(path ? path : "");
    const char *base = i.path;
    for (const char *p = i.path; *p; p++)
        if (*p == '/' || *p == '\\' || *p == ':')
            base = p + 1;
    i.sccs = base[0] == 's' && base[1] == '.';
}

void build_classes(const lang_desc_t *d)
{
    unsigned char *cls = lex_st.cls;
    memset(cls, 0, 256);
    for (int c = 'a'; c <= 'z'; c++)
        cls[c] = CC_IDSTART | CC_IDENT;
    for (int c = 'A'; c <= 'Z'; c++)
        cls[c] = CC_IDSTART | CC_IDENT;
    for (int c = 'a'; c <= 'f'; c++)
        cls[c] |= CC_HEX, cls[c - 'a' + 'A'] |= CC_HEX;
    for (int c = '0'; c <= '9'; c++)
        cls[c] = CC_DIGIT | CC_HEX;
    cls[int('_')] = CC_IDSTART | CC_IDENT;
    cls[int(' ')] = cls[int('\t')] = CC_BLANK;
    if (d->ld_flags & LEX_DOLLAR_IDENT)
        cls[int('$')] |= CC_IDSTART;
    if (d->ld_ident_start)
        for (const char *p = d->ld_ident_start; *p; p++)
            cls[static_cast<unsigned char>(*p)] |= CC_IDSTART;
    if (d->ld_ident_chars)
        for (const char *p = d->ld_ident_chars; *p; p++)
            cls[static_cast<unsigned char>(*p)] |= CC_IDENT;
}

char *upper_copy(const char *s)
{
    char *u = chk_strdup(s);
    for (char *p = u; *p; p++)
        if (*p >= 'a' && *p <= 'z')
            *p = char(*p - 'a' + 'A');
    return u;
}

// Adds a table's entries (and the tables it nests) to the two hashes.
void add_table(lang_desc_t *d, const keyword_t *tab, bool nocase, int nest)
{
    if (!tab || nest > 8)
        return;
    for (int i = 0; tab[i].kw_name; i++) {
        const keyword_t *e = &tab[i];
        if (e->kw_flags & KW_TABLE) {
            add_table(d, reinterpret_cast<const keyword_t *>(e->kw_name), nocase, nest + 1);
            continue;
        }
        hash_t *h = (e->kw_flags & KW_DIRECTIVE) ? d->ld_dir_hash : d->ld_kw_hash;
        char *folded = nocase ? upper_copy(e->kw_name) : nullptr;
        const char *key = folded ? folded : e->kw_name;
        if (!hash_insert(h, key, const_cast<keyword_t *>(e))) {
            wl_printf("tvtags: failed to add keyword #%d '%s'\n", i, e->kw_name);
            chk_free(folded);
        }
    }
}

// Descriptors are shared by every scanning thread: the first scan of a
// language builds its hashes, and the others wait for it, so that a table
// is only read once whole.
std::mutex desc_lock;

void build_hashes(lang_desc_t *d)
{
    std::lock_guard<std::mutex> g(desc_lock);
    if (!d->ld_token)
        d->ld_token = lex_token;
    if (d->ld_kw_hash)
        return;
    d->ld_kw_hash = hash_create(16, 16);
    d->ld_dir_hash = hash_create(8, 16);
    add_table(d, d->ld_keywords, (d->ld_flags & LEX_NOCASE) != 0, 0);
    if (lex_shared.nbuilt < int(sizeof lex_shared.built / sizeof lex_shared.built[0]))
        lex_shared.built[lex_shared.nbuilt++] = d;
}

const keyword_t *find_in(hash_t *h, const char *word, int len)
{
    if (!h || len <= 0)
        return nullptr;
    if (lex_ctx.lx_flags & LEX_NOCASE) {
        // Words longer than the fold buffer cannot be keywords.
        char buf[256];
        if (len >= int(sizeof buf))
            return nullptr;
        for (int i = 0; i < len; i++) {
            char c = word[i];
            buf[i] = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
        }
        buf[len] = '\0';
        return static_cast<const keyword_t *>(lex_kw_lookup(h, buf, len));
    }
    return static_cast<const keyword_t *>(lex_kw_lookup(h, word, len));
}

} // namespace

constinit thread_local lex_state_t lex_st;
lex_shared_t lex_shared;

int lex_fill(void)
{
    return lex_fill_piece(false);
}

int lex_fill_piece(bool raw)
{
    lex_input_t &i = in();
    if (!i.open)
        return -1;
    lex_t &x = lex_ctx;
    char *dst = x.lx_line;
    const size_t max = LEX_LINE_SIZE - 1;
    size_t n = 0;
    bool got_nl = false;
    if (i.mem) {
        size_t avail = i.mem_len - i.mem_pos;
        if (avail == 0)
            return -1;
        size_t lim = avail < max ? avail : max;
        n = copy_line(dst, i.mem + i.mem_pos, lim, raw, &got_nl);
        i.mem_pos += n;
    } else {
        while (n < max) {
            if (i.bpos == i.blen && !refill(i))
                break;
            size_t avail = i.blen - i.bpos;
            if (avail > max - n)
                avail = max - n;
            size_t k = copy_line(dst + n, i.block + i.bpos, avail, raw, &got_nl);
            n += k;
            i.bpos += k;
            if (got_nl)
                break;
        }
        if (n == 0)
            return -1;
    }
    dst[n] = '\0';
    // The pieces of a line longer than the buffer share its line number.
    if (i.at_line_start)
        x.lx_lineno++;
    i.at_line_start = got_nl;
    x.lx_pos = 0;
    x.lx_end = int(n);
    x.lx_column = 0;
    return int(n);
}

const keyword_t *lex_find_keyword(const char *word, int len)
{
    return lex_ctx.lx_desc ? find_in(lex_ctx.lx_desc->ld_kw_hash, word, len) : nullptr;
}

const keyword_t *lex_find_directive(const char *word, int len)
{
    return lex_ctx.lx_desc ? find_in(lex_ctx.lx_desc->ld_dir_hash, word, len) : nullptr;
}

extern "C" {

thread_local lex_t lex_ctx;

int lex_open_file(const char *path)
{
    lex_close_file();
    FILE *fp = fopen(path, "rb");
    if (!fp)
        return -1;
    // The block buffer is the only buffer: the stream reads straight into
    // it, without a buffer (and a size query) of its own.
    setvbuf(fp, nullptr, _IONBF, 0);
    lex_input_t &i = in();
    reset_channel(i);
    if (!i.block)
        i.block = static_cast<char *>(chk_alloc(kBlockSize));
    i.fp = fp;
    i.open = true;
    remember_path(path);
    lex_ctx.lx_pos = lex_ctx.lx_end = 0;
    lex_ctx.lx_unget_char = 0;
    return 0;
}

int lex_open_string(const char *text, int len, const char *path)
{
    lex_close_file();
    lex_input_t &i = in();
    reset_channel(i);
    i.mem = text ? text : "";
    i.mem_len = len < 0 ? strlen(i.mem) : size_t(len);
    i.open = true;
    remember_path(path);
    lex_ctx.lx_pos = lex_ctx.lx_end = 0;
    lex_ctx.lx_unget_char = 0;
    return 0;
}

void lex_close_file(void)
{
    lex_input_t &i = in();
    if (i.fp)
        fclose(i.fp);
    i.fp = nullptr;
    reset_channel(i);
    // The path stays until the next open: tag entries refer to it.
}

const char *lex_file_path(void)
{
    return in().path ? in().path : "";
}

lex_t *lex_init(lang_desc_t *desc)
{
    lex_t &x = lex_ctx;
    x.lx_flags = 0;
    x.lx_desc = nullptr;
    x.lx_line[0] = '\0';
    x.lx_pos = x.lx_end = 0;
    x.lx_unget_char = 0;
    x.lx_nstack = 0;
    x.lx_lang = 0;
    x.lx_tok_line = x.lx_tok_column = 0;
    x.lx_column = 0;
    x.lx_lineno = 0;
    x.lx_depth = 0;
    x.lx_messages = 0;
    x.lx_names = nullptr;
    x.lx_int = 0;
    x.lx_float = 0;
    if (!x.lx_text.dl_str)
        dstr_init(&x.lx_text, 128);
    text_clear();
    tag_reset();
    if (desc) {
        build_hashes(desc);
        build_classes(desc);
        x.lx_desc = desc;
        x.lx_flags = desc->ld_flags;
        x.lx_lang = desc->ld_lang;
        x.lx_names = desc->ld_keywords;
    }
    return &x;
}

int lex_getc(void)
{
    return gc();
}

void lex_ungetc(int c)
{
    ugc(c);
}

int lex_next(void)
{
    lang_desc_t *d = lex_ctx.lx_desc;
    return (d && d->ld_token) ? d->ld_token() : lex_token();
}

int lex_keyword(const char *word, int mask)
{
    if (!word)
        return -1;
    int len = int(strlen(word));
    const keyword_t *e = (mask & KW_DIRECTIVE) ? nullptr : lex_find_keyword(word, len);
    if (!e)
        e = lex_find_directive(word, len);
    if (!e || (e->kw_flags & mask) != mask)
        return -1;
    return e->kw_code;
}

void lex_set_class(int c, int bits)
{
    lex_st.cls[c & 0xFF] |= static_cast<unsigned char>(bits);
}

int lex_class_of(int c)
{
    return lex_cls(c);
}

void lex_skip_line(void)
{
    for (;;) {
        int c = gc();
        if (c == 0 || c == '\n')
            return;
        if (c == '\\' && (lex_ctx.lx_flags & LEX_LINE_CONT) && gc() == 0)
            return;
    }
}

int lex_read_line(void)
{
    lex_ctx.lx_unget_char = 0;
    int before = lex_ctx.lx_lineno;
    int n = lex_fill_piece(true);
    if (n < 0)
        return -1;
    if (lex_ctx.lx_lineno != before)
        tag_rec.tr_line++;
    lex_ctx.lx_pos = lex_ctx.lx_end;
    return n;
}

int lex_getbyte(void)
{
    lex_t &x = lex_ctx;
    if (x.lx_pos >= x.lx_end) {
        int n = read_raw(x.lx_line, LEX_LINE_SIZE);
        if (n <= 0)
            return -1;
        x.lx_pos = 0;
        x.lx_end = n;
    }
    return static_cast<unsigned char>(x.lx_line[x.lx_pos++]);
}

int lex_getbytes(void *dst, int n)
{
    lex_t &x = lex_ctx;
    char *out = static_cast<char *>(dst);
    int got = 0;
    // What lex_getbyte has already buffered comes first.
    if (x.lx_pos < x.lx_end && n > 0) {
        int k = x.lx_end - x.lx_pos;
        if (k > n)
            k = n;
        memcpy(out, x.lx_line + x.lx_pos, size_t(k));
        x.lx_pos += k;
        got = k;
    }
    if (got < n) {
        int k = read_raw(out + got, n - got);
        if (k > 0)
            got += k;
    }
    return got;
}

void lex_release(void)
{
    {
        std::lock_guard<std::mutex> g(desc_lock);
        for (int i = 0; i < lex_shared.nbuilt; i++) {
            lang_desc_t *d = lex_shared.built[i];
            int flags = (d->ld_flags & LEX_NOCASE) ? HASH_FREE_KEY : 0;
            hash_destroy(d->ld_kw_hash, flags);
            hash_destroy(d->ld_dir_hash, flags);
            d->ld_kw_hash = d->ld_dir_hash = nullptr;
        }
        lex_shared.nbuilt = 0;
    }
    lex_release_thread();
}

void lex_release_thread(void)
{
    lex_kw_index_reset();
    lex_close_file();
    chk_free_ptr(&lex_st.in.block);
    chk_free_ptr(&lex_st.in.path);
    if (lex_ctx.lx_text.dl_str)
        dstr_free(&lex_ctx.lx_text);
    for (lex_pushed_t &p : lex_ctx.lx_stack)
        if (p.lp_text.dl_str)
            dstr_free(&p.lp_text);
    lex_ctx.lx_nstack = 0;
}

} // extern "C"

void lex_skip_to_eol(void)
{
    for (;;) {
        int c = gc();
        if (c == 0)
            return;
        if (c == '\n') {
            ugc(c);
            return;
        }
        if (c == '\\' && (lex_ctx.lx_flags & LEX_LINE_CONT) && gc() == 0)
            return;
    }
}
