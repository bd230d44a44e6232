#include "ui/GdiplusApi.h"

#include <new>

#include "foundation/GdiplusSession.h"

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
    if (!GdiplusSession::Instance().Start())
        return nullptr;
    // The session keeps the library mapped: what was bound once stays valid.
    if (!g_api) {
        auto* api = new (std::nothrow) GdiplusApi;
        if (api && !api->IsBound()) {
            delete api;
            api = nullptr;
        }
        g_api = api;
    }
    return g_api;
}

void GdiplusApi::Shutdown() {
    Lock lock;
    GdiplusSession::Instance().Shutdown();
}

bool GdiplusApi::IsBound() const {
    return m_createBitmap && m_thumbnail && m_createHBITMAP && m_dispose;
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
