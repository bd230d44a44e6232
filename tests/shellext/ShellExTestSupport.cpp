#include "ShellExTestSupport.h"

#include <tlhelp32.h>

#include "tests/support/TestFiles.h"

namespace ShellExTest {

CString DllPath() { return TestFiles::ExeFolder() + L"\\SwiftletShellEx.dll"; }

LoadedDll::LoadedDll(const CString& path) : m_module(LoadLibraryW(path)) {}

LoadedDll::~LoadedDll() {
    if (m_module) FreeLibrary(m_module);
}

HRESULT LoadedDll::CanUnloadNow() const {
    auto f = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(Export("DllCanUnloadNow"));
    return f ? f() : E_FAIL;
}

HRESULT LoadedDll::GetClassObject(REFCLSID clsid, REFIID iid, void** object) const {
    auto f = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(Export("DllGetClassObject"));
    return f ? f(clsid, iid, object) : E_FAIL;
}

HRESULT LoadedDll::Install(BOOL install, const wchar_t* commandLine) const {
    auto f = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR)>(Export("DllInstall"));
    return f ? f(install, commandLine) : E_FAIL;
}

int RunRegsvr32(const CString& arguments, const CString& dll) {
    return TestFiles::RunProcess(L"regsvr32.exe " + arguments + L" \"" + dll + L"\"", 120000);
}

int RegQuery(const CString& key) { return TestFiles::RunProcess(L"reg.exe query \"" + key + L"\"", 120000); }

bool KeyExists(HKEY root, const CString& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool ReadText(HKEY root, const CString& path, const wchar_t* name, CString& text) {
    wchar_t buffer[2048] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    if (RegGetValueW(root, path, name, RRF_RT_REG_SZ, &type, buffer, &size) != ERROR_SUCCESS) return false;
    text = buffer;
    return true;
}

PIDLIST_ABSOLUTE ParseFolder(const CString& path) {
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(SHParseDisplayName(path, nullptr, &list, 0, nullptr))) return nullptr;
    return list;
}

ComPtr<IDataObject> DataObjectFor(const CString& folder, const std::vector<CString>& names) {
    ComPtr<IDataObject> data;
    ItemList folderList(ParseFolder(folder));
    ComPtr<IShellFolder> desktop;
    ComPtr<IShellFolder> shellFolder;
    if (!folderList.Get() || FAILED(SHGetDesktopFolder(desktop.Receive())) ||
        FAILED(desktop->BindToObject(folderList.Get(), nullptr, IID_IShellFolder, shellFolder.ReceiveVoid())))
        return data;
    std::vector<PITEMID_CHILD> children;
    for (const CString& name : names) {
        CString text = name;
        PIDLIST_RELATIVE child = nullptr;
        if (SUCCEEDED(shellFolder->ParseDisplayName(nullptr, nullptr, text.GetBuffer(), nullptr, &child, nullptr)))
            children.push_back(reinterpret_cast<PITEMID_CHILD>(child));
    }
    if (children.size() == names.size())
        shellFolder->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()),
                                   const_cast<PCUITEMID_CHILD_ARRAY>(children.data()), IID_IDataObject, nullptr,
                                   data.ReceiveVoid());
    for (PITEMID_CHILD child : children) CoTaskMemFree(child);
    return data;
}

HMENU MakeExplorerDropMenu(UINT def) {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"ここにコピー(&C)");
    AppendMenuW(menu, MF_STRING, 2, L"ここに移動(&M)");
    AppendMenuW(menu, MF_STRING, 4, L"ショートカットをここに作成(&S)");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, 0x8000, L"キャンセル");
    SetMenuDefaultItem(menu, def, FALSE);
    return menu;
}

std::vector<std::pair<CString, UINT>> MenuItems(HMENU menu) {
    std::vector<std::pair<CString, UINT>> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 255;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        items.emplace_back((info.fType & MFT_SEPARATOR) ? CString(L"-") : CString(text), info.wID);
    }
    return items;
}

std::vector<DWORD> ChildProcesses(const wchar_t* program) {
    std::vector<DWORD> children;
    const HANDLE raw = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (raw == INVALID_HANDLE_VALUE) return children;
    UniqueHandle snapshot(raw);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID == GetCurrentProcessId() && CString(entry.szExeFile).CompareNoCase(program) == 0)
            children.push_back(entry.th32ProcessID);
    }
    return children;
}

bool WaitForChildren(const wchar_t* program, DWORD timeoutMs) {
    for (DWORD id : ChildProcesses(program)) {
        UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
        if (process && WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) return false;
    }
    return true;
}

}  // namespace ShellExTest
