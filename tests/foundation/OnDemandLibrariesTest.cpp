#include <gtest/gtest.h>

#include <windows.h>

#include "foundation/DynamicFunction.h"
#include "foundation/GdiplusSession.h"

namespace {

// Flat functions bound the way the program's drawing code binds them.
namespace Gdip {
SWIFTLET_DYNAMIC_FUNCTION(GdipCreateBitmapFromScan0, L"gdiplus.dll",
                          int(WINAPI*)(INT, INT, INT, INT, BYTE*, void**))
SWIFTLET_DYNAMIC_FUNCTION(GdipGetImageWidth, L"gdiplus.dll", int(WINAPI*)(void*, UINT*))
SWIFTLET_DYNAMIC_FUNCTION(GdipDisposeImage, L"gdiplus.dll", int(WINAPI*)(void*))
}  // namespace Gdip

constexpr INT kPixelFormat32bppARGB = 0x26200A;

}  // namespace

// Started on demand, GDI+ runs, and its flat functions bound afterwards work; after the
// shutdown it can be started again.
TEST(GdiplusSession, StartsOnDemandAndServesRunTimeBoundFunctions) {
    Graphic::GdiplusSession& session = Graphic::GdiplusSession::Instance();
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(session.Start());
        EXPECT_TRUE(session.IsStarted());
        EXPECT_NE(0u, session.Token());
        EXPECT_TRUE(session.Start()) << "a second start keeps the running session";

        Gdip::GdipCreateBitmapFromScan0 create;
        Gdip::GdipGetImageWidth width;
        Gdip::GdipDisposeImage dispose;
        ASSERT_TRUE(create.IsAvailable() && width.IsAvailable() && dispose.IsAvailable());
        void* bitmap = nullptr;
        ASSERT_EQ(0, create(37, 5, 0, kPixelFormat32bppARGB, nullptr, &bitmap));
        UINT w = 0;
        EXPECT_EQ(0, width(bitmap, &w));
        EXPECT_EQ(37u, w);
        EXPECT_EQ(0, dispose(bitmap));

        session.Shutdown();
        EXPECT_FALSE(session.IsStarted());
        EXPECT_EQ(0u, session.Token());
        session.Shutdown();  // nothing left to end
    }
}
