#pragma once
// GDI+ for the program's drawing code, mapped and started on first use. A process that
// never draws (a job handed to the running instance, the elevated copy, a job without
// windows) then never loads gdiplus.dll, nor the display driver that GDI+'s start-up
// thread brings in with its hidden window.
//
// The program imports no GDI+ function (the build does not link gdiplus). Drawing code
// calls Start() on its user-interface thread, and only when that answers true binds the
// flat functions it needs from "gdiplus.dll" with SWIFTLET_DYNAMIC_FUNCTION in the
// namespace Graphic::Gdip; the C++ classes of <gdiplus.h> call imported functions and
// are not used. When GDI+ cannot start, drawing falls back to plain GDI.
#include <windows.h>

#include <mutex>

#include "foundation/noncopyable.h"

namespace Graphic {

class GdiplusSession : private noncopyable {
public:
    // The process's session.
    static GdiplusSession& Instance();

    // Maps gdiplus.dll and runs GdiplusStartup (version 1, no debug callback, with its
    // background thread, external codecs allowed) unless GDI+ runs already; true while it
    // runs. A failure is not remembered: the next call tries again.
    bool Start();
    // GdiplusShutdown when GDI+ runs. The library stays mapped, so functions bound from
    // it stay valid and serve again after the next Start. The program's clean-up calls it
    // once every window is gone.
    void Shutdown();
    bool IsStarted() const;
    // GdiplusStartup's token; 0 while GDI+ does not run.
    ULONG_PTR Token() const;

private:
    GdiplusSession() = default;
    ~GdiplusSession() = default;

    mutable std::mutex m_lock;
    HMODULE m_module = nullptr;
    ULONG_PTR m_token = 0;
};

}  // namespace Graphic
