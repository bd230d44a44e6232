#pragma once
// Which Windows runs, asked once at construction.
#include <windows.h>

class COSVersion {
public:
    COSVersion();
    virtual ~COSVersion() = default;

    // Major version below 6: a system before Windows Vista.
    bool IsVistaOrLater() const { return osvi.dwMajorVersion >= 6; }
    bool IsWindows7OrLater() const {
        return osvi.dwMajorVersion > 6 || (osvi.dwMajorVersion == 6 && osvi.dwMinorVersion >= 1);
    }
    // The size field tells whether the extended part of osvi was filled.
    bool HasExtendedInfo() const { return osvi.dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXW); }

    OSVERSIONINFOEXW osvi{};
    BOOL isWow64 = FALSE;
    DWORD productType = 0;
    SYSTEM_INFO systemInfo{};  // native where the system offers it
};
