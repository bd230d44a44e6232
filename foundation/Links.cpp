#include "foundation/Links.h"

#include "foundation/DynamicFunction.h"
#include "foundation/Paths.h"

namespace Links {

namespace {

using GetFinalPathNameByHandleWType = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
SWIFTLET_DYNAMIC_FUNCTION(GetFinalPathNameByHandleW, L"kernel32.dll", GetFinalPathNameByHandleWType)

const GetFinalPathNameByHandleW& FinalPathFunction() {
    static const GetFinalPathNameByHandleW function;
    return function;
}

}  // namespace

int IsLinkReparsePoint(DWORD attributes, DWORD reparseTag) {
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return 0;
    return reparseTag == 0 || IsReparseTagNameSurrogate(reparseTag) ? 1 : 0;
}

CString GetFinalPath(HANDLE handle) {
    const GetFinalPathNameByHandleW& function = FinalPathFunction();
    if (!function.IsAvailable()) return CString();
    DWORD size = MAX_PATH + 1;
    for (int attempt = 0; attempt < 4; ++attempt) {
        CString path;
        wchar_t* buffer = path.GetBuffer(static_cast<int>(size));
        const DWORD length = function(handle, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            path.ReleaseBuffer(0);
            return CString();
        }
        if (length < size) {
            path.ReleaseBuffer(static_cast<int>(length));
            return path;
        }
        path.ReleaseBuffer(0);
        size = length + 1;  // the length the name needs, with its terminator
    }
    return CString();
}

CString GetRealPath(const CString& path) {
    // No access is asked for: only the name is wanted, and a folder another program holds
    // open without sharing can still be looked at.
    const HANDLE handle = CreateFileW(ToLongPath(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return CString();
    const CString finalPath = GetFinalPath(handle);
    CloseHandle(handle);
    return finalPath;
}

CString JoinPath(const CString& folder, const CString& name) {
    if (folder.IsEmpty()) return name;
    if (folder[folder.GetLength() - 1] == L'\\') return folder + name;
    return folder + L"\\" + name;
}

int IsSamePath(const CString& a, const CString& b) {
    return StripTrailingBackslash(a).CompareNoCase(StripTrailingBackslash(b)) == 0 ? 1 : 0;
}

int IsSameOrAncestor(const CString& ancestor, const CString& path) {
    if (ancestor.IsEmpty() || path.IsEmpty()) return 0;
    if (IsSamePath(ancestor, path)) return 1;
    CString prefix = ancestor;
    if (prefix[prefix.GetLength() - 1] != L'\\') prefix += L'\\';
    return path.GetLength() > prefix.GetLength() && path.Left(prefix.GetLength()).CompareNoCase(prefix) == 0 ? 1
                                                                                                               : 0;
}

}  // namespace Links
