#include "framework/CException.h"

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CResourceException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CUserException, CException)

namespace {

BOOL CopyMessage(const CString& text, LPWSTR buffer, UINT maxLength, PUINT helpContext) {
    if (helpContext)
        *helpContext = 0;
    if (!buffer || maxLength == 0)
        return FALSE;
    UINT n = static_cast<UINT>(text.GetLength());
    if (n >= maxLength)
        n = maxLength - 1;
    wmemcpy(buffer, text.GetString(), n);
    buffer[n] = L'\0';
    return text.IsEmpty() ? FALSE : TRUE;
}

CString SystemMessage(DWORD error) {
    LPWSTR text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    CString result;
    if (n && text)
        result = CString(text, static_cast<int>(n));
    if (text)
        LocalFree(text);
    return result.TrimRight();
}

}  // namespace

BOOL CException::GetErrorMessage(LPWSTR buffer, UINT maxLength, PUINT helpContext) const {
    return CopyMessage(CString(), buffer, maxLength, helpContext);
}

CString CException::GetErrorMessage() const {
    wchar_t buffer[1024];
    if (!GetErrorMessage(buffer, 1024))
        return CString();
    return CString(buffer);
}

BOOL CResourceException::GetErrorMessage(LPWSTR buffer, UINT maxLength, PUINT helpContext) const {
    return CopyMessage(SystemMessage(ERROR_NOT_ENOUGH_MEMORY), buffer, maxLength, helpContext);
}

CFileException::CFileException(int cause, LONG osError, LPCWSTR fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

int CFileException::OsErrorToException(LONG osError) {
    switch (osError) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_FILENAME_EXCED_RANGE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_CURRENT_DIRECTORY: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_DIR_NOT_EMPTY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_NEGATIVE_SEEK:
    case ERROR_SEEK_ON_DEVICE: return badSeek;
    case ERROR_CRC:
    case ERROR_SEEK:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE: return hardIO;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION:
    case ERROR_LOCK_FAILED: return lockViolation;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
    }
}

void CFileException::ThrowOsError(LONG osError, LPCWSTR fileName) {
    if (osError != NO_ERROR)
        throw CFileException(OsErrorToException(osError), osError, fileName);
}

BOOL CFileException::GetErrorMessage(LPWSTR buffer, UINT maxLength, PUINT helpContext) const {
    CString text = m_lOsError == -1 ? CString() : SystemMessage(static_cast<DWORD>(m_lOsError));
    if (!m_strFileName.IsEmpty())
        text = text.IsEmpty() ? m_strFileName : text + L"\r\n" + m_strFileName;
    return CopyMessage(text, buffer, maxLength, helpContext);
}

void AfxThrowResourceException() { throw CResourceException(); }

void AfxThrowFileException(int cause, LONG osError, LPCWSTR fileName) {
    throw CFileException(cause, osError, fileName);
}

void AfxThrowUserException() { throw CUserException(); }
