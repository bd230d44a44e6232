#include <windows.h>

#include "control/SwiftletApp.h"
#include "ui/FileCopyDlg.h"

// The one application object of the program: a process that keeps its job shows it in
// the task window.
CSwiftletApp theApp(&RunTaskWindow);

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand) {
    return AfxWinMain(instance, previous, commandLine, showCommand);
}
