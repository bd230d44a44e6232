#pragma once
// The program's image buttons: cancel, pause / resume and the details chevron.
#include <windows.h>

#include "framework/CString.h"
#include "ui/BitmapButton.h"
#include "ui/MultiStatusButton.h"
#include "ui/RolloverEventHandler.h"

// Slots: 0 normal, 1 disabled, 2 pressed, 3 hover. Only the normal image is required;
// a state without an image shows it.
class CBitmapCancelButton : public TBitmapButton<TRolloverEventHandler<CButton>> {
public:
    CBitmapCancelButton() : TBitmapButton(4) {}
    // Bitmap resources (0: none) and the colour that shows the background; 1 on success.
    int LoadBitmaps(UINT normal, UINT disabled, UINT pressed, UINT hover, COLORREF transparent);
    int GetImageIndex(const DRAWITEMSTRUCT* dis) override;
};

// Status 0 shows the pause images (slots 0-3), status 1 the resume images (4-7), each
// laid out as the cancel button's. A click toggles the status.
class CBitmapPauseButton : public TBitmapButton<TRolloverEventHandler<TMultiStatusButton<int>>> {
public:
    CBitmapPauseButton();
    // All eight bitmap resources, in slot order; 1 on success.
    int LoadBitmaps(UINT pauseNormal, UINT pauseDisabled, UINT pausePressed, UINT pauseHover, UINT resumeNormal,
                    UINT resumeDisabled, UINT resumePressed, UINT resumeHover, COLORREF transparent);
    int GetImageIndex(const DRAWITEMSTRUCT* dis) override;

protected:
    BOOL OnClicked();
    DECLARE_MESSAGE_MAP()
};

// A two-status button whose text says what a click does: status 0 shows caption 1
// followed by " >>", status 1 "<< " followed by caption 0. A click toggles the status.
class CChevronButton : public TMultiStatusButton<CString> {
public:
    CChevronButton();
    // The two captions (statuses[0] and [1]); the text follows at once.
    void SetCaptions(const CString& caption0, const CString& caption1);
    // The text the button shows in a status.
    CString TextOf(int status) const;

protected:
    BOOL OnClicked();
    BOOL OnStatusChanged(NMHDR* header, LRESULT* result);
    void UpdateText();
    DECLARE_MESSAGE_MAP()
};

// Slots per status: +0 normal, +1 pressed, +2 hot, +3 disabled; status 0 (details
// hidden) 0-3, status 1 (details shown) 4-7. Only the two normal images are required.
class CBitmapChevronButton : public TBitmapButton<TRolloverEventHandler<CChevronButton>> {
public:
    CBitmapChevronButton() : TBitmapButton(8) {}
    // Bitmap resources (0: none for the optional ones) and the transparent colour.
    int LoadBitmaps(UINT normal0, UINT normal1, UINT pressed0, UINT pressed1, UINT hot0, UINT hot1, UINT disabled0,
                    UINT disabled1, COLORREF transparent);
    int GetImageIndex(const DRAWITEMSTRUCT* dis) override;
};
