#ifndef TVSHELL_H
#define TVSHELL_H
/* tvshell: the editor's launcher for commands. */
#include <stddef.h>

/* The joined command line, terminator included. */
#define TVSHELL_CMD_SIZE 2048

/* Process-wide state of the launcher. */
typedef struct tvshell_t {
    char ts_cmd[TVSHELL_CMD_SIZE];  /* the command to start */
    int ts_log;                     /* log descriptor, -1 for none */
} tvshell_t;

extern tvshell_t g_tvshell;

/* Joins the command from argv: leading arguments that begin with "-" are
 * skipped, the rest copied as they are with one blank between them.
 * Returns the length, or -1 (and an empty buffer) when it would not fit in
 * size - 1 bytes; *needed gets the length it wanted. */
int tvshell_join(char *buf, size_t size, int argc, char **argv, size_t *needed);

/* Log of the launcher; every function does nothing while no log is open. */
void tvlog_open(const char *path);
void tvlog_close(void);
void tvlog_printf(const char *fmt, ...);
/* One line made of three texts, written with one write call. */
void tvlog_join(const char *head, const char *text, const char *tail);
/* The start-up report: PID, standard handles, command line, arguments,
 * open descriptors and the environment block given. */
void tvlog_startup(int argc, char **argv, const char *env_block);

#endif
