// Depth-first removal of the installation directory, in the order the
// directory lists its entries.  "config" directories stay at any depth,
// with everything in them and the directories above them.  A file that
// cannot be deleted gives up on its directory and on those above it, so
// nothing is removed around a file that is still in use.
//
// Entries are judged by what the listing says of them, never by what they
// point at: a junction or symbolic link is removed as a link, so a link
// into another tree cannot take that tree with it.
#include "uninstall.h"

#include <memory>

namespace {

// Deeper trees than this are given up on rather than walked at the cost of
// the stack; no installation comes near it.
constexpr int kMaxDepth = 512;

bool is_config(const wchar_t *name)
{
    return lstrcmpiW(name, L"config") == 0;
}

bool is_dot(const wchar_t *name)
{
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

void report_error(void)
{
    un_report("Error removing file -- error=%d\r\n", (int)GetLastError());
}

// The identity (volume and file index) of what a handle refers to.
bool identity(HANDLE h, BY_HANDLE_FILE_INFORMATION *info)
{
    return h != INVALID_HANDLE_VALUE && GetFileInformationByHandle(h, info);
}

// A link goes as a link: it is opened as the link itself and deleted
// through that handle.  Where the platform cannot tell the link from its
// target (the handle on the link is the target's file), it is left in
// place and reported: deleting it there would delete what it points at.
bool remove_link(const std::wstring &path)
{
    UN_LOG("Removing link: %s\n", un_narrow(path).c_str());
    std::wstring lp = un_long_path(path);
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE link = CreateFileW(lp.c_str(), DELETE | FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION li, ti;
    if (!identity(link, &li)) {
        DWORD err = GetLastError();
        if (link != INVALID_HANDLE_VALUE)
            CloseHandle(link);
        SetLastError(err);
        return false;
    }
    HANDLE target = CreateFileW(lp.c_str(), FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    bool same = identity(target, &ti) && ti.dwVolumeSerialNumber == li.dwVolumeSerialNumber &&
                ti.nFileIndexHigh == li.nFileIndexHigh && ti.nFileIndexLow == li.nFileIndexLow;
    if (target != INVALID_HANDLE_VALUE)
        CloseHandle(target);
    bool ok = false;
    if (same || !(li.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        UN_LOG("link and target cannot be told apart, left: %s\n", un_narrow(path).c_str());
        SetLastError(ERROR_NOT_SUPPORTED);
    } else {
        FILE_DISPOSITION_INFO di{TRUE};
        ok = SetFileInformationByHandle(link, FileDispositionInfo, &di, sizeof di) != 0;
    }
    DWORD err = GetLastError();
    CloseHandle(link);
    SetLastError(err);
    return ok;
}

int remove_tree(const std::wstring &dir, int depth);

// One entry of a directory: 0 when it is gone or kept on purpose, -1 when
// the directory must be given up on.
int remove_entry(const std::wstring &dir, const WIN32_FIND_DATAW &fd, int depth)
{
    std::wstring path = dir + L"\\" + fd.cFileName;
    const DWORD a = fd.dwFileAttributes;
    if ((a & FILE_ATTRIBUTE_DIRECTORY) && is_config(fd.cFileName))
        return 0;
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (remove_link(path))
            return 0;
        report_error();
        return -1;
    }
    if (a & FILE_ATTRIBUTE_DIRECTORY)
        return remove_tree(path, depth + 1);
    UN_LOG("Removing: %s\n", un_narrow(path).c_str());
    if (DeleteFileW(un_long_path(path).c_str()))
        return 0;
    report_error();
    return -1;
}

int remove_tree(const std::wstring &dir, int depth)
{
    if (depth > kMaxDepth) {
        un_report("Directory tree too deep, not removed: %s\n", un_narrow(dir).c_str());
        return -1;
    }
    // The find record lives on the heap: deep trees keep small frames.
    auto fd = std::make_unique<WIN32_FIND_DATAW>();
    HANDLE h = FindFirstFileW((un_long_path(dir) + L"\\*").c_str(), fd.get());
    if (h == INVALID_HANDLE_VALUE) {
        un_report("Failed to opendir(%s)\n", un_narrow(dir).c_str());
        return 0;
    }
    do {
        if (is_dot(fd->cFileName))
            continue;
        if (remove_entry(dir, *fd, depth) < 0) {
            FindClose(h);
            return -1;
        }
    } while (FindNextFileW(h, fd.get()));
    FindClose(h);
    un_report("Removing directory %s\n", un_narrow(dir).c_str());
    // Not empty when a "config" directory remains: then it simply stays.
    RemoveDirectoryW(un_long_path(dir).c_str());
    return 0;
}

} // namespace

int un_remove_dir(const std::wstring &dir)
{
    return remove_tree(dir, 0);
}
