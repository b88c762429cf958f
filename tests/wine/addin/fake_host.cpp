// The recording automation objects of the host stand-in.
#include "fake_host.h"

namespace fakehost {

std::string narrow(const wchar_t *w)
{
    std::string out;
    if (!w)
        return out;
    int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (n > 1) {
        out.resize(n - 1);
        WideCharToMultiByte(CP_UTF8, 0, w, -1, out.data(), n, nullptr, nullptr);
    }
    return out;
}

std::wstring widen(const std::string &s)
{
    std::wstring out;
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
    if (n > 1) {
        out.resize(n - 1);
        MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, out.data(), n);
    }
    return out;
}

std::string arg_text(const VARIANT &v)
{
    switch (v.vt) {
    case VT_BSTR: return "\"" + narrow(v.bstrVal) + "\"";
    case VT_I4: return std::to_string(v.lVal);
    case VT_I2: return std::to_string(v.iVal);
    case VT_BOOL: return v.boolVal ? "true" : "false";
    case VT_DISPATCH: {
        if (!v.pdispVal)
            return "null";
        // Only our own objects reach the journal by name.
        object *o = static_cast<object *>(v.pdispVal);
        return o->name();
    }
    case VT_ERROR: return v.scode == DISP_E_PARAMNOTFOUND ? "-" : "error";
    case VT_EMPTY: return "empty";
    default: return "vt" + std::to_string(v.vt);
    }
}

object::object(host &h, std::string name) : o_host(h), o_name(std::move(name)) {}

object::~object() = default;

void object::on(const std::string &member, answer_t answer)
{
    o_answers[member] = std::move(answer);
}

void object::returns(const std::string &member, object *value)
{
    on(member, [value](const std::vector<VARIANT> &, VARIANT *r) {
        if (r) {
            r->vt = VT_DISPATCH;
            r->pdispVal = value;
            if (value)
                value->AddRef();
        }
        return S_OK;
    });
}

void object::returns(const std::string &member, long value)
{
    on(member, [value](const std::vector<VARIANT> &, VARIANT *r) {
        if (r) {
            r->vt = VT_I4;
            r->lVal = value;
        }
        return S_OK;
    });
}

void object::returns(const std::string &member, const std::wstring &value)
{
    on(member, [value](const std::vector<VARIANT> &, VARIANT *r) {
        if (r) {
            r->vt = VT_BSTR;
            r->bstrVal = SysAllocString(value.c_str());
        }
        return S_OK;
    });
}

void object::fails(const std::string &member, HRESULT hr)
{
    on(member, [hr](const std::vector<VARIANT> &, VARIANT *) { return hr; });
}

STDMETHODIMP object::QueryInterface(REFIID iid, void **out)
{
    if (!out)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
        *out = static_cast<IDispatch *>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) object::AddRef()
{
    return ++o_refs;
}

// The host deletes its objects; a count that falls to 0 means the add-in
// released more than it held, which the tests see in held().
STDMETHODIMP_(ULONG) object::Release()
{
    return --o_refs;
}

STDMETHODIMP object::GetTypeInfoCount(UINT *count)
{
    *count = 0;
    return S_OK;
}

STDMETHODIMP object::GetTypeInfo(UINT, LCID, ITypeInfo **info)
{
    *info = nullptr;
    return DISP_E_BADINDEX;
}

STDMETHODIMP object::GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID, DISPID *ids)
{
    for (UINT i = 0; i < count; i++)
        ids[i] = o_host.id_of(narrow(names[i]));
    return S_OK;
}

STDMETHODIMP object::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *params,
                            VARIANT *result, EXCEPINFO *, UINT *)
{
    const std::string &member = o_host.name_of(id);
    std::vector<VARIANT> args;
    UINT named = params ? params->cNamedArgs : 0;
    if (params)
        for (UINT i = params->cArgs; i-- > named;)
            args.push_back(params->rgvarg[i]);
    std::string line = o_name + "." + member;
    if (flags & DISPATCH_PROPERTYPUT) {
        line += " = " + (params && params->cArgs ? arg_text(params->rgvarg[0]) : "?");
        args.assign(params && params->cArgs ? 1 : 0, params && params->cArgs ? params->rgvarg[0] : VARIANT{});
    } else if (!args.empty() || !(flags & DISPATCH_PROPERTYGET)) {
        line += "(";
        for (size_t i = 0; i < args.size(); i++)
            line += (i ? ", " : "") + arg_text(args[i]);
        line += ")";
    }
    o_host.journal().push_back(line);
    if (result)
        VariantInit(result);
    auto it = o_answers.find(member);
    if (it == o_answers.end())
        return DISP_E_MEMBERNOTFOUND;
    return it->second(args, result);
}

host::~host()
{
    for (object *o : h_objects)
        delete o;
}

object *host::make(const std::string &name)
{
    h_objects.push_back(new object(*this, name));
    return h_objects.back();
}

std::vector<std::string> host::calls_to(const std::string &prefix) const
{
    std::vector<std::string> out;
    for (const std::string &line : h_journal)
        if (line.compare(0, prefix.size(), prefix) == 0)
            out.push_back(line);
    return out;
}

std::vector<std::string> host::held() const
{
    std::vector<std::string> out;
    for (const object *o : h_objects)
        if (o->refs() != 1)
            out.push_back(o->name() + " (" + std::to_string(o->refs()) + ")");
    return out;
}

DISPID host::id_of(const std::string &name)
{
    auto it = h_ids.find(name);
    if (it != h_ids.end())
        return it->second;
    DISPID id = (DISPID)h_ids.size() + 1;
    h_ids[name] = id;
    h_names[id] = name;
    return id;
}

} // namespace fakehost
