// Turning one name into an address: debug overrides, dotted addresses,
// the sockets library, and the "localhost" fallback.
#include "tolva_dns.h"

#include <windows.h>

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "wrenlib/chk.h"

namespace {

constexpr uint32_t kLocalhost = 0x7F000001;

uint32_t make_addr(unsigned a, unsigned b, unsigned c, unsigned d)
{
    return ((a & 0xFFu) << 24) | ((b & 0xFFu) << 16) | ((c & 0xFFu) << 8) | (d & 0xFFu);
}

// With TCP_DEBUG set, IP_<name with "." as "_"> gives the address.
bool override_lookup(const char *name, uint32_t *addr)
{
    if (!getenv("TCP_DEBUG"))
        return false;
    size_t len = strlen(name);
    char *var = static_cast<char *>(chk_alloc(len + 4));
    if (!var)
        return false;
    memcpy(var, "IP_", 3);
    for (size_t i = 0; i <= len; i++)
        var[3 + i] = name[i] == '.' ? '_' : name[i];
    const char *value = getenv(var);
    if (value) {
        printf("PID#%d: Looking up: %s => %s\n", (int)GetCurrentProcessId(), var, value);
        // Parts the value leaves out count as 0 rather than as whatever
        // happened to be in the variables.
        unsigned p[4] = {0, 0, 0, 0};
        sscanf(value, "%u.%u.%u.%u", &p[0], &p[1], &p[2], &p[3]);
        *addr = make_addr(p[0], p[1], p[2], p[3]);
    }
    chk_free(var);
    return value != nullptr;
}

enum dotted_t { NOT_DOTTED, DOTTED_OK, DOTTED_BAD };

// Three dots and no letter make a dotted address.  Each part must be a
// decimal number of at most 255: a part out of range would otherwise spill
// into its neighbour and name some other host.
dotted_t dotted_address(const char *name, uint32_t *addr)
{
    int dots = 0;
    for (const char *p = name; *p; p++) {
        if (isalpha((unsigned char)*p))
            return NOT_DOTTED;
        dots += *p == '.';
    }
    if (dots != 3)
        return NOT_DOTTED;
    uint32_t result = 0;
    const char *p = name;
    for (int part = 0; part < 4; part++) {
        unsigned value = 0;
        int digits = 0;
        for (; isdigit((unsigned char)*p); p++, digits++)
            value = value * 10 + (unsigned)(*p - '0');
        if (digits == 0 || digits > 3 || value > 255 || *p != (part < 3 ? '.' : '\0'))
            return DOTTED_BAD;
        if (*p)
            p++;
        result = (result << 8) | value;
    }
    *addr = result;
    return DOTTED_OK;
}

} // namespace

uint32_t dns_resolve(const char *name)
{
    if (!*name)
        return 0;
    uint32_t addr = 0;
    if (override_lookup(name, &addr))
        return addr;
    switch (dotted_address(name, &addr)) {
    case DOTTED_OK:
        return addr;
    case DOTTED_BAD:
        return 0;
    case NOT_DOTTED:
        break;
    }
    uint32_t net = 0;
    if (dns_sock_lookup(name, &net))
        return dns_sock_htonl(net);
    // A machine without a working resolver still knows itself.
    return strcmp(name, "localhost") == 0 ? kLocalhost : 0;
}
