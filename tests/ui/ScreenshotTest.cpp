// The screenshot helper of the window tests: what it saves is what the window shows,
// frame and child controls included, even when the window was hidden or covered.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/Screenshot.h"

namespace {

const COLORREF kLeft = RGB(200, 30, 40);
const COLORREF kRight = RGB(20, 60, 210);
const COLORREF kChild = RGB(30, 170, 60);

LRESULT CALLBACK TwoColours(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT r;
        GetClientRect(window, &r);
        const COLORREF colour = GetParent(window) ? kChild : kLeft;
        HBRUSH left = CreateSolidBrush(colour), right = CreateSolidBrush(GetParent(window) ? kChild : kRight);
        RECT half = r;
        half.right = r.right / 2;
        FillRect(reinterpret_cast<HDC>(wParam), &half, left);
        half.left = half.right;
        half.right = r.right;
        FillRect(reinterpret_cast<HDC>(wParam), &half, right);
        DeleteObject(left);
        DeleteObject(right);
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class Painted {
public:
    Painted() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TwoColours;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SwiftletScreenshotTest";
        RegisterClassW(&wc);
        // A frame with a caption, so the capture must hold the non-client part too; it clips
        // its child, so what shows where the child lies is the child's own painting.
        m_window = CreateWindowExW(0, wc.lpszClassName, L"撮影", WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN, 120, 90,
                                   300, 200, nullptr, nullptr, wc.hInstance, nullptr);
        m_child = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 20, 30, 60, 40, m_window, nullptr,
                                  wc.hInstance, nullptr);
    }
    ~Painted() { DestroyWindow(m_window); }
    Painted(const Painted&) = delete;
    Painted& operator=(const Painted&) = delete;
    HWND Window() const { return m_window; }
    HWND Child() const { return m_child; }
    // Where a client point of the window lies in the saved image of the whole window.
    POINT InImage(int x, int y) const {
        POINT p{x, y};
        ClientToScreen(m_window, &p);
        RECT r;
        GetWindowRect(m_window, &r);
        return POINT{p.x - r.left, p.y - r.top};
    }

private:
    HWND m_window = nullptr;
    HWND m_child = nullptr;
};

}  // namespace

TEST(Screenshot, SavesTheFrameTheClientAreaAndTheChildren) {
    Painted p;
    ASSERT_NE(nullptr, p.Window());
    ASSERT_FALSE(IsWindowVisible(p.Window()));
    ASSERT_TRUE(SaveWindowScreenshot(p.Window(), L"screenshot-helper"));
    RECT r;
    GetWindowRect(p.Window(), &r);
    const SIZE s = ScreenshotSize(L"screenshot-helper");
    EXPECT_EQ(r.right - r.left, s.cx);
    EXPECT_EQ(r.bottom - r.top, s.cy);
    RECT client;
    GetClientRect(p.Window(), &client);
    const POINT left = p.InImage(client.right / 4, client.bottom - 10);
    const POINT right = p.InImage(client.right * 3 / 4, client.bottom - 10);
    const POINT child = p.InImage(50, 50);
    EXPECT_EQ(kLeft, ScreenshotPixel(L"screenshot-helper", left.x, left.y));
    EXPECT_EQ(kRight, ScreenshotPixel(L"screenshot-helper", right.x, right.y));
    EXPECT_EQ(kChild, ScreenshotPixel(L"screenshot-helper", child.x, child.y));
    // The caption bar is not the client's colour.
    const POINT caption = p.InImage(client.right / 4, -GetSystemMetrics(SM_CYCAPTION) / 2);
    EXPECT_NE(kLeft, ScreenshotPixel(L"screenshot-helper", caption.x, caption.y));
    // A hidden window is hidden again afterwards, and not left above the others.
    EXPECT_FALSE(IsWindowVisible(p.Window()));
    EXPECT_EQ(0, GetWindowLongPtrW(p.Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST(Screenshot, SavesAChildWindowAlone) {
    Painted p;
    ShowWindow(p.Window(), SW_SHOWNOACTIVATE);
    ASSERT_TRUE(SaveWindowScreenshot(p.Child(), L"screenshot-helper-child"));
    const SIZE s = ScreenshotSize(L"screenshot-helper-child");
    EXPECT_EQ(60, s.cx);
    EXPECT_EQ(40, s.cy);
    EXPECT_EQ(kChild, ScreenshotPixel(L"screenshot-helper-child", 0, 0));
    EXPECT_EQ(kChild, ScreenshotPixel(L"screenshot-helper-child", 59, 39));
    EXPECT_TRUE(IsWindowVisible(p.Window()));
}

// Another window lying over the one being saved does not get into the picture.
TEST(Screenshot, WindowIsRaisedAboveOneThatCoversIt) {
    Painted p;
    ShowWindow(p.Window(), SW_SHOWNOACTIVATE);
    RECT r;
    GetWindowRect(p.Window(), &r);
    HWND cover = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE | SS_BLACKRECT, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, cover);
    SetWindowPos(cover, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(SaveWindowScreenshot(p.Window(), L"screenshot-helper-covered"));
    const POINT child = p.InImage(50, 50);
    EXPECT_EQ(kChild, ScreenshotPixel(L"screenshot-helper-covered", child.x, child.y));
    DestroyWindow(cover);
}

// A small window of another program that keeps itself on top for a moment (a popup menu)
// and lies over the child only: the picture waits until it is gone.
TEST(Screenshot, WaitsForASmallPopupOverTheChildToGo) {
    Painted p;
    ShowWindow(p.Window(), SW_SHOWNOACTIVATE);
    RECT child;
    GetWindowRect(p.Child(), &child);
    // Not a static control: those let the mouse (and WindowFromPoint) through, a menu does not.
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"SwiftletScreenshotTestPopup";
    RegisterClassW(&wc);
    static HWND popup;
    static DWORD shownAt;
    popup = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE,
                            child.left + 10, child.top + 10, 24, 16, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, popup);
    shownAt = GetTickCount();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
        if (!popup) return;
        if (GetTickCount() - shownAt > 500) {
            DestroyWindow(popup);
            popup = nullptr;
            return;
        }
        SetWindowPos(popup, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    });
    EXPECT_TRUE(SaveWindowScreenshot(p.Window(), L"screenshot-helper-popup"));
    KillTimer(nullptr, timer);
    if (popup) DestroyWindow(popup);
    popup = nullptr;
    const POINT inChild = p.InImage(20 + 10 + 12, 30 + 10 + 8);
    EXPECT_EQ(kChild, ScreenshotPixel(L"screenshot-helper-popup", inChild.x, inChild.y));
}

TEST(Screenshot, SavesABitmapPixelForPixel) {
    const DWORD pixels[] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF, 0x00000000, 0x00808080};
    HBITMAP bitmap = CreateBitmap(3, 2, 1, 32, pixels);
    ASSERT_NE(nullptr, bitmap);
    ASSERT_TRUE(SaveBitmapScreenshot(bitmap, L"screenshot-helper-bitmap"));
    DeleteObject(bitmap);
    const SIZE s = ScreenshotSize(L"screenshot-helper-bitmap");
    EXPECT_EQ(3, s.cx);
    EXPECT_EQ(2, s.cy);
    EXPECT_EQ(RGB(255, 0, 0), ScreenshotPixel(L"screenshot-helper-bitmap", 0, 0));
    EXPECT_EQ(RGB(0, 255, 0), ScreenshotPixel(L"screenshot-helper-bitmap", 1, 0));
    EXPECT_EQ(RGB(0, 0, 255), ScreenshotPixel(L"screenshot-helper-bitmap", 2, 0));
    EXPECT_EQ(RGB(128, 128, 128), ScreenshotPixel(L"screenshot-helper-bitmap", 2, 1));
}
