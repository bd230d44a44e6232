#include "ui/BitmapButtons.h"

namespace {

// The first slot of a two-status button's current status (status 0 before any is set).
int StatusBase(int current) { return current == 1 ? 4 : 0; }

}  // namespace

int CBitmapCancelButton::LoadBitmaps(UINT normal, UINT disabled, UINT pressed, UINT hover, COLORREF transparent) {
    return LoadImages({normal, disabled, pressed, hover}, {true}, transparent);
}

int CBitmapCancelButton::GetImageIndex(const DRAWITEMSTRUCT* dis) {
    if (!IsWindowEnabled())
        return 1;
    if (dis->itemState & ODS_SELECTED)
        return 2;
    return hover ? 3 : 0;
}

BEGIN_MESSAGE_MAP(CBitmapPauseButton, TBitmapButton)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

CBitmapPauseButton::CBitmapPauseButton() : TBitmapButton(8) {
    statuses = {0, 1};
    drawFocus = 1;
    redrawOnEnable = 1;
    redrawOnKillFocus = 1;
}

int CBitmapPauseButton::LoadBitmaps(UINT pauseNormal, UINT pauseDisabled, UINT pausePressed, UINT pauseHover,
                                    UINT resumeNormal, UINT resumeDisabled, UINT resumePressed, UINT resumeHover,
                                    COLORREF transparent) {
    return LoadImages({pauseNormal, pauseDisabled, pausePressed, pauseHover, resumeNormal, resumeDisabled,
                       resumePressed, resumeHover},
                      std::vector<bool>(8, true), transparent);
}

int CBitmapPauseButton::GetImageIndex(const DRAWITEMSTRUCT* dis) {
    const int base = StatusBase(current);
    if (!IsWindowEnabled())
        return base + 1;
    if (dis->itemState & ODS_SELECTED)
        return base + 2;
    return base + (hover ? 3 : 0);
}

BOOL CBitmapPauseButton::OnClicked() {
    ToggleStatus();
    return FALSE;  // the parent hears of the click too
}

BEGIN_MESSAGE_MAP(CChevronButton, TMultiStatusButton<CString>)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClicked)
    ON_NOTIFY_REFLECT_EX(MSBN_STATUSCHANGED, OnStatusChanged)
END_MESSAGE_MAP()

CChevronButton::CChevronButton() : TMultiStatusButton<CString>({CString(), CString()}) { current = 0; }

void CChevronButton::SetCaptions(const CString& caption0, const CString& caption1) {
    statuses[0] = caption0;
    statuses[1] = caption1;
    if (m_hWnd)
        UpdateText();
}

CString CChevronButton::TextOf(int status) const {
    if (status == 1)
        return CString(L"<< ") + statuses[0];
    return statuses[1] + L" >>";
}

void CChevronButton::UpdateText() { SetWindowText(TextOf(current)); }

BOOL CChevronButton::OnClicked() {
    ToggleStatus();
    return FALSE;
}

BOOL CChevronButton::OnStatusChanged(NMHDR*, LRESULT*) {
    UpdateText();
    return FALSE;  // the parent acts on the new status
}

int CBitmapChevronButton::LoadBitmaps(UINT normal0, UINT normal1, UINT pressed0, UINT pressed1, UINT hot0, UINT hot1,
                                      UINT disabled0, UINT disabled1, COLORREF transparent) {
    return LoadImages({normal0, pressed0, hot0, disabled0, normal1, pressed1, hot1, disabled1},
                      {true, false, false, false, true}, transparent);
}

int CBitmapChevronButton::GetImageIndex(const DRAWITEMSTRUCT* dis) {
    const int base = StatusBase(current);
    if (!IsWindowEnabled())
        return base + 3;
    if (dis->itemState & ODS_SELECTED)
        return base + 1;
    if (hover || (dis->itemState & ODS_FOCUS))
        return base + 2;
    return base;
}
