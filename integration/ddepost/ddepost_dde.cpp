// The DDE side of ddepost: a client-only instance, one conversation, and
// one synchronous execute transaction per command.
#include "ddepost.h"

#include <stdio.h>
#include <string.h>

namespace {

constexpr DWORD kExecuteTimeoutMs = 1000;

} // namespace

int dde_escape(char *dst, size_t size, const char *src)
{
    if (size == 0)
        return DDE_ERR_TOO_LONG;
    size_t n = 0;
    for (const char *p = src; *p; p++) {
        size_t need = *p == '\\' ? 2 : 1;
        // Stop before a character that would not fit whole: half of a
        // doubled backslash would change the meaning of the rest.
        if (n + need > size - 1) {
            dst[n] = '\0';
            return DDE_ERR_TOO_LONG;
        }
        dst[n++] = *p;
        if (need == 2)
            dst[n++] = '\\';
    }
    dst[n] = '\0';
    return (int)n;
}

int dde_open(dde_session_t *ds, const char *service, const char *topic)
{
    memset(ds, 0, sizeof *ds);
    if (DdeInitializeA(&ds->ds_inst, nullptr, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
        printf("DdeInitialize failed.\n");
        ds->ds_inst = 0;
        return DDE_ERR_INIT;
    }
    ds->ds_service = DdeCreateStringHandleA(ds->ds_inst, service, CP_WINANSI);
    ds->ds_topic = DdeCreateStringHandleA(ds->ds_inst, topic, CP_WINANSI);
    if (!ds->ds_service || !ds->ds_topic) {
        printf("Failed to convert service/topic to a string handle\n");
        dde_close(ds);
        return DDE_ERR_HSZ;
    }
    ds->ds_conv = DdeConnect(ds->ds_inst, ds->ds_service, ds->ds_topic, nullptr);
    if (!ds->ds_conv) {
        printf("DdeConnect failed: service may not be running?\n");
        dde_close(ds);
        return DDE_ERR_CONNECT;
    }
    return DDE_OK;
}

int dde_send(dde_session_t *ds, const char *command)
{
    char escaped[DDEPOST_CMD_SIZE];
    int len = dde_escape(escaped, sizeof escaped, command);
    if (len < 0) {
        // Sending the part that fitted would name a different file.
        printf("Command too long (more than %d bytes with backslashes doubled), not sent: %s\n",
               DDEPOST_CMD_SIZE - 1, command);
        return DDE_ERR_TOO_LONG;
    }
    HDDEDATA data = DdeCreateDataHandle(ds->ds_inst, reinterpret_cast<LPBYTE>(escaped),
                                        (DWORD)len + 1, 0, nullptr, CF_TEXT, 0);
    if (!data) {
        printf("DdeCreateDataHandle failed\n");
        return DDE_ERR_DATA;
    }
    // Without HDATA_APPOWNED the transaction takes the handle over.  Its
    // result is not looked at: the editor does not answer in a useful way.
    DdeClientTransaction(reinterpret_cast<LPBYTE>(data), (DWORD)-1, ds->ds_conv, nullptr, 0,
                         XTYP_EXECUTE, kExecuteTimeoutMs, nullptr);
    return DDE_OK;
}

void dde_close(dde_session_t *ds)
{
    if (ds->ds_conv)
        DdeDisconnect(ds->ds_conv);
    if (ds->ds_service)
        DdeFreeStringHandle(ds->ds_inst, ds->ds_service);
    if (ds->ds_topic)
        DdeFreeStringHandle(ds->ds_inst, ds->ds_topic);
    if (ds->ds_inst)
        DdeUninitialize(ds->ds_inst);
    memset(ds, 0, sizeof *ds);
}
