#pragma once
// Drives the task window of a real Swiftlet.exe from the test process, as a user or a
// tool would: finds its windows by class, owner and control id, reads their texts and
// clicks their buttons with Win32 calls.
#include <windows.h>

#include <functional>
#include <vector>

#include "framework/CString.h"

namespace TaskWindowDriver {

// Asks done() every 10 ms until it answers true; false after timeoutMs.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 60000);

// A window's text, read with WM_GETTEXT (also from another process's window).
CString WindowText(HWND window);
// A string of the program's string table (the test program links the same resources).
CString ProgramString(UINT id);

// The task window of a process (a top-level dialog with the banner); null when none.
HWND FindTaskWindow(DWORD processId);
// A message box the process shows over its task window; null when none.
HWND FindMessageBox(DWORD processId);

// The operation list, its panels in display order, and what a panel shows.
HWND OperationList(HWND taskWindow);
std::vector<HWND> Panels(HWND taskWindow);
// The panel's visible view (control id 0xE900); null when there is none.
HWND ActiveView(HWND panel);
// Where a panel's visible view stands among the panel's children: the same place in two
// panels is the same view of each (both make their views in one order).
int ActiveViewPlace(HWND panel);
// A control of the panel's visible view.
HWND ViewItem(HWND panel, int id);

// Clicks the pause button of a running job once it can be used, and waits until the
// job reports that it has paused. False when that did not happen within timeoutMs.
bool PauseJob(HWND panel, DWORD timeoutMs = 60000);

// count files of size bytes each (names f0000.bin...) in folder, made with the system.
bool MakeFiles(const CString& folder, int count, int size);
// Files under folder (relative paths; folders left out).
std::vector<CString> ListFiles(const CString& folder);
// Every file under copy has a file of the same relative path under source with the
// same bytes: nothing half written was left behind.
bool AllFilesComplete(const CString& source, const CString& copy);

}  // namespace TaskWindowDriver
