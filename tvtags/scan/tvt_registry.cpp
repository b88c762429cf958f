// Language choice and scanner dispatch: the user's remappings and the
// scanners registered by extension libraries come before the built-in
// tables.
#include "tvt_lang.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "wrenlib/chk.h"
#include "wrenlib/files.h"
#include "wrenlib/fmt.h"

namespace {

struct remap_t {
    char *ext;
    const ext_map_t *row;
};

struct registered_t {
    int lang;
    scanner_fn_t fn;
    void *value;
};

struct registry_state_t {
    std::vector<remap_t> remaps;
    std::vector<registered_t> registered;
};

registry_state_t &registry()
{
    static registry_state_t state;
    return state;
}

// The first word of a description ("Perl" of "Perl script").
bool first_word_equals(const char *desc, const char *word)
{
    size_t n = strcspn(desc, " ");
    return n > 0 && strlen(word) == n && wl_strncasecmp(desc, word, (int)n) == 0;
}

const ext_map_t *row_for_remap(const char *lang)
{
    for (const ext_map_t *r = ext_map; r->em_ext; r++)
        if (wl_strcasecmp(r->em_ext, lang) == 0)
            return r;
    // Beyond the extension, a language may be named by its description or
    // the description's first word ("inc=perl").
    for (const ext_map_t *r = ext_map; r->em_ext; r++)
        if (wl_strcasecmp(r->em_desc, lang) == 0 || first_word_equals(r->em_desc, lang))
            return r;
    return nullptr;
}

} // namespace

extern "C" {

const ext_map_t *lang_of_file(const char *name, const char *forced)
{
    const char *key = forced;
    if (!key) {
        key = filename_extension(name);
        if (!key)
            return nullptr;
    }
    for (const remap_t &m : registry().remaps)
        if (strcmp(m.ext, key) == 0)
            return m.row;
    for (const ext_map_t *r = ext_map; r->em_ext; r++)
        if (wl_strcasecmp(r->em_ext, key) == 0 || wl_strcasecmp(r->em_desc, key) == 0)
            return r;
    return nullptr;
}

int lang_remap(const char *text)
{
    const char *eq = strchr(text, '=');
    if (!eq)
        return -1;
    char *ext = chk_strndup(text, (size_t)(eq - text) + 1);
    ext[eq - text] = '\0';
    const ext_map_t *row = row_for_remap(eq + 1);
    if (!row) {
        wl_fprintf(stderr, "tvtags: Cannot remap file extension %s=%s\n", ext, eq + 1);
        chk_free(ext);
        return -1;
    }
    registry().remaps.push_back({ext, row});
    return 0;
}

void lang_clear_remaps(void)
{
    for (remap_t &m : registry().remaps)
        chk_free(m.ext);
    registry().remaps.clear();
}

int pub_tag_add_dispatch(int lang, scanner_fn_t fn, void *value)
{
    registry().registered.push_back({lang, fn, value});
    return 0;
}

int lang_run_scanner(int lang)
{
    for (const registered_t &r : registry().registered)
        if (r.lang == lang)
            return r.fn();
    for (const scanner_row_t *s = scanner_table; s->sr_lang >= 0; s++)
        if (s->sr_lang == lang) {
            s->sr_scan();
            return 0;
        }
    return -3;
}

} // extern "C"
