// The whole program on an odd command line.  The input, split at NUL bytes,
// is the argument vector after "tvtags -q".  The run happens in a scratch
// directory holding a few source files; arguments that could name anything
// outside it (separators, "..", "~", variables) drop the input.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "driver/tvt_driver.h"
#include "driver/tvt_output.h"
#include "fuzz_util.h"
#include "scan/tvt_lang.h"
#include "scan/tvt_lex.h"
#include "scan/tvt_settings.h"
#include "scan/tvt_tag.h"

namespace {

constexpr size_t MAX_ARGS = 24;
constexpr size_t MAX_ARG_LEN = 256;

struct source_t {
    const char *name;
    const char *text;
};

constexpr source_t sources[] = {
    {"a.c", "#define LIMIT 10\nstruct point { int x, y; };\nstatic int helper(int a) { return a; }\n"
            "int main(void) { return helper(LIMIT); }\n"},
    {"b.h", "typedef struct node { struct node *next; } node_t;\nextern int count;\nenum colour { RED, GREEN };\n"},
    {"c.cpp", "namespace ns { class base {}; class shape : public base { public: virtual int area() const; }; }\n"
              "int ns::shape::area() const { return 0; }\n"},
    {"d.m", "@interface Thing : NSObject\n- (int)size;\n@end\n@implementation Thing\n- (int)size { return 1; }\n@end\n"},
    {"list", "a.c\nb.h\n"},
};

bool safe_arg(std::string_view a)
{
    if (a.size() > MAX_ARG_LEN)
        return false;
    for (char c : a)
        if (c == '/' || c == '\\' || c == '~' || c == '$' || c == '%' || c == '`')
            return false;
    return a.find("..") == std::string_view::npos;
}

// A fresh directory for every input, so one run's database or error file
// does not steer the next.
void reset_scratch()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const fs::directory_entry &e : fs::directory_iterator(fuzz::scratch_dir(), ec))
        fs::remove_all(e.path(), ec);
    for (const source_t &s : sources)
        fuzz::write_file(fuzz::scratch_dir() + "/" + s.name, reinterpret_cast<const uint8_t *>(s.text),
                         strlen(s.text));
}

// What tvtags_main releases at its end, for a run that left through exit().
void release_run()
{
    if (tvt_run.db) {
        tvt_close(tvt_run.db);
        tvt_run.db = nullptr;
    }
    tag_set_db_sink(nullptr, nullptr);
    text_free();
    lex_close_file();
    inh_free();
    lang_clear_remaps();
    tvt_scanned_free();
    tvt_settings_free();
    tvt_opt.program_path = nullptr;
    tvt_current_file = nullptr;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (chdir(fuzz::scratch_dir().c_str()) != 0)
        abort();
    fuzz::silence_stdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<std::string> args = {"tvtags-fuzz", "-q"};
    std::string_view rest(reinterpret_cast<const char *>(data), size);
    while (!rest.empty()) {
        size_t nul = rest.find('\0');
        std::string_view a = rest.substr(0, nul);
        if (!safe_arg(a) || args.size() >= MAX_ARGS + 2)
            return -1;   // keep such inputs out of the corpus
        args.emplace_back(a);
        rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
    }
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    reset_scratch();
    int status = fuzz::guard_exit([&] { tvtags_main(int(argv.size() - 1), argv.data()); });
    if (status >= 0)
        release_run();
    return 0;
}

// A run that ends in exit() cannot release what tvtags_main holds in its
// locals (the expanded argument vector, the program path), so leaks are
// not reported for this target.
extern "C" const char *__lsan_default_options()
{
    return "detect_leaks=0";
}
