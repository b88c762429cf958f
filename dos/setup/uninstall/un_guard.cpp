// Directories the uninstaller must never empty.  The removal deletes
// everything it lists, so a mistyped or tampered argument (a drive root,
// the Windows directory, the profiles directory, someone else's folder)
// would otherwise wipe files that have nothing to do with the editor.
#include "uninstall.h"

#include <vector>

#include "wrenlib/fmt.h"

namespace {

std::wstring upper(std::wstring s)
{
    if (!s.empty())
        CharUpperBuffW(s.data(), (DWORD)s.size());
    return s;
}

// True when `dir` is `other` or one of the directories above it.
bool same_or_above(const std::wstring &dir, const std::wstring &other)
{
    if (other.empty())
        return false;
    std::wstring a = upper(un_full_path(dir)), b = upper(un_full_path(other));
    if (a.empty() || b.empty())
        return false;
    if (a == b)
        return true;
    std::wstring prefix = a.back() == L'\\' ? a : a + L'\\';
    return b.compare(0, prefix.size(), prefix) == 0;
}

// "X:\", "\\server\share" and their "\\?\" forms.
bool is_root(const std::wstring &full)
{
    std::wstring p = full;
    if (p.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        p = L"\\\\" + p.substr(8);
    else if (p.compare(0, 4, L"\\\\?\\") == 0)
        p = p.substr(4);
    while (p.size() > 3 && p.back() == L'\\')
        p.pop_back();
    if (p.size() >= 2 && p[1] == L':')
        return p.size() <= 3;
    if (p.compare(0, 2, L"\\\\") == 0) {
        size_t server_end = p.find(L'\\', 2);
        return server_end == std::wstring::npos || p.find(L'\\', server_end + 1) == std::wstring::npos;
    }
    return p.empty() || p == L"\\";
}

std::wstring env_value(const wchar_t *name)
{
    wchar_t buf[32768];
    DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    return n > 0 && n < 32768 ? std::wstring(buf, n) : std::wstring();
}

std::wstring profiles_dir()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                      0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    DWORD type = 0, size = 0;
    std::wstring out;
    if (RegQueryValueExW(key, L"ProfilesDirectory", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        size > 0) {
        std::vector<wchar_t> raw(size / sizeof(wchar_t) + 1);
        if (RegQueryValueExW(key, L"ProfilesDirectory", nullptr, &type, (BYTE *)raw.data(), &size) ==
            ERROR_SUCCESS) {
            raw.back() = 0;
            wchar_t expanded[32768];
            DWORD n = ExpandEnvironmentStringsW(raw.data(), expanded, 32768);
            out = n > 0 && n <= 32768 ? std::wstring(expanded) : std::wstring(raw.data());
        }
    }
    RegCloseKey(key);
    return out;
}

// The directories that hold the system or its users.
std::vector<std::wstring> protected_dirs()
{
    std::vector<std::wstring> dirs;
    wchar_t buf[MAX_PATH + 1];
    UINT n = GetWindowsDirectoryW(buf, MAX_PATH + 1);
    if (n > 0 && n <= MAX_PATH)
        dirs.emplace_back(buf, n);
    n = GetSystemDirectoryW(buf, MAX_PATH + 1);
    if (n > 0 && n <= MAX_PATH)
        dirs.emplace_back(buf, n);
    dirs.push_back(profiles_dir());
    for (const wchar_t *var : {L"USERPROFILE", L"ALLUSERSPROFILE", L"PUBLIC", L"ProgramFiles",
                               L"ProgramFiles(x86)", L"ProgramW6432", L"CommonProgramFiles"})
        dirs.push_back(env_value(var));
    return dirs;
}

bool is_file(const std::wstring &path)
{
    DWORD a = GetFileAttributesW(un_long_path(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// What an earlier removal leaves behind: nothing but "config" directories.
bool only_config_left(const std::wstring &dir)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((un_long_path(dir) + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return true;
    bool only = true;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || lstrcmpiW(name.c_str(), L"config") != 0)
            only = false;
    } while (only && FindNextFileW(h, &fd));
    FindClose(h);
    return only;
}

std::string refused(const char *fmt, const std::wstring &dir)
{
    char msg[UN_MSG_MAX + 1];
    wl_snprintf(msg, sizeof msg, fmt, un_narrow(dir).c_str());
    return msg;
}

} // namespace

std::string un_refusal(const std::wstring &dir)
{
    if (dir.empty())
        return "No installation directory was given; nothing was removed.\n";
    std::wstring full = un_full_path(dir);
    if (full.empty())
        return refused("'%s' is not a valid directory name; nothing was removed.\n", dir);
    if (is_root(full))
        return refused("'%s' is the root of a drive; nothing was removed.\n", full);
    for (const std::wstring &p : protected_dirs())
        if (same_or_above(full, p))
            return refused("'%s' holds Windows, programs or user profiles; nothing was removed.\n",
                           full);
    DWORD a = GetFileAttributesW(un_long_path(full).c_str());
    // A directory that is gone has nothing left to remove: the registry
    // entry and the shortcuts of an earlier, interrupted run still go.
    if (a == INVALID_FILE_ATTRIBUTES)
        return {};
    if (!(a & FILE_ATTRIBUTE_DIRECTORY) || (!is_file(full + L"\\tolva.exe") && !only_config_left(full)))
        return refused("'%s' does not hold an installation of Tolva; nothing was removed.\n", full);
    return {};
}
