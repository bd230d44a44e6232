#pragma once
// A view made from a dialog template: its controls, dialog keyboard handling (Tab,
// Enter, Escape through IsDialogMessage) and data exchange, scrolling when its window is
// smaller than the template. The object is bound to its window at WM_INITDIALOG.
//
// Create keeps the template's size when given an empty rectangle (CFrameWnd::CreateView
// gives one; the frame then lays the view out), and takes the rectangle's size
// otherwise. The total scroll size is the template's size, so ResizeParentToFit makes the
// frame fit the template. Ownership as CView: it deletes itself with its window.
#include "framework/CScrollView.h"

class CFormView : public CScrollView {
    DECLARE_DYNAMIC(CFormView)
public:
    BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                CCreateContext* context = nullptr) override;
    // Fills the controls from the members (UpdateData(FALSE)), then CView's update.
    void OnInitialUpdate() override;
    void OnDraw(CDC* dc) override;
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    explicit CFormView(UINT templateId) noexcept : m_lpszTemplateName(MAKEINTRESOURCEW(templateId)) {}
    explicit CFormView(LPCWSTR templateName) noexcept : m_lpszTemplateName(templateName) {}

    LPCWSTR m_lpszTemplateName;
};
