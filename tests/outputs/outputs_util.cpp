#include "outputs_util.h"

#include <cstdio>
#include <filesystem>

namespace outputs {

const char *const a_c = "#define MAX 10\n"
                        "#define SQR(x) ((x)*(x))\n"
                        "#include <stdio.h>\n"
                        "enum color { RED, GREEN = 2 };\n"
                        "int main(void)\n"
                        "{\n"
                        "    return SQR(MAX) / 2;\n"
                        "}\n";

const char *const b_c = "int counter;\n"
                        "int helper_fn(int a, int b) /* a/b */\n"
                        "{\n"
                        "    return a + b;\n"
                        "}\n";

std::string spaces(int n)
{
    return n > 0 ? std::string((size_t)n, ' ') : std::string();
}

std::string left(const std::string &s, int n)
{
    return s + spaces(n - (int)s.size());
}

std::string right(const std::string &s, int n)
{
    return spaces(n - (int)s.size()) + s;
}

std::string right(long v, int n)
{
    return right(std::to_string(v), n);
}

std::string hex(unsigned long v, int width)
{
    char buf[32];
    snprintf(buf, sizeof buf, "%0*lx", width, v);
    return buf;
}

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        out.push_back(text.substr(start, nl - start));
    if (start < text.size())
        out.push_back(text.substr(start));
    return out;
}

bool starts_with(const std::string &s, const std::string &prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

void copy_tree(const std::string &from, const std::string &to, const std::vector<std::string> &suffixes)
{
    namespace fs = std::filesystem;
    for (const fs::directory_entry &e : fs::recursive_directory_iterator(from)) {
        if (!e.is_regular_file())
            continue;
        std::string name = e.path().filename().string();
        bool keep = false;
        for (const std::string &s : suffixes)
            keep = keep || (name.size() > s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0);
        if (!keep)
            continue;
        fs::path dest = fs::path(to) / fs::relative(e.path(), from);
        fs::create_directories(dest.parent_path());
        fs::copy_file(e.path(), dest, fs::copy_options::overwrite_existing);
    }
}

unsigned long get32(const std::string &bytes, size_t at)
{
    if (at + 4 > bytes.size())
        return 0;
    auto b = [&](size_t i) { return (unsigned long)(unsigned char)bytes[at + i]; };
    return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

} // namespace outputs
