// Shell names, file-name cleaning and file-time helpers.
#include "foundation/Paths.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include "foundation/DynamicFunction.h"

namespace {

// {645FF040-5081-101B-9F08-00AA002F954E}
const CLSID kRecycleBinClass = {0x645FF040, 0x5081, 0x101B, {0x9F, 0x08, 0x00, 0xAA, 0x00, 0x2F, 0x95, 0x4E}};
const unsigned long long kTwoSeconds = 20000000ull;  // in 100 ns units

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p) p->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const { return p; }
    T* p = nullptr;
};

class ItemIdList {
public:
    ItemIdList() = default;
    ~ItemIdList() { CoTaskMemFree(p); }
    ItemIdList(const ItemIdList&) = delete;
    ItemIdList& operator=(const ItemIdList&) = delete;
    PIDLIST_RELATIVE p = nullptr;
};

bool ParseWithDesktop(const CString& path, ComPtr<IShellFolder>& desktop, ItemIdList& item) {
    if (FAILED(SHGetDesktopFolder(&desktop.p)) || !desktop.p) return false;
    CString text = path;  // ParseDisplayName wants a writable string
    ULONG eaten = 0;
    return SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, text.GetBuffer(), &eaten, &item.p, nullptr)) &&
           item.p;
}

// Only a folder marked read-only or system has its desktop.ini read for a class of its own
// (as the recycle bin's folders do); one whose attributes are unknown is asked about.
bool MayHaveShellClass(const CString& folder) {
    const DWORD attributes = GetFileAttributesW(ToLongPath(folder));
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

bool IsRecycleBin(const CString& path) {
    ComPtr<IShellFolder> desktop;
    ItemIdList item;
    if (!ParseWithDesktop(path, desktop, item)) return false;
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD child = nullptr;
    if (FAILED(SHBindToParent(reinterpret_cast<PCIDLIST_ABSOLUTE>(item.p), IID_IShellFolder,
                              reinterpret_cast<void**>(&parent.p), &child)) ||
        !parent.p)
        return false;
    SHDESCRIPTIONID description = {};
    if (FAILED(SHGetDataFromIDListW(parent.p, child, SHGDFIL_DESCRIPTIONID, &description, sizeof(description))))
        return false;
    return IsEqualCLSID(description.clsid, kRecycleBinClass) != 0;
}

unsigned long long RoundUpToTwoSeconds(const FILETIME& time) {
    const unsigned long long value = (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    const unsigned long long rest = value % kTwoSeconds;
    if (rest == 0) return value;
    const unsigned long long step = kTwoSeconds - rest;
    // The last boundary before the largest value cannot be raised; keep the time itself.
    return value > ~0ull - step ? value : value + step;
}

FILETIME ToFileTime(unsigned long long value) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(value);
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return time;
}

}  // namespace

int HasRecycleBinAncestor(CString path) {
    for (CString p = GetParentFolder(path); !p.IsEmpty(); p = GetParentFolder(p)) {
        if (MayHaveShellClass(p) && IsRecycleBin(p)) return 1;
    }
    return 0;
}

int MayHaveRecycleBinAncestor(CString path) {
    for (CString p = GetParentFolder(path); !p.IsEmpty(); p = GetParentFolder(p)) {
        if (MayHaveShellClass(p)) return 1;
    }
    return 0;
}

CString GetShellDisplayName(CString path, DWORD flags) {
    ComPtr<IShellFolder> desktop;
    ItemIdList item;
    if (!ParseWithDesktop(path, desktop, item)) return CString();
    STRRET name = {};
    if (FAILED(desktop->GetDisplayNameOf(reinterpret_cast<PCUITEMID_CHILD>(item.p), flags, &name))) return CString();
    wchar_t* text = nullptr;
    if (FAILED(StrRetToStrW(&name, reinterpret_cast<PCUITEMID_CHILD>(item.p), &text)) || !text) return CString();
    CString result(text);
    CoTaskMemFree(text);
    return result;
}

CString GetShellItemDisplayName(CString path, DWORD sigdn) {
    const auto& create = DLL::GetSHCreateItemFromParsingName();
    if (!create.IsAvailable()) return CString();
    ComPtr<IShellItem> item;
    if (FAILED(create(path.GetString(), nullptr, IID_IShellItem, reinterpret_cast<void**>(&item.p))) || !item.p)
        return CString();
    wchar_t* text = nullptr;
    if (FAILED(item->GetDisplayName(static_cast<SIGDN>(sigdn), &text)) || !text) return CString();
    CString result(text);
    CoTaskMemFree(text);
    return result;
}

int SanitizeFileName(CString& name) {
    CString clean;
    for (int i = 0; i < name.GetLength(); ++i) {
        const UINT type = PathGetCharTypeW(name[i]);
        if (type == GCT_INVALID || (type & (GCT_WILD | GCT_SEPARATOR))) continue;
        clean += name[i];
    }
    int end = clean.GetLength();
    while (end > 0 && (clean[end - 1] == L' ' || clean[end - 1] == L'.')) --end;
    clean.Truncate(end);
    name = clean;
    return name.IsEmpty() ? 0 : 1;
}

LONG CompareFileTimeRounded(const FILETIME& a, const FILETIME& b) {
    const FILETIME ra = ToFileTime(RoundUpToTwoSeconds(a));
    const FILETIME rb = ToFileTime(RoundUpToTwoSeconds(b));
    return CompareFileTime(&ra, &rb);
}

CString FormatFileTime(const FILETIME& time) {
    FILETIME local;
    SYSTEMTIME system;
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &system)) return CString();
    wchar_t date[128] = {};
    wchar_t clock[128] = {};
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &system, nullptr, date, 128)) return CString();
    if (!GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &system, nullptr, clock, 128)) return CString();
    return CString(date) + L" " + CString(clock);
}
