#pragma once
// The operation list of the task window: one panel per running operation, stacked in
// the order the operations arrived, one pixel apart, and the view mode (compact or
// detailed) that every panel shows while its operation runs.
#include <vector>

#include "ui/ResizeManager.h"
#include "ui/WndListView.h"

namespace Swiftlet {
class ICreateCopyOption;
}
class CTaskFrameWnd;

class CTaskFrameWndListView : public CWndListView, public ResizeMessageManager {
    DECLARE_DYNCREATE(CTaskFrameWndListView)
public:
    // How many operations a panel's active view counts as running, paused and
    // interrupted (waiting for the user).
    struct ViewActionTypeData {
        unsigned running = 0;
        unsigned paused = 0;
        unsigned interrupted = 0;
    };

    CTaskFrameWndListView();

    void OnInitialUpdate() override;

    // The operations' panels, in display order.
    std::vector<CTaskFrameWnd*> GetPanels() const;
    ViewActionTypeData CountActions() const;

    int GetViewMode() const { return m_viewMode; }
    // The mode for every panel, now and later.
    void SetViewMode(int mode);

    // The message the list sends its parent when it changed (the task window sets it).
    UINT m_notifyMessage = 0;

    // Tells the task window that the list changed; it fits itself to the list.
    void NotifyParent();
    // Sends the task window a notification about panel (null for a view switch).
    void NotifyOperation(UINT code, HWND panel);

protected:
    DECLARE_MESSAGE_MAP()
    void RedrawAfterSize() override;

    afx_msg LRESULT OnGetOperationCount(WPARAM, LPARAM);
    afx_msg LRESULT OnGetVisibleCount(WPARAM, LPARAM);
    afx_msg LRESULT OnPanelSizeChanged(WPARAM wParam, LPARAM lParam);
    afx_msg void OnPanelViewSwitched(NMHDR* header, LRESULT* result);
    afx_msg BOOL OnOperationRemoved(NMHDR* header, LRESULT* result);

private:
    int m_viewMode = 1;
};

// Adds an operation for job to the list: builds the job's record, creates its panel and
// starts it. 1 when the operation runs; 0 when list is not a task window's operation
// list, or the job or its panel could not be made (the job then never ran).
int AddOperation(CWnd* list, Swiftlet::ICreateCopyOption* job);
// Adds a panel whose job was started before the task window existed
// (CTaskFrameWnd::StartWithoutWindow); the list owns it from now on. 1 when the panel is
// in the list; else it is gone (its job cancelled and waited for).
int AddStartedOperation(CWnd* list, CTaskFrameWnd* panel);
// Takes a panel out of the list and moves the others up; the panel is not destroyed.
void RemoveOperation(CWnd* list, CWnd* panel);
