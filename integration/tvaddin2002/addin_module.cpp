// The DLL's entry points: its COM exports, the class factory of Connect and
// the object and lock counts that tell the host when it may unload us.
#include "addin.h"
#include "tvaddin2002.h"

#include <new>

addin_state_t g_addin;

namespace {

class connect_factory final : public IClassFactory {
public:
    connect_factory() { addin_object_made(); }
    ~connect_factory() { addin_object_gone(); }

    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&cf_refs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = InterlockedDecrement(&cf_refs);
        if (n == 0)
            delete this;
        return n;
    }
    STDMETHODIMP CreateInstance(IUnknown *outer, REFIID iid, void **out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return addin_connect_create(iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock)
            InterlockedIncrement(&g_addin.ad_locks);
        else
            InterlockedDecrement(&g_addin.ad_locks);
        return S_OK;
    }

private:
    LONG cf_refs = 1;
};

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_addin.ad_module = inst;
        DisableThreadLibraryCalls(inst);
    } else if (reason == DLL_PROCESS_DETACH) {
        addin_hook_remove();
        addin_log_close();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID *out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_Connect))
        return CLASS_E_CLASSNOTAVAILABLE;
    auto *factory = new (std::nothrow) connect_factory;
    if (!factory)
        return E_OUTOFMEMORY;
    HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
}

STDAPI DllCanUnloadNow()
{
    return g_addin.ad_objects == 0 && g_addin.ad_locks == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer()
{
    return addin_register();
}

STDAPI DllUnregisterServer()
{
    return addin_unregister();
}
