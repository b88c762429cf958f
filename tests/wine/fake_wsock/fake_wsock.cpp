// A wsock32.dll for the name-helper tests: the four functions the helper
// loads, answering from a table instead of the network.
//   FAKE_WSOCK_HOSTS  "name=a.b.c.d;name=a.b.c.d" names it resolves
//   FAKE_WSOCK_LOG    file that gets one line per call:
//                     "WSAStartup 0x%04x", "gethostbyname <name>"
// A name not in the table fails with WSAHOST_NOT_FOUND (11001).
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr int kHostNotFound = 11001;

struct fake_hostent {
    char *h_name;
    char **h_aliases;
    short h_addrtype;
    short h_length;
    char **h_addr_list;
};

struct fake_state_t {
    int fs_last_error = 0;
    char fs_name[256] = {};
    unsigned char fs_addr[4] = {};
    char *fs_addr_list[2] = {};
    char *fs_aliases[1] = {};
    fake_hostent fs_host = {};
};

fake_state_t g_fake;

void note(const char *fmt, const char *text, unsigned value)
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("FAKE_WSOCK_LOG", path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return;
    char line[512];
    int len = text ? snprintf(line, sizeof line, fmt, text)
                   : snprintf(line, sizeof line, fmt, value);
    if (len < 0 || len >= (int)sizeof line)
        return;
    HANDLE h = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD done = 0;
    WriteFile(h, line, (DWORD)len, &done, nullptr);
    CloseHandle(h);
}

// Finds name in FAKE_WSOCK_HOSTS; the address goes to out in network order.
bool lookup(const char *name, unsigned char out[4])
{
    char table[2048];
    DWORD n = GetEnvironmentVariableA("FAKE_WSOCK_HOSTS", table, sizeof table);
    if (n == 0 || n >= sizeof table)
        return false;
    size_t want = strlen(name);
    for (char *entry = table; entry && *entry;) {
        char *next = strchr(entry, ';');
        if (next)
            *next++ = '\0';
        char *eq = strchr(entry, '=');
        unsigned a, b, c, d;
        if (eq && (size_t)(eq - entry) == want && strncmp(entry, name, want) == 0 &&
            sscanf(eq + 1, "%u.%u.%u.%u", &a, &b, &c, &d) == 4) {
            out[0] = (unsigned char)a;
            out[1] = (unsigned char)b;
            out[2] = (unsigned char)c;
            out[3] = (unsigned char)d;
            return true;
        }
        entry = next;
    }
    return false;
}

} // namespace

extern "C" {

__declspec(dllexport) int WINAPI WSAStartup(WORD version, void *data)
{
    note("WSAStartup 0x%04x\n", nullptr, version);
    if (data)
        memset(data, 0, 400);  // sizeof WSADATA is below this on both widths
    g_fake.fs_last_error = 0;
    return 0;
}

__declspec(dllexport) void *WINAPI gethostbyname(const char *name)
{
    note("gethostbyname %s\n", name ? name : "(null)", 0);
    if (!name || strlen(name) >= sizeof g_fake.fs_name || !lookup(name, g_fake.fs_addr)) {
        g_fake.fs_last_error = kHostNotFound;
        return nullptr;
    }
    g_fake.fs_last_error = 0;
    strcpy(g_fake.fs_name, name);
    g_fake.fs_addr_list[0] = reinterpret_cast<char *>(g_fake.fs_addr);
    g_fake.fs_addr_list[1] = nullptr;
    g_fake.fs_host = {g_fake.fs_name, g_fake.fs_aliases, 2 /* AF_INET */, 4, g_fake.fs_addr_list};
    return &g_fake.fs_host;
}

__declspec(dllexport) int WINAPI WSAGetLastError(void)
{
    return g_fake.fs_last_error;
}

__declspec(dllexport) unsigned long WINAPI htonl(unsigned long v)
{
    return ((v & 0xFFu) << 24) | ((v & 0xFF00u) << 8) | ((v >> 8) & 0xFF00u) | ((v >> 24) & 0xFFu);
}

} // extern "C"
