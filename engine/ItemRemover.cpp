#include "engine/ItemRemover.h"

#include "foundation/Links.h"
#include "foundation/Paths.h"

namespace Swiftlet {

namespace {

constexpr DWORD kOpenAsItself = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The attributes a file's basic information may carry back.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

ItemRemover::ItemRemover()
    : m_setInformation(L"Kernel32.dll", "SetFileInformationByHandle"), m_reopen(L"Kernel32.dll", "ReOpenFile") {}

ItemRemover::Result ItemRemover::RemoveFile(const CString& path) { return Remove(path, false); }

ItemRemover::Result ItemRemover::RemoveFolder(const CString& path) { return Remove(path, true); }

int ItemRemover::OpensAsItself(const CString& path) {
    const HANDLE handle = CreateFileW(ToLongPath(path), 0, kShareAll, nullptr, OPEN_EXISTING, kOpenAsItself, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return 0;
    const int itself = IsAtItsPlace(handle, path);
    CloseHandle(handle);
    return itself;
}

CString ItemRemover::ParentRealPath(const CString& path) {
    const CString parent = GetParentFolder(path);
    if (parent.IsEmpty()) return CString();
    if (parent.CompareNoCase(m_parent) != 0) {
        m_parent = parent;
        m_parentReal = Links::GetRealPath(parent);
    }
    return m_parentReal;
}

int ItemRemover::IsAtItsPlace(HANDLE handle, const CString& path) {
    const CString own = Links::GetFinalPath(handle);
    const CString parentReal = ParentRealPath(path);
    // Where the system cannot tell, a handle opened as itself is the object itself.
    if (own.IsEmpty() || parentReal.IsEmpty()) return 1;
    return Links::IsSamePath(own, Links::JoinPath(parentReal, GetFileNamePart(path)));
}

// The look at the object asks for no access that another handle's share mode could
// refuse: the reader of the job may be reading the same file under another name (a link
// to it, which is not removed), and must not be turned away meanwhile. Only an object
// found to be itself is opened again, from the same handle, to be deleted.
HANDLE ItemRemover::OpenForRemoval(const CString& path, int* itself) {
    const DWORD access = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
    *itself = 0;
    if (!m_reopen.IsAvailable()) {
        const HANDLE handle =
            CreateFileW(ToLongPath(path), access, kShareAll, nullptr, OPEN_EXISTING, kOpenAsItself, nullptr);
        if (handle != INVALID_HANDLE_VALUE) *itself = IsAtItsPlace(handle, path);
        return handle;
    }
    const HANDLE look =
        CreateFileW(ToLongPath(path), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, kOpenAsItself, nullptr);
    if (look == INVALID_HANDLE_VALUE) return look;
    *itself = IsAtItsPlace(look, path);
    HANDLE handle = look;
    if (*itself) {
        handle = m_reopen(look, access, kShareAll, kOpenAsItself);
        const DWORD error = GetLastError();
        CloseHandle(look);
        SetLastError(error);
    }
    return handle;
}

ItemRemover::Result ItemRemover::Remove(const CString& path, bool folder) {
    if (!m_setInformation.IsAvailable()) return RemoveByName(path, folder);
    int itself = 0;
    const HANDLE handle = OpenForRemoval(path, &itself);
    if (handle == INVALID_HANDLE_VALUE) return kFailed;
    const Result result = itself ? RemoveOpened(handle) : kNotItself;
    const DWORD error = GetLastError();
    CloseHandle(handle);  // a file marked for deletion goes now
    SetLastError(error);
    return result;
}

ItemRemover::Result ItemRemover::RemoveOpened(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = TRUE;
    if (m_setInformation(handle, FileDispositionInfo, &disposition, sizeof(disposition))) return kRemoved;
    DWORD error = GetLastError();
    BY_HANDLE_FILE_INFORMATION info = {};
    // A read-only file or folder is refused: lift the mark and try once more.
    if (error != ERROR_ACCESS_DENIED || !GetFileInformationByHandle(handle, &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(error);
        return kFailed;
    }
    FILE_BASIC_INFO basic = {};
    // Zero attributes would mean "unchanged".
    basic.FileAttributes = info.dwFileAttributes & kSettableAttributes & ~FILE_ATTRIBUTE_READONLY;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (m_setInformation(handle, FileBasicInfo, &basic, sizeof(basic))) {
        if (m_setInformation(handle, FileDispositionInfo, &disposition, sizeof(disposition))) return kRemoved;
        error = GetLastError();
        basic.FileAttributes = (info.dwFileAttributes & kSettableAttributes) | FILE_ATTRIBUTE_READONLY;
        m_setInformation(handle, FileBasicInfo, &basic, sizeof(basic));
    }
    SetLastError(error);
    return kFailed;
}

// Systems before Windows Vista: no deletion through a handle, and no links but junctions,
// which RemoveDirectoryW removes as themselves.
ItemRemover::Result ItemRemover::RemoveByName(const CString& path, bool folder) {
    const CString longPath = ToLongPath(path);
    if (folder) return RemoveDirectoryW(longPath) ? kRemoved : kFailed;
    const DWORD attributes = GetFileAttributesW(longPath);
    const bool lifted = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
                        SetFileAttributesW(longPath, attributes & ~FILE_ATTRIBUTE_READONLY);
    if (::DeleteFileW(longPath)) return kRemoved;
    const DWORD error = GetLastError();
    if (lifted) SetFileAttributesW(longPath, attributes);
    SetLastError(error);
    return kFailed;
}

}  // namespace Swiftlet
