#include <windows.h>

#include "control/SwiftletApp.h"
#include "ui/TaskWindowStart.h"

// The one application object of the program: a process that keeps its job runs it, and
// shows it in the task window once a window is needed.
CSwiftletApp theApp(&RunJobThenTaskWindow);

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand) {
    return AfxWinMain(instance, previous, commandLine, showCommand);
}
