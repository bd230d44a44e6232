#include "foundation/OSVersion.h"

namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);

template <class F>
F Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

COSVersion::COSVersion() {
    // GetVersionExW is deprecated but is the query this object is defined by.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&osvi))) {
        osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&osvi)))
            osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    }
#pragma GCC diagnostic pop

    HMODULE kernel = LoadLibraryW(L"Kernel32.dll");
    if (!kernel) return;

    if (auto isWow64Process = Lookup<IsWow64ProcessFn>(kernel, "IsWow64Process")) {
        BOOL wow = FALSE;
        if (isWow64Process(GetCurrentProcess(), &wow)) isWow64 = wow;
    }
    if (auto nativeInfo = Lookup<GetNativeSystemInfoFn>(kernel, "GetNativeSystemInfo"))
        nativeInfo(&systemInfo);
    else
        GetSystemInfo(&systemInfo);
    if (auto productInfo = Lookup<GetProductInfoFn>(kernel, "GetProductInfo")) {
        DWORD type = 0;
        if (productInfo(osvi.dwMajorVersion, osvi.dwMinorVersion, osvi.wServicePackMajor,
                        osvi.wServicePackMinor, &type))
            productType = type;
    }
    FreeLibrary(kernel);
}
