#pragma once
// The base of every view an operation's panel shows: the progress views, the question
// views and the message view. A view has a white page look, tells the task window how
// to count its operation in the caption, and closing it is pressing its cancel button.
#include "framework/CFormView.h"

namespace Swiftlet {
class CoreEvent;
}
class CTaskFrameWnd;
class CFileCopyDlg;

// How a panel's view counts its operation in the task window's caption.
enum ViewActionType : int {
    kActionRunning = 1,
    kActionPaused = 2,
    kActionInterrupted = 3,  // waiting for the user's answer
};

class CTaskFrameFormView : public CFormView {
    DECLARE_DYNAMIC(CTaskFrameFormView)
public:
    virtual int GetActionState() = 0;
    // The task window's caption while this view's operation is the only one.
    virtual CString GetCaptionText();
    // A question view writes the user's answer into the event being delivered; the
    // default leaves the answer as it is (a message only releases the engine).
    virtual void WriteAnswer(Swiftlet::CoreEvent& event);

    // Fills the controls, takes the template's size without an edge, hides the view
    // and makes the panel as large as the view.
    void OnInitialUpdate() override;
    void OnDraw(CDC* dc) override;

    // The panel the view is in; null when it is not in one.
    CTaskFrameWnd* GetTaskFrame() const;
    // The task window above the panel; null when there is none.
    CFileCopyDlg* GetTaskWindow() const;

protected:
    explicit CTaskFrameFormView(UINT templateId) noexcept : CFormView(templateId) {}
    DECLARE_MESSAGE_MAP()

    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    afx_msg void OnClose();
    afx_msg int OnMouseActivate(CWnd* topParent, UINT hitTest, UINT message);
    afx_msg LRESULT OnRefreshCaption(WPARAM, LPARAM);
};
