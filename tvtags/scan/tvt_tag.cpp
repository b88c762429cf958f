// Tag emission: scanners fill the current record and call tag_add, which
// applies the user's filters and hands the tag to the active sink.
#include "tvt_tag.h"

#include <cstring>

#include "tvt_lang.h"
#include "tvt_lex.h"
#include "tvt_settings.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"
#include "wrenlib/fmt.h"

namespace {

// The text sink is the run's; the database sink is set per scanning thread,
// to the staging of the file that thread scans.
struct emit_state_t {
    tag_db_sink_t db_sink = nullptr;
    void *db = nullptr;
};

tag_text_sink_t text_sink_of_run = nullptr;
thread_local emit_state_t emit;

// Copies the lexer's current line without its line end.
void copy_line(tag_rec_t *rec)
{
    int n = lex_ctx.lx_end;
    if (n < 0)
        n = 0;
    if (n > TAG_LINE_SIZE - 1)
        n = TAG_LINE_SIZE - 1;
    while (n > 0 && (lex_ctx.lx_line[n - 1] == '\n' || lex_ctx.lx_line[n - 1] == '\r'))
        n--;
    memcpy(rec->tr_line_text, lex_ctx.lx_line, (size_t)n);
    rec->tr_line_text[n] = '\0';
}

void copy_name(tag_rec_t *rec, bool unquote)
{
    const char *s = lex_ctx.lx_text.dl_str ? lex_ctx.lx_text.dl_str : "";
    size_t n = lex_ctx.lx_text.dl_str ? strnlen(s, (size_t)lex_ctx.lx_text.dl_len) : 0;
    if (unquote && n > 0 && s[0] == '"') {
        s++, n--;
        if (n > 0 && s[n - 1] == '"')
            n--;
    }
    if (n > TAG_NAME_SIZE - 1)
        n = TAG_NAME_SIZE - 1;
    memcpy(rec->tr_name, s, n);
    rec->tr_name[n] = '\0';
}

// The source line serves the text outputs only: the browser form carries
// type and argument texts instead, but a ctags file needs the line for its
// search pattern whatever the browser setting.
bool want_line_text()
{
    return !tvt_opt.browser || (!tvt_opt.binary && tvt_opt.format == FMT_CTAGS);
}

bool rejected_by_filters(const char *name)
{
    if (!tvt_opt.filters)
        return false;
    for (List_p lp = ll_first(tvt_opt.filters); lp; lp = ll_next(lp)) {
        const tag_filter_t *f = static_cast<const tag_filter_t *>(ll_elem(lp));
        int m = wild_match(name, f->tf_pattern, 1);
        if ((f->tf_sign == '-' && m) || (f->tf_sign == '+' && !m))
            return true;
    }
    return false;
}

// Appends the bytes of a dynamic string, leaving out a trailing terminator.
void add_unterminated(dstr_t *out, const dstr_t *s)
{
    int n = s->dl_len;
    if (n > 0 && s->dl_str[n - 1] == '\0')
        n--;
    if (n > 0)
        dstr_add_mem(out, s->dl_str, n);
}

bool dstr_empty(const dstr_t *s)
{
    return !s || !s->dl_str || s->dl_len == 0 || s->dl_str[0] == '\0';
}

} // namespace

extern "C" {

thread_local tag_anon_t tag_anon;
thread_local tag_rec_t tag_rec;
thread_local uint16_t tag_level;

void tag_set_text_sink(tag_text_sink_t sink)
{
    text_sink_of_run = sink;
}

void tag_set_db_sink(tag_db_sink_t sink, void *db)
{
    emit.db_sink = sink;
    emit.db = db;
}

void tag_reset(void)
{
    tag_rec.tr_line = 0;
    tag_rec.tr_column = 0;
    tag_rec.tr_depth = 0;
    tag_rec.tr_parent = -1;
    tag_rec.tr_args = nullptr;
    tag_rec.tr_type = nullptr;
    tag_rec.tr_inherit = nullptr;
    tag_rec.tr_flags = 0;
    tag_rec.tr_line_text[0] = '\0';
    tag_rec.tr_name[0] = '\0';
    tag_level = 0;
}

void tag_capture(tag_rec_t *rec, int what)
{
    rec->tr_line = lex_ctx.lx_lineno;
    rec->tr_column = lex_ctx.lx_column;
    rec->tr_depth = lex_ctx.lx_depth;
    rec->tr_parent = -1;
    rec->tr_args = nullptr;
    rec->tr_type = nullptr;
    rec->tr_inherit = nullptr;
    rec->tr_line_text[0] = '\0';
    rec->tr_name[0] = '\0';
    if ((what & TAG_CAP_LINE) && want_line_text())
        copy_line(rec);
    if (what & TAG_CAP_NAME)
        copy_name(rec, (what & TAG_CAP_UNQUOTE) != 0);
}

int tag_add(int type, tag_rec_t *rec)
{
    if (type < 0 || type >= TT_COUNT || !tag_type_enabled[type])
        return -1;
    if (rec->tr_name[0] == '\0')
        return -1;
    if (type == TT_XREF && tvt_opt.xref <= 0)
        return -1;
    if (rejected_by_filters(rec->tr_name))
        return -1;
    if (!tvt_opt.binary)
        return text_sink_of_run ? text_sink_of_run(type, rec) : 0;

    tag_entry_t e;
    e.te_name = rec->tr_name;
    e.te_file = lex_file_path();
    e.te_type = (uint16_t)type;
    e.te_level = tag_level;
    e.te_line = (uint32_t)rec->tr_line;
    e.te_column = rec->tr_column - (int32_t)strlen(rec->tr_name);
    e.te_depth = rec->tr_depth;
    e.te_parent = rec->tr_parent;
    e.te_type_text = rec->tr_type;
    e.te_args = rec->tr_args;
    e.te_inherit = rec->tr_inherit;
    e.te_line_text = rec->tr_line_text;
    e.te_flags = rec->tr_flags;
    if (emit.db && emit.db_sink)
        return emit.db_sink(emit.db, &e);
    return -2;
}

int tag_add_text(int type, int parent, dstr_t *type_prefix, dstr_t *type_text, dstr_t *args)
{
    tag_rec.tr_parent = parent;

    dstr_t joined = {nullptr, 0, 0};
    bool have_prefix = !dstr_empty(type_prefix);
    bool have_text = !dstr_empty(type_text);
    if (have_prefix || have_text) {
        dstr_init(&joined, 64);
        if (have_prefix) {
            add_unterminated(&joined, type_prefix);
            if (have_text && joined.dl_len > 0 && joined.dl_str[joined.dl_len - 1] != ' ')
                dstr_add_char(&joined, ' ');
        }
        if (have_text)
            add_unterminated(&joined, type_text);
        dstr_terminate(&joined);
        tag_rec.tr_type = joined.dl_str;
    }
    if (!dstr_empty(args)) {
        if (args->dl_str[args->dl_len - 1] != '\0')
            dstr_terminate(args);
        tag_rec.tr_args = args->dl_str;
    }

    int ret = tag_add(type, &tag_rec);

    if (joined.dl_str)
        dstr_free(&joined);
    tag_rec.tr_type = nullptr;
    tag_rec.tr_args = nullptr;
    if (args && args->dl_str)
        dstr_free(args);
    if (type_text)
        dstr_clear(type_text);
    return ret;
}

int tag_xref(void)
{
    if (tvt_opt.xref != 1)
        return 0;
    thread_local tag_rec_t copy;
    copy = tag_rec;
    tag_capture(&copy, TAG_CAP_LINE | TAG_CAP_NAME);
    return tag_add(TT_XREF, &copy);
}

int tag_xref_rec(void)
{
    if (tvt_opt.xref != 1)
        return 0;
    return tag_add(TT_XREF, &tag_rec);
}

int tag_emit_texts(int type, int parent, const char *type_text, const char *args, const char *src_file,
                   int src_line)
{
    tag_rec.tr_parent = parent;
    tag_rec.tr_type = (type_text && *type_text) ? const_cast<char *>(type_text) : nullptr;
    tag_rec.tr_args = (args && *args) ? const_cast<char *>(args) : nullptr;
    tag_trace(type, &tag_rec, src_file, src_line);
    int h = tag_add(type, &tag_rec);
    tag_rec.tr_type = nullptr;
    tag_rec.tr_args = nullptr;
    tag_rec.tr_inherit = nullptr;
    return h;
}

void tag_trace(int type, tag_rec_t *rec, const char *src_file, int src_line)
{
    if (!tvt_opt.debug)
        return;
    wl_printf("%s(%d): %s ln=%d %s, ret=%s\n", src_file, src_line, tag_type_name(type),
              rec->tr_line, rec->tr_name, rec->tr_type ? rec->tr_type : "(not set)");
}

void tag_level_up(void)
{
    tag_level++;
}

void tag_level_down(void)
{
    tag_level--;
}

} // extern "C"
