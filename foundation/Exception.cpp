#include "foundation/Exception.h"

const WindowsException* AsWindowsException(const Exception* e) {
    return dynamic_cast<const WindowsException*>(e);
}

const WindowsFileException* AsWindowsFileException(const Exception* e) {
    return dynamic_cast<const WindowsFileException*>(e);
}

CString GetSystemErrorMessage(DWORD error) {
    const DWORD kCapacity = 1024;
    wchar_t buffer[kCapacity] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, kCapacity, nullptr);
    if (length >= kCapacity)
        length = kCapacity - 1;
    CString text(buffer, static_cast<int>(length));
    int end = text.GetLength();
    while (end > 0 && (text.GetAt(end - 1) == L'\r' || text.GetAt(end - 1) == L'\n'))
        --end;
    text.Truncate(end);
    return text;
}

CString GetExceptionPath(const Exception* e) {
    const WindowsFileException* fileError = AsWindowsFileException(e);
    return fileError ? fileError->path : CString();
}
