// tolva_dns: resolves host names for the editor without blocking it.  The
// editor writes "gethostbyname NAME" to our standard input and reads the
// address, "a.b.c.d", from our standard output when it is ready.
#include "tolva_dns.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

constexpr const char *kSeparators = " \t\r\n";
constexpr const char *kRequestWord = "gethostbyname";

struct dns_state_t {
    FILE *dn_log = nullptr;   // dnsdebug.log while TV_DNS_DEBUG is set
};

dns_state_t g_dns;

void reply(uint32_t addr)
{
    printf("%u.%u.%u.%u\n", (unsigned)(addr >> 24), (unsigned)(addr >> 16) & 0xFFu,
           (unsigned)(addr >> 8) & 0xFFu, (unsigned)addr & 0xFFu);
    fflush(stdout);
}

// Splits the request in place; returns the number of words.
int split_words(char *text, char **words, int max)
{
    int n = 0;
    for (char *p = text; *p && n < max;) {
        p += strspn(p, kSeparators);
        if (!*p)
            break;
        words[n++] = p;
        p += strcspn(p, kSeparators);
        if (*p)
            *p++ = '\0';
    }
    return n;
}

// One read: the first two words are the request.  Further requests that
// arrived in the same read are answered too, in order; other trailing words
// are ignored.  Answering only the first would leave the editor waiting for
// replies that never come.
void serve_read(char *text)
{
    char *words[DNS_REQUEST_SIZE / 2 + 1];
    int n = split_words(text, words, (int)(sizeof words / sizeof words[0]));
    if (n < 2) {
        printf("ERROR!\n");
        fflush(stdout);
        return;
    }
    if (strcmp(words[0], kRequestWord) == 0)
        reply(dns_resolve(words[1]));
    for (int i = 2; i + 1 < n; i++) {
        if (strcmp(words[i], kRequestWord) == 0) {
            reply(dns_resolve(words[i + 1]));
            i++;
        }
    }
}

void log_line(const char *fmt, const char *text, int a, int b)
{
    if (!g_dns.dn_log)
        return;
    if (text)
        fprintf(g_dns.dn_log, fmt, text);
    else
        fprintf(g_dns.dn_log, fmt, a, b);
}

} // namespace

int main(int argc, char **)
{
    if (argc > 1) {
        printf("Async DNS helper v%d.%03d\n", DNS_VERSION_MAJOR, DNS_VERSION_MINOR);
        return 0;
    }
    if (getenv("TV_DNS_DEBUG")) {
        g_dns.dn_log = fopen("dnsdebug.log", "w");
        if (g_dns.dn_log)
            setvbuf(g_dns.dn_log, nullptr, _IONBF, 0);
    }
    log_line("tolva_dns: launched\n", nullptr, 0, 0);

    // Requests are read as they were written: no newline translation, and
    // no waiting for a line feed after a carriage return.
    _setmode(0, _O_BINARY);
    dns_sock_startup();

    char request[DNS_REQUEST_SIZE];
    int n;
    for (;;) {
        n = _read(0, request, DNS_REQUEST_SIZE - 1);
        if (n < 1)
            break;
        request[n] = '\0';
        log_line("tolva_dns: cmd '%s'\n", request, 0, 0);
        serve_read(request);
    }
    log_line("tolva_dns: n=%d, errno=%d\n", nullptr, n, dns_sock_last_error());
    if (g_dns.dn_log)
        fclose(g_dns.dn_log);
    return 0;
}
