#include "framework/Afx.h"

namespace {
HINSTANCE g_resourceHandle = nullptr;
}

HINSTANCE AfxGetResourceHandle() {
    return g_resourceHandle ? g_resourceHandle : GetModuleHandleW(nullptr);
}

void AfxSetResourceHandle(HINSTANCE module) { g_resourceHandle = module; }

HINSTANCE AfxGetInstanceHandle() { return GetModuleHandleW(nullptr); }
