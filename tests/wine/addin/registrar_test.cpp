// The registration-script runner on its own, against a scratch key of
// HKEY_CURRENT_USER: what each script form writes, and that unregistering
// takes back exactly that.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "addin_registrar.h"

namespace {

// A scratch key named after the test, removed before and after.
class RegistrarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        base = "Software\\tvtags-test\\registrar-" + std::to_string(GetCurrentProcessId()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\tvtags-test");  // when it is empty
    }

    // The script with its keys placed below the scratch key.
    std::string script(const std::string &body) const
    {
        std::string s = "HKCU { NoRemove Software { NoRemove tvtags-test { ";
        std::string leaf = base.substr(base.rfind('\\') + 1);
        return s + "NoRemove '" + leaf + "' { " + body + " } } } }";
    }

    // Keys and values below the scratch key, "key" and "key|name=data".
    std::vector<std::string> tree(const std::string &sub = "") const
    {
        std::vector<std::string> out;
        walk(sub.empty() ? base : base + "\\" + sub, sub, out);
        return out;
    }

    void walk(const std::string &path, const std::string &shown, std::vector<std::string> &out) const
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return;
        if (!shown.empty())
            out.push_back(shown);
        for (DWORD i = 0;; i++) {
            char name[256];
            BYTE data[512];
            DWORD nlen = sizeof name, dlen = sizeof data, type = 0;
            if (RegEnumValueA(key, i, name, &nlen, nullptr, &type, data, &dlen) != ERROR_SUCCESS)
                break;
            std::string v = type == REG_SZ      ? std::string(reinterpret_cast<char *>(data))
                            : type == REG_DWORD ? "#" + std::to_string(*reinterpret_cast<DWORD *>(data))
                                                : "?";
            out.push_back(shown + "|" + (nlen ? name : "@") + "=" + v);
        }
        std::vector<std::string> subs;
        for (DWORD i = 0;; i++) {
            char name[256];
            DWORD nlen = sizeof name;
            if (RegEnumKeyExA(key, i, name, &nlen, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            subs.push_back(name);
        }
        RegCloseKey(key);
        for (const std::string &s : subs)
            walk(path + "\\" + s, shown.empty() ? s : shown + "\\" + s, out);
    }

    void put(const std::string &sub, const char *name, const char *value) const
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (base + "\\" + sub).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value),
                       (DWORD)strlen(value) + 1);
        RegCloseKey(key);
    }

    std::string base;
};

} // namespace

TEST_F(RegistrarTest, WritesKeysDefaultsNamedValuesAndSubstitutions)
{
    const std::string s = script("Ours = s 'It''s %WHO%' { val Count = d '42' "
                                 "'Quoted Key' = s '100%' {6F978002-88C6-48EB-A495-DCCD85FF8E4A} "
                                 "{ val Path = s '%WHO%\\dir' } }");
    ASSERT_EQ(reg_script_register(s, {{"WHO", "us"}}), S_OK);
    EXPECT_EQ(tree(), (std::vector<std::string>{
                          "Ours",
                          "Ours|@=It's us",
                          "Ours|Count=#42",
                          "Ours\\Quoted Key",
                          "Ours\\Quoted Key|@=100%",
                          "Ours\\{6F978002-88C6-48EB-A495-DCCD85FF8E4A}",
                          "Ours\\{6F978002-88C6-48EB-A495-DCCD85FF8E4A}|Path=us\\dir",
                      }));
    ASSERT_EQ(reg_script_unregister(s, {{"WHO", "us"}}), S_OK);
    EXPECT_EQ(tree(), std::vector<std::string>{});
}

TEST_F(RegistrarTest, ForceRemoveClearsTheOldKeyFirst)
{
    put("Ours\\Stale", "Old", "x");
    put("Ours", "Left", "y");
    ASSERT_EQ(reg_script_register(script("ForceRemove Ours { Fresh = s '1' }"), {}), S_OK);
    EXPECT_EQ(tree(), (std::vector<std::string>{"Ours", "Ours\\Fresh", "Ours\\Fresh|@=1"}));
}

TEST_F(RegistrarTest, UnregisteringKeepsWhatOthersAdded)
{
    const std::string s = script("Ours = s 'a' { Inner = s 'b' { val V = s 'c' } } NoRemove Shared "
                                 "{ Mine = s 'd' }");
    put("Shared", "Theirs", "t");
    ASSERT_EQ(reg_script_register(s, {}), S_OK);
    put("Ours\\Inner", "Foreign", "f");
    ASSERT_EQ(reg_script_unregister(s, {}), S_OK);
    EXPECT_EQ(tree(), (std::vector<std::string>{"Ours", "Ours\\Inner", "Ours\\Inner|Foreign=f",
                                                "Shared", "Shared|Theirs=t"}));
    // Again, with everything of ours already gone: still no error.
    EXPECT_EQ(reg_script_unregister(s, {}), S_OK);
}

TEST_F(RegistrarTest, BrokenScriptsTouchNothing)
{
    for (const char *body : {"Ours = s 'unterminated", "Ours = x 'bad type'", "Ours { Inner = s 'a'",
                             "Ours = s", "= s 'no name'"}) {
        SCOPED_TRACE(body);
        EXPECT_EQ(reg_script_register(script(body), {}), E_UNEXPECTED);
        EXPECT_EQ(reg_script_unregister(script(body), {}), E_UNEXPECTED);
        EXPECT_EQ(tree(), std::vector<std::string>{});
    }
    EXPECT_EQ(reg_script_register("HKXX { Ours }", {}), E_UNEXPECTED);
}
