#pragma once
// Windows and pictures for the tests of the program's own controls: a white host window
// and white dialogs of the program's templates (painted as the program paints them, and
// recording the notifications and commands they get), and an off-screen canvas whose
// pixels the tests read.
#include <windows.h>

#include <functional>
#include <vector>

#include "framework/CDialog.h"
#include "framework/CString.h"

// COM (single-threaded), the common controls, and UxTheme and shell32 mapped, as the
// program has them when it shows windows. Call at the start of every test with windows.
void PrepareWindowTest();

struct ReceivedNotification {
    UINT code;
    UINT_PTR id;
    HWND from;
};

// B: CWnd or CDialog.
template <class B>
class TWhite : public B {
public:
    using B::B;
    std::vector<ReceivedNotification> notifications;
    std::vector<std::pair<UINT, UINT>> commands;  // (id, code)
    std::function<void(TWhite&)> onInit;          // dialogs: at WM_INITDIALOG

    // A top-level window of the framework's class with this client size (CWnd hosts).
    bool Open(const wchar_t* title, int width, int height, POINT at = POINT{60, 60});

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        notifications.push_back({header->code, header->idFrom, header->hwndFrom});
        return B::OnNotify(wParam, lParam, result);
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return B::OnCommand(wParam, lParam);
    }
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd*, UINT) {
        dc->SetBkColor(RGB(255, 255, 255));
        return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    }
    afx_msg BOOL OnEraseBkgnd(CDC* dc) {
        CRect client;
        this->GetClientRect(&client);
        dc->FillRect(&client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

using CWhiteHost = TWhite<CWnd>;

// A dialog of one of the program's templates; a child template is made as a child of
// host (which is sized to hold it).
class CWhiteDialog : public TWhite<CDialog> {
public:
    explicit CWhiteDialog(UINT templateId) : TWhite<CDialog>(templateId) {}
    bool Open(CWhiteHost* host = nullptr);

protected:
    BOOL OnInitDialog() override {
        const BOOL focus = CDialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        return focus;
    }
};

// A 32-bit off-screen picture, white at first, drawn into through Dc().
class TestCanvas {
public:
    TestCanvas(int width, int height, COLORREF fill = RGB(255, 255, 255));
    ~TestCanvas();
    TestCanvas(const TestCanvas&) = delete;
    TestCanvas& operator=(const TestCanvas&) = delete;

    HDC Dc() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF Pixel(int x, int y) const;
    // Whether every pixel of the rectangle has this colour.
    bool All(const RECT& rect, COLORREF colour) const;
    // The bounding box of the pixels that differ from colour (empty when none do).
    RECT Extent(COLORREF background) const;
    // Whether two canvases of the same size hold the same pixels.
    bool SameAs(const TestCanvas& other) const;
    // Copies other, enlarged factor times without smoothing, to (x, y).
    void Paste(const TestCanvas& other, int x, int y, int factor = 1);
    // Saves the picture as build/screenshots/<name>.png.
    bool Save(const wchar_t* name);

private:
    int m_width, m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
};

// A bitmap of one colour (a device-dependent one, like the program's loaded images).
HBITMAP SolidBitmap(int width, int height, COLORREF colour);
// A 32-bit bitmap with premultiplied alpha: colour at the given opacity (0-255) in every
// pixel.
HBITMAP AlphaBitmap(int width, int height, COLORREF colour, BYTE alpha);
