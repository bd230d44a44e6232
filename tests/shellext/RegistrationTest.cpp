// Self-registration of the extension, driven by the system's own regsvr32 and read back
// from the registry, and the module's entry points and resources as a loader sees them.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include "ShellExTestSupport.h"
#include "shellext/ShellExGuids.h"
#include "tests/support/PrintCString.h"

using namespace ShellExTest;

namespace {

const CString kClassKey = CString(L"CLSID\\") + ShellEx::kClassIdText;
const CString kHandlerKey = CString(L"Folder\\ShellEx\\DragDropHandlers\\") + ShellEx::kClassIdText;
const CString kLibraryKey = L"TypeLib\\{677DAFD5-412B-4D20-B1C6-6BEED19360C4}";
const CString kInterfaceKey = L"Interface\\{AB46098A-507A-4811-BEFD-89A9F60BE401}";
const CString kUserClasses = L"Software\\Classes\\";
const CString kMachineClasses = L"Software\\Classes\\";

// Everything a registration writes, below one classes root.
std::vector<CString> OurKeys() { return {kClassKey, kHandlerKey, kLibraryKey, kInterfaceKey}; }

void ExpectRegisteredBelow(HKEY root, const CString& prefix) {
    CString text;
    EXPECT_TRUE(ReadText(root, prefix + kClassKey, L"", text));
    EXPECT_EQ(CString(), text);
    ASSERT_TRUE(ReadText(root, prefix + kClassKey + L"\\InprocServer32", L"", text));
    EXPECT_EQ(0, text.CompareNoCase(DllPath()));
    ASSERT_TRUE(ReadText(root, prefix + kClassKey + L"\\InprocServer32", L"ThreadingModel", text));
    EXPECT_EQ(CString(L"Apartment"), text);
    EXPECT_TRUE(ReadText(root, prefix + kHandlerKey, L"", text));
    EXPECT_EQ(CString(), text);
    EXPECT_TRUE(KeyExists(root, prefix + kLibraryKey + L"\\1.0"));
    EXPECT_TRUE(KeyExists(root, prefix + kInterfaceKey));
}

void ExpectNothingOursBelow(HKEY root, const CString& prefix) {
    for (const CString& key : OurKeys()) EXPECT_FALSE(KeyExists(root, prefix + key)) << NarrowString(key, CP_UTF8);
}

}  // namespace

TEST(Registration, Regsvr32RegistersTwiceAlikeAndUnregistersOnlyOurKeys) {
    RegistryLock lock;
    ASSERT_TRUE(lock.Held());
    ASSERT_EQ(0, RunRegsvr32(L"/s", DllPath()));
    ExpectRegisteredBelow(HKEY_CLASSES_ROOT, L"");
    // The system's own reader finds the class and the handler.
    EXPECT_EQ(0, RegQuery(L"HKCR\\" + kClassKey + L"\\InprocServer32"));
    EXPECT_EQ(0, RegQuery(L"HKCR\\" + kHandlerKey));

    // A stray value in our class key goes: the key is replaced whole.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CLASSES_ROOT, kClassKey, 0, KEY_SET_VALUE, &key));
    RegSetValueExW(key, L"Stray", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
    RegCloseKey(key);
    ASSERT_EQ(0, RunRegsvr32(L"/s", DllPath()));
    ExpectRegisteredBelow(HKEY_CLASSES_ROOT, L"");
    CString stray;
    EXPECT_FALSE(ReadText(HKEY_CLASSES_ROOT, kClassKey, L"Stray", stray));

    ASSERT_EQ(0, RunRegsvr32(L"/s /u", DllPath()));
    ExpectNothingOursBelow(HKEY_CLASSES_ROOT, L"");
    EXPECT_NE(0, RegQuery(L"HKCR\\" + kClassKey));
    for (const wchar_t* shared : {L"CLSID", L"Folder", L"Folder\\ShellEx", L"Folder\\ShellEx\\DragDropHandlers"})
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, shared)) << NarrowString(shared, CP_UTF8);
    // Unregistering what is not registered is no failure.
    EXPECT_EQ(0, RunRegsvr32(L"/s /u", DllPath()));
}

TEST(Registration, PerUserRegistrationStaysBelowTheUsersClasses) {
    RegistryLock lock;
    ASSERT_TRUE(lock.Held());
    ASSERT_EQ(0, RunRegsvr32(L"/s /u", DllPath()));
    ASSERT_EQ(0, RunRegsvr32(L"/s /n /i:USER", DllPath()));
    ExpectRegisteredBelow(HKEY_CURRENT_USER, kUserClasses);
    ExpectNothingOursBelow(HKEY_LOCAL_MACHINE, kMachineClasses);

    ASSERT_EQ(0, RunRegsvr32(L"/s /u /n /i:user", DllPath()));
    ExpectNothingOursBelow(HKEY_CURRENT_USER, kUserClasses);
    ExpectNothingOursBelow(HKEY_LOCAL_MACHINE, kMachineClasses);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUserClasses + L"Folder\\ShellEx\\DragDropHandlers"));
}

TEST(ShellExModule, FiveEntryPointsByOrdinalAndByName) {
    LoadedDll dll(DllPath());
    ASSERT_TRUE(dll.Loaded());
    const char* names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllInstall", "DllRegisterServer",
                           "DllUnregisterServer"};
    for (WORD ordinal = 1; ordinal <= 5; ++ordinal) {
        ASSERT_NE(nullptr, dll.Export(ordinal)) << ordinal;
        EXPECT_EQ(dll.Export(names[ordinal - 1]), dll.Export(ordinal)) << names[ordinal - 1];
    }
    EXPECT_EQ(nullptr, dll.Export(WORD{6}));
}

TEST(ShellExModule, ClassObjectOnlyForOurClass) {
    LoadedDll dll(DllPath());
    ASSERT_TRUE(dll.Loaded());
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, dll.GetClassObject(CLSID_ShellLink, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, dll.GetClassObject(ShellEx::kClassId, IID_IClassFactory, nullptr));
    EXPECT_EQ(E_NOINTERFACE, dll.GetClassObject(ShellEx::kClassId, IID_IContextMenu, &object));
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, dll.GetClassObject(ShellEx::kClassId, IID_IClassFactory, factory.ReceiveVoid()));
}

TEST(ShellExModule, ResourcesAsTheSystemReadsThem) {
    // The type library: its Japanese help strings and the class and interface it names.
    ITypeLib* raw = nullptr;
    ASSERT_EQ(S_OK, LoadTypeLibEx(DllPath(), REGKIND_NONE, &raw));
    ComPtr<ITypeLib> library;
    library = raw;
    raw->Release();
    BSTR name = nullptr, help = nullptr;
    ASSERT_EQ(S_OK, library->GetDocumentation(-1, &name, &help, nullptr, nullptr));
    EXPECT_EQ(CString(L"SwiftletShellExLib"), CString(name));
    EXPECT_EQ(CString(L"SwiftletShellEx 1.0 タイプ ライブラリ"), CString(help));
    SysFreeString(name);
    SysFreeString(help);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(ShellEx::kLibraryId, attributes->guid));
    EXPECT_EQ(0x0411u, attributes->lcid);
    library->ReleaseTLibAttr(attributes);

    ComPtr<ITypeInfo> coclass, dispatch;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(ShellEx::kClassId, coclass.Receive()));
    ASSERT_EQ(S_OK, coclass->GetDocumentation(MEMBERID_NIL, &name, &help, nullptr, nullptr));
    EXPECT_EQ(CString(L"ShellExDragDropHandlers"), CString(name));
    EXPECT_EQ(CString(L"ShellExDragDropHandlers Class"), CString(help));
    SysFreeString(name);
    SysFreeString(help);
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(ShellEx::kInterfaceId, dispatch.Receive()));
    ASSERT_EQ(S_OK, dispatch->GetDocumentation(MEMBERID_NIL, &name, &help, nullptr, nullptr));
    EXPECT_EQ(CString(L"IShellExDragDropHandlers"), CString(name));
    EXPECT_EQ(CString(L"IShellExDragDropHandlers インターフェイス"), CString(help));
    SysFreeString(name);
    SysFreeString(help);

    // The menu texts, in Japanese (1041), byte for byte.
    LoadedDll dll(DllPath());
    ASSERT_TRUE(dll.Loaded());
    HRSRC block = FindResourceExW(dll.Module(), RT_STRING, MAKEINTRESOURCEW(1000 / 16 + 1),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    EXPECT_NE(nullptr, block);
    wchar_t text[64] = {};
    ASSERT_GT(LoadStringW(dll.Module(), 1000, text, 64), 0);
    EXPECT_EQ(CString(L"Swiftletでここにコピー"), CString(text));
    ASSERT_GT(LoadStringW(dll.Module(), 1001, text, 64), 0);
    EXPECT_EQ(CString(L"Swiftletでここに移動"), CString(text));
    // The registry scripts and the manifest.
    EXPECT_NE(nullptr, FindResourceExW(dll.Module(), L"REGISTRY", MAKEINTRESOURCEW(101),
                                       MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)));
    EXPECT_NE(nullptr, FindResourceExW(dll.Module(), L"REGISTRY", MAKEINTRESOURCEW(103),
                                       MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)));
    EXPECT_NE(nullptr, FindResourceExW(dll.Module(), RT_MANIFEST, MAKEINTRESOURCEW(2),
                                       MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)));
}
