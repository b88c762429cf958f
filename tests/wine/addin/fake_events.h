#ifndef FAKE_EVENTS_H
#define FAKE_EVENTS_H
// An event source of the host stand-in: an object with one connection
// point for an event interface whose names it describes in type
// information built at run time, and a way to fire its events.
#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>
#include <olectl.h>

#include <string>
#include <vector>

namespace fakehost {

class event_source final : public IDispatch, public IConnectionPointContainer,
                           public IConnectionPoint {
public:
    // Events are numbered from 1 in the order given.
    event_source(const GUID &iid, const std::vector<std::wstring> &events);
    ~event_source();

    bool ready() const { return es_info != nullptr; }
    bool advised() const { return es_sink != nullptr; }
    LONG refs() const { return es_refs; }
    // Calls the joined sink; `args` in the event's documented order.
    HRESULT fire(DISPID id, std::vector<VARIANT> args);

    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++es_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --es_refs; }  // the test owns it

    STDMETHODIMP GetTypeInfoCount(UINT *count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo **info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override;
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                        UINT *) override;

    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints **out) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint **out) override;

    STDMETHODIMP GetConnectionInterface(IID *iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer **out) override;
    STDMETHODIMP Advise(IUnknown *sink, DWORD *cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections **out) override;

private:
    LONG es_refs = 1;
    GUID es_iid;
    ITypeInfo *es_info = nullptr;
    IDispatch *es_sink = nullptr;
};

} // namespace fakehost

#endif
