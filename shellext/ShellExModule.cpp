#include "shellext/ShellExModule.h"

#include <oleauto.h>

#include <atomic>
#include <vector>

#include "foundation/DynamicFunction.h"
#include "framework/Resource.h"
#include "shellext/RegistryScript.h"
#include "shellext/ShellExGuids.h"
#include "shellext/resource.h"

namespace DLL {

// From Vista on; the machine-wide calls stand in for them elsewhere.
SWIFTLET_DYNAMIC_FUNCTION(RegisterTypeLibForUser, L"oleaut32.dll", HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*))
SWIFTLET_DYNAMIC_FUNCTION(UnRegisterTypeLibForUser, L"oleaut32.dll",
                          HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND))

}  // namespace DLL

namespace ShellEx {

namespace {

HINSTANCE g_instance = nullptr;
std::atomic<LONG> g_locks{0};
std::atomic<bool> g_perUser{false};

// The type library's locale, as the IDL declares it.
constexpr LCID kLibraryLocale = 0x0411;

HRESULT FromWin32(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

// The key that HKCR in the scripts stands for.
class ClassesRoot {
public:
    ClassesRoot() {
        if (!IsPerUserRegistration()) {
            m_key = HKEY_CLASSES_ROOT;
            return;
        }
        HKEY raw = nullptr;
        m_status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_READ | KEY_WRITE, nullptr, &raw, nullptr);
        m_owned.reset(raw);
        m_key = raw;
    }
    HKEY Get() const { return m_key; }
    HRESULT Status() const { return FromWin32(m_status); }

private:
    UniqueHKEY m_owned;
    HKEY m_key = nullptr;
    LSTATUS m_status = ERROR_SUCCESS;
};

// While it lives, HKEY_CLASSES_ROOT of this process means the user's own classes: the
// system's type-library registration writes through it.
class PerUserClassesOverride {
public:
    explicit PerUserClassesOverride(HKEY userClasses) {
        if (userClasses && userClasses != HKEY_CLASSES_ROOT)
            m_active = RegOverridePredefKey(HKEY_CLASSES_ROOT, userClasses) == ERROR_SUCCESS;
    }
    ~PerUserClassesOverride() {
        if (m_active) RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    }
    PerUserClassesOverride(const PerUserClassesOverride&) = delete;
    PerUserClassesOverride& operator=(const PerUserClassesOverride&) = delete;
    bool Active() const { return m_active; }

private:
    bool m_active = false;
};

// Registration runs with the system's default locale, whatever the caller's thread has.
class SystemLocaleScope {
public:
    SystemLocaleScope() : m_saved(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocaleScope() { SetThreadLocale(m_saved); }
    SystemLocaleScope(const SystemLocaleScope&) = delete;
    SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

private:
    LCID m_saved;
};

bool LoadScriptText(UINT id, CString& text) {
    HRSRC found = FindResourceW(g_instance, MAKEINTRESOURCEW(id), L"REGISTRY");
    if (!found) return false;
    HGLOBAL loaded = LoadResource(g_instance, found);
    const DWORD size = SizeofResource(g_instance, found);
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes) return false;
    if (size == 0) {
        text.Empty();
        return true;
    }
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size), nullptr, 0);
    if (length <= 0) return false;
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size), wide.data(), length);
    text = CString(wide.data(), length);
    return true;
}

HRESULT RunScript(UINT id, bool install) {
    CString text;
    if (!LoadScriptText(id, text)) return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
    const ScriptReplacements replacements = {{L"MODULE", ModulePath()}, {L"APPID", kAppIdText}};
    RegistryScript script;
    if (!script.Parse(text, replacements)) return E_UNEXPECTED;
    ClassesRoot root;
    if (FAILED(root.Status())) return root.Status();
    return install ? script.Register(root.Get()) : script.Unregister(root.Get());
}

HRESULT RegisterTypeLibrary() {
    CString path = ModulePath();
    if (path.IsEmpty()) return E_UNEXPECTED;
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &library);
    if (FAILED(hr)) return hr;
    auto release = ScopeExit([library] { library->Release(); });
    if (!IsPerUserRegistration()) return RegisterTypeLib(library, path.GetBuffer(), nullptr);
    ClassesRoot root;
    if (FAILED(root.Status())) return root.Status();
    PerUserClassesOverride redirect(root.Get());
    if (!redirect.Active()) return E_FAIL;  // never machine-wide in per-user mode
    static const DLL::RegisterTypeLibForUser forUser;
    return forUser.IsAvailable() ? forUser(library, path.GetBuffer(), nullptr)
                                 : RegisterTypeLib(library, path.GetBuffer(), nullptr);
}

// Whether the classes root holds a registration of our library of this version.
bool IsTypeLibraryRegistered(HKEY classesRoot) {
    wchar_t guid[40] = {};
    if (!StringFromGUID2(kLibraryId, guid, 40)) return false;
    CString path;
    path.Format(L"TypeLib\\%s\\%u.%u", guid, kLibraryMajor, kLibraryMinor);
    HKEY key = nullptr;
    if (RegOpenKeyExW(classesRoot, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

HRESULT UnregisterTypeLibrary() {
    ClassesRoot root;
    if (FAILED(root.Status())) return root.Status();
    // Unregistering a library that is not registered is no failure; the system's answer
    // to it differs from system to system.
    if (!IsTypeLibraryRegistered(root.Get())) return S_OK;
    if (!IsPerUserRegistration())
        return UnRegisterTypeLib(kLibraryId, kLibraryMajor, kLibraryMinor, kLibraryLocale, SYS_WIN64);
    PerUserClassesOverride redirect(root.Get());
    if (!redirect.Active()) return E_FAIL;
    static const DLL::UnRegisterTypeLibForUser forUser;
    return forUser.IsAvailable() ? forUser(kLibraryId, kLibraryMajor, kLibraryMinor, kLibraryLocale, SYS_WIN64)
                                 : UnRegisterTypeLib(kLibraryId, kLibraryMajor, kLibraryMinor, kLibraryLocale, SYS_WIN64);
}

}  // namespace

void AttachModule(HINSTANCE instance) { g_instance = instance; }
void DetachModule() { g_instance = nullptr; }
HINSTANCE ModuleInstance() { return g_instance; }

void LockModule() { ++g_locks; }
void UnlockModule() { --g_locks; }
LONG ModuleLockCount() { return g_locks.load(); }

void SetPerUserRegistration(bool perUser) { g_perUser = perUser; }
bool IsPerUserRegistration() { return g_perUser.load(); }

CString ModulePath() {
    if (!g_instance) return CString();
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(g_instance, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return CString();
        if (length < buffer.size()) return CString(buffer.data(), static_cast<int>(length));
        if (buffer.size() >= 32768) return CString();
        buffer.resize(buffer.size() * 2);
    }
}

CString MainProgramPath() {
    CString folder = ModulePath();
    const int slash = folder.ReverseFind(L'\\');
    if (slash < 0) return CString();
    return folder.Left(slash + 1) + L"Swiftlet.exe";
}

CString LoadModuleString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero length the call hands out a pointer into the resource itself.
    const int length = LoadStringW(g_instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return CString();
    return CString(text, length);
}

HRESULT RegisterServer() {
    if (!g_instance) return E_UNEXPECTED;
    SystemLocaleScope locale;
    HRESULT hr = RunScript(IDR_SHELLEX_APPID, true);
    if (SUCCEEDED(hr)) hr = RunScript(IDR_SHELLEXDRAGDROPHANDLERS, true);
    if (SUCCEEDED(hr)) hr = RegisterTypeLibrary();
    return FAILED(hr) ? hr : S_OK;
}

HRESULT UnregisterServer() {
    if (!g_instance) return E_UNEXPECTED;
    SystemLocaleScope locale;
    HRESULT hr = RunScript(IDR_SHELLEXDRAGDROPHANDLERS, false);
    if (SUCCEEDED(hr)) hr = UnregisterTypeLibrary();
    if (SUCCEEDED(hr)) hr = RunScript(IDR_SHELLEX_APPID, false);
    return FAILED(hr) ? hr : S_OK;
}

HRESULT Install(BOOL install, const wchar_t* commandLine) {
    if (commandLine && CString(commandLine).CompareNoCase(L"user") == 0) SetPerUserRegistration(true);
    if (!install) return UnregisterServer();
    const HRESULT hr = RegisterServer();
    if (FAILED(hr)) UnregisterServer();
    return hr;
}

}  // namespace ShellEx
