#pragma once
// Links that open what they point at: a SysLink whose links carry folder paths (the
// "from" and "to" of a job), opened in the shell when clicked, with the path as tool tip;
// and a check box whose caption is such a link control.
#include <windows.h>

#include "framework/Controls.h"

class CShellOpenLinkCtrl : public CLinkCtrl {
public:
    // The URL of the link under point (client coordinates) and its index; -1 when none.
    int LinkAt(CPoint point, CString* url = nullptr) const;

protected:
    void PreSubclassWindow() override;
    INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* ti) const override;
    afx_msg void OnLinkClick(NMHDR* header, LRESULT* result);
    afx_msg BOOL OnToolTipText(UINT id, NMHDR* header, LRESULT* result);
    // Opens url in the shell ("open", as Explorer would).
    virtual void Open(LPCWSTR url);

    CString m_toolTipText;

    DECLARE_MESSAGE_MAP()
};

// A check box (bound to a dialog's control) whose caption becomes a link control over
// it, beside the box; the check box's font and caption go to the links.
class CShellOpenLinkCtrlCheckBox : public CButton {
public:
    CShellOpenLinkCtrl& GetLinkCtrl() { return m_link; }

    // Id of the link control, a child of the check box.
    static const UINT kLinkId = 0xFFFF;

protected:
    void PreSubclassWindow() override;
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);

    CShellOpenLinkCtrl m_link;

    DECLARE_MESSAGE_MAP()
};
