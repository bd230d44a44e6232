#include "foundation/ComApartment.h"

#include <windows.h>
#include <objbase.h>

namespace Com {

namespace {

thread_local bool t_opened = false;

}  // namespace

bool EnsureThreadApartment() {
    if (t_opened)
        return true;
    const HRESULT hr = CoInitialize(nullptr);
    if (hr == S_OK) {
        t_opened = true;
        return true;
    }
    if (hr == S_FALSE) {
        // Someone else's apartment: it stays theirs to close.
        CoUninitialize();
        return true;
    }
    return hr == RPC_E_CHANGED_MODE;  // a multithreaded apartment serves as well
}

void CloseThreadApartment() {
    if (!t_opened)
        return;
    t_opened = false;
    CoUninitialize();
}

bool OpenedThreadApartment() { return t_opened; }

}  // namespace Com
