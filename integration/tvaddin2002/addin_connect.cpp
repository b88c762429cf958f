// The Connect object: creation, interfaces, and the host's calls that set
// the add-in up and take it down.
#include "addin_connect.h"

#include "addin.h"
#include "addin_toolbar.h"

#include <new>

namespace {

// Window kind of the Output window.
constexpr const wchar_t *kOutputWindowKind = L"{34E76E81-EE4A-11D0-AE2E-00A0C90FFFC3}";
constexpr const wchar_t *kEventPane = L"DTE Event Information";
constexpr LONG kConnectUiSetup = 5;

} // namespace

HRESULT addin_connect_create(REFIID iid, void **out)
{
    auto *c = new (std::nothrow) CConnect;
    if (!c)
        return E_OUTOFMEMORY;
    HRESULT hr = c->QueryInterface(iid, out);
    c->Release();
    return hr;
}

CConnect::CConnect()
{
    addin_object_made();
    // The size asked for counts the terminator, so an empty value still
    // counts as set.
    g_addin.ad_echo = GetEnvironmentVariableA("TVADDIN_DEBUG", nullptr, 0) > 0;
}

CConnect::~CConnect()
{
    cc_events.disconnect();
    if (cc_type_info)
        cc_type_info->Release();
    addin_object_gone();
}

STDMETHODIMP CConnect::QueryInterface(REFIID iid, void **out)
{
    if (!out)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_IDTExtensibility2))
        *out = static_cast<IDTExtensibility2 *>(this);
    else if (IsEqualIID(iid, IID_IDTCommandTarget))
        *out = static_cast<IDTCommandTarget *>(this);
    else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CConnect::AddRef()
{
    return InterlockedIncrement(&cc_refs);
}

STDMETHODIMP_(ULONG) CConnect::Release()
{
    LONG n = InterlockedDecrement(&cc_refs);
    if (n == 0)
        delete this;
    return n;
}

HRESULT CConnect::type_info(ITypeInfo **info)
{
    if (!cc_type_info) {
        HRESULT hr = addin_type_info(IID_IDTExtensibility2, &cc_type_info);
        if (FAILED(hr))
            return hr;
    }
    *info = cc_type_info;
    return S_OK;
}

STDMETHODIMP CConnect::GetTypeInfoCount(UINT *count)
{
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP CConnect::GetTypeInfo(UINT index, LCID, ITypeInfo **info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    HRESULT hr = type_info(info);
    if (SUCCEEDED(hr))
        (*info)->AddRef();
    return hr;
}

STDMETHODIMP CConnect::GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID, DISPID *ids)
{
    ITypeInfo *info = nullptr;
    HRESULT hr = type_info(&info);
    return FAILED(hr) ? hr : DispGetIDsOfNames(info, names, count, ids);
}

STDMETHODIMP CConnect::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *params,
                              VARIANT *result, EXCEPINFO *excep, UINT *arg_err)
{
    ITypeInfo *info = nullptr;
    HRESULT hr = type_info(&info);
    if (FAILED(hr))
        return hr;
    return DispInvoke(static_cast<IDTExtensibility2 *>(this), info, id, flags, params, result,
                      excep, arg_err);
}

// Step 3 of the connection: the Output window's panes and, when echoes are
// asked for, the event pane and the event sources.  A failure here only
// ends this step.
void CConnect::connect_output()
{
    disp_ref events, windows, window, output, panes;
    if (disp_get_obj(cc_dte.get(), L"Events", events) != S_OK ||
        disp_get_obj(cc_dte.get(), L"Windows", windows) != S_OK ||
        disp_obj(windows.get(), L"Item", DISP_GET, disp_args().str(kOutputWindowKind), window) !=
            S_OK ||
        disp_get_obj(window.get(), L"Object", output) != S_OK ||
        disp_get_obj(output.get(), L"OutputWindowPanes", panes) != S_OK)
        return;
    if (!g_addin.ad_echo)
        return;
    if (disp_obj(panes.get(), L"Add", DISP_CALL, disp_args().str(kEventPane), cc_event_pane) !=
        S_OK)
        return;
    cc_events.connect(cc_dte.get(), events.get(), cc_event_pane.get());
}

STDMETHODIMP CConnect::OnConnection(IDispatch *application, LONG mode, IDispatch *addin_inst,
                                    SAFEARRAY **)
{
    const addin_settings_t &s = g_addin.ad_settings;
    addin_read_settings();
    if (s.as_addin_debug)
        addin_log_open();
    addin_log("tvaddin2002.dll version %d.%d\n", 1, 0);
    addin_log("Registry options:\n");
    addin_log("  ADDIN_debug:    %08x\n", (unsigned)s.as_addin_debug);
    addin_log("  Tolva_save_all: %08x\n", (unsigned)s.as_tolva_save_all);
    addin_log("  IDE_save_all:   %08x\n", (unsigned)s.as_ide_save_all);
    addin_log("  SETUP_toolbar:  %08x\n", (unsigned)s.as_setup_toolbar);
    addin_log("In CConnect::OnConnection\n");
    addin_log("ConnectMode=%d\n", (int)mode);

    if (!application || !addin_inst)
        return E_POINTER;
    IDispatch *p = nullptr;
    HRESULT hr = application->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&p));
    if (FAILED(hr))
        return hr;
    cc_dte.attach(p);
    hr = addin_inst->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&p));
    if (FAILED(hr)) {
        cc_dte.reset();
        return hr;
    }
    cc_addin.attach(p);

    connect_output();

    if (s.as_setup_toolbar)
        hr = toolbar_remove(cc_dte.get());
    if (s.as_setup_toolbar || mode == kConnectUiSetup) {
        hr = toolbar_add(cc_dte.get(), cc_addin.get());
        addin_log("AddCommandsAndCommandBars returns %d\n", (int)hr);
        if (FAILED(hr)) {
            toolbar_remove(cc_dte.get());
            cc_events.disconnect();
            cc_event_pane.reset();
            cc_addin.reset();
            cc_dte.reset();
            return hr;
        }
        LONG ret = addin_write_setting("TvIDE", "RESET_toolbar", 0);
        hr = ret == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(ret);
    }

    toolbar_show(cc_dte.get());
    addin_hook_install();
    return hr;
}

STDMETHODIMP CConnect::OnDisconnection(LONG, SAFEARRAY **)
{
    addin_log("CConnect::OnDisconnection called - terminating\n\n");
    addin_log_close();
    addin_hook_remove();
    cc_events.disconnect();
    cc_event_pane.reset();
    cc_addin.reset();
    cc_dte.reset();
    return S_OK;
}

STDMETHODIMP CConnect::OnAddInsUpdate(SAFEARRAY **)
{
    return S_OK;
}

STDMETHODIMP CConnect::OnStartupComplete(SAFEARRAY **)
{
    return S_OK;
}

STDMETHODIMP CConnect::OnBeginShutdown(SAFEARRAY **)
{
    return S_OK;
}

STDMETHODIMP CConnect::QueryStatus(BSTR, LONG needed, LONG *status, VARIANT *)
{
    constexpr LONG kNeededNone = 0;
    constexpr LONG kSupportedEnabled = 3;
    if (needed == kNeededNone && status)
        *status = kSupportedEnabled;
    return S_OK;
}

// Writes the executed command's name into the Output pane "General".
void CConnect::echo_command(BSTR name)
{
    disp_ref windows, window, output, panes, pane;
    if (disp_get_obj(cc_dte.get(), L"Windows", windows) != S_OK ||
        disp_obj(windows.get(), L"Item", DISP_GET, disp_args().str(kOutputWindowKind), window) !=
            S_OK ||
        disp_get_obj(window.get(), L"Object", output) != S_OK ||
        disp_get_obj(output.get(), L"OutputWindowPanes", panes) != S_OK)
        return;
    if (disp_obj(panes.get(), L"Item", DISP_GET, disp_args().str(L"General"), pane) != S_OK &&
        disp_obj(panes.get(), L"Add", DISP_CALL, disp_args().str(L"General"), pane) != S_OK)
        return;
    std::wstring line(name ? name : L"");
    line += L"\n";
    disp_call(pane.get(), L"OutputString", disp_args().str(line.c_str()));
}

STDMETHODIMP CConnect::Exec(BSTR name, LONG option, VARIANT *, VARIANT *, VARIANT_BOOL *handled)
{
    constexpr LONG kExecDoDefault = 0;
    if (handled)
        *handled = VARIANT_FALSE;
    if (option != kExecDoDefault)
        return S_OK;
    addin_read_settings();
    if (g_addin.ad_settings.as_addin_debug)
        echo_command(name);
    const wchar_t *n = name ? name : L"";
    bool done = false;
    if (_wcsicmp(n, L"Tvaddin2002.Connect.Edit") == 0) {
        Edit();
        done = true;
    } else if (_wcsicmp(n, L"Tvaddin2002.Connect.EditAll") == 0) {
        EditAll();
        done = true;
    }
    if (done && handled)
        *handled = VARIANT_TRUE;
    return S_OK;
}
