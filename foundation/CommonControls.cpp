#include "foundation/CommonControls.h"

#include <commctrl.h>

#include <mutex>

namespace Controls {

namespace {

using InitCommonControlsExType = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

std::mutex g_lock;
HMODULE g_module = nullptr;  // kept until the process ends, as an import would be

}  // namespace

bool Register(DWORD classes) {
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_module)
        g_module = LoadLibraryW(L"comctl32.dll");
    if (!g_module)
        return false;
    const auto init = reinterpret_cast<InitCommonControlsExType>(
        reinterpret_cast<void*>(GetProcAddress(g_module, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), classes};
    return init && init(&controls);
}

}  // namespace Controls
