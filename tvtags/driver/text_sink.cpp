// The text-mode tag sink: with the binary form off, tag emission hands every
// accepted tag here, and the entries wait in memory for the writer at the
// end of the run.
#include "driver/text_entries.h"
#include "driver/text_pool.h"
#include "driver/tvt_driver.h"
#include "driver/tvt_output.h"
#include "scan/tvt_lang.h"
#include "scan/tvt_settings.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "wrenlib/chk.h"
#include "wrenlib/fmt.h"

text_store_t text_store;

// Entries of one name together, so that the -noall search does not walk
// the whole array for each tag of a large tree.
using name_index_t = std::unordered_map<std::string_view, std::vector<int>>;

// One file's entries gathered apart from the store, on the scanning thread.
struct text_file_t {
    text_store_t store = {};
    name_index_t by_name;
    text_pool_t strings;
};

namespace {

// Where the sink puts entries: the store itself (entries of the current
// file from file_start on) or a file gathered apart, which begins at 0 and
// has no earlier files to look at.
struct gather_t {
    text_store_t *store;
    name_index_t *by_name;
    text_pool_t *strings;
    bool apart;
};

// The strings of the store's entries.
text_pool_t store_strings;

// The names of the store's entries, for -noall.
name_index_t store_names;

gather_t target_of(text_file_t *f)
{
    if (f)
        return {&f->store, &f->by_name, &f->strings, true};
    return {&text_store, &store_names, &store_strings, false};
}

// Each scanning thread gathers into its own file's entries.
thread_local gather_t target = target_of(nullptr);

int first_of_file(const gather_t &g)
{
    return g.apart ? 0 : tvt_run.file_start;
}

// Room for `more` entries: at least TEXT_GROW more each time, and half as
// many again once the array is large, so that a tree of millions of tags
// does not move it thousands of times.
void make_room(text_store_t &st, int more)
{
    while (st.ts_count + more > st.ts_capacity) {
        int cap = st.ts_capacity + TEXT_GROW;
        if (st.ts_capacity / 2 > TEXT_GROW)
            cap = st.ts_capacity + st.ts_capacity / 2;
        size_t bytes = (size_t)cap * sizeof(text_entry_t);
        // The allocator reports a reallocation of nothing, so the first
        // block is a plain allocation.
        void *p = st.ts_entries ? chk_realloc(st.ts_entries, bytes) : chk_alloc(bytes);
        st.ts_entries = static_cast<text_entry_t *>(p);
        st.ts_capacity = cap;
    }
}

const char *type_name_of(int type)
{
    return type >= 0 && type < TT_COUNT ? tag_types[type].tt_name : "?";
}

const char *current_file()
{
    return tvt_current_file ? tvt_current_file : "";
}

char *copy_of(const char *s)
{
    return pool_copy(*target.strings, s, strlen(s));
}

char *copy_or_null(const char *s)
{
    return s && *s ? copy_of(s) : nullptr;
}

// The browser's texts are written only in the browser form.
bool texts_written()
{
    return tvt_opt.browser && tvt_opt.format == FMT_TVTAGS && !tvt_opt.cxref;
}

// A ctags file cannot hold two tags called main that lead to different
// files, so each becomes M followed by its file's base name up to its last
// dot: main in src/foo.c becomes Mfoo.
char *main_name(const char *file)
{
    const char *base = file;
    for (const char *p = file; *p; p++)
        if (*p == '/' || *p == '\\')
            base = p + 1;
    const char *dot = strrchr(base, '.');
    size_t n = dot ? (size_t)(dot - base) : strlen(base);
    std::string m = "M";
    m.append(base, n);
    return pool_copy(*target.strings, m.data(), m.size());
}

// The -noall rule.  Returns the index of the entry that absorbed the tag, or
// -1 when the tag must be added.
int merge_with_earlier(const gather_t &g, int type, const tag_rec_t *rec)
{
    auto it = g.by_name->find(std::string_view(rec->tr_name));
    if (it == g.by_name->end())
        return -1;
    int file_start = first_of_file(g);
    int first = tvt_opt.format == FMT_CTAGS ? 0 : file_start;
    for (int i : it->second) {
        if (i < first)
            continue;
        text_entry_t &e = g.store->ts_entries[i];
        if (e.te_parent != rec->tr_parent || e.te_type == TT_CLASS)
            continue;
        if (i >= file_start) {
            // A macro or variable keeps its place when a function of the
            // same name follows it.
            bool keep = (e.te_type == TT_DEFINE || e.te_type == TT_DATA) && type == TT_FUNCTION;
            if (!keep) {
                e.te_type = type;
                e.te_line = rec->tr_line;
                e.te_line_text = copy_or_null(rec->tr_line_text);
            }
            return i;
        }
        if (tvt_opt.warnings)
            wl_fprintf(stderr, "Warning: %s multiply defined in %s and %s\n", rec->tr_name,
                       current_file(), e.te_file ? e.te_file : "");
    }
    return -1;
}

} // namespace

extern "C" {

void text_begin_file(void)
{
    tvt_run.file_start = text_store.ts_count;
}

int text_sink(int type, tag_rec_t *rec)
{
    if (tvt_opt.debug)
        wl_printf("Adding %s(%d): %s %s\n", current_file(), (int)rec->tr_line, rec->tr_name,
                  type_name_of(type));

    const gather_t &g = target;
    if (!tvt_opt.all) {
        int i = merge_with_earlier(g, type, rec);
        if (i >= 0)
            return i;
    }

    text_store_t &st = *g.store;
    make_room(st, 1);
    int index = st.ts_count++;
    text_entry_t &e = st.ts_entries[index];
    if (!tvt_opt.cxref && tvt_opt.format == FMT_CTAGS && strcmp(rec->tr_name, "main") == 0)
        e.te_name = main_name(current_file());
    else
        e.te_name = copy_of(rec->tr_name);
    e.te_file = tvt_current_file;
    e.te_type = type;
    e.te_line = rec->tr_line;
    e.te_parent = rec->tr_parent;
    e.te_type_text = texts_written() ? copy_or_null(rec->tr_type) : nullptr;
    e.te_args = texts_written() ? copy_or_null(rec->tr_args) : nullptr;
    e.te_line_text = copy_or_null(rec->tr_line_text);

    if (!tvt_opt.all)
        (*g.by_name)[std::string_view(e.te_name)].push_back(index);
    // The run's counter is the main thread's: a file gathered apart is
    // counted when it joins the store.
    if (!g.apart)
        tvt_counts.rc_tags++;
    return index;
}

text_file_t *text_file_new(void)
{
    return new text_file_t;
}

void text_file_free(text_file_t *f)
{
    if (!f)
        return;
    if (f->store.ts_entries)
        chk_free(f->store.ts_entries);
    pool_free(f->strings);
    delete f;
}

long text_file_tags(const text_file_t *f)
{
    return f ? f->store.ts_count : 0;
}

void text_gather_into(text_file_t *f)
{
    target = target_of(f);
}

void text_add_file(text_file_t *f)
{
    text_begin_file();
    int n = f->store.ts_count;
    if (n == 0)
        return;
    tvt_counts.rc_tags += n;
    // Entries of a finished file never change again: where the output
    // keeps them in order, they go out now and are not kept.
    if (text_can_stream()) {
        text_stream_entries(f->store.ts_entries, n);
        f->store.ts_count = 0;
        f->by_name.clear();
        pool_free(f->strings);
        return;
    }
    pool_take(store_strings, f->strings);
    make_room(text_store, n);
    int base = text_store.ts_count;
    for (int i = 0; i < n; i++) {
        text_entry_t e = f->store.ts_entries[i];
        // Handles within the file become handles within the store.
        if (e.te_parent >= 0)
            e.te_parent += base;
        text_store.ts_entries[base + i] = e;
        if (!tvt_opt.all)
            store_names[std::string_view(e.te_name)].push_back(base + i);
    }
    text_store.ts_count += n;
    f->store.ts_count = 0;
    f->by_name.clear();
}

void text_free(void)
{
    if (text_store.ts_entries)
        chk_free(text_store.ts_entries);
    pool_free(store_strings);
    text_store = text_store_t{};
    store_names.clear();
    target = target_of(nullptr);
    tvt_run.file_start = 0;
}

} // extern "C"
