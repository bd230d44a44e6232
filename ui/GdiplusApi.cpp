#include "ui/GdiplusApi.h"

#include <new>

namespace Graphic {

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
GdiplusApi* g_api = nullptr;

class Lock {
public:
    Lock() { AcquireSRWLockExclusive(&g_lock); }
    ~Lock() { ReleaseSRWLockExclusive(&g_lock); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
};

}  // namespace

GdiplusApi* GdiplusApi::Get() {
    Lock lock;
    if (g_api)
        return g_api;
    // The module stays mapped once loaded: a later start binds to it again.
    static HMODULE module = ::LoadLibraryW(L"gdiplus.dll");
    if (!module)
        return nullptr;
    auto* api = new (std::nothrow) GdiplusApi;
    if (api && !api->Start()) {
        delete api;
        api = nullptr;
    }
    g_api = api;
    return g_api;
}

void GdiplusApi::Shutdown() {
    Lock lock;
    if (!g_api)
        return;
    g_api->m_shutdown(g_api->m_token);
    delete g_api;
    g_api = nullptr;
}

bool GdiplusApi::Start() {
    if (!m_startup || !m_shutdown || !m_createBitmap || !m_thumbnail || !m_createHBITMAP || !m_dispose)
        return false;
    StartupInput input{1, nullptr, FALSE, FALSE};
    return m_startup(&m_token, &input, nullptr) == 0;
}

GdiplusApi::GpImage* GdiplusApi::CreateBitmapFromHBITMAP(HBITMAP bitmap) const {
    GpImage* image = nullptr;
    return m_createBitmap(bitmap, nullptr, &image) == 0 ? image : nullptr;
}

GdiplusApi::GpImage* GdiplusApi::GetImageThumbnail(GpImage* image, UINT width, UINT height) const {
    GpImage* thumbnail = nullptr;
    return m_thumbnail(image, width, height, &thumbnail, nullptr, nullptr) == 0 ? thumbnail : nullptr;
}

HBITMAP GdiplusApi::CreateHBITMAPFromBitmap(GpImage* bitmap, ARGB background) const {
    HBITMAP result = nullptr;
    return m_createHBITMAP(bitmap, &result, background) == 0 ? result : nullptr;
}

void GdiplusApi::DisposeImage(GpImage* image) const {
    if (image)
        m_dispose(image);
}

}  // namespace Graphic
