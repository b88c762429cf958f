// The class-file reader: one compiled class or interface from memory into
// a PACKAGE tag (shared by the classes of one package in a file), the
// CLASS or INTERFACE tag, and a tag for each field and method.  A class
// file carries no source lines that we use: every tag is on line 1.
#include <cstring>

#include "class_internal.h"

namespace cls {

namespace {

constexpr uint32_t ACC_INTERFACE = 0x0200;

class reader_t {
  public:
    reader_t(std::span<const uint8_t> b, file_state_t &fs, std::string_view where)
        : c_(b), fs_(fs), where_(where)
    {
    }
    int run();

  private:
    int fail(const std::string &why);
    int emit(int type, std::string_view name, int parent, uint32_t flags, const char *args = nullptr,
             const char *type_text = nullptr);
    int package_tag(const std::string &package);
    bool members(bool methods, int parent, const std::string &simple);
    bool skip_attributes();

    cursor_t c_;
    pool_t pool_;
    file_state_t &fs_;
    std::string_view where_;
    std::string args_, type_;
};

int reader_t::fail(const std::string &why)
{
    if (where_.empty())
        lex_error("%s", why.c_str());
    else
        lex_error("%.*s: %s", int(where_.size()), where_.data(), why.c_str());
    return -1;
}

int reader_t::emit(int type, std::string_view name, int parent, uint32_t flags, const char *args,
                   const char *type_text)
{
    tag_rec_t &r = tag_rec;
    tag_capture(&r, 0);
    size_t n = name.size() < TAG_NAME_SIZE - 1 ? name.size() : TAG_NAME_SIZE - 1;
    memcpy(r.tr_name, name.data(), n);
    r.tr_name[n] = '\0';
    // Embedded zero bytes in a damaged name would cut it anyway.
    r.tr_line = 1;
    r.tr_column = int32_t(strlen(r.tr_name));   // the name "starts" at column 0
    r.tr_parent = parent;
    r.tr_flags = flags;
    r.tr_args = const_cast<char *>(args);
    r.tr_type = const_cast<char *>(type_text);
    TAG_TRACE(type, &r);
    int h = tag_add(type, &r);
    r.tr_args = r.tr_type = nullptr;
    return h;
}

int reader_t::package_tag(const std::string &package)
{
    auto it = fs_.packages.find(package);
    if (it != fs_.packages.end())
        return it->second;
    int h = emit(TT_PACKAGE, package, -1, 0);
    fs_.packages.emplace(package, h);
    return h;
}

bool reader_t::skip_attributes()
{
    uint32_t n = c_.u2();
    for (uint32_t i = 0; i < n && c_.ok(); i++) {
        c_.u2();   // name: every attribute is skipped by its length
        c_.skip(c_.u4());
    }
    return c_.ok();
}

bool reader_t::members(bool methods, int parent, const std::string &simple)
{
    uint32_t n = c_.u2();
    for (uint32_t i = 0; i < n; i++) {
        uint32_t access = c_.u2();
        uint32_t name_ix = c_.u2();
        uint32_t desc_ix = c_.u2();
        if (!c_.ok())
            return false;
        std::string_view name, desc;
        if (!pool_.utf8(name_ix, name) || !pool_.utf8(desc_ix, desc))
            return false;
        uint32_t flags = class_map_flags(access);
        if (!methods) {
            emit(TT_MEMBER, name, parent, flags);
        } else {
            if (name == "<init>")
                name = simple;   // constructors are named after their class
            class_descriptor_text(desc, args_, type_);
            emit(TT_FUNCTION, name, parent, flags, args_.c_str(), type_.c_str());
        }
        if (!skip_attributes())
            return false;
    }
    return c_.ok();
}

int reader_t::run()
{
    if (c_.u4() != CLASS_MAGIC || !c_.ok())
        return 0;
    c_.u2();   // minor version
    c_.u2();   // major version
    if (!pool_.read(c_))
        return fail(pool_.error());
    uint32_t access = c_.u2();
    uint32_t this_ix = c_.u2();
    if (!c_.ok())
        return fail("class file cut short");
    std::string_view raw;
    if (!pool_.class_name(this_ix, raw))
        return fail(pool_.error());

    std::string name(raw);
    for (char &ch : name)
        if (ch == '/')
            ch = '.';
    size_t dot = name.rfind('.');
    int parent = -1;
    std::string simple = name;
    if (dot != std::string::npos) {
        parent = package_tag(name.substr(0, dot));
        simple = name.substr(dot + 1);
    }
    int klass = emit((access & ACC_INTERFACE) ? TT_INTERFACE : TT_CLASS, simple, parent, 0);

    std::string_view unused;
    uint32_t super_ix = c_.u2();
    if (super_ix != 0 && !pool_.class_name(super_ix, unused))   // 0: java.lang.Object itself
        return fail(pool_.error());
    uint32_t ninterfaces = c_.u2();
    for (uint32_t i = 0; i < ninterfaces && c_.ok(); i++)
        if (!pool_.class_name(c_.u2(), unused) && c_.ok())
            return fail(pool_.error());
    if (!c_.ok())
        return fail("class file cut short");
    if (!members(false, klass, simple) || !members(true, klass, simple))
        return fail(c_.ok() ? pool_.error() : "class file cut short");
    if (!skip_attributes())
        return fail("class file cut short");
    return 1;
}

} // namespace

int class_read(std::span<const uint8_t> bytes, file_state_t &fs, std::string_view where)
{
    reader_t r(bytes, fs, where);
    return r.run();
}

} // namespace cls
