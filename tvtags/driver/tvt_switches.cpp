/* The switch parser.  Long switches are a table compared in order; then the
 * tag-type names; then clusters of single letters.  Every switch may carry a
 * "no" prefix, which only the boolean switches look at. */
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver/tvt_driver.h"
#include "driver/tvt_output.h"
#include "scan/tvt_lang.h"
#include "scan/tvt_settings.h"
#include "scan/tvt_tag.h"
#include "wrenlib/chk.h"
#include "wrenlib/fmt.h"
#include "wrenlib/list.h"

namespace {

enum sw_action {
    SW_VALUE,       /* int := value */
    SW_NOT_VALUE,   /* int := !value */
    SW_CONST,       /* int := constant */
    SW_TOGGLE,      /* int := !int */
    SW_REFRESH,     /* int |= 1 */
    SW_STRING,      /* string := next argument */
    SW_PATTERN,     /* list += copy of next argument */
    SW_FILTER,      /* filters += {sign, next argument} */
    SW_LEN,         /* int := decimal next argument; ignored when missing */
    SW_ERRFILE,     /* error stream := next argument opened "w" */
    SW_HELP,
    SW_REPORT,      /* a dump of an existing database, then exit */
    SW_END,         /* ends the switches (the letter I) */
};

enum report_kind { RP_NONE, RP_BITMAP, RP_FILELIST, RP_FREELIST, RP_INFO, RP_INFO2, RP_LIST, RP_LOOKUP, RP_STATS };

struct switch_t {
    const char *sw_name;
    sw_action sw_act;
    int tvt_settings_t::*sw_int = nullptr;
    int sw_const = 0;
    const char *tvt_settings_t::*sw_str = nullptr;
    Head_p tvt_settings_t::*sw_list = nullptr;
    report_kind sw_report = RP_NONE;
};

using S = tvt_settings_t;

/* Compared in this order, exactly and case-sensitively. */
const switch_t long_switches[] = {
    {"all", SW_VALUE, &S::all},
    {"absolute", SW_VALUE, &S::absolute},
    {"assign", SW_VALUE, &S::assign},
    {"bitmap", SW_REPORT, nullptr, 0, nullptr, nullptr, RP_BITMAP},
    {"browser", SW_VALUE, &S::browser},
    {"binary", SW_VALUE, &S::binary},
    {"codewright", SW_CONST, &S::format, FMT_CODEWRIGHT},
    {"tvtags", SW_CONST, &S::format, FMT_TVTAGS},
    {"ctags", SW_CONST, &S::format, FMT_CTAGS},
    {"filelist", SW_REPORT, nullptr, 0, nullptr, nullptr, RP_FILELIST},
    {"free", SW_CONST, &S::list_free, 1},
    {"force", SW_VALUE, &S::force},
    {"freelist", SW_REPORT, nullptr, 0, nullptr, nullptr, RP_FREELIST},
    {"help", SW_HELP},
    {"if", SW_PATTERN, nullptr, 0, nullptr, &S::include_pats},
    {"ignorecase", SW_TOGGLE, &S::ignorecase},
    {"info", SW_REPORT, nullptr, 0, nullptr, nullptr, RP_INFO},
    {"info2", SW_REPORT, nullptr, 0, nullptr, nullptr, RP_INFO2},
    {"locals", SW_VALUE, &S::locals},
    {"len", SW_LEN, &S::fuzzy_len},
    {"list", SW_REPORT, nullptr, 0, nullptr, nullptr, RP_LIST},
    {"lookup", SW_REPORT, nullptr, 0, nullptr, nullptr, RP_LOOKUP},
    {"path_prefix", SW_STRING, nullptr, 0, &S::path_prefix},
    {"prune", SW_VALUE, &S::prune},
    {"regexp", SW_FILTER},
    {"sccs", SW_VALUE, &S::sccs},
    {"sort", SW_TOGGLE, &S::sort},
    {"stats", SW_REPORT, nullptr, 0, nullptr, nullptr, RP_STATS},
    {"text", SW_NOT_VALUE, &S::binary},
    {"refresh", SW_REFRESH, &S::refresh},
    {"xf", SW_PATTERN, nullptr, 0, nullptr, &S::exclude_files},
    {"xd", SW_PATTERN, nullptr, 0, nullptr, &S::exclude_dirs},
    {"xref", SW_VALUE, &S::xref},
    {"xrefs", SW_VALUE, &S::xref},
};

struct letter_t {
    char lt_letter;
    switch_t lt_sw;
};

const letter_t letters[] = {
    {'I', {"I", SW_END}},
    {'O', {"O", SW_CONST, &S::optimise, 1}},
    {'a', {"a", SW_CONST, &S::append, 1}},
    {'d', {"d", SW_CONST, &S::debug, 1}},
    {'e', {"e", SW_ERRFILE}},
    {'l', {"l", SW_STRING, nullptr, 0, &S::forced_lang}},
    {'n', {"n", SW_STRING, nullptr, 0, &S::db_name}},
    {'o', {"o", SW_STRING, nullptr, 0, &S::tag_file}},
    {'t', {"t", SW_STRING, nullptr, 0, &S::tag_file}},
    {'q', {"q", SW_CONST, &S::quiet, 1}},
    {'u', {"u", SW_CONST, &S::update, 1}},
    {'w', {"w", SW_TOGGLE, &S::warnings}},
    {'x', {"x", SW_CONST, &S::cxref, 1}},
};

[[noreturn]] void short_usage()
{
    usage(0);
    exit(0);
}

/* The walk over the argument vector. */
struct parser_t {
    int argc;
    char **argv;
    int i;                      /* argument being parsed */
    bool types_seen = false;    /* a -TYPE/+TYPE switch was already given */

    /* The next argument, consumed; null when there is none. */
    const char *next_arg()
    {
        if (i + 1 >= argc)
            return nullptr;
        return argv[++i];
    }
    /* An optional argument: the next one when it is not itself a switch. */
    const char *optional_arg()
    {
        if (i + 1 >= argc || argv[i + 1][0] == '-' || argv[i + 1][0] == '+')
            return nullptr;
        return argv[++i];
    }
    const char *required_arg()
    {
        const char *a = next_arg();
        if (!a)
            short_usage();
        return a;
    }

    [[noreturn]] void report(report_kind kind);
    /* Returns false when the switches end at this argument. */
    bool apply(const switch_t &sw, char sign, int value);
    bool letters_cluster(const char *p);
    void tag_type_switch(int type, char sign);
};

void parser_t::report(report_kind kind)
{
    int status = 0;
    const char *file;
    switch (kind) {
    case RP_BITMAP:
        status = report_list(required_arg(), REPORT_BITMAP, nullptr);
        break;
    case RP_FILELIST:
        file = optional_arg();
        status = report_filelist(file ? file : tvt_opt.tag_file);
        break;
    case RP_FREELIST:
        file = optional_arg();
        status = report_freelist(file ? file : tvt_opt.tag_file);
        break;
    case RP_INFO:
    case RP_INFO2:
        status = report_info(required_arg(), kind == RP_INFO2);
        break;
    case RP_LIST:
        status = report_list(required_arg(), REPORT_LIST, nullptr);
        break;
    case RP_LOOKUP: {
        const char *symbol = required_arg();
        status = report_list(required_arg(), REPORT_LOOKUP, symbol);
        break;
    }
    case RP_STATS:
        status = report_stats(required_arg());
        break;
    case RP_NONE:
        break;
    }
    fflush(stdout);
    exit(status);
}

bool parser_t::apply(const switch_t &sw, char sign, int value)
{
    S &o = tvt_opt;
    switch (sw.sw_act) {
    case SW_VALUE:
        o.*sw.sw_int = value;
        break;
    case SW_NOT_VALUE:
        o.*sw.sw_int = !value;
        break;
    case SW_CONST:
        o.*sw.sw_int = sw.sw_const;
        break;
    case SW_TOGGLE:
        o.*sw.sw_int = !(o.*sw.sw_int);
        break;
    case SW_REFRESH:
        o.*sw.sw_int |= 1;
        break;
    case SW_STRING:
        o.*sw.sw_str = required_arg();
        break;
    case SW_PATTERN:
        ll_append(o.*sw.sw_list, ll_newatom(chk_strdup(required_arg())));
        break;
    case SW_FILTER: {
        const char *pattern = required_arg();
        auto *f = static_cast<tag_filter_t *>(chk_zalloc(sizeof(tag_filter_t)));
        f->tf_sign = sign;
        f->tf_pattern = chk_strdup(pattern);
        ll_append(o.filters, ll_newatom(f));
        break;
    }
    case SW_LEN:
        if (const char *n = next_arg())
            o.*sw.sw_int = atoi(n);
        break;
    case SW_ERRFILE: {
        const char *name = required_arg();
        FILE *f = fopen(name, "w");
        if (o.err && o.err != stderr)
            fclose(o.err);
        o.err = f ? f : stderr;
        break;
    }
    case SW_HELP: {
        /* The number is read without any check of its text. */
        const char *n = optional_arg();
        fflush(stdout);
        usage(n ? atoi(n) : 0);
        exit(0);
    }
    case SW_REPORT:
        report(sw.sw_report);
    case SW_END:
        return false;
    }
    return true;
}

void parser_t::tag_type_switch(int type, char sign)
{
    /* The first type switch decides the starting set: "+TYPE" starts from
     * nothing, "-TYPE" from everything. */
    if (!types_seen) {
        memset(tag_type_enabled, sign == '-' ? 1 : 0, TT_COUNT);
        types_seen = true;
    }
    tag_type_enabled[type] = sign == '+';
}

bool parser_t::letters_cluster(const char *p)
{
    for (; *p; p++) {
        const switch_t *sw = nullptr;
        for (const letter_t &l : letters)
            if (l.lt_letter == *p) {
                sw = &l.lt_sw;
                break;
            }
        if (!sw)
            short_usage();
        if (!apply(*sw, '-', 1))
            return false;
    }
    return true;
}

} // namespace

extern "C" int tvt_parse_switches(int argc, char **argv)
{
    parser_t ps{argc, argv, 1};
    for (; ps.i < argc; ps.i++) {
        const char *arg = argv[ps.i];
        char sign = arg[0];
        if (sign != '-' && sign != '+')
            break;
        const char *rest = arg + 1;
        int value = 1;
        if (rest[0] == 'n' && rest[1] == 'o') {
            rest += 2;
            value = 0;
        }
        const switch_t *sw = nullptr;
        for (const switch_t &s : long_switches)
            if (strcmp(s.sw_name, rest) == 0) {
                sw = &s;
                break;
            }
        if (sw) {
            ps.apply(*sw, sign, value);
            continue;
        }
        int type = tag_type_lookup(rest);
        if (type >= 0 && type < TT_COUNT) {
            ps.tag_type_switch(type, sign);
            continue;
        }
        int start = ps.i;
        if (!ps.letters_cluster(rest)) {
            /* "I" hands its own argument to the file arguments. */
            return start;
        }
    }
    return ps.i;
}
