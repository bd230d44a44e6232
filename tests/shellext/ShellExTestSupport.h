#pragma once
// What the extension's tests share: the real DLL loaded as Explorer loads it, the
// registry as regsvr32 leaves it, and Explorer's part played with real shell objects
// (data objects of real files, item lists of real folders, a drop menu like Explorer's).
#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "foundation/ComPtr.h"
#include "framework/CString.h"
#include "framework/Resource.h"
#include "tests/support/PipeTestSupport.h"

namespace ShellExTest {

// The extension's file in the build folder.
CString DllPath();

// The module loaded with LoadLibraryW and its five entry points.
class LoadedDll {
public:
    explicit LoadedDll(const CString& path);
    ~LoadedDll();
    LoadedDll(const LoadedDll&) = delete;
    LoadedDll& operator=(const LoadedDll&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    HMODULE Module() const { return m_module; }
    FARPROC Export(const char* name) const { return GetProcAddress(m_module, name); }
    FARPROC Export(WORD ordinal) const { return GetProcAddress(m_module, MAKEINTRESOURCEA(ordinal)); }

    HRESULT CanUnloadNow() const;
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) const;
    HRESULT Install(BOOL install, const wchar_t* commandLine) const;

private:
    HMODULE m_module;
};

// Held for the whole of a test that registers, unregisters or creates the registered
// class: the registry of the test prefix is shared by every test process.
class RegistryLock : public PipeTest::FixedPipeLock {
public:
    RegistryLock() : PipeTest::FixedPipeLock(L"SwiftletShellExRegistryTests") {}
};

// Runs Wine's (or Windows') regsvr32 with the arguments and the DLL; its exit code.
int RunRegsvr32(const CString& arguments, const CString& dll);
// Runs "reg query KEY"; its exit code (0 when the key exists).
int RegQuery(const CString& key);

bool KeyExists(HKEY root, const CString& path);
// A REG_SZ value (empty name: the default value); false when missing.
bool ReadText(HKEY root, const CString& path, const wchar_t* name, CString& text);

// An absolute item list freed with the shell's allocator.
class ItemList {
public:
    ItemList() = default;
    explicit ItemList(PIDLIST_ABSOLUTE list) : m_list(list) {}
    ~ItemList() { CoTaskMemFree(m_list); }
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;
    PIDLIST_ABSOLUTE Get() const { return m_list; }

private:
    PIDLIST_ABSOLUTE m_list = nullptr;
};

// The item list of a real folder, as Explorer gives the drop target.
PIDLIST_ABSOLUTE ParseFolder(const CString& path);
// The data object Explorer builds for items of one folder dragged together: the
// folder's own shell folder hands it out, with CF_HDROP among its formats.
ComPtr<IDataObject> DataObjectFor(const CString& folder, const std::vector<CString>& names);

// Explorer's drop menu: copy (1), move (2), shortcut (4), a separator and cancel; def is
// the id of the default item.
HMENU MakeExplorerDropMenu(UINT def);
// The texts and ids of a menu, top to bottom ("-" for a separator).
std::vector<std::pair<CString, UINT>> MenuItems(HMENU menu);

// Processes of the program name (e.g. L"Swiftlet.exe") that this process started.
std::vector<DWORD> ChildProcesses(const wchar_t* program);
// Waits for every such child to end; false when one is still running after timeoutMs.
bool WaitForChildren(const wchar_t* program, DWORD timeoutMs);

}  // namespace ShellExTest
