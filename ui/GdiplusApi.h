#pragma once
// GDI+ for the few drawing steps that use it, loaded and started on first use.
//
// A job that never shows a window must not load GDI+, so nothing of the program imports
// it: every GDI+ function is reached through this binder. Get() starts the process's
// GDI+ session (Graphic::GdiplusSession, which maps gdiplus.dll) and binds the functions
// the first time it is asked; Shutdown() ends the session, as the program's clean-up does
// after the last window. Both run on the user-interface thread.
#include <windows.h>

#include "foundation/DynamicFunction.h"

namespace Graphic {

class GdiplusApi : private noncopyable {
public:
    // The flat API's handles; only ever passed back to it.
    struct GpImage;
    using Status = int;  // 0: Ok
    using ARGB = DWORD;

    // Started GDI+, or null when it cannot be loaded or started.
    static GdiplusApi* Get();
    // Ends GDI+ if Get() started it; a later Get() starts it again.
    static void Shutdown();

    // A GDI+ bitmap of a GDI bitmap; null on failure. Released with DisposeImage.
    GpImage* CreateBitmapFromHBITMAP(HBITMAP bitmap) const;
    // A copy of image scaled to width x height; null on failure.
    GpImage* GetImageThumbnail(GpImage* image, UINT width, UINT height) const;
    // A new GDI bitmap of a GDI+ bitmap, its transparent parts on background; null on failure.
    HBITMAP CreateHBITMAPFromBitmap(GpImage* bitmap, ARGB background) const;
    void DisposeImage(GpImage* image) const;

private:
    GdiplusApi() = default;
    bool IsBound() const;

    SWIFTLET_DYNAMIC_FUNCTION(GdipCreateBitmapFromHBITMAP, L"gdiplus.dll",
                              Status(WINAPI*)(HBITMAP, HPALETTE, GpImage**))
    SWIFTLET_DYNAMIC_FUNCTION(GdipGetImageThumbnail, L"gdiplus.dll",
                              Status(WINAPI*)(GpImage*, UINT, UINT, GpImage**, void*, void*))
    SWIFTLET_DYNAMIC_FUNCTION(GdipCreateHBITMAPFromBitmap, L"gdiplus.dll", Status(WINAPI*)(GpImage*, HBITMAP*, ARGB))
    SWIFTLET_DYNAMIC_FUNCTION(GdipDisposeImage, L"gdiplus.dll", Status(WINAPI*)(GpImage*))

    GdipCreateBitmapFromHBITMAP m_createBitmap;
    GdipGetImageThumbnail m_thumbnail;
    GdipCreateHBITMAPFromBitmap m_createHBITMAP;
    GdipDisposeImage m_dispose;
};

}  // namespace Graphic
