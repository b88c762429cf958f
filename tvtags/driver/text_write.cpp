// The text writer: at the end of a text-mode run the collected entries go
// out in one of the three tag-file forms, or as a cross-reference listing on
// standard output.
#include "driver/text_entries.h"
#include "driver/tvt_driver.h"
#include "driver/tvt_output.h"
#include "scan/tvt_lang.h"
#include "scan/tvt_settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "wrenlib/files.h"
#include "wrenlib/fmt.h"

namespace {

// Case-insensitive order folds letters to upper case, the order that
// editors expect of a tags file marked as sorted with folded case.
int fold_compare(const char *a, const char *b)
{
    for (;; a++, b++) {
        int ca = (unsigned char)*a, cb = (unsigned char)*b;
        if (ca >= 'a' && ca <= 'z')
            ca -= 'a' - 'A';
        if (cb >= 'a' && cb <= 'z')
            cb -= 'a' - 'A';
        if (ca != cb || ca == 0)
            return ca - cb;
    }
}

const char *safe(const char *s)
{
    return s ? s : "";
}

bool sorted_output()
{
    return tvt_opt.sort && !tvt_opt.browser;
}

std::vector<int> output_order()
{
    std::vector<int> order((size_t)text_store.ts_count);
    for (int i = 0; i < text_store.ts_count; i++)
        order[(size_t)i] = i;
    if (!sorted_output())
        return order;
    const text_entry_t *e = text_store.ts_entries;
    bool nocase = tvt_opt.ignorecase != 0;
    std::stable_sort(order.begin(), order.end(), [e, nocase](int x, int y) {
        int c = nocase ? fold_compare(e[x].te_name, e[y].te_name) : strcmp(e[x].te_name, e[y].te_name);
        if (c == 0)
            c = strcmp(safe(e[x].te_file), safe(e[y].te_file));
        return c < 0;
    });
    return order;
}

int scanned_count()
{
    return tvt_run.scanned.dl_str ? tvt_run.scanned.dl_len / (int)sizeof(char *) : 0;
}

const char *scanned_file(int i)
{
    const char *p;
    memcpy(&p, tvt_run.scanned.dl_str + (size_t)i * sizeof(char *), sizeof p);
    return p;
}

const char *type_label(int type)
{
    if (type < 0 || type >= TT_COUNT)
        return "?";
    const tag_type_t &t = tag_types[type];
    if (tvt_opt.optimise && t.tt_short && *t.tt_short)
        return t.tt_short;
    return t.tt_name;
}

// The file numbers of the [Files] section, by name; the first listing of a
// name wins.
using file_numbers_t = std::unordered_map<std::string_view, int>;

void write_tvtags_entry(FILE *out, const text_entry_t &e, const file_numbers_t &numbers)
{
    const char *file = safe(e.te_file);
    wl_fprintf(out, "%s ", e.te_name);
    auto it = tvt_opt.optimise ? numbers.find(file) : numbers.end();
    if (it != numbers.end())
        wl_fprintf(out, "#%d", it->second);
    else if (strchr(file, ' '))
        wl_fprintf(out, "\"%s\"", file);
    else
        wl_fprintf(out, "%s", file);
    wl_fprintf(out, "(%d) %s", e.te_line, type_label(e.te_type));
    int n = tvt_opt.fuzzy_len;
    if (e.te_line_text && n > 0) {
        if (strlen(e.te_line_text) <= (size_t)n)
            wl_fprintf(out, " /^%s$/", e.te_line_text);
        else
            wl_fprintf(out, " /^%*.*s/", n, n, e.te_line_text);
    }
    if (tvt_opt.browser) {
        if (e.te_type_text)
            wl_fprintf(out, " type='%s'", e.te_type_text);
        if (e.te_args)
            wl_fprintf(out, " args='%s'", e.te_args);
    }
    wl_fprintf(out, "\n");
}

// Put together in one buffer and written at once: this is the line a
// ctags file holds millions of.
void write_ctags_entry(FILE *out, const text_entry_t &e, std::string &line)
{
    // The form is tab-separated: a name holding blanks is written as it
    // is, or an editor looks for a file whose name has quotes.
    line.assign(e.te_name);
    line += '\t';
    line += safe(e.te_file);
    line += "\t/^";
    // A search pattern ends at the first bare slash, and a backslash starts
    // an escape, so both are escaped or an editor lands on the wrong line.
    for (const char *p = safe(e.te_line_text); *p; p++) {
        if (*p == '\\' || *p == '/')
            line += '\\';
        line += *p;
    }
    // A line cut at the record's limit does not end where the text does,
    // so its pattern must not claim the line's end.
    line += strlen(safe(e.te_line_text)) >= TAG_LINE_SIZE - 1 ? "/\n" : "$/\n";
    fwrite(line.data(), 1, line.size(), out);
}

void write_codewright_entry(FILE *out, const text_entry_t &e)
{
    const char *kind = e.te_type == TT_FUNCTION ? "F" : e.te_type == TT_DATA ? "V" : "????";
    wl_fprintf(out, "%s %s(%d)%s\n", e.te_name, safe(e.te_file), e.te_line, kind);
}

void write_cxref_entry(FILE *out, const text_entry_t &e)
{
    // A name or file as wide as its column or wider gets a blank after it,
    // or it runs into the next column and the listing cannot be read.
    const char *file = safe(e.te_file);
    wl_fprintf(out, "%-16s%s%6d %-14s%s%s\n", e.te_name, strlen(e.te_name) >= 16 ? " " : "", e.te_line, file,
               strlen(file) >= 14 ? " " : "", safe(e.te_line_text));
}

// The lines before the entries; the [Files] section also numbers the files
// for the entries that refer to them.
void write_header(FILE *out, file_numbers_t &numbers, bool appending)
{
    if (tvt_opt.format == FMT_TVTAGS) {
        wl_fprintf(out, "tvtags_version=%d.%03d\n", TVT_VERSION_MAJOR, TVT_VERSION_MINOR);
        wl_fprintf(out, "\n");
        if (tvt_opt.optimise) {
            wl_fprintf(out, "[Files]\n");
            int n = scanned_count();
            for (int i = 0; i < n; i++) {
                const char *f = safe(scanned_file(i));
                numbers.emplace(f, i);
                wl_fprintf(out, "%s\n", f);
            }
            wl_fprintf(out, "\n");
        }
        wl_fprintf(out, "[Database]\n");
    } else if (tvt_opt.format == FMT_CTAGS && !appending) {
        // Editors binary-search a tags file unless told how it is ordered;
        // the collection order of the browser form is not searchable.  An
        // appended part would put the line in the middle, where it is no
        // use.
        int how = !sorted_output() ? 0 : tvt_opt.ignorecase ? 2 : 1;
        wl_fprintf(out, "!_TAG_FILE_SORTED\t%d\t/0=unsorted, 1=sorted, 2=foldcase/\n", how);
    }
}


// Entries appended after a sorted ctags file leave it out of order: an
// editor that still binary-searched it would miss most tags.  The header
// keeps its length, so its flag is changed in place.
void mark_unsorted(const char *name)
{
    static const char kHead[] = "!_TAG_FILE_SORTED\t";
    FILE *fp = fopen(name, "r+b");
    if (fp == nullptr)
        return;
    char head[sizeof kHead];
    size_t n = fread(head, 1, sizeof head, fp);
    if (n == sizeof head && memcmp(head, kHead, sizeof kHead - 1) == 0 && head[sizeof kHead - 1] != '0' &&
        fseek(fp, long(sizeof kHead - 1), SEEK_SET) == 0)
        fputc('0', fp);
    fclose(fp);
}

const char *tag_file_name()
{
    return tvt_opt.tag_file ? tvt_opt.tag_file : "tags";
}

// The tag file, or standard output for the cross-reference listing; exits
// 1 when the file cannot be opened.
FILE *open_output()
{
    if (tvt_opt.cxref)
        return stdout;
    FILE *out = fopen(tag_file_name(), tvt_opt.append ? "a" : "w");
    if (!out) {
        wl_fprintf(stderr, "%s: %s\n", tag_file_name(), strerror(errno));
        exit(1);
    }
    setvbuf(out, nullptr, _IOFBF, size_t(1) << 20);
    return out;
}

struct writer_t {
    FILE *out = nullptr;
    file_numbers_t numbers;
    std::string line;
    long count = 0;     // entries written

    bool appended = false;  // entries went after those of an earlier run

    void start()
    {
        wl_stat_t st;
        appended = tvt_opt.append && !tvt_opt.cxref && wl_stat(tag_file_name(), &st) == 0 && st.st_size > 0;
        out = open_output();
        // The cross-reference listing is not a tags file: no file header.
        if (!tvt_opt.cxref)
            write_header(out, numbers, appended);
    }
    void put(const text_entry_t &e)
    {
        if (tvt_opt.cxref)
            write_cxref_entry(out, e);
        else if (tvt_opt.format == FMT_TVTAGS)
            write_tvtags_entry(out, e, numbers);
        else if (tvt_opt.format == FMT_CODEWRIGHT)
            write_codewright_entry(out, e);
        else
            write_ctags_entry(out, e, line);
        count++;
    }
    // A full disk must not leave a cut tags file behind a success status.
    void finish()
    {
        if (out == stdout) {
            fflush(out);
            return;
        }
        bool failed = ferror(out) != 0;
        if (fclose(out) != 0)
            failed = true;
        if (failed) {
            wl_fprintf(stderr, "%s: %s\n", tag_file_name(), strerror(errno ? errno : EIO));
            exit(1);
        }
        if (appended && tvt_opt.format == FMT_CTAGS)
            mark_unsorted(tag_file_name());
    }
};

void say_found(long count)
{
    if (!tvt_opt.quiet)
        wl_printf("%ld definition%s found...\n", count, count == 1 ? "" : "s");
}

// The writer of a run whose entries go out file by file.
writer_t *stream;

} // namespace

extern "C" {

int text_can_stream(void)
{
    // Sorted output needs every entry first, the [Files] section every
    // file, and the listing goes to standard output between the reports.
    return !sorted_output() && !tvt_opt.cxref && !(tvt_opt.format == FMT_TVTAGS && tvt_opt.optimise);
}

void text_stream_entries(const text_entry_t *entries, int n)
{
    if (!stream) {
        stream = new writer_t;
        stream->start();
    }
    for (int i = 0; i < n; i++)
        stream->put(entries[i]);
}

void text_write(void)
{
    writer_t *w = stream ? stream : new writer_t;
    stream = nullptr;
    long streamed = w->count;
    std::vector<int> order = output_order();
    say_found(streamed + (long)order.size());
    if (!w->out)
        w->start();
    for (int i : order)
        w->put(text_store.ts_entries[i]);
    w->finish();
    delete w;
}

} // extern "C"
