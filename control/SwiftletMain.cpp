#include <windows.h>

#include "control/SwiftletApp.h"

// The one application object of the program.
CSwiftletApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand) {
    return AfxWinMain(instance, previous, commandLine, showCommand);
}
