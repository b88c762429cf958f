// The registration-script reader and the two walks over its key tree.
#include "addin_registrar.h"

#include <string.h>

namespace {

struct reg_value_t {
    std::string rv_name;        // empty: the key's default value
    bool rv_dword = false;
    std::string rv_text;
};

struct reg_key_t {
    std::string rk_name;
    bool rk_no_remove = false;
    bool rk_force_remove = false;
    std::vector<reg_value_t> rk_values;
    std::vector<reg_key_t> rk_keys;
};

struct root_row_t {
    const char *rr_name;
    HKEY rr_key;
};

const root_row_t kRoots[] = {
    {"HKCR", HKEY_CLASSES_ROOT},       {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKCU", HKEY_CURRENT_USER},       {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKLM", HKEY_LOCAL_MACHINE},      {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
};

struct reg_root_t {
    HKEY rt_key;
    std::vector<reg_key_t> rt_keys;
};

// A token is one of { } = or a word; quoted words keep their quoted flag so
// that a key named 'NoRemove' stays a name.
struct token_t {
    std::string tk_text;
    bool tk_quoted = false;
};

class script_reader {
public:
    script_reader(const std::string &text, const reg_subst_t &subst) : sr_text(text), sr_subst(subst)
    {
    }

    bool read(std::vector<reg_root_t> &roots)
    {
        token_t t;
        while (next(t)) {
            reg_root_t root{};
            if (!find_root(t, root.rt_key) || !expect("{") || !read_body(root.rt_keys, false))
                return false;
            roots.push_back(std::move(root));
        }
        return sr_ok;
    }

private:
    bool find_root(const token_t &t, HKEY &key)
    {
        for (const root_row_t &row : kRoots)
            if (!t.tk_quoted && _stricmp(t.tk_text.c_str(), row.rr_name) == 0) {
                key = row.rr_key;
                return true;
            }
        return false;
    }

    // Keys (and, inside a key, values) up to the closing brace.
    bool read_body(std::vector<reg_key_t> &keys, bool in_key, std::vector<reg_value_t> *values = nullptr)
    {
        token_t t;
        while (next(t)) {
            if (!t.tk_quoted && t.tk_text == "}")
                return true;
            if (in_key && !t.tk_quoted && _stricmp(t.tk_text.c_str(), "val") == 0) {
                reg_value_t v;
                token_t name;
                if (!next(name) || !read_assignment(v))
                    return false;
                v.rv_name = name.tk_text;
                values->push_back(std::move(v));
                continue;
            }
            reg_key_t key;
            if (!read_key(t, key))
                return false;
            keys.push_back(std::move(key));
        }
        return false;  // no closing brace
    }

    bool read_key(token_t t, reg_key_t &key)
    {
        while (!t.tk_quoted && (_stricmp(t.tk_text.c_str(), "NoRemove") == 0 ||
                                _stricmp(t.tk_text.c_str(), "ForceRemove") == 0)) {
            if (_stricmp(t.tk_text.c_str(), "NoRemove") == 0)
                key.rk_no_remove = true;
            else
                key.rk_force_remove = true;
            if (!next(t))
                return false;
        }
        if (!t.tk_quoted && (t.tk_text == "{" || t.tk_text == "}" || t.tk_text == "="))
            return false;
        key.rk_name = t.tk_text;
        token_t p;
        if (peek(p) && !p.tk_quoted && p.tk_text == "=") {
            reg_value_t v;
            if (!read_assignment(v))
                return false;
            key.rk_values.push_back(std::move(v));
        }
        if (peek(p) && !p.tk_quoted && p.tk_text == "{") {
            next(p);
            return read_body(key.rk_keys, true, &key.rk_values);
        }
        return true;
    }

    // "= s 'text'" or "= d 'number'".
    bool read_assignment(reg_value_t &v)
    {
        token_t type, value;
        if (!expect("=") || !next(type) || !next(value) || !value.tk_quoted)
            return false;
        if (_stricmp(type.tk_text.c_str(), "d") == 0)
            v.rv_dword = true;
        else if (_stricmp(type.tk_text.c_str(), "s") != 0)
            return false;
        v.rv_text = value.tk_text;
        return true;
    }

    bool expect(const char *text)
    {
        token_t t;
        return next(t) && !t.tk_quoted && t.tk_text == text;
    }

    bool peek(token_t &t)
    {
        size_t at = sr_pos;
        bool ok = next(t);
        sr_pos = at;
        return ok;
    }

    bool next(token_t &t)
    {
        const std::string &s = sr_text;
        while (sr_pos < s.size() && (unsigned char)s[sr_pos] <= ' ')
            sr_pos++;
        if (sr_pos >= s.size())
            return false;
        t = token_t{};
        char c = s[sr_pos];
        // A brace with a name right after it opens a GUID-like name such as
        // {6F978002-...}: such names keep their braces.
        bool guid = c == '{' && sr_pos + 1 < s.size() && (unsigned char)s[sr_pos + 1] > ' ' &&
                    !strchr("{}='", s[sr_pos + 1]);
        if (guid) {
            while (sr_pos < s.size() && (unsigned char)s[sr_pos] > ' ' && !strchr("='", s[sr_pos]))
                t.tk_text += s[sr_pos++];
            return true;
        }
        if (c == '{' || c == '}' || c == '=') {
            t.tk_text = std::string(1, c);
            sr_pos++;
            return true;
        }
        if (c == '\'') {
            t.tk_quoted = true;
            for (sr_pos++;; sr_pos++) {
                if (sr_pos >= s.size()) {
                    sr_ok = false;  // unterminated quote
                    return false;
                }
                if (s[sr_pos] == '\'') {
                    if (sr_pos + 1 < s.size() && s[sr_pos + 1] == '\'') {
                        t.tk_text += '\'';
                        sr_pos++;
                        continue;
                    }
                    sr_pos++;
                    break;
                }
                t.tk_text += s[sr_pos];
            }
        } else {
            while (sr_pos < s.size() && (unsigned char)s[sr_pos] > ' ' && !strchr("{}='", s[sr_pos]))
                t.tk_text += s[sr_pos++];
        }
        t.tk_text = substitute(t.tk_text);
        return true;
    }

    std::string substitute(const std::string &text) const
    {
        std::string out;
        for (size_t i = 0; i < text.size();) {
            bool done = false;
            if (text[i] == '%')
                for (const auto &[name, value] : sr_subst) {
                    std::string marker = "%" + name + "%";
                    if (text.compare(i, marker.size(), marker) == 0) {
                        out += value;
                        i += marker.size();
                        done = true;
                        break;
                    }
                }
            if (!done)
                out += text[i++];
        }
        return out;
    }

    const std::string &sr_text;
    const reg_subst_t &sr_subst;
    size_t sr_pos = 0;
    bool sr_ok = true;
};

HRESULT from_status(LONG status)
{
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

LONG set_value(HKEY key, const reg_value_t &v)
{
    const char *name = v.rv_name.empty() ? nullptr : v.rv_name.c_str();
    if (v.rv_dword) {
        DWORD n = strtoul(v.rv_text.c_str(), nullptr, 0);
        return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&n), sizeof n);
    }
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(v.rv_text.c_str()),
                          (DWORD)v.rv_text.size() + 1);
}

LONG register_keys(HKEY parent, const std::vector<reg_key_t> &keys)
{
    for (const reg_key_t &k : keys) {
        if (k.rk_force_remove) {
            LONG del = RegDeleteTreeA(parent, k.rk_name.c_str());
            if (del != ERROR_SUCCESS && del != ERROR_FILE_NOT_FOUND)
                return del;
        }
        HKEY key = nullptr;
        LONG ret = RegCreateKeyExA(parent, k.rk_name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (ret != ERROR_SUCCESS)
            return ret;
        for (const reg_value_t &v : k.rk_values)
            if (ret == ERROR_SUCCESS)
                ret = set_value(key, v);
        if (ret == ERROR_SUCCESS)
            ret = register_keys(key, k.rk_keys);
        RegCloseKey(key);
        if (ret != ERROR_SUCCESS)
            return ret;
    }
    return ERROR_SUCCESS;
}

bool key_is_empty(HKEY key)
{
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    return subkeys == 0 && values == 0;
}

// Removes what the script wrote below `parent`.  Keys already gone are
// fine: unregistering twice is not an error.
LONG unregister_keys(HKEY parent, const std::vector<reg_key_t> &keys)
{
    LONG result = ERROR_SUCCESS;
    for (const reg_key_t &k : keys) {
        HKEY key = nullptr;
        LONG ret = RegOpenKeyExA(parent, k.rk_name.c_str(), 0, KEY_ALL_ACCESS, &key);
        if (ret == ERROR_FILE_NOT_FOUND)
            continue;
        if (ret != ERROR_SUCCESS) {
            result = ret;
            continue;
        }
        ret = unregister_keys(key, k.rk_keys);
        if (ret != ERROR_SUCCESS)
            result = ret;
        if (!k.rk_no_remove) {
            for (const reg_value_t &v : k.rk_values) {
                ret = RegDeleteValueA(key, v.rv_name.empty() ? nullptr : v.rv_name.c_str());
                if (ret != ERROR_SUCCESS && ret != ERROR_FILE_NOT_FOUND)
                    result = ret;
            }
        }
        bool empty = key_is_empty(key);
        RegCloseKey(key);
        if (!k.rk_no_remove && empty) {
            ret = RegDeleteKeyA(parent, k.rk_name.c_str());
            if (ret != ERROR_SUCCESS)
                result = ret;
        }
    }
    return result;
}

bool read_script(const std::string &script, const reg_subst_t &subst, std::vector<reg_root_t> &roots)
{
    script_reader reader(script, subst);
    return reader.read(roots);
}

} // namespace

HRESULT reg_script_register(const std::string &script, const reg_subst_t &subst)
{
    std::vector<reg_root_t> roots;
    if (!read_script(script, subst, roots))
        return E_UNEXPECTED;
    for (const reg_root_t &root : roots) {
        LONG ret = register_keys(root.rt_key, root.rt_keys);
        if (ret != ERROR_SUCCESS)
            return from_status(ret);
    }
    return S_OK;
}

HRESULT reg_script_unregister(const std::string &script, const reg_subst_t &subst)
{
    std::vector<reg_root_t> roots;
    if (!read_script(script, subst, roots))
        return E_UNEXPECTED;
    LONG result = ERROR_SUCCESS;
    for (const reg_root_t &root : roots) {
        LONG ret = unregister_keys(root.rt_key, root.rt_keys);
        if (ret != ERROR_SUCCESS)
            result = ret;
    }
    return from_status(result);
}
