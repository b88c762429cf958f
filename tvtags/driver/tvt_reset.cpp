/* Start-of-run values of the settings, and their release at the end. */
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "driver/tvt_driver.h"
#include "scan/tvt_lang.h"
#include "scan/tvt_settings.h"
#include "scan/tvt_tag.h"
#include "wrenlib/chk.h"
#include "wrenlib/list.h"

namespace {

void clear_filters(Head_p filters)
{
    if (!filters)
        return;
    for (List_p lp = ll_first(filters); lp; lp = ll_next(lp)) {
        auto *f = static_cast<tag_filter_t *>(ll_elem(lp));
        chk_free_ptr(&f->tf_pattern);
    }
    ll_clear(filters);
}

Head_p fresh_list(Head_p hp)
{
    if (hp) {
        ll_clear(hp);
        return hp;
    }
    return ll_newlist();
}

} // namespace

extern "C" void tvt_settings_reset(void)
{
    tvt_settings_t &o = tvt_opt;
    clear_filters(o.filters);
    Head_p inc = fresh_list(o.include_pats);
    Head_p xf = fresh_list(o.exclude_files);
    Head_p xd = fresh_list(o.exclude_dirs);
    Head_p filters = fresh_list(o.filters);
    const char *program = o.program_path;

    o = tvt_settings_t{};
    o.tag_file = "tags";
    o.format = FMT_TVTAGS;
    o.binary = 1;
    o.all = 1;
    o.absolute = 1;
    o.browser = 1;
    o.locals = 0;
    o.prune = 1;
    o.xref = -1;
    o.sort = 1;
    o.ignorecase = 1;
    o.fuzzy_len = 10;
    o.err = stderr;
    o.include_pats = inc;
    o.exclude_files = xf;
    o.exclude_dirs = xd;
    o.filters = filters;
    o.program_path = program;
    memset(tag_type_enabled, 1, TT_COUNT);
}

/* Releases what the switches allocated; the run is over. */
extern "C" void tvt_settings_free(void)
{
    tvt_settings_t &o = tvt_opt;
    clear_filters(o.filters);
    for (Head_p *hp : {&o.include_pats, &o.exclude_files, &o.exclude_dirs, &o.filters}) {
        if (*hp) {
            ll_clear(*hp);
            ll_freelist(*hp);
            *hp = nullptr;
        }
    }
    if (o.err && o.err != stderr) {
        fclose(o.err);
        o.err = stderr;
    }
}
