#include "foundation/GdiplusSession.h"

namespace Graphic {

namespace {

// GdiplusStartupInput of version 1.
struct StartupInput {
    UINT32 version = 1;
    void* debugEventCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};

using StartupType = int(WINAPI*)(ULONG_PTR* token, const StartupInput* input, void* output);
using ShutdownType = void(WINAPI*)(ULONG_PTR token);

constexpr int kOk = 0;

template <class F>
F Bind(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

GdiplusSession& GdiplusSession::Instance() {
    static GdiplusSession session;
    return session;
}

bool GdiplusSession::Start() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_token != 0)
        return true;
    if (!m_module)
        m_module = LoadLibraryW(L"gdiplus.dll");
    if (!m_module)
        return false;
    const auto startup = Bind<StartupType>(m_module, "GdiplusStartup");
    StartupInput input;
    ULONG_PTR token = 0;
    if (!startup || startup(&token, &input, nullptr) != kOk || token == 0)
        return false;
    m_token = token;
    return true;
}

void GdiplusSession::Shutdown() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_token != 0) {
        if (const auto shutdown = Bind<ShutdownType>(m_module, "GdiplusShutdown"))
            shutdown(m_token);
        m_token = 0;
    }
}

bool GdiplusSession::IsStarted() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_token != 0;
}

ULONG_PTR GdiplusSession::Token() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_token;
}

}  // namespace Graphic
