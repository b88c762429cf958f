// Expansion of the program's arguments at start-up: the shell of the
// original platform leaves wildcards and quotes to the program.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string_view>
#include <vector>

#include "sys_internal.h"
#include "wrenlib/chk.h"
#include "wrenlib/files.h"
#include "wrenlib/fmt.h"

namespace {

bool is_quote(char c) { return c == '\'' || c == '"'; }

// The argument without one enclosing pair of quotes.  With `need_pair` an
// argument that is not closed by the same quote is left alone; otherwise a
// lone opening quote is still dropped.
std::string_view unquote(std::string_view a, bool need_pair) {
    if (a.empty() || !is_quote(a[0]))
        return a;
    if (a.size() >= 2 && a.back() == a[0])
        return a.substr(1, a.size() - 2);
    return need_pair ? a : a.substr(1);
}

bool keeps_next(const char *arg, const char *const *keep_next) {
    if (!keep_next)
        return false;
    for (; *keep_next; ++keep_next)
        if (strcmp(arg, *keep_next) == 0)
            return true;
    return false;
}

// TV_ECHO_ARGS: -1 when unset or not a number >= 0.
int echo_level() {
    const char *v = getenv("TV_ECHO_ARGS");
    if (!v || !*v)
        return -1;
    char *end;
    long n = strtol(v, &end, 10);
    if (*end != '\0' || n < 0)
        return -1;
    return n > 1000 ? 1000 : static_cast<int>(n);
}

void echo(FILE *f, const char *label, int argc, char *const *argv) {
    if (!f)
        return;
    for (int i = 0; i < argc; ++i)
        wl_fprintf(f, "%s[%d] = '%s'\n", label, i, argv[i]);
}

} // namespace

extern "C" {

char **wild_expand_args(int argc, char **argv, int *out_argc, const char *const *keep_next) {
    const int level = echo_level();
    FILE *echo_file = nullptr;
    if (level >= 0) {
        echo_file = fopen("echo.args", "wb");   // the same bytes on every platform
        echo(echo_file, "Arg", argc, argv);
        if (echo_file)
            wl_fprintf(echo_file, "\n");
    }

    std::vector<char *> out;
    out.reserve(static_cast<size_t>(argc) + 1);
    if (argc > 0)
        out.push_back(chk_strdup(argv[0]));
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (keeps_next(a, keep_next)) {
            out.push_back(chk_strdup(a));
            if (i + 1 < argc)
                out.push_back(wl_names::dup(unquote(argv[++i], true)));
            continue;
        }
        if (a[0] == '-') {
            out.push_back(chk_strdup(a));
            continue;
        }
        if (is_quote(a[0])) {
            out.push_back(wl_names::dup(unquote(a, false)));
            continue;
        }
        wild_entry_t *r = wild_expand(a, WILD_FILES | WILD_DIRS);
        if (!r[0].we_name) {
            wild_free(r);
            if (!getenv("TV_EXPAND_SILENTLY"))
                wl_fprintf(stderr, "No match: '%s'\n", a);
            if (echo_file)
                fclose(echo_file);
            exit(1);
        }
        for (wild_entry_t *e = r; e->we_name; ++e) {
            out.push_back(e->we_name);
        }
        // The names now belong to the vector; only the array goes.
        chk_free(r);
    }

    const int n = static_cast<int>(out.size());
    char **result = static_cast<char **>(chk_alloc(sizeof(char *) * (static_cast<size_t>(n) + 1)));
    for (int i = 0; i < n; ++i)
        result[i] = out[static_cast<size_t>(i)];
    result[n] = nullptr;
    *out_argc = n;

    if (echo_file) {
        echo(echo_file, "Post-Arg", n, result);
        fclose(echo_file);
        if (level >= 1)
            exit(1);
    }
    return result;
}

void wild_free_args(int argc, char **argv) {
    if (!argv)
        return;
    for (int i = 0; i < argc; ++i)
        chk_free(argv[i]);
    chk_free(argv);
}

} // extern "C"
