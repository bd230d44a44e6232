#include "foundation/FindEx.h"

#include <cstring>

#include "foundation/Paths.h"

CFindExFindFirstFileImpl::CFindExFindFirstFileImpl() : m_handle(INVALID_HANDLE_VALUE), m_exhausted(false) {
    std::memset(&m_next, 0, sizeof(m_next));
    std::memset(&m_found, 0, sizeof(m_found));
}

CFindExFindFirstFileImpl::~CFindExFindFirstFileImpl() { Close(); }

int CFindExFindFirstFileImpl::FindFile(CString pattern) {
    Close();
    // GetFullPathNameW keeps paths past MAX_PATH intact.
    const CString full = GetFullPath(pattern);
    CString drive, folder;
    SplitPath(full, &drive, &folder, nullptr, nullptr);
    if (full.IsEmpty() || folder.IsEmpty()) {
        SetLastError(ERROR_BAD_ARGUMENTS);
        return 0;
    }
    m_root = drive + folder;
    m_handle = FindFirstFileW(ToLongPath(full), &m_next);
    if (m_handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        Close();
        SetLastError(error);
        return 0;
    }
    return 1;
}

int CFindExFindFirstFileImpl::FindNextFile() {
    if (!IsOpen() || m_exhausted) return 0;
    m_found = m_next;
    if (::FindNextFileW(m_handle, &m_next)) return 1;
    m_exhausted = true;
    return 0;
}

void CFindExFindFirstFileImpl::Close() {
    m_root.Empty();
    std::memset(&m_next, 0, sizeof(m_next));
    std::memset(&m_found, 0, sizeof(m_found));
    m_exhausted = false;
    if (IsOpen()) {
        FindClose(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }
}

CString CFindExFindFirstFileImpl::GetFileName() const {
    if (!IsOpen()) return CString();
    // The record is the system's; never read past its array.
    return CString(m_found.cFileName, static_cast<int>(wcsnlen(m_found.cFileName, MAX_PATH)));
}

CString CFindExFindFirstFileImpl::GetFilePath() const {
    const CString name = GetFileName();
    if (name.IsEmpty()) return CString();
    CString path = m_root;
    if (path.IsEmpty() || path[path.GetLength() - 1] != L'\\') path += L'\\';
    return path + name;
}

unsigned long long CFindExFindFirstFileImpl::GetLength() const {
    if (!IsOpen()) return 0;
    return (static_cast<unsigned long long>(m_found.nFileSizeHigh) << 32) | m_found.nFileSizeLow;
}

int CFindExFindFirstFileImpl::IsDots() const {
    if (!IsDirectory()) return 0;
    const CString name = GetFileName();
    return name == L"." || name == L".." ? 1 : 0;
}

int CFindExFindFirstFileImpl::HasAttribute(DWORD bit) const {
    if (!IsOpen()) return 0;
    return (m_found.dwFileAttributes & bit) ? 1 : 0;
}

DWORD CFindExFindFirstFileImpl::GetReparseTag() const {
    return IsReparsePoint() ? m_found.dwReserved0 : 0;
}

DWORD CFindExFindFirstFileImpl::GetAttributes() const { return IsOpen() ? m_found.dwFileAttributes : 0; }

CFindEx::CFindEx() : m_impl(new CFindExFindFirstFileImpl) {}

CFindEx::~CFindEx() { delete m_impl; }
