// ddepost: tells a running editor, over DDE, to open files and move to
// lines.  ddepost [-s service] [-t topic] [+line] file ...
#include "ddepost.h"

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>

namespace {

// Service and topic in force for the run; switches replace them.
struct ddepost_settings_t {
    const char *ps_service = "Tolva";
    const char *ps_topic = "COMMAND";
};

[[noreturn]] void usage(const ddepost_settings_t &ps)
{
    fprintf(stderr, "ddepost, part of the tvtags suite for the Tolva editor.\n");
    fprintf(stderr, "For help, see the support page of your Tolva distribution.\n");
    fprintf(stderr, "ddepost -- send a command to a DDE server\n");
    fprintf(stderr, "Usage: \n");
    fprintf(stderr, "\n");
    fprintf(stderr, "\tddepost [-s service] [-t topic] [+line_no] \"command\" \n");
    fprintf(stderr, "\n");
    fprintf(stderr, "Switches:\n");
    fprintf(stderr, "\n");
    fprintf(stderr, "    -s service\t\tSpecify service to use (default %s)\n", ps.ps_service);
    fprintf(stderr, "    -t topic\t\tSpecify topic to use (default %s)\n", ps.ps_topic);
    exit(1);
}

// Reads the switch groups; returns the index of the first other argument.
int parse_switches(int argc, char **argv, ddepost_settings_t &ps)
{
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; i++) {
        // Each value letter takes the next unused argument, so "-st a b"
        // sets both.  The letters stay readable: they are not in argv[i + 1].
        for (const char *p = argv[i] + 1; *p; p++) {
            if (*p != 's' && *p != 't')
                usage(ps);
            if (i + 1 >= argc)
                usage(ps);
            const char *value = argv[++i];
            if (*p == 's')
                ps.ps_service = value;
            else
                ps.ps_topic = value;
        }
    }
    if (i >= argc)
        usage(ps);
    return i;
}

// "+N": N in decimal; anything that is not a number gives 0.
int parse_line(const char *text)
{
    errno = 0;
    char *end = nullptr;
    long v = strtol(text, &end, 10);
    if (end == text)
        return 0;
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return (int)v;
}

// Sends the commands for the arguments from index i on; 0 when all went.
int send_files(dde_session_t &ds, int i, int argc, char **argv)
{
    char command[DDEPOST_CMD_SIZE];
    int line = -1;
    for (; i < argc; i++) {
        if (argv[i][0] == '+') {
            line = parse_line(argv[i] + 1);
            if (++i >= argc)
                break;
        }
        const char *file = argv[i];
        int n = snprintf(command, sizeof command, "edit__file \"%s\"", file);
        if (n < 0 || n >= (int)sizeof command) {
            printf("Command too long (more than %d bytes), not sent: edit__file \"%s\"\n",
                   DDEPOST_CMD_SIZE - 1, file);
            return 1;
        }
        if (dde_send(&ds, command) != DDE_OK)
            return 1;
        if (line > 0) {
            snprintf(command, sizeof command, "goto_line %d", line);
            if (dde_send(&ds, command) != DDE_OK)
                return 1;
        }
        line = -1;  // a line number belongs to the one file after it
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    ddepost_settings_t ps;
    int first = parse_switches(argc, argv, ps);

    dde_session_t ds;
    if (dde_open(&ds, ps.ps_service, ps.ps_topic) != DDE_OK)
        return 1;
    int status = send_files(ds, first, argc, argv);
    dde_close(&ds);
    fflush(stdout);
    return status;
}
