// Joining the host's event sources: each source object has one connection
// point, whose interface our sink then answers for.
#include "addin_events.h"

#include "addin.h"
#include "addin_event_sink.h"

namespace {

HRESULT source_object(IDispatch *events, const event_source_t &src, disp_ref &out)
{
    disp_args args;
    switch (src.es_filter) {
    case SF_NONE:
        break;
    case SF_EMPTY_TEXT:
        args.str(L"");
        break;
    case SF_ALL_COMMANDS:
        args.str(L"{00000000-0000-0000-0000-000000000000}").num(0);
        break;
    case SF_NO_OBJECT:
        args.obj(nullptr);
        break;
    }
    return disp_obj(events, src.es_name, DISP_GET, args, out);
}

// The first connection point of a source object.
HRESULT first_point(IDispatch *source, IConnectionPoint **point)
{
    *point = nullptr;
    IConnectionPointContainer *cpc = nullptr;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer,
                                        reinterpret_cast<void **>(&cpc));
    if (FAILED(hr))
        return hr;
    IEnumConnectionPoints *points = nullptr;
    hr = cpc->EnumConnectionPoints(&points);
    cpc->Release();
    if (FAILED(hr))
        return hr;
    ULONG got = 0;
    hr = points->Next(1, point, &got);
    points->Release();
    return hr == S_OK && got == 1 ? S_OK : E_FAIL;
}

// The source's type information for event names, found through the type
// library of the source object's own IDispatch type information.
ITypeInfo *event_names(IDispatch *source, REFIID iid)
{
    ITypeInfo *own = nullptr, *names = nullptr;
    ITypeLib *lib = nullptr;
    UINT index = 0;
    if (SUCCEEDED(source->GetTypeInfo(0, LOCALE_USER_DEFAULT, &own)) && own &&
        SUCCEEDED(own->GetContainingTypeLib(&lib, &index)) && lib)
        lib->GetTypeInfoOfGuid(iid, &names);
    if (lib)
        lib->Release();
    if (own)
        own->Release();
    return names;
}

} // namespace

int addin_event_set::connect(IDispatch *dte, IDispatch *events, IDispatch *pane)
{
    disconnect();
    for (int i = 0; i < g_event_source_count; i++) {
        const event_source_t &src = g_event_sources[i];
        disp_ref source;
        IConnectionPoint *point = nullptr;
        IID iid{};
        if (source_object(events, src, source) != S_OK ||
            FAILED(first_point(source.get(), &point)))
            continue;
        if (FAILED(point->GetConnectionInterface(&iid))) {
            point->Release();
            continue;
        }
        ITypeInfo *names = event_names(source.get(), iid);
        IDispatch *sink = event_sink_make(&src, iid, names, dte, pane);
        if (names)
            names->Release();
        DWORD cookie = 0;
        HRESULT hr = sink ? point->Advise(sink, &cookie) : E_OUTOFMEMORY;
        if (sink)
            sink->Release();  // the source holds it while joined
        if (FAILED(hr)) {
            addin_log("Cannot join %ls, hr=%08lx\n", src.es_name, (unsigned long)hr);
            point->Release();
            continue;
        }
        es_joined.push_back({point, cookie});
    }
    return (int)es_joined.size();
}

void addin_event_set::disconnect()
{
    for (joined_t &j : es_joined) {
        j.jn_point->Unadvise(j.jn_cookie);
        j.jn_point->Release();
    }
    es_joined.clear();
}
