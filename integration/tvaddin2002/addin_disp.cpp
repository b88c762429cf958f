// Calls into the host's automation objects by name.
#include "addin_disp.h"

#include <algorithm>

disp_args::~disp_args()
{
    for (VARIANT &v : da_list)
        VariantClear(&v);
}

disp_args &disp_args::str(const wchar_t *text)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
    da_list.push_back(v);
    return *this;
}

disp_args &disp_args::num(long n)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = n;
    da_list.push_back(v);
    return *this;
}

disp_args &disp_args::flag(bool b)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    da_list.push_back(v);
    return *this;
}

disp_args &disp_args::obj(IDispatch *p)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = p;
    if (p)
        p->AddRef();
    da_list.push_back(v);
    return *this;
}

disp_args &disp_args::none()
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    da_list.push_back(v);
    return *this;
}

namespace {

HRESULT invoke(IDispatch *obj, const wchar_t *name, WORD flags, const disp_args &args,
               VARIANT *result)
{
    if (!obj)
        return E_POINTER;
    DISPID id = 0;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = obj->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return hr;
    // Invoke takes the arguments last first.
    std::vector<VARIANT> rev(args.list().rbegin(), args.list().rend());
    DISPID put_id = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = rev.empty() ? nullptr : rev.data();
    params.cArgs = (UINT)rev.size();
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put_id;
        params.cNamedArgs = 1;
    }
    EXCEPINFO ei{};
    UINT arg_err = 0;
    if (result)
        VariantInit(result);
    hr = obj->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &ei, &arg_err);
    if (hr == DISP_E_EXCEPTION && FAILED(ei.scode))
        hr = ei.scode;
    SysFreeString(ei.bstrSource);
    SysFreeString(ei.bstrDescription);
    SysFreeString(ei.bstrHelpFile);
    return hr;
}

} // namespace

HRESULT disp_invoke(IDispatch *obj, const wchar_t *name, WORD flags, const disp_args &args,
                    VARIANT *result)
{
    if (result)
        return invoke(obj, name, flags, args, result);
    VARIANT ignored;
    HRESULT hr = invoke(obj, name, flags, args, &ignored);
    VariantClear(&ignored);
    return hr;
}

HRESULT disp_put(IDispatch *obj, const wchar_t *name, const disp_args &value)
{
    return invoke(obj, name, DISPATCH_PROPERTYPUT, value, nullptr);
}

HRESULT disp_obj(IDispatch *obj, const wchar_t *name, WORD flags, const disp_args &args,
                 disp_ref &out)
{
    out.reset();
    VARIANT v;
    HRESULT hr = invoke(obj, name, flags, args, &v);
    if (FAILED(hr))
        return hr;
    if (v.vt == VT_DISPATCH) {
        out.attach(v.pdispVal);  // the reference moves to `out`
        return out ? S_OK : S_FALSE;
    }
    if (v.vt == VT_UNKNOWN && v.punkVal) {
        IDispatch *d = nullptr;
        hr = v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&d));
        VariantClear(&v);
        if (FAILED(hr))
            return hr;
        out.attach(d);
        return S_OK;
    }
    bool empty = v.vt == VT_EMPTY || v.vt == VT_NULL || v.vt == VT_UNKNOWN;
    VariantClear(&v);
    return empty ? S_FALSE : DISP_E_TYPEMISMATCH;
}

HRESULT disp_get_long(IDispatch *obj, const wchar_t *name, long *out)
{
    VARIANT v;
    HRESULT hr = invoke(obj, name, DISP_GET, disp_args(), &v);
    if (FAILED(hr))
        return hr;
    hr = VariantChangeType(&v, &v, 0, VT_I4);
    if (SUCCEEDED(hr))
        *out = v.lVal;
    VariantClear(&v);
    return hr;
}

HRESULT disp_get_str(IDispatch *obj, const wchar_t *name, std::wstring *out)
{
    VARIANT v;
    HRESULT hr = invoke(obj, name, DISP_GET, disp_args(), &v);
    if (FAILED(hr))
        return hr;
    hr = VariantChangeType(&v, &v, 0, VT_BSTR);
    if (SUCCEEDED(hr))
        out->assign(v.bstrVal ? v.bstrVal : L"", v.bstrVal ? SysStringLen(v.bstrVal) : 0);
    VariantClear(&v);
    return hr;
}
