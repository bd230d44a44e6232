#include "framework/Afx.h"

// The module this code is linked into: the program, or a DLL that links the framework.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {
HINSTANCE g_resourceHandle = nullptr;
}

HINSTANCE AfxGetResourceHandle() { return g_resourceHandle ? g_resourceHandle : AfxGetInstanceHandle(); }

void AfxSetResourceHandle(HINSTANCE module) { g_resourceHandle = module; }

HINSTANCE AfxGetInstanceHandle() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }
