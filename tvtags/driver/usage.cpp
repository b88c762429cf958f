// The usage text: the switch summary, and with -help n the formats, the
// extension map and the tag types that can be switched off.
#include "driver/tvt_driver.h"
#include "driver/tvt_output.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "scan/tvt_lang.h"
#include "wrenlib/fmt.h"

namespace {

constexpr const char *switch_lines[] = {
    "\t-a\t\tAppend to tags file.\n",
    "\t-[no]assign\tGenerate assignment xrefs.\n",
    "\t-absolute\tMake filenames absolute paths.\n",
    "\t-binary  \tUse binary file format.\n",
    "\t-[no]all\tUse all definitions of an object in a file.\n",
    "\t-d\t\tEnable debug.\n",
    "\t-filelist       Dump filenames from a tags file.\n",
    "\t-free\t\tWhen doing a -list, list the free slots.\n",
    "\t-force\t\tForce files to be scanned even if not out of date.\n",
    "\t-help [n]  \tList this summary help. If n is non-zero, list\n",
    "\t           \tmore detailed help.\n",
    "\t-I file         Take the file 'file' as a list of files to be\n",
    "\t                included on the command line.\n",
    "\t-if <file>\tInclude only files matching the filename wildcard.\n",
    "\t          \t(May need to quote filename).\n",
    "\t-ignorecase\tIgnore case when sorting.\n",
    "\t-len [nn]\tLength of 'fuzzy' match line contents\n",
    "\t-l <lang>\tForce file type to be specified language\n",
    "\t-list    \tList symbols in the tags file.\n",
    "\t-locals  \tAttempt to tag local variable definitions\n",
    "\t        \tList of languages and defaults listed below.\n",
    "\t-lookup <sym>   List entries for specified symbol.\n",
    "\t-n name\t\tName associated with tag file.\n",
    "\t-O     \t\tOptimise output (tvtags format only).\n",
    "\t-o file\t\tSpecify name of tags file.\n",
    "\t-path_prefix PREFIX\n",
    "\t\t\tAdd PREFIX to all filenames stored in a database.\n",
    "\t\t\tFor example: -path_prefix ftp://user@host/home/user/\n",
    "\t-prune\t\tPrune deleted files from database. (default)\n",
    "\t-q\t\tQuiet mode.\n",
    "\t-refresh\tTag only files already in database.\n",
    "\t-regexp <re>\tExclude entries which match regexp.\n",
    "\t+regexp <re>\tOnly include entries which match regexp.\n",
    "\t-[no]sccs\t[Don't] scan SCCS s.* and p.* files\n",
    "\t-sort\t\tToggle sort option.\n",
    "\t-stats  \tReport on database statistics.\n",
    "\t-text    \tUse text file format.\n",
    "\t-u\t\tUpdate tags file.\n",
    "\t-w\t\tEnable warnings.\n",
    "\t-x\t\tCreate cxref style output.\n",
    "\t-xd <dir>\tSpecify a directory name wildcard to exclude\n",
    "\t-xf <file>\tSpecify a file name wildcard to exclude\n",
    "\t-xref     \tCreate cross-reference entries\n",
    "\n",
};

constexpr const char *format_lines[] = {
    "Formats:\n",
    "\t-tvtags\t\tTolva format.\n",
    "\t-ctags\t\tUnix ctags format.\n",
    "\n",
    "List of file extensions and languages which they map to.\n",
    "(Use -l to override the default):\n\n",
};

} // namespace

extern "C" void usage_print(FILE *out, int long_form)
{
    wl_fprintf(out, "tvtags -- Tolva tags compiler, version %d.%03d\n", TVT_VERSION_MAJOR, TVT_VERSION_MINOR);
    wl_fprintf(out, "\nUsage: tvtags [switches] files ..\n");
    for (const char *line : switch_lines)
        wl_fprintf(out, "%s", line);
    if (!long_form)
        return;

    for (const char *line : format_lines)
        wl_fprintf(out, "%s", line);
    for (const ext_map_t *row = ext_map; row->em_ext; row++)
        wl_fprintf(out, "\t%s\t%s\n", row->em_ext, row->em_desc ? row->em_desc : "");
    wl_fprintf(out, "\n");

    wl_fprintf(out, "List of language data types which can be disabled:\n");
    std::vector<const char *> names;
    for (int t = 0; t < TT_COUNT; t++)
        names.push_back(tag_types[t].tt_name);
    std::sort(names.begin(), names.end(), [](const char *a, const char *b) { return strcmp(a, b) < 0; });
    for (size_t i = 0; i < names.size(); i++) {
        if (i % 3 == 0)
            wl_fprintf(out, "\n");
        wl_fprintf(out, "\t-%-20s", names[i]);
    }
    wl_fprintf(out, "\n");
}

extern "C" void usage(int n)
{
    usage_print(stdout, n >= 1);
    fflush(stdout);
    exit(n < 1 ? 0 : 1);
}
