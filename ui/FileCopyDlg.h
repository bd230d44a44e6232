#pragma once
// The task window: one window for every operation of the UI instance. It holds the
// operation list (one panel per running copy or move), grows and shrinks with it, stays
// hidden for its first second so that a short copy shows no window at all, receives the
// jobs of later Swiftlet processes through the job hand-over server thread, and ends
// when the last operation has ended.
#include <vector>

#include "framework/CGdiObject.h"
#include "framework/Controls.h"
#include "ui/BitmapButtons.h"
#include "ui/HideDialog.h"
#include "ui/ResizeManager.h"

namespace Swiftlet {
class ICreateCopyOption;
namespace MultiUICommand {
class ServerThread;
}
}  // namespace Swiftlet
class CTaskFrameWnd;
class CTaskFrameWndListView;

class CFileCopyDlg : public CHideDialog {
    DECLARE_DYNAMIC(CFileCopyDlg)
public:
    CFileCopyDlg();
    ~CFileCopyDlg() override;

    // The first job, added when the window starts; the dialog owns it from now on.
    void SetInitialJob(Swiftlet::ICreateCopyOption* job);
    // Or the first job running already, its panel still without a window, with the
    // hand-over server that waits for this window (see CTaskWindowStart); the dialog owns
    // both from now on. ranMs: how long the job has run already, which the show delay
    // counts as waited.
    void SetStartedJob(CTaskFrameWnd* panel, Swiftlet::MultiUICommand::ServerThread* server, DWORD ranMs);
    // Stops the job hand-over server thread, if it still runs: later processes then run
    // their jobs themselves.
    void StopServerThread();
    // Shows the window at once when it is still hidden (a question needs the user).
    void ShowNow();

    CTaskFrameWndListView* GetList() const { return m_list; }

    BOOL OnInitDialog() override;
    // Enter and Escape never close the task window.
    void OnOK() override {}
    void OnCancel() override {}

    // The show-delay timer.
    static constexpr UINT_PTR kShowTimerId = 1000;
    static constexpr UINT kShowDelayMs = 1000;

protected:
    DECLARE_MESSAGE_MAP()

    afx_msg LRESULT OnListChanged(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnJobArrived(WPARAM wParam, LPARAM lParam);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnClose();
    afx_msg void OnOperationAdded(NMHDR* header, LRESULT* result);
    afx_msg void OnOperationRemovedOrSwitched(NMHDR* header, LRESULT* result);
    afx_msg void OnDetailsToggled(NMHDR* header, LRESULT* result);

private:
    bool CreateList();
    void LoadIcons();
    void RedrawAll();
    void RefreshCaption();
    // The toggle can be used while an operation runs or is paused.
    void RefreshToggle();
    void BringToForeground();
    void CenterOnWorkArea();
    // Shows the hidden window, its panels' deferred parts made first.
    void ShowHidden();

    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;
    CBitmap m_banner;
    ResizeManager m_resize;
    CBitmapChevronButton m_detailsToggle;
    CStatic m_detailsLabel;
    int m_lastSizeType = SIZE_RESTORED;
    UINT_PTR m_showTimer = 0;
    // The window shows this long after it was made (less for a job that ran without it).
    UINT m_showDelayMs = kShowDelayMs;
    Swiftlet::ICreateCopyOption* m_initialJob = nullptr;
    CTaskFrameWnd* m_startedPanel = nullptr;
    int m_started = 0;
    Swiftlet::MultiUICommand::ServerThread* m_serverThread = nullptr;
    // The window's width at start (it never changes) and its height without the list.
    int m_minWidth = 0;
    int m_fixedHeight = 0;
    // The size the window was last fitted to; 0 until it has been fitted once.
    int m_lastWidth = 0;
    int m_lastHeight = 0;
    // The last operation has ended: no job is taken any more.
    bool m_ending = false;
    CTaskFrameWndListView* m_list = nullptr;
};

// Sets the task window's caption: text while one operation runs (a progress view's
// percentage), else the counts of running, paused and interrupted operations.
void UpdateCaption(CFileCopyDlg* taskWindow, const CString& text);

// Makes this process the UI instance: runs the task window with the job (sources,
// destination, move flag) as its first operation until the last operation has ended.
// 1 when the window ran, 0 when the job could not be made.
int RunTaskWindow(const std::vector<CString>& sources, const CString& destination, int* flag);
// Runs the task window as the thread's main window until its last operation has ended,
// then stops its server thread.
void RunAsMainWindow(CFileCopyDlg& dialog);
