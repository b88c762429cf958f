// Registration with the prefix's regsvr32: exactly the class keys, the
// type library, and nothing left behind by unregistering.
#include "addin_fixture.h"

#include <oleauto.h>

using namespace addin_test;

namespace {

constexpr const char *kClsidKey = "CLSID\\{6F978002-88C6-48EB-A495-DCCD85FF8E4A}";
constexpr const char *kTypeLibKey = "TypeLib\\{2E198062-E14C-40F1-8E5E-129035AE0B85}";
const GUID kLibId = {0x2E198062, 0xE14C, 0x40F1, {0x8E, 0x5E, 0x12, 0x90, 0x35, 0xAE, 0x0B, 0x85}};

// Every key and value below `path` of HKCR, one line each: "key" for a
// key, "key|name=data" for a value ("@" names the default value).
void dump(HKEY root, const std::string &path, std::vector<std::string> &out)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    out.push_back(path);
    for (DWORD i = 0;; i++) {
        char name[256], data[1024];
        DWORD nlen = sizeof name, dlen = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nlen, nullptr, &type, reinterpret_cast<BYTE *>(data),
                          &dlen) != ERROR_SUCCESS)
            break;
        std::string value = type == REG_SZ ? std::string(data) : "type" + std::to_string(type);
        out.push_back(path + "|" + (nlen ? name : "@") + "=" + value);
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; i++) {
        char name[256];
        DWORD nlen = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nlen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.push_back(name);
    }
    RegCloseKey(key);
    for (const std::string &s : subkeys)
        dump(root, path + "\\" + s, out);
}

std::vector<std::string> class_keys()
{
    std::vector<std::string> out;
    dump(HKEY_CLASSES_ROOT, "tvaddin2002.Connect.1", out);
    dump(HKEY_CLASSES_ROOT, "tvaddin2002.Connect", out);
    dump(HKEY_CLASSES_ROOT, kClsidKey, out);
    return out;
}

std::vector<std::string> expected_class_keys()
{
    const std::string clsid = "{6F978002-88C6-48EB-A495-DCCD85FF8E4A}";
    const std::string c = kClsidKey;
    return {
        "tvaddin2002.Connect.1",
        "tvaddin2002.Connect.1|@=Connect Class",
        "tvaddin2002.Connect.1\\CLSID",
        "tvaddin2002.Connect.1\\CLSID|@=" + clsid,
        "tvaddin2002.Connect",
        "tvaddin2002.Connect|@=Connect Class",
        "tvaddin2002.Connect\\CLSID",
        "tvaddin2002.Connect\\CLSID|@=" + clsid,
        "tvaddin2002.Connect\\CurVer",
        "tvaddin2002.Connect\\CurVer|@=tvaddin2002.Connect.1",
        c,
        c + "|@=Connect Class",
        c + "\\InprocServer32",
        c + "\\InprocServer32|@=" + install().in_dll,
        c + "\\InprocServer32|ThreadingModel=Apartment",
        c + "\\ProgID",
        c + "\\ProgID|@=tvaddin2002.Connect.1",
        c + "\\Programmable",
        c + "\\TypeLib",
        c + "\\TypeLib|@={2E198062-E14C-40F1-8E5E-129035AE0B85}",
        c + "\\VersionIndependentProgID",
        c + "\\VersionIndependentProgID|@=tvaddin2002.Connect",
    };
}

std::vector<std::string> sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

} // namespace

TEST(Registration, WritesExactlyTheClassKeysAndTheTypeLibrary)
{
    EXPECT_EQ(sorted(class_keys()), sorted(expected_class_keys()));

    std::vector<std::string> lib;
    dump(HKEY_CLASSES_ROOT, kTypeLibKey, lib);
    const std::string t = kTypeLibKey;
    std::string dir = install().in_dir;
    EXPECT_EQ(sorted(lib), sorted({t, t + "\\1.0", t + "\\1.0|@=tvaddin2002 1.0 Type Library",
                                   t + "\\1.0\\0", t + "\\1.0\\0\\win64",
                                   t + "\\1.0\\0\\win64|@=" + install().in_dll, t + "\\1.0\\FLAGS",
                                   t + "\\1.0\\FLAGS|@=0", t + "\\1.0\\HELPDIR",
                                   t + "\\1.0\\HELPDIR|@=" + dir}));

    // The registered library is the one built into the DLL.
    ITypeLib *tl = nullptr;
    ASSERT_EQ(LoadRegTypeLib(kLibId, 1, 0, 0, &tl), S_OK);
    BSTR name = nullptr, doc = nullptr;
    ASSERT_EQ(tl->GetDocumentation(-1, &name, &doc, nullptr, nullptr), S_OK);
    EXPECT_EQ(fakehost::narrow(name), "tvaddin2002Lib");
    EXPECT_EQ(fakehost::narrow(doc), "tvaddin2002 1.0 Type Library");
    ITypeInfo *ti = nullptr;
    EXPECT_EQ(tl->GetTypeInfoOfGuid(CLSID_Connect, &ti), S_OK);
    if (ti)
        ti->Release();
    SysFreeString(name);
    SysFreeString(doc);
    tl->Release();

    // The host's interfaces stay the host's: registering us must not point
    // their keys at our library.
    std::vector<std::string> iface;
    dump(HKEY_CLASSES_ROOT, "Interface\\{B65AD801-ABAF-11D0-BB8B-00A0C90F2744}", iface);
    dump(HKEY_CLASSES_ROOT, "Interface\\{7EF39A3E-590D-4879-88D4-C9BE5BCFD92E}", iface);
    EXPECT_EQ(iface, std::vector<std::string>{});
}

TEST(Registration, UnregisteringRemovesWhatRegisteringWroteAndNothingElse)
{
    // A value another program keeps in our ProgID's key, and a neighbour
    // class beside ours under CLSID, must both survive.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "tvaddin2002.Connect", 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    const char other[] = "kept";
    RegSetValueExA(key, "Other", 0, REG_SZ, reinterpret_cast<const BYTE *>(other), sizeof other);
    RegCloseKey(key);

    ASSERT_EQ(regsvr32(true), 0u);
    std::vector<std::string> left = class_keys();
    std::vector<std::string> lib;
    dump(HKEY_CLASSES_ROOT, kTypeLibKey, lib);
    // Unregistering twice is harmless.
    EXPECT_EQ(regsvr32(true), 0u);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "tvaddin2002.Connect");
    CLSID clsid{};
    HRESULT progid = CLSIDFromProgID(L"tvaddin2002.Connect.1", &clsid);
    // Back for the tests that follow.
    ASSERT_EQ(regsvr32(false), 0u);

    EXPECT_EQ(left, (std::vector<std::string>{"tvaddin2002.Connect",
                                              "tvaddin2002.Connect|Other=kept"}));
    EXPECT_EQ(lib, std::vector<std::string>{});
    EXPECT_NE(progid, S_OK);
    // Registered again, the class is whole.
    EXPECT_EQ(sorted(class_keys()), sorted(expected_class_keys()));
}
