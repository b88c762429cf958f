#ifndef ADDIN_DISP_H
#define ADDIN_DISP_H
// Late binding to the host's automation objects: every property and method
// is looked up by name (GetIDsOfNames) and called through Invoke, so the
// add-in needs none of the host's headers or type libraries.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

// Owns one reference to a host object.
class disp_ref {
public:
    disp_ref() = default;
    explicit disp_ref(IDispatch *p) : dr_p(p) {}
    ~disp_ref() { reset(); }
    disp_ref(const disp_ref &) = delete;
    disp_ref &operator=(const disp_ref &) = delete;
    disp_ref(disp_ref &&o) noexcept : dr_p(o.dr_p) { o.dr_p = nullptr; }
    disp_ref &operator=(disp_ref &&o) noexcept
    {
        if (this != &o) {
            reset();
            dr_p = o.dr_p;
            o.dr_p = nullptr;
        }
        return *this;
    }
    IDispatch *get() const { return dr_p; }
    explicit operator bool() const { return dr_p != nullptr; }
    void reset()
    {
        if (dr_p) {
            dr_p->Release();
            dr_p = nullptr;
        }
    }
    // Takes over a reference the caller already holds.
    void attach(IDispatch *p)
    {
        reset();
        dr_p = p;
    }

private:
    IDispatch *dr_p = nullptr;
};

// Positional arguments of one call, in the order the host documents them.
class disp_args {
public:
    disp_args() = default;
    ~disp_args();
    disp_args(const disp_args &) = delete;
    disp_args &operator=(const disp_args &) = delete;

    disp_args &str(const wchar_t *text);
    disp_args &num(long n);
    disp_args &flag(bool b);
    disp_args &obj(IDispatch *p);     // null passes a null object
    disp_args &none();                // an optional argument left out

    const std::vector<VARIANT> &list() const { return da_list; }

private:
    std::vector<VARIANT> da_list;
};

constexpr WORD DISP_GET = DISPATCH_PROPERTYGET | DISPATCH_METHOD;
constexpr WORD DISP_CALL = DISPATCH_METHOD;

// Calls member `name`; `result` (may be null) receives the answer.
HRESULT disp_invoke(IDispatch *obj, const wchar_t *name, WORD flags, const disp_args &args,
                    VARIANT *result);

// Sets property `name` to the one argument in `value`.
HRESULT disp_put(IDispatch *obj, const wchar_t *name, const disp_args &value);

// A member whose answer is an object.  S_FALSE with `out` empty when the
// host answers with no object (a null or empty result).
HRESULT disp_obj(IDispatch *obj, const wchar_t *name, WORD flags, const disp_args &args,
                 disp_ref &out);
inline HRESULT disp_get_obj(IDispatch *obj, const wchar_t *name, disp_ref &out)
{
    return disp_obj(obj, name, DISP_GET, disp_args(), out);
}

// Properties read as a number or a string.
HRESULT disp_get_long(IDispatch *obj, const wchar_t *name, long *out);
HRESULT disp_get_str(IDispatch *obj, const wchar_t *name, std::wstring *out);

// A method called for its effect only.
inline HRESULT disp_call(IDispatch *obj, const wchar_t *name, const disp_args &args)
{
    return disp_invoke(obj, name, DISP_CALL, args, nullptr);
}

#endif
