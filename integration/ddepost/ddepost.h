#ifndef DDEPOST_H
#define DDEPOST_H
/* ddepost: the conversation with the editor's DDE server. */
#include <windows.h>
#include <ddeml.h>
#include <stddef.h>

/* A command and its escaped form each live in a buffer of this size,
 * terminator included. */
#define DDEPOST_CMD_SIZE 512

/* One DDE client session: instance, string handles, conversation, created
 * in that order and released in reverse. */
typedef struct dde_session_t {
    DWORD ds_inst;
    HSZ ds_service;
    HSZ ds_topic;
    HCONV ds_conv;
} dde_session_t;

/* Result codes of dde_open and dde_send. */
enum {
    DDE_OK = 0,
    DDE_ERR_INIT = -1,      /* DdeInitialize failed */
    DDE_ERR_HSZ = -2,       /* a string handle could not be made */
    DDE_ERR_CONNECT = -3,   /* no conversation */
    DDE_ERR_DATA = -4,      /* DdeCreateDataHandle failed */
    DDE_ERR_TOO_LONG = -5,  /* the escaped command does not fit */
};

/* Copies src into dst, writing every backslash twice, and terminates it.
 * Returns the escaped length, or DDE_ERR_TOO_LONG (dst then holds the part
 * that fitted) when more than size - 1 bytes would be needed. */
int dde_escape(char *dst, size_t size, const char *src);

/* Opens the conversation; prints the failure and leaves nothing open when
 * it returns an error. */
int dde_open(dde_session_t *ds, const char *service, const char *topic);

/* Escapes and executes one command.  The transaction's outcome is not
 * examined: the command counts as sent once its data handle existed. */
int dde_send(dde_session_t *ds, const char *command);

/* Releases whatever dde_open created. */
void dde_close(dde_session_t *ds);

#endif
