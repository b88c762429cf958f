#ifndef FAKE_HOST_H
#define FAKE_HOST_H
// The host's automation objects as the add-in sees them: IDispatch objects
// that answer every name, record every call in one journal, in order, and
// give the answers a test scripts for them.
#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fakehost {

class host;

// Answers one call: the arguments in the documented order, the result to
// fill.  Returns the HRESULT the caller sees.
using answer_t = std::function<HRESULT(const std::vector<VARIANT> &args, VARIANT *result)>;

class object final : public IDispatch {
public:
    object(host &h, std::string name);
    ~object();

    // Scripted answers, per member name.
    void on(const std::string &member, answer_t answer);
    void returns(const std::string &member, object *value);     // null: no object
    void returns(const std::string &member, long value);
    void returns(const std::string &member, const std::wstring &value);
    void fails(const std::string &member, HRESULT hr);

    const std::string &name() const { return o_name; }
    LONG refs() const { return o_refs; }

    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT *count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo **info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID, DISPID *ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *params, VARIANT *result,
                        EXCEPINFO *, UINT *) override;

private:
    host &o_host;
    std::string o_name;
    LONG o_refs = 1;    // the host's own reference
    std::map<std::string, answer_t> o_answers;
};

// Owns the objects (one reference each) and the journal.
class host {
public:
    host() = default;
    ~host();
    host(const host &) = delete;
    host &operator=(const host &) = delete;

    object *make(const std::string &name);
    std::vector<std::string> &journal() { return h_journal; }
    // Journal lines that begin with `prefix`.
    std::vector<std::string> calls_to(const std::string &prefix) const;
    // Objects that someone other than the host still holds, as
    // "name (refs)".
    std::vector<std::string> held() const;
    // DISPID of a name, the same for every object.
    DISPID id_of(const std::string &name);
    const std::string &name_of(DISPID id) const { return h_names.at(id); }

private:
    std::vector<object *> h_objects;
    std::vector<std::string> h_journal;
    std::map<std::string, DISPID> h_ids;
    std::map<DISPID, std::string> h_names;
};

// Text of an argument as the journal writes it: "text" in quotes, numbers,
// true/false, an object's name, null, or - for a left-out argument.
std::string arg_text(const VARIANT &v);

std::string narrow(const wchar_t *w);
std::wstring widen(const std::string &s);

} // namespace fakehost

#endif
