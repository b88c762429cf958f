// Conversions between wide names and the ANSI code page, and the full,
// "\\?\" form of a path under which names of any length can be removed.
#include "uninstall.h"

#include <vector>

std::string un_narrow(const std::wstring &w)
{
    if (w.empty())
        return {};
    int n = WideCharToMultiByte(CP_ACP, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, w.data(), (int)w.size(), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring un_widen(const std::string &s)
{
    if (s.empty())
        return {};
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), (int)s.size(), nullptr, 0);
    std::wstring out(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, s.data(), (int)s.size(), out.data(), n);
    return out;
}

std::wstring un_full_path(const std::wstring &path)
{
    if (path.empty())
        return {};
    std::wstring in = path;
    // The "\\?\" form is already full; it is taken as it stands.
    if (in.compare(0, 4, L"\\\\?\\") != 0) {
        DWORD need = GetFullPathNameW(in.c_str(), 0, nullptr, nullptr);
        if (need == 0)
            return {};
        std::vector<wchar_t> buf(need + 1);
        DWORD got = GetFullPathNameW(in.c_str(), need + 1, buf.data(), nullptr);
        if (got == 0 || got > need)
            return {};
        in.assign(buf.data(), got);
    }
    for (wchar_t &c : in)
        if (c == L'/')
            c = L'\\';
    // A trailing separator goes, except the one that makes "X:\" a root.
    while (in.size() > 3 && in.back() == L'\\')
        in.pop_back();
    return in;
}

std::wstring un_long_path(const std::wstring &path)
{
    std::wstring full = un_full_path(path);
    if (full.empty())
        return full;
    if (full.compare(0, 4, L"\\\\?\\") == 0 || full.compare(0, 4, L"\\\\.\\") == 0)
        return full;
    if (full.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}
