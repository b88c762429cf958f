// The host stand-in's event sources.
#include "fake_events.h"

namespace fakehost {

namespace {

// Enumerates the one connection point of a source.
class one_point_enum final : public IEnumConnectionPoints {
public:
    explicit one_point_enum(IConnectionPoint *p) : pe_point(p) { p->AddRef(); }
    ~one_point_enum() { pe_point->Release(); }
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumConnectionPoints)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++pe_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = --pe_refs;
        if (n == 0)
            delete this;
        return n;
    }
    STDMETHODIMP Next(ULONG n, IConnectionPoint **out, ULONG *got) override
    {
        ULONG given = 0;
        if (n > 0 && !pe_done) {
            out[0] = pe_point;
            pe_point->AddRef();
            pe_done = true;
            given = 1;
        }
        if (got)
            *got = given;
        return given == n ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG) override { return S_FALSE; }
    STDMETHODIMP Reset() override
    {
        pe_done = false;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumConnectionPoints **) override { return E_NOTIMPL; }

private:
    LONG pe_refs = 1;
    IConnectionPoint *pe_point;
    bool pe_done = false;
};

// Type information of a dispatch interface holding only the event names,
// in an in-memory type library (the add-in finds it through the library).
ITypeInfo *make_info(const GUID &iid, const std::vector<std::wstring> &events)
{
    wchar_t dir[MAX_PATH], file[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"tlb", 0, file);
    ICreateTypeLib2 *lib = nullptr;
    if (FAILED(CreateTypeLib2(SYS_WIN64, file, &lib)))
        return nullptr;
    GUID lib_id = iid;
    lib_id.Data1 ^= 0x5a5a5a5a;
    lib->SetGuid(lib_id);
    ICreateTypeInfo *cti = nullptr;
    ITypeInfo *info = nullptr;
    if (SUCCEEDED(lib->CreateTypeInfo(const_cast<LPOLESTR>(L"_dispEvents"), TKIND_DISPATCH, &cti))) {
        cti->SetGuid(iid);
        for (size_t i = 0; i < events.size(); i++) {
            FUNCDESC fd{};
            fd.memid = (MEMBERID)(i + 1);
            fd.funckind = FUNC_DISPATCH;
            fd.invkind = INVOKE_FUNC;
            fd.callconv = CC_STDCALL;
            fd.elemdescFunc.tdesc.vt = VT_VOID;
            cti->AddFuncDesc((UINT)i, &fd);
            LPOLESTR name = const_cast<LPOLESTR>(events[i].c_str());
            cti->SetFuncAndParamNames((UINT)i, &name, 1);
        }
        cti->QueryInterface(IID_ITypeInfo, reinterpret_cast<void **>(&info));
        cti->Release();
    }
    lib->Release();
    DeleteFileW(file);
    return info;
}

} // namespace

event_source::event_source(const GUID &iid, const std::vector<std::wstring> &events) : es_iid(iid)
{
    es_info = make_info(iid, events);
}

event_source::~event_source()
{
    if (es_sink)
        es_sink->Release();
    if (es_info)
        es_info->Release();
}

HRESULT event_source::fire(DISPID id, std::vector<VARIANT> args)
{
    if (!es_sink)
        return E_FAIL;
    std::vector<VARIANT> rev(args.rbegin(), args.rend());
    DISPPARAMS p{rev.empty() ? nullptr : rev.data(), nullptr, (UINT)rev.size(), 0};
    return es_sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &p, nullptr, nullptr, nullptr);
}

STDMETHODIMP event_source::QueryInterface(REFIID iid, void **out)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch))
        *out = static_cast<IDispatch *>(this);
    else if (IsEqualIID(iid, IID_IConnectionPointContainer))
        *out = static_cast<IConnectionPointContainer *>(this);
    else if (IsEqualIID(iid, IID_IConnectionPoint))
        *out = static_cast<IConnectionPoint *>(this);
    else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP event_source::GetTypeInfoCount(UINT *count)
{
    *count = 1;
    return S_OK;
}

STDMETHODIMP event_source::GetTypeInfo(UINT index, LCID, ITypeInfo **info)
{
    *info = index == 0 ? es_info : nullptr;
    if (!*info)
        return DISP_E_BADINDEX;
    es_info->AddRef();
    return S_OK;
}

STDMETHODIMP event_source::GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *)
{
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP event_source::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *,
                                  EXCEPINFO *, UINT *)
{
    return DISP_E_MEMBERNOTFOUND;
}

STDMETHODIMP event_source::EnumConnectionPoints(IEnumConnectionPoints **out)
{
    *out = new one_point_enum(static_cast<IConnectionPoint *>(this));
    return S_OK;
}

STDMETHODIMP event_source::FindConnectionPoint(REFIID iid, IConnectionPoint **out)
{
    *out = nullptr;
    if (!IsEqualIID(iid, es_iid))
        return CONNECT_E_NOCONNECTION;
    *out = this;
    AddRef();
    return S_OK;
}

STDMETHODIMP event_source::GetConnectionInterface(IID *iid)
{
    *iid = es_iid;
    return S_OK;
}

STDMETHODIMP event_source::GetConnectionPointContainer(IConnectionPointContainer **out)
{
    *out = this;
    AddRef();
    return S_OK;
}

STDMETHODIMP event_source::Advise(IUnknown *sink, DWORD *cookie)
{
    if (es_sink)
        return CONNECT_E_ADVISELIMIT;
    IDispatch *d = nullptr;
    HRESULT hr = sink->QueryInterface(es_iid, reinterpret_cast<void **>(&d));
    if (FAILED(hr))
        return hr;
    es_sink = d;
    *cookie = 1;
    return S_OK;
}

STDMETHODIMP event_source::Unadvise(DWORD cookie)
{
    if (cookie != 1 || !es_sink)
        return CONNECT_E_NOCONNECTION;
    es_sink->Release();
    es_sink = nullptr;
    return S_OK;
}

STDMETHODIMP event_source::EnumConnections(IEnumConnections **out)
{
    *out = nullptr;
    return E_NOTIMPL;
}

} // namespace fakehost
