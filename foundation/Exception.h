#pragma once
// The exceptions the program throws by value and catches by reference.
#include <windows.h>

#include <string>

#include "framework/CString.h"

class Exception {
public:
    Exception() = default;
    Exception(const std::string& message, int code) : message(message), code(code) {}
    virtual ~Exception() = default;

    std::string message;  // empty at every throw site of the program
    int code = 0;         // 0 at every throw site
};

class WindowsException : public Exception {
public:
    // error: the value of GetLastError() taken right after the failing call.
    explicit WindowsException(DWORD error) : error(error) {}
    ~WindowsException() override = default;

    DWORD error = 0;
};

class WindowsFileException : public WindowsException {
public:
    WindowsFileException(DWORD error, const CString& path) : WindowsException(error), path(path) {}
    ~WindowsFileException() override = default;

    CString path;  // the file or folder on which the call failed
};

// Checked downcasts of a caught exception; null when it is of another kind (or null).
const WindowsException* AsWindowsException(const Exception* e);
const WindowsFileException* AsWindowsFileException(const Exception* e);

// The system's text for an error code in the user's language, without the line break
// the system ends it with; empty for a code the system has no text for.
CString GetSystemErrorMessage(DWORD error);
// The path a WindowsFileException failed on; empty for any other exception.
CString GetExceptionPath(const Exception* e);
