#ifndef TOLVA_DNS_H
#define TOLVA_DNS_H
/* tolva_dns: name lookups for the editor over standard input and output. */
#include <stdint.h>

#define DNS_VERSION_MAJOR 1
#define DNS_VERSION_MINOR 0

/* One read of a request, terminator included. */
#define DNS_REQUEST_SIZE 512

/* Run-time sockets library ("WSOCK32"), loaded on first need.  A failed
 * load is remembered; each function is looked up once. */
int dns_sock_startup(void);               /* WSAStartup result; -1 unavailable */
int dns_sock_last_error(void);            /* WSAGetLastError; -1 unavailable */
/* First IPv4 address of the name in network order; 0 when it fails. */
int dns_sock_lookup(const char *name, uint32_t *net_addr);
/* htonl of the library; the value unchanged when it is unavailable. */
uint32_t dns_sock_htonl(uint32_t v);

/* Address of a name in host order (first octet in the high byte); 0 when
 * it cannot be resolved. */
uint32_t dns_resolve(const char *name);

#endif
