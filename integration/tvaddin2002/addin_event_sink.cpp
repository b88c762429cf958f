// The event sink and the echo lines it writes.
#include "addin_event_sink.h"

#include "addin.h"

#include <new>

namespace {

class event_sink final : public IDispatch {
public:
    event_sink(const event_source_t *source, REFIID iid, ITypeInfo *names, IDispatch *dte,
               IDispatch *pane)
        : sk_source(source), sk_iid(iid), sk_names(names)
    {
        addin_object_made();
        if (names)
            names->AddRef();
        // The host object is not held: the sink lives inside the host's
        // own source and must not keep the host alive.
        sk_dte = dte;
        if (pane)
            pane->AddRef();
        sk_pane.attach(pane);
    }
    ~event_sink()
    {
        if (sk_names)
            sk_names->Release();
        addin_object_gone();
    }

    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, sk_iid)) {
            *out = static_cast<IDispatch *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&sk_refs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = InterlockedDecrement(&sk_refs);
        if (n == 0)
            delete this;
        return n;
    }
    STDMETHODIMP GetTypeInfoCount(UINT *count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **info) override
    {
        if (info)
            *info = nullptr;
        return DISP_E_BADINDEX;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override
    {
        return DISP_E_UNKNOWNNAME;  // sources call by DISPID
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *result,
                        EXCEPINFO *, UINT *) override
    {
        if (result)
            VariantInit(result);
        std::wstring name = event_name(id);
        std::vector<VARIANT> args;
        if (params)
            for (UINT i = params->cArgs; i-- > 0;)
                args.push_back(params->rgvarg[i]);  // back into the source's order
        event_echo(sk_source, name, sk_dte, sk_pane.get(), args);
        return S_OK;
    }

private:
    std::wstring event_name(DISPID id) const
    {
        BSTR name = nullptr;
        UINT got = 0;
        std::wstring out;
        if (sk_names && SUCCEEDED(sk_names->GetNames(id, &name, 1, &got)) && got == 1 && name)
            out = name;
        SysFreeString(name);
        if (out.empty())
            out = L"Event" + std::to_wstring((long)id);
        return out;
    }

    LONG sk_refs = 1;
    const event_source_t *sk_source;
    IID sk_iid;
    ITypeInfo *sk_names;
    IDispatch *sk_dte;
    disp_ref sk_pane;
};

// By-reference arguments arrive as pointers to their values.
VARIANT value_of(const VARIANT &v)
{
    if ((v.vt & VT_BYREF) && v.pvarVal) {
        if (v.vt == (VT_BYREF | VT_VARIANT))
            return *v.pvarVal;
        VARIANT out;
        VariantInit(&out);
        out.vt = v.vt & ~VT_BYREF;
        switch (out.vt) {
        case VT_BSTR: out.bstrVal = *v.pbstrVal; break;
        case VT_I4: out.lVal = *v.plVal; break;
        case VT_BOOL: out.boolVal = *v.pboolVal; break;
        case VT_DISPATCH: out.pdispVal = *v.ppdispVal; break;
        default: out.vt = VT_EMPTY; break;
        }
        return out;
    }
    return v;
}

std::string narrow(const std::wstring &w)
{
    std::string out;
    int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    if (n > 0) {
        out.resize(n);
        WideCharToMultiByte(CP_ACP, 0, w.c_str(), (int)w.size(), out.data(), n, nullptr, nullptr);
    }
    return out;
}

std::string text_of(const VARIANT &arg)
{
    VARIANT v = value_of(arg), t;
    VariantInit(&t);
    std::string out;
    if (SUCCEEDED(VariantChangeType(&t, &v, 0, VT_BSTR)) && t.bstrVal)
        out = narrow(t.bstrVal);
    VariantClear(&t);
    return out;
}

long number_of(const VARIANT &arg)
{
    VARIANT v = value_of(arg), t;
    VariantInit(&t);
    long n = 0;
    if (SUCCEEDED(VariantChangeType(&t, &v, 0, VT_I4)))
        n = t.lVal;
    VariantClear(&t);
    return n;
}

IDispatch *object_of(const VARIANT &arg)
{
    VARIANT v = value_of(arg);
    return v.vt == VT_DISPATCH ? v.pdispVal : nullptr;
}

std::string property_of(IDispatch *obj, const wchar_t *name)
{
    std::wstring w;
    return obj && SUCCEEDED(disp_get_str(obj, name, &w)) ? narrow(w) : std::string();
}

void point_of(IDispatch *point, long &line, long &column)
{
    line = column = 0;
    if (point) {
        disp_get_long(point, L"Line", &line);
        disp_get_long(point, L"LineCharOffset", &column);
    }
}

struct name_row_t {
    long nr_value;
    const char *nr_name;
};

constexpr name_row_t kScopes[] = {
    {1, "vsBuildScopeSolution"}, {2, "vsBuildScopeBatch"}, {3, "vsBuildScopeProject"}};
constexpr name_row_t kActions[] = {{1, "vsBuildActionBuild"},
                                   {2, "vsBuildActionRebuildAll"},
                                   {3, "vsBuildActionClean"},
                                   {4, "vsBuildActionDeploy"}};
constexpr name_row_t kHints[] = {
    {0x01, "vsTextChangedMultiLine"},  {0x02, "vsTextChangedSave"},
    {0x04, "vsTextChangedCaretMoved"}, {0x08, "vsTextChangedReplaceAll"},
    {0x10, "vsTextChangedNewline"},    {0x20, "vsTextChangedFindStarting"},
};

template <size_t N>
std::string name_in(const name_row_t (&rows)[N], long value)
{
    for (const name_row_t &r : rows)
        if (r.nr_value == value)
            return r.nr_name;
    return std::to_string(value);
}

const VARIANT *arg_at(const std::vector<VARIANT> &args, int i)
{
    return i >= 0 && (size_t)i < args.size() ? &args[i] : nullptr;
}

std::string command_name(IDispatch *dte, const std::vector<VARIANT> &args)
{
    const VARIANT *guid = arg_at(args, 0), *id = arg_at(args, 1);
    disp_ref commands, cmd;
    if (!guid || !id || disp_get_obj(dte, L"Commands", commands) != S_OK)
        return {};
    VARIANT g = value_of(*guid);
    if (g.vt != VT_BSTR || !g.bstrVal)
        return {};
    if (disp_obj(commands.get(), L"Item", DISP_GET, disp_args().str(g.bstrVal).num(number_of(*id)),
                 cmd) != S_OK)
        return {};
    return property_of(cmd.get(), L"Name");
}

std::string selection_names(IDispatch *dte)
{
    disp_ref items;
    long count = 0;
    std::string out;
    if (disp_get_obj(dte, L"SelectedItems", items) != S_OK ||
        FAILED(disp_get_long(items.get(), L"Count", &count)))
        return out;
    for (long i = 1; i <= count; i++) {
        disp_ref item;
        if (disp_obj(items.get(), L"Item", DISP_GET, disp_args().num(i), item) == S_OK)
            out += (out.empty() ? "" : ", ") + property_of(item.get(), L"Name");
    }
    return out;
}

// The text of one detail line, newline included.
std::string detail_line(const event_detail_t &d, IDispatch *dte, const std::vector<VARIANT> &args)
{
    const VARIANT *a = arg_at(args, d.ed_arg);
    std::string text;
    switch (d.ed_kind) {
    case DK_TEXT: text = a ? text_of(*a) : ""; break;
    case DK_NUMBER: text = std::to_string(a ? number_of(*a) : 0); break;
    case DK_BOOL: return std::string(d.ed_label) + (a && number_of(*a) ? "True\n" : "False\n");
    case DK_NAME: text = a ? property_of(object_of(*a), L"Name") : ""; break;
    case DK_CAPTION: text = a ? property_of(object_of(*a), L"Caption") : ""; break;
    case DK_COMMAND: text = command_name(dte, args); break;
    case DK_SELECTION: text = selection_names(dte); break;
    case DK_SCOPE: return d.ed_label + name_in(kScopes, a ? number_of(*a) : 0) + " \n";
    case DK_ACTION: return d.ed_label + name_in(kActions, a ? number_of(*a) : 0) + " \n";
    case DK_POINT_DOC: {
        disp_ref text_doc, doc;
        if (a && disp_get_obj(object_of(*a), L"Parent", text_doc) == S_OK &&
            disp_get_obj(text_doc.get(), L"Parent", doc) == S_OK)
            text = property_of(doc.get(), L"Name");
        break;
    }
    case DK_LOCATION: {
        long l1, c1, l2, c2;
        const VARIANT *b = arg_at(args, d.ed_arg + 1);
        point_of(a ? object_of(*a) : nullptr, l1, c1);
        point_of(b ? object_of(*b) : nullptr, l2, c2);
        char buf[96];
        snprintf(buf, sizeof buf, "(%ld X %ld , %ld X %ld)", l1, c1, l2, c2);
        text = buf;
        break;
    }
    case DK_HINTS: {
        long bits = a ? number_of(*a) : 0;
        std::string out;
        for (const name_row_t &r : kHints)
            if (bits & r.nr_value)
                out += std::string("\t") + r.nr_name + "\n";
        return out;
    }
    case DK_RECT: {
        long v[4] = {};
        for (int i = 0; i < 4; i++)
            if (const VARIANT *x = arg_at(args, d.ed_arg + i))
                v[i] = number_of(*x);
        char buf[96];
        snprintf(buf, sizeof buf, "%ld, %ld, %ld, %ld", v[0], v[1], v[2], v[3]);
        text = buf;
        break;
    }
    }
    return d.ed_label + text + "\n";
}

// The host names some events without the "On" that our echo carries.
const event_row_t *find_event(const event_source_t *src, const std::wstring &name)
{
    for (int i = 0; i < src->es_count; i++) {
        const std::wstring echo = src->es_events[i].ev_name;
        if (echo == name || echo == L"On" + name)
            return &src->es_events[i];
    }
    return nullptr;
}

} // namespace

IDispatch *event_sink_make(const event_source_t *source, REFIID iid, ITypeInfo *names,
                           IDispatch *dte, IDispatch *pane)
{
    return new (std::nothrow) event_sink(source, iid, names, dte, pane);
}

void event_echo(const event_source_t *source, const std::wstring &event, IDispatch *dte,
                IDispatch *pane, const std::vector<VARIANT> &args)
{
    const event_row_t *row = find_event(source, event);
    std::wstring first = source->es_name;
    first += L"::";
    first += row ? row->ev_name : event.c_str();
    first += L"\n";
    std::string lines = narrow(first);
    if (row)
        for (int i = 0; i < row->ev_count; i++)
            lines += detail_line(row->ev_details[i], dte, args);
    std::wstring wide(lines.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, lines.c_str(), (int)lines.size(), wide.data(),
                                (int)wide.size());
    wide.resize(n > 0 ? n : 0);
    disp_call(pane, L"OutputString", disp_args().str(wide.c_str()));
}
