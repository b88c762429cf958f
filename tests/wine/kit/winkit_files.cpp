// Paths, files and temporary directories for the Windows tests.
#include "winkit.h"

#include <stdio.h>

namespace winkit {

std::string win_path(const std::string &path)
{
    std::string out = !path.empty() && path[0] == '/' ? "Z:" + path : path;
    for (char &c : out)
        if (c == '/')
            c = '\\';
    return out;
}

std::string quote_arg(const std::string &arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    // Backslashes are literal except in front of a quote, where each pair
    // stands for one; so double those before a quote and the closing one.
    std::string out = "\"";
    size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            slashes++;
            continue;
        }
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

std::vector<std::string> split_lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\n') {
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += text[i];
        }
    }
    if (!cur.empty())
        lines.push_back(cur);
    return lines;
}

std::string read_file(const std::string &path)
{
    // Shared access: the stand-in keeps its log open while we read it.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    std::string data;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
        data.append(buf, got);
    CloseHandle(h);
    return data;
}

bool write_file(const std::string &path, const std::string &data)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    bool ok = WriteFile(h, data.data(), (DWORD)data.size(), &done, nullptr) &&
              done == data.size();
    CloseHandle(h);
    return ok;
}

bool file_exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

temp_dir::temp_dir(const char *tag)
{
    char base[MAX_PATH];
    DWORD n = GetTempPathA(sizeof base, base);
    std::string root = n > 0 && n < sizeof base ? std::string(base, n) : std::string(".\\");
    if (root.back() != '\\')
        root += '\\';
    static unsigned serial;
    for (int attempt = 0; attempt < 100; attempt++) {
        char name[64];
        snprintf(name, sizeof name, "tv-%s-%lu-%u", tag, GetCurrentProcessId(), serial++);
        std::string p = root + name;
        if (CreateDirectoryA(p.c_str(), nullptr)) {
            td_path = p;
            return;
        }
    }
}

namespace {

void remove_tree(const std::string &dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string p = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(p);
            else
                DeleteFileA(p.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

} // namespace

temp_dir::~temp_dir()
{
    if (!td_path.empty())
        remove_tree(td_path);
}

} // namespace winkit
