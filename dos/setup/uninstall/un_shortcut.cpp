// The desktop and Start-menu shortcuts.  Their paths start with
// "[Documents]", which stands for the profiles directory of the machine,
// and name the user through %USERNAME%; the profiles directory itself
// usually starts with %SystemDrive%.
#include "uninstall.h"

#include <stdlib.h>
#include <string.h>

#include <vector>

namespace {

const char kDocuments[] = "[Documents]";

// Every reference to `var` (matched without regard to case) replaced by
// the variable's value.  An unset variable leaves the reference as it is,
// so the path names nothing that exists instead of some other place.
std::string replace_var(const std::string &text, const char *var)
{
    const char *value = getenv(var);
    if (!value)
        return text;
    std::string ref = std::string("%") + var + "%";
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (text.size() - i >= ref.size() &&
            CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.data() + i, (int)ref.size(),
                           ref.data(), (int)ref.size()) == CSTR_EQUAL) {
            out += value;
            i += ref.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

// "ProfilesDirectory" at whatever length it has; false when it cannot be
// read, and then no "[Documents]" path is formed at all.
bool read_profiles(HKEY key, std::string *out)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, "ProfilesDirectory", nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        size == 0)
        return false;
    std::vector<char> buf(size + 1, '\0');
    if (RegQueryValueExA(key, "ProfilesDirectory", nullptr, &type, (BYTE *)buf.data(), &size) !=
        ERROR_SUCCESS)
        return false;
    out->assign(buf.data(), strnlen(buf.data(), size));
    return !out->empty();
}

} // namespace

std::string un_expand_shortcut(const char *path, const std::string &profiles)
{
    std::string list = path;
    if (strncmp(path, kDocuments, sizeof kDocuments - 1) == 0) {
        list = profiles + (path + sizeof kDocuments - 1);
        UN_LOG("szList=%s", list.c_str());
    }
    UN_LOG("expanding '%s'", list.c_str());
    std::string out = replace_var(replace_var(list, "SystemDrive"), "USERNAME");
    UN_LOG("expanded to '%s'", out.c_str());
    return out;
}

void un_remove_shortcut(const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                      0, KEY_READ, &key) != ERROR_SUCCESS) {
        UN_LOG("failed to open key");
        return;
    }
    UN_LOG("here1");
    std::string profiles;
    bool have = read_profiles(key, &profiles);
    RegCloseKey(key);
    if (!have) {
        UN_LOG("failed to read ProfilesDirectory");
        return;
    }
    std::string link = un_expand_shortcut(path, profiles);
    UN_LOG("link=%s", link.c_str());
    std::wstring lp = un_long_path(un_widen(link));
    if (lp.empty())
        return;
    // A missing shortcut is no error: there is nothing to say about it.
    if (!DeleteFileW(lp.c_str()))
        RemoveDirectoryW(lp.c_str());
}
