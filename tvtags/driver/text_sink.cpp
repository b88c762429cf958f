// The text-mode tag sink: with the binary form off, tag emission hands every
// accepted tag here, and the entries wait in memory for the writer at the
// end of the run.
#include "driver/text_entries.h"
#include "driver/tvt_driver.h"
#include "driver/tvt_output.h"
#include "scan/tvt_lang.h"
#include "scan/tvt_settings.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "wrenlib/chk.h"
#include "wrenlib/fmt.h"

text_store_t text_store;

namespace {

// With -noall every new tag looks for an earlier one of the same name; the
// entries of one name are kept together so the search does not walk the
// whole array for each tag of a large tree.
struct sink_state_t {
    std::unordered_map<std::string_view, std::vector<int>> by_name;
};

sink_state_t *sink_state;

sink_state_t &state()
{
    if (!sink_state)
        sink_state = new sink_state_t;
    return *sink_state;
}

const char *type_name_of(int type)
{
    return type >= 0 && type < TT_COUNT ? tag_types[type].tt_name : "?";
}

const char *current_file()
{
    return tvt_run.current_file ? tvt_run.current_file : "";
}

void free_str(char *s)
{
    if (s)
        chk_free(s);
}

char *copy_or_null(const char *s)
{
    return s && *s ? chk_strdup(s) : nullptr;
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
    char *out = static_cast<char *>(chk_alloc(n + 2));
    out[0] = 'M';
    memcpy(out + 1, base, n);
    out[n + 1] = '\0';
    return out;
}

// The -noall rule.  Returns the index of the entry that absorbed the tag, or
// -1 when the tag must be added.
int merge_with_earlier(int type, const tag_rec_t *rec)
{
    auto it = state().by_name.find(std::string_view(rec->tr_name));
    if (it == state().by_name.end())
        return -1;
    int first = tvt_opt.format == FMT_CTAGS ? 0 : tvt_run.file_start;
    for (int i : it->second) {
        if (i < first)
            continue;
        text_entry_t &e = text_store.ts_entries[i];
        if (e.te_parent != rec->tr_parent || e.te_type == TT_CLASS)
            continue;
        if (i >= tvt_run.file_start) {
            // A macro or variable keeps its place when a function of the
            // same name follows it.
            bool keep = (e.te_type == TT_DEFINE || e.te_type == TT_DATA) && type == TT_FUNCTION;
            if (!keep) {
                e.te_type = type;
                e.te_line = rec->tr_line;
                free_str(e.te_line_text);
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

    if (!tvt_opt.all) {
        int i = merge_with_earlier(type, rec);
        if (i >= 0)
            return i;
    }

    if (text_store.ts_count == text_store.ts_capacity) {
        // At least TEXT_GROW more, and half as many again once the array is
        // large: a tree of millions of tags must not move it thousands of
        // times.
        int cap = text_store.ts_capacity + TEXT_GROW;
        if (text_store.ts_capacity / 2 > TEXT_GROW)
            cap = text_store.ts_capacity + text_store.ts_capacity / 2;
        size_t bytes = (size_t)cap * sizeof(text_entry_t);
        // The allocator reports a reallocation of nothing, so the first
        // block is a plain allocation.
        void *p = text_store.ts_entries ? chk_realloc(text_store.ts_entries, bytes) : chk_alloc(bytes);
        text_store.ts_entries = static_cast<text_entry_t *>(p);
        text_store.ts_capacity = cap;
    }
    int index = text_store.ts_count++;
    text_entry_t &e = text_store.ts_entries[index];
    if (!tvt_opt.cxref && tvt_opt.format == FMT_CTAGS && strcmp(rec->tr_name, "main") == 0)
        e.te_name = main_name(current_file());
    else
        e.te_name = chk_strdup(rec->tr_name);
    e.te_file = tvt_run.current_file;
    e.te_type = type;
    e.te_line = rec->tr_line;
    e.te_parent = rec->tr_parent;
    e.te_type_text = tvt_opt.browser ? copy_or_null(rec->tr_type) : nullptr;
    e.te_args = tvt_opt.browser ? copy_or_null(rec->tr_args) : nullptr;
    e.te_line_text = copy_or_null(rec->tr_line_text);

    if (!tvt_opt.all)
        state().by_name[std::string_view(e.te_name)].push_back(index);
    tvt_counts.rc_tags++;
    return index;
}

void text_free(void)
{
    for (int i = 0; i < text_store.ts_count; i++) {
        text_entry_t &e = text_store.ts_entries[i];
        free_str(e.te_name);
        free_str(e.te_type_text);
        free_str(e.te_args);
        free_str(e.te_line_text);
    }
    if (text_store.ts_entries)
        chk_free(text_store.ts_entries);
    text_store = text_store_t{};
    delete sink_state;
    sink_state = nullptr;
    tvt_run.file_start = 0;
}

} // extern "C"
