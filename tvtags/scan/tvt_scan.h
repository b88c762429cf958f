#ifndef TVTAGS_SCAN_TVT_SCAN_H
#define TVTAGS_SCAN_TVT_SCAN_H
/* The scanning interface: the one header a scanner includes. */
#include "tvt_lex.h"
#include "tvt_tag.h"
#include "tvt_lang.h"
#include "tvt_settings.h"
#endif
