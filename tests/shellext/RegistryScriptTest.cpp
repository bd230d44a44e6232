// The registry scripts of the extension's registrar, run against a key of the test's own.
#include <gtest/gtest.h>

#include "ShellExTestSupport.h"
#include "shellext/RegistryScript.h"
#include "tests/support/PrintCString.h"

using ShellEx::RegistryScript;
using namespace ShellExTest;

namespace {

// A fresh key below HKCU that stands for the classes root; deleted afterwards.
class ScriptRoot : public ::testing::Test {
protected:
    void SetUp() override {
        path.Format(L"Software\\SwiftletTests\\Script-%lu-%lu", GetCurrentProcessId(), GetTickCount());
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &root, nullptr));
    }
    void TearDown() override {
        RegCloseKey(root);
        RegDeleteTreeW(HKEY_CURRENT_USER, path);
    }
    bool Has(const wchar_t* sub) const { return KeyExists(root, sub); }
    CString Text(const wchar_t* sub, const wchar_t* name) const {
        CString text = L"<missing>";
        ReadText(root, sub, name, text);
        return text;
    }

    CString path;
    HKEY root = nullptr;
};

const wchar_t kScript[] = LR"(
HKCR
{
	NoRemove Shared
	{
		val OurValue = s 'ours'
		ForceRemove {11111111-2222-3333-4444-555555555555} = s ''
		{
			Server = s '%MODULE%'
			{
				val Model = s 'Apartment'
				val Count = d '17'
			}
		}
		'Quoted Name' = s 'it''s %% done'
		Delete Obsolete
	}
}
)";

}  // namespace

TEST_F(ScriptRoot, RegisterWritesEveryKeyAndUnregisterKeepsOnlyNoRemoveKeys) {
    RegistryScript script;
    // A replacement is text, never script: braces, quotes and percent signs stay as they are.
    const CString module = L"C:\\it's {odd} 100%\\x.dll";
    ASSERT_TRUE(script.Parse(kScript, {{L"MODULE", module}}));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(root, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4));
    HKEY obsolete = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, L"Shared\\Obsolete\\Deep", 0, nullptr, 0, KEY_WRITE, nullptr,
                                             &obsolete, nullptr));
    RegCloseKey(obsolete);
    HKEY stale = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, L"Shared\\{11111111-2222-3333-4444-555555555555}\\Stale", 0,
                                             nullptr, 0, KEY_WRITE, nullptr, &stale, nullptr));
    RegCloseKey(stale);

    ASSERT_EQ(S_OK, script.Register(root));
    const wchar_t* server = L"Shared\\{11111111-2222-3333-4444-555555555555}\\Server";
    EXPECT_EQ(module, Text(server, L""));
    EXPECT_EQ(CString(L"Apartment"), Text(server, L"Model"));
    DWORD count = 0, size = sizeof count;
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(root, server, L"Count", RRF_RT_REG_DWORD, nullptr, &count, &size));
    EXPECT_EQ(17u, count);
    EXPECT_EQ(CString(L"ours"), Text(L"Shared", L"OurValue"));
    EXPECT_EQ(CString(L"it's % done"), Text(L"Shared\\Quoted Name", L""));
    EXPECT_FALSE(Has(L"Shared\\Obsolete"));
    EXPECT_FALSE(Has(L"Shared\\{11111111-2222-3333-4444-555555555555}\\Stale")) << "ForceRemove replaces the key";

    ASSERT_EQ(S_OK, script.Register(root));
    EXPECT_EQ(module, Text(server, L""));

    ASSERT_EQ(S_OK, script.Unregister(root));
    EXPECT_TRUE(Has(L"Shared"));
    EXPECT_EQ(CString(L"<missing>"), Text(L"Shared", L"OurValue"));
    EXPECT_FALSE(Has(L"Shared\\{11111111-2222-3333-4444-555555555555}"));
    EXPECT_FALSE(Has(L"Shared\\Quoted Name"));
    EXPECT_EQ(CString(L"x"), Text(L"", L"")) << "the root's own value is not the script's";
    EXPECT_EQ(S_OK, script.Unregister(root)) << "nothing left to remove is no failure";
}

TEST(RegistryScriptParse, MalformedScriptsAreRefused) {
    RegistryScript script;
    const ShellEx::ScriptReplacements none;
    EXPECT_TRUE(script.Parse(L"HKCR\n{\n}\n", none));
    EXPECT_TRUE(script.Parse(L"", none));
    const wchar_t* bad[] = {
        L"HKXX { }",                           // unknown root
        L"HKCR { Key ",                        // unbalanced
        L"HKCR { Key = s 'open }",             // unterminated text
        L"HKCR { Key = s '%NOSUCH%' }",        // unknown replacement
        L"HKCR { Key = s '%MODULE' }",         // unterminated replacement
        L"HKCR { val Name = s 'x' }",          // a value at the root
        L"HKCR { Key = q 'x' }",               // unknown type
        L"HKCR { Key = d 'twelve' }",          // not a number
        L"HKCR { a\\b = s 'x' }",              // a path where a name belongs
        L"HKCR { = s 'x' }",
    };
    for (const wchar_t* text : bad) EXPECT_FALSE(script.Parse(text, {{L"MODULE", L"m"}})) << NarrowString(text, CP_UTF8);
}
