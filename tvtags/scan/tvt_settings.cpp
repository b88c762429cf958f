// The run settings, with the initial values the driver starts from.
#include "tvt_settings.h"

extern "C" {

tvt_settings_t tvt_opt = {
    /* tag_file */ "tags",
    /* format */ FMT_TVTAGS,
    /* binary */ 1,
    /* all */ 1,
    /* absolute */ 1,
    /* browser */ 1,
    /* locals */ 0,
    /* force */ 0,
    /* prune */ 1,
    /* refresh */ 0,
    /* xref */ -1,
    /* sort */ 1,
    /* ignorecase */ 1,
    /* fuzzy_len */ 10,
    /* warnings */ 0,
    /* debug */ 0,
    /* quiet */ 0,
    /* cxref */ 0,
    /* optimise */ 0,
    /* append */ 0,
    /* list_free */ 0,
    /* assign, sccs, update */ 0, 0, 0,
    /* forced_lang */ nullptr,
    /* db_name */ nullptr,
    /* path_prefix */ nullptr,
    /* err */ nullptr,
    /* include_pats */ nullptr,
    /* exclude_files */ nullptr,
    /* exclude_dirs */ nullptr,
    /* filters */ nullptr,
    /* program_path */ nullptr,
};

} // extern "C"
