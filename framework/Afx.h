#pragma once
// Process-wide framework state: the module handles resources and windows come from.
#include <windows.h>

// The module whose resources strings, dialogs and bitmaps come from: by default the
// module the framework is linked into; a DLL that keeps its resources elsewhere points
// it at that module.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);
// The module the framework is linked into (the program, or a DLL that links it): window
// classes are registered for it.
HINSTANCE AfxGetInstanceHandle();
