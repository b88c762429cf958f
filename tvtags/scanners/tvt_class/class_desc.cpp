// The words of a method descriptor, and the tag flags of an access-flag
// set: how a compiled member reads in the tags.
#include "class_internal.h"

namespace cls {

namespace {

struct flag_map_t {
    uint32_t fm_access;
    uint32_t fm_tag;
};

// public, private, protected, static, final, synchronized, volatile or
// bridge, transient or varargs, native, abstract.
constexpr flag_map_t kFlagMap[] = {
    {0x0001, 0x1},   {0x0002, 0x4},   {0x0004, 0x2},   {0x0008, 0x40},   {0x0010, 0x100},
    {0x0020, 0x400}, {0x0040, 0x800}, {0x0080, 0x200}, {0x0100, 0x1000}, {0x0400, 0x10},
};

struct base_word_t {
    char bw_code;
    const char *bw_word;
};

constexpr base_word_t kBaseWords[] = {
    {'A', "any"},   {'[', "array"},  {'B', "byte"}, {'C', "char"},  {'E', "enum"},   {'F', "float"},
    {'D', "double"}, {'I', "int"},   {'J', "long"}, {'S', "short"}, {'V', "void"}, {'Z', "boolean"},
};

const char *base_word(char c)
{
    for (const base_word_t &w : kBaseWords)
        if (w.bw_code == c)
            return w.bw_word;
    return nullptr;
}

// Appends the words of one item at d[i] and moves i past it.  An array
// prefix is an item of its own.  A class item becomes its simple name.
void add_item(std::string_view d, size_t &i, std::string &out)
{
    if (!out.empty() && out.back() != '(')
        out += ", ";
    char c = d[i++];
    if (c == 'L') {
        size_t end = d.find(';', i);
        if (end == std::string_view::npos)
            end = d.size();
        std::string_view name = d.substr(i, end - i);
        size_t slash = name.rfind('/');
        out += slash == std::string_view::npos ? name : name.substr(slash + 1);
        i = end < d.size() ? end + 1 : end;
        return;
    }
    const char *w = base_word(c);
    if (w)
        out += w;
    else
        out += c;   // not a descriptor letter: shown as it is
}

} // namespace

uint32_t class_map_flags(uint32_t access)
{
    uint32_t tag = 0;
    for (const flag_map_t &m : kFlagMap)
        if (access & m.fm_access)
            tag |= m.fm_tag;
    return tag;
}

void class_descriptor_text(std::string_view d, std::string &args, std::string &type)
{
    args.clear();
    type.clear();
    size_t i = 0;
    if (i < d.size() && d[i] == '(')
        i++;
    args = "(";
    while (i < d.size() && d[i] != ')')
        add_item(d, i, args);
    args += ')';
    if (i < d.size())
        i++;   // the ')'
    // The result: its array prefixes and its one word.
    while (i < d.size()) {
        char c = d[i];
        add_item(d, i, type);
        if (c != '[')
            break;
    }
}

} // namespace cls
