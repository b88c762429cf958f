// Set-up and driving for the uninstaller tests.
#include "un_fixture.h"

#include <stdio.h>

const char kConfirmTitle[] = "Tolva v9.2 Editor -- Unstalling...";
const char kProgressTitle[] = "Uninstalling Tolva Editor v9.2.2b Build 5308";
const char kNoticeTitle[] = "Tolva v9.2 Editor";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolva v9.2 Editor";

std::string uninstall_exe() { return winkit::win_path(TV_UNINSTALL_EXE); }

namespace {

std::wstring wide(const std::string &s)
{
    std::wstring w(s.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), (int)w.size());
    w.resize(n > 0 ? n - 1 : 0);
    return L"\\\\?\\" + w;
}

std::string profiles_dir()
{
    char raw[MAX_PATH] = "", out[MAX_PATH] = "";
    DWORD size = sizeof raw;
    RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                 "ProfilesDirectory", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr,
                 raw, &size);
    ExpandEnvironmentStringsA(raw, out, sizeof out);
    return out;
}

} // namespace

bool tree_make_dir(const std::string &path)
{
    if (tree_exists(path))
        return true;
    size_t cut = path.find_last_of('\\');
    if (cut != std::string::npos && cut > 2 && !tree_make_dir(path.substr(0, cut)))
        return false;
    return CreateDirectoryW(wide(path).c_str(), nullptr) != 0;
}

bool tree_make_file(const std::string &path, const std::string &data)
{
    size_t cut = path.find_last_of('\\');
    if (cut != std::string::npos && !tree_make_dir(path.substr(0, cut)))
        return false;
    HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    bool ok = WriteFile(h, data.data(), (DWORD)data.size(), &done, nullptr) != 0;
    CloseHandle(h);
    return ok;
}

bool tree_exists(const std::string &path)
{
    return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void tree_clear(const std::string &path)
{
    std::wstring w = wide(path);
    DWORD a = GetFileAttributesW(w.c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesW(w.c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((w + L"\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::wstring n = fd.cFileName;
                if (n == L"." || n == L"..")
                    continue;
                char name[MAX_PATH * 4];
                WideCharToMultiByte(CP_ACP, 0, n.c_str(), -1, name, sizeof name, nullptr, nullptr);
                tree_clear(path + "\\" + name);
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
    }
    if (a & FILE_ATTRIBUTE_DIRECTORY)
        RemoveDirectoryW(w.c_str());
    else
        DeleteFileW(w.c_str());
}

std::vector<std::string> lines_of(const std::string &text)
{
    return winkit::split_lines(text);
}

UninstallTest::UninstallTest()
{
    static unsigned serial;
    char tag[64];
    snprintf(tag, sizeof tag, "%lu-%u", GetCurrentProcessId(), serial++);
    const ::testing::TestInfo *ti = ::testing::UnitTest::GetInstance()->current_test_info();
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    u_base = std::string(tmp) + "tv-" + ti->name() + "-" + tag;
    u_inst = u_base + "\\Tolva Editor";
    u_user = std::string("tvun-") + tag;

    tree_make_dir(u_base);
    prepare();
}

void UninstallTest::prepare()
{
    HKEY k;
    for (const char *sub : {"", "\\Parts", "\\Parts\\Core", "\\Parts\\Macros", "\\Notes"}) {
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + sub).c_str(), 0, nullptr,
                            0, KEY_ALL_ACCESS, nullptr, &k, nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(k, "DisplayName", 0, REG_SZ, (const BYTE *)"Tolva", 6);
            RegCloseKey(k);
        }
    }
    for (const std::string &s : shortcuts()) {
        if (s.size() > 4 && s.compare(s.size() - 4, 4, ".lnk") == 0)
            tree_make_file(s, "shortcut");
        else
            tree_make_dir(s);
    }
}

UninstallTest::~UninstallTest()
{
    u_proc.kill();
    tree_clear(u_base);
    tree_clear(profiles_dir() + "\\" + u_user);
    std::string desk = profiles_dir() + "\\All Users\\Desktop";
    tree_clear(desk + "\\Tolva.lnk");
    RemoveDirectoryA(desk.c_str());
    RemoveDirectoryA((profiles_dir() + "\\All Users").c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
}

void UninstallTest::install(const std::vector<std::string> &rels)
{
    tree_make_dir(u_inst);
    for (const std::string &r : rels) {
        bool ok = !r.empty() && r.back() == '\\' ? tree_make_dir(at(r.substr(0, r.size() - 1)))
                                                 : tree_make_file(at(r), "data of " + r);
        ASSERT_TRUE(ok) << r;
    }
}

bool UninstallTest::key_exists(const std::string &sub) const
{
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + sub).c_str(), 0, KEY_READ,
                      &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

std::vector<std::string> UninstallTest::shortcuts() const
{
    std::string p = profiles_dir();
    std::string menu = p + "\\" + u_user + "\\Start Menu\\Programs\\Tolva";
    return {p + "\\All Users\\Desktop\\Tolva.lnk", menu + "\\Tolva.lnk",
            menu + "\\Uninstall Tolva.lnk", menu + "\\Release Notes.lnk", menu};
}

int UninstallTest::shortcuts_left() const
{
    int n = 0;
    for (const std::string &s : shortcuts())
        n += tree_exists(s);
    return n;
}

bool UninstallTest::start(const std::string &args, std::vector<winkit::env_change> env,
                          const std::string &cwd)
{
    env.push_back({"USERNAME", u_user});
    bool debug = false;
    for (const auto &e : env)
        debug |= e.first == "TV_SETUP_DEBUG";
    if (!debug)
        env.push_back({"TV_SETUP_DEBUG", std::nullopt});
    winkit::child_options opts;
    opts.co_env = env;
    opts.co_cwd = cwd;
    std::string line = winkit::quote_arg(uninstall_exe()) + (args.empty() ? "" : " " + args);
    return u_proc.start(line, opts);
}

bool UninstallTest::confirm(bool yes)
{
    HWND box = ui::wait_dialog(u_proc.pid(), kConfirmTitle);
    if (!box)
        return false;
    return ui::click(box, yes ? IDYES : IDNO);
}

bool UninstallTest::proceed_and_exit(std::string *text)
{
    u_dialog = ui::wait_dialog(u_proc.pid(), kProgressTitle);
    if (!u_dialog)
        return false;
    if (!ui::click(u_dialog, 1))
        return false;
    *text = ui::text_of(GetDlgItem(u_dialog, 103));
    return ui::click(u_dialog, 2);
}

std::string UninstallTest::run_all(const std::string &args, std::vector<winkit::env_change> env)
{
    std::string text;
    EXPECT_TRUE(start(args, env));
    EXPECT_TRUE(confirm(true));
    EXPECT_TRUE(proceed_and_exit(&text));
    EXPECT_EQ(wait_exit(), 0u);
    return text;
}

DWORD UninstallTest::wait_exit(int timeout_ms)
{
    if (!u_proc.wait(timeout_ms))
        return 0xdead;
    return u_proc.exit_code();
}
