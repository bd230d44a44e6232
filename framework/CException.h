#pragma once
// The framework's exceptions. Unlike the library this layer is shaped after, they are
// thrown by value and caught by reference (catch (CException& e)), like every other
// exception of the program: nothing has to remember to delete them.
#include "framework/CObject.h"
#include "framework/CString.h"

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    CException() = default;
    CException(const CException&) = default;
    CException& operator=(const CException&) = default;
    // Copies the text of the error into buffer (at most maxLength characters with the
    // terminator); helpContext is set to 0 when given. FALSE when there is no text.
    virtual BOOL GetErrorMessage(LPWSTR buffer, UINT maxLength, PUINT helpContext = nullptr) const;
    CString GetErrorMessage() const;
};

// A resource could not be created or loaded (window class, GDI object, sync object).
class CResourceException : public CException {
    DECLARE_DYNAMIC(CResourceException)
public:
    CResourceException() = default;
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxLength, PUINT helpContext = nullptr) const override;
};

// A file operation failed: the system error code and the path it failed on.
class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none, genericException, fileNotFound, badPath, tooManyOpenFiles, accessDenied,
        invalidFile, removeCurrentDir, directoryFull, badSeek, hardIO, sharingViolation,
        lockViolation, diskFull, endOfFile
    };

    explicit CFileException(int cause = none, LONG osError = -1, LPCWSTR fileName = nullptr);
    // The cause that matches a system error code.
    static int OsErrorToException(LONG osError);
    static void ThrowOsError(LONG osError, LPCWSTR fileName = nullptr);
    // The system's text for the error, followed by the path when there is one.
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxLength, PUINT helpContext = nullptr) const override;

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

// An operation the user is told about (a failed dialog data exchange): the catcher
// only stops what it was doing.
class CUserException : public CException {
    DECLARE_DYNAMIC(CUserException)
public:
    CUserException() = default;
};

[[noreturn]] void AfxThrowResourceException();
[[noreturn]] void AfxThrowUserException();
[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1, LPCWSTR fileName = nullptr);
