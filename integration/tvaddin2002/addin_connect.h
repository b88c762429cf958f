#ifndef ADDIN_CONNECT_H
#define ADDIN_CONNECT_H
// CConnect, the add-in object the host creates: its connection and command
// interfaces, and the Edit and Edit All commands.
#include "addin_disp.h"
#include "addin_events.h"
#include "tvaddin2002.h"

#include <string>

class CConnect final : public IDTExtensibility2, public IDTCommandTarget {
public:
    CConnect();
    ~CConnect();
    CConnect(const CConnect &) = delete;
    CConnect &operator=(const CConnect &) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, answered from our type library for IDTExtensibility2.
    STDMETHODIMP GetTypeInfoCount(UINT *count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo **info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR *names, UINT count, LCID lcid,
                               DISPID *ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS *params,
                        VARIANT *result, EXCEPINFO *excep, UINT *arg_err) override;

    // IDTExtensibility2
    STDMETHODIMP OnConnection(IDispatch *application, LONG mode, IDispatch *addin_inst,
                              SAFEARRAY **custom) override;
    STDMETHODIMP OnDisconnection(LONG mode, SAFEARRAY **custom) override;
    STDMETHODIMP OnAddInsUpdate(SAFEARRAY **custom) override;
    STDMETHODIMP OnStartupComplete(SAFEARRAY **custom) override;
    STDMETHODIMP OnBeginShutdown(SAFEARRAY **custom) override;

    // IDTCommandTarget
    STDMETHODIMP QueryStatus(BSTR name, LONG needed, LONG *status, VARIANT *text) override;
    STDMETHODIMP Exec(BSTR name, LONG option, VARIANT *in, VARIANT *out,
                      VARIANT_BOOL *handled) override;

    // The add-in's own operations, after the command target's.
    virtual HRESULT Edit();
    virtual HRESULT EditAll();
    virtual UINT launch_tolva(const std::string &args);

private:
    void connect_output();
    void echo_command(BSTR name);
    HRESULT type_info(ITypeInfo **info);

    LONG cc_refs = 1;
    disp_ref cc_dte;
    disp_ref cc_addin;
    disp_ref cc_event_pane;     // "DTE Event Information", echoes only
    addin_event_set cc_events;
    ITypeInfo *cc_type_info = nullptr;
};

#endif
