// DllRegisterServer and DllUnregisterServer: the class script and the type
// library script, both resources of this module, run with the module's
// own path.  The type library's keys are written by our own script rather
// than by RegisterTypeLib, because that would also claim the host's
// interfaces (declared in our library) for our module, and unregistering
// would then delete the host's own interface keys.
#include "addin.h"
#include "addin_registrar.h"
#include "addin_resource.h"
#include "tvaddin2002.h"

#include <string>

namespace {

bool module_path(std::string &path)
{
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(g_addin.ad_module, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf)
        return false;
    path.assign(buf, n);
    return true;
}

bool load_script(int id, std::string &text)
{
    HRSRC res = FindResourceA(g_addin.ad_module, MAKEINTRESOURCEA(id), "REGISTRY");
    HGLOBAL mem = res ? LoadResource(g_addin.ad_module, res) : nullptr;
    const char *data = mem ? static_cast<const char *>(LockResource(mem)) : nullptr;
    if (!data)
        return false;
    text.assign(data, SizeofResource(g_addin.ad_module, res));
    return true;
}

reg_subst_t substitutions(const std::string &path)
{
    std::string dir = path.substr(0, path.find_last_of('\\'));
#ifdef _WIN64
    const char *platform = "win64";
#else
    const char *platform = "win32";
#endif
    return {{"MODULE", path}, {"MODULEDIR", dir}, {"PLATFORM", platform}};
}

using script_op_t = HRESULT (*)(const std::string &, const reg_subst_t &);

HRESULT run_scripts(script_op_t op)
{
    std::string path, connect, typelib;
    if (!module_path(path) || !load_script(IDR_CONNECT_SCRIPT, connect) ||
        !load_script(IDR_TYPELIB_SCRIPT, typelib))
        return E_UNEXPECTED;
    reg_subst_t subst = substitutions(path);
    HRESULT hr = op(connect, subst);
    HRESULT hr_lib = op(typelib, subst);
    return FAILED(hr) ? hr : hr_lib;
}

} // namespace

HRESULT addin_type_info(REFIID iid, ITypeInfo **out)
{
    *out = nullptr;
    std::string path;
    if (!module_path(path))
        return E_UNEXPECTED;
    std::wstring wpath(path.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wpath.data(), (int)wpath.size());
    if (n <= 0)
        return E_UNEXPECTED;
    ITypeLib *lib = nullptr;
    HRESULT hr = LoadTypeLibEx(wpath.c_str(), REGKIND_NONE, &lib);
    if (FAILED(hr))
        return hr;
    hr = lib->GetTypeInfoOfGuid(iid, out);
    lib->Release();
    return hr;
}

HRESULT addin_register()
{
    // Refuse to register a module whose type library cannot be read: the
    // keys would point the host at nothing.
    ITypeInfo *info = nullptr;
    HRESULT hr = addin_type_info(IID_IDTExtensibility2, &info);
    if (FAILED(hr))
        return hr;
    info->Release();
    hr = run_scripts(reg_script_register);
    if (FAILED(hr))
        run_scripts(reg_script_unregister);  // leave no half registration
    return hr;
}

HRESULT addin_unregister()
{
    return run_scripts(reg_script_unregister);
}
