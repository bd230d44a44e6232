#pragma once
// Buttons drawn from images: one image per state (normal, disabled, pressed, hover), and
// per status for buttons with two (slots 0-3 for status 0, 4-7 for status 1).
#include <windows.h>

#include <vector>

#include "framework/CDC.h"
#include "framework/CGdiObject.h"

// B: a button class of the framework (CButton or one derived from it).
template <class B>
class TBitmapButton : public B {
public:
    explicit TBitmapButton(size_t slots = 4) : images(slots) {}

    // Draws the image of the button's state, stretched over the button, with
    // transparentColor showing the background.
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        CDC dc = CDC::Borrow(dis->hDC);
        const CRect rect(dis->rcItem);
        dc.FillSolidRect(&rect, dc.GetBkColor());
        int index = GetImageIndex(dis);
        // A state without an image of its own shows the normal image of its status.
        if (!HasImage(index))
            index -= index % 4;
        if (HasImage(index)) {
            CBitmap& image = images[static_cast<size_t>(index)];
            const CSize size = image.GetSize();
            CDC source;
            if (source.CreateCompatibleDC(&dc)) {
                CSelectObject select(source, image);
                dc.TransparentBlt(rect.left, rect.top, rect.Width(), rect.Height(), &source, 0, 0, size.cx, size.cy,
                                  transparentColor);
            }
        }
        if (drawFocus == 1 && (dis->itemState & ODS_FOCUS))
            dc.DrawFocusRect(&rect);
    }

    // The slot of the image for the state in dis.
    virtual int GetImageIndex(const DRAWITEMSTRUCT* dis) = 0;
    virtual void DeleteImages() {
        for (CBitmap& image : images)
            image.DeleteObject();
    }

    bool HasImage(int index) const {
        return index >= 0 && static_cast<size_t>(index) < images.size() &&
               images[static_cast<size_t>(index)].m_hObject != nullptr;
    }

    std::vector<CBitmap> images;
    COLORREF transparentColor = RGB(255, 255, 255);
    int drawFocus = 0;          // 1: the focus rectangle is drawn
    int redrawOnEnable = 0;     // 1: redrawn when enabled or disabled
    int redrawOnKillFocus = 0;  // 1: redrawn when it loses the focus

protected:
    // Loads bitmap resource ids[i] into slot i (0: the slot stays empty), then makes the
    // button, when it has its window, owner-drawn and the size of image 0. A slot in `required` that gets no
    // image, or any id that does not load, fails: every image is deleted, and 0.
    int LoadImages(const std::vector<UINT>& ids, const std::vector<bool>& required, COLORREF transparent) {
        DeleteImages();
        for (size_t i = 0; i < ids.size() && i < images.size(); ++i) {
            const bool needed = i < required.size() && required[i];
            if ((ids[i] == 0 && needed) || (ids[i] != 0 && !images[i].LoadBitmap(ids[i]))) {
                DeleteImages();
                return 0;
            }
        }
        transparentColor = transparent;
        if (this->m_hWnd)
            FitToImages();
        return 1;
    }

    // The button becomes owner-drawn (its type bits replaced) and the size of image 0.
    void FitToImages() {
        this->ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
        const CSize size = images[0].GetSize();
        this->SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ERASEBKGND)
            return 1;  // DrawItem paints every pixel
        const LRESULT result = B::WindowProc(message, wParam, lParam);
        if ((message == WM_ENABLE && redrawOnEnable == 1) || (message == WM_KILLFOCUS && redrawOnKillFocus == 1))
            this->Invalidate(TRUE);
        return result;
    }
};
