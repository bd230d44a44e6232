// The entry points of SwiftletShellEx.dll, exported by ordinal through the .def file.
#include <windows.h>

#include "shellext/ClassFactory.h"
#include "shellext/ShellExModule.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        ShellEx::AttachModule(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        // At process exit (reserved set) other modules may be gone already: free nothing.
        if (!reserved) ShellEx::ReleaseClassObjects();
        ShellEx::DetachModule();
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() { return ShellEx::CanUnloadNow(); }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    try {
        return ShellEx::GetClassObject(clsid, iid, object);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

STDAPI DllRegisterServer() {
    try {
        return ShellEx::RegisterServer();
    } catch (...) {
        return E_UNEXPECTED;
    }
}

STDAPI DllUnregisterServer() {
    try {
        return ShellEx::UnregisterServer();
    } catch (...) {
        return E_UNEXPECTED;
    }
}

STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    try {
        return ShellEx::Install(install, commandLine);
    } catch (...) {
        return E_UNEXPECTED;
    }
}
