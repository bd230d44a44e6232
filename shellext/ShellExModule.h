#pragma once
// The state of the extension's module inside the process that loaded it (Explorer,
// regsvr32, a test): its handle, the count of live objects and locks that decides
// whether it may be unloaded, the per-user switch, and its self-registration.
#include <windows.h>

#include "framework/CString.h"

namespace ShellEx {

// Called from DllMain.
void AttachModule(HINSTANCE instance);
void DetachModule();
// Null until attached.
HINSTANCE ModuleInstance();

// Every live object and every IClassFactory::LockServer(TRUE) holds one count.
void LockModule();
void UnlockModule();
LONG ModuleLockCount();

// Per-user mode: the scripts write below HKEY_CURRENT_USER\Software\Classes and the type
// library is registered for the current user only. Off at load.
void SetPerUserRegistration(bool perUser);
bool IsPerUserRegistration();

// The module's own file; empty when it cannot be read.
CString ModulePath();
// "Swiftlet.exe" in the module's folder.
CString MainProgramPath();
// A string of the module's string table; empty when missing.
CString LoadModuleString(UINT id);

// The registration entry points; the first failure stops the sequence and is returned.
HRESULT RegisterServer();
HRESULT UnregisterServer();
// install: register (and undo a failed registration), or unregister. A command line of
// "user" (in any case) switches to per-user mode first.
HRESULT Install(BOOL install, const wchar_t* commandLine);

}  // namespace ShellEx
