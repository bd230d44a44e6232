#pragma once
// Process-wide framework state: the module handles resources and windows come from.
#include <windows.h>

// The module whose resources LoadString and dialogs use (the executable by default).
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);
HINSTANCE AfxGetInstanceHandle();
