// The sockets library, loaded at run time so that the helper starts even
// where networking is not installed.  Winsock 1.1 is enough: one blocking
// name lookup at a time.
#include "tolva_dns.h"

#include <winsock2.h>
#include <windows.h>

#include <stdint.h>
#include <string.h>

namespace {

enum sock_fn_t { FN_STARTUP, FN_GETHOSTBYNAME, FN_LAST_ERROR, FN_HTONL, FN_COUNT };

constexpr const char *kFnNames[FN_COUNT] = {"WSAStartup", "gethostbyname", "WSAGetLastError",
                                            "htonl"};

using startup_fn = int(WINAPI *)(WORD, LPWSADATA);
using gethostbyname_fn = struct hostent *(WINAPI *)(const char *);
using last_error_fn = int(WINAPI *)(void);
using htonl_fn = u_long(WINAPI *)(u_long);

// Process-wide state of the library: loaded once, entry points cached.
struct dns_sock_t {
    HMODULE dk_lib = nullptr;
    bool dk_tried = false;     // the load was attempted (and is not retried)
    bool dk_started = false;   // WSAStartup was called
    bool dk_looked[FN_COUNT] = {};
    FARPROC dk_fn[FN_COUNT] = {};
};

dns_sock_t g_sock;

template <typename T> T sock_fn(sock_fn_t which)
{
    if (!g_sock.dk_tried) {
        g_sock.dk_tried = true;
        HMODULE h = LoadLibraryA("WSOCK32");
        // Old loaders returned small error codes instead of null.
        g_sock.dk_lib = reinterpret_cast<uintptr_t>(h) < 32 ? nullptr : h;
    }
    if (!g_sock.dk_lib)
        return nullptr;
    if (!g_sock.dk_looked[which]) {
        g_sock.dk_looked[which] = true;
        g_sock.dk_fn[which] = GetProcAddress(g_sock.dk_lib, kFnNames[which]);
    }
    // Through void * because the entry points' real types are not FARPROC.
    return reinterpret_cast<T>(reinterpret_cast<void *>(g_sock.dk_fn[which]));
}

} // namespace

int dns_sock_startup(void)
{
    if (g_sock.dk_started)
        return 0;
    auto startup = sock_fn<startup_fn>(FN_STARTUP);
    if (!startup)
        return -1;
    g_sock.dk_started = true;
    WSADATA data;
    return startup(0x0101, &data);
}

int dns_sock_last_error(void)
{
    auto last_error = sock_fn<last_error_fn>(FN_LAST_ERROR);
    return last_error ? last_error() : -1;
}

int dns_sock_lookup(const char *name, uint32_t *net_addr)
{
    auto lookup = sock_fn<gethostbyname_fn>(FN_GETHOSTBYNAME);
    if (!lookup)
        return 0;
    const struct hostent *he = lookup(name);
    if (!he || he->h_addrtype != AF_INET || he->h_length != 4 || !he->h_addr_list ||
        !he->h_addr_list[0])
        return 0;
    memcpy(net_addr, he->h_addr_list[0], 4);
    return 1;
}

uint32_t dns_sock_htonl(uint32_t v)
{
    auto conv = sock_fn<htonl_fn>(FN_HTONL);
    return conv ? (uint32_t)conv(v) : v;
}
