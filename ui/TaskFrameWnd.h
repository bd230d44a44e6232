#pragma once
// One operation's panel in the task window: a child frame that runs one copy or move
// job on its own engine thread and shows one view at a time, a progress view while the
// job runs, or a question or message view while the job's engine waits for the user.
// The panel owns the job's event handler and its copy core; it removes itself from the
// list when the job has ended.
#include "control/CopyCore.h"
#include "framework/CFrameWnd.h"
#include "ui/ResizeManager.h"

namespace Swiftlet {
class CoreEvent;
class CoreEventHandlerDeferred;
class CoreEventHandlerPost;
}  // namespace Swiftlet
class Exception;
class CFileCopyDlg;
class CFileCopyFormViewBase;
class CTaskFrameFormView;
class CTaskFrameWndListView;

class CTaskFrameWnd : public CFrameWnd, public ResizeMessageManager {
    DECLARE_DYNCREATE(CTaskFrameWnd)
public:
    CTaskFrameWnd() = default;
    // A job still running when its panel goes (the program ends) is cancelled and
    // waited for: its thread reports to the handler up to its last event.
    ~CTaskFrameWnd() override;

    // Takes the size of the active view; 1 when there is one.
    int FitToContent() override;
    // Only the active view is laid out: a hidden view keeps the size of its template.
    void RecalcLayout(BOOL notify = TRUE) override;

    Swiftlet::CoreEventHandlerPost* GetHandler() const { return m_handler; }
    CFileCopyDlg* GetTaskWindow() const { return m_taskWindow; }
    CTaskFrameWndListView* GetList() const { return m_list; }
    int GetViewMode() const { return m_viewMode; }
    // The progress view of the current view mode.
    CFileCopyFormViewBase* GetProgressView() const;
    bool IsProgressView(const CWnd* view) const;

    // After the active view changed: the list and the task window follow the panel's size.
    void PropagateSize();
    // The task window is about to show: what the progress views left for then is made.
    void PrepareToShow();

    // Starts the job (m_core.option) before the panel has its window; its events wait for
    // the window (Create) as the deferred handler says. false when the job cannot start.
    bool StartWithoutWindow();
    // Started without a window: the job's handler, null once the panel has its window or
    // when it was started with it.
    Swiftlet::CoreEventHandlerDeferred* GetDeferredHandler() const;

    // Set by the list before the window is created.
    UINT m_sizeMessage = 0;
    CFileCopyDlg* m_taskWindow = nullptr;
    CTaskFrameWndListView* m_list = nullptr;
    int m_viewMode = 1;
    Swiftlet::CopyCore m_core;

protected:
    DECLARE_MESSAGE_MAP()

    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnClose();
    afx_msg LRESULT OnCoreEvent(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnOperationEnded(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCoreStateChanged(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetViewMode(WPARAM wParam, LPARAM lParam);

private:
    CFileCopyFormViewBase* CreateProgressView(CRuntimeClass* viewClass);
    // true when a view now waits for the user (the engine stays blocked).
    bool DispatchCoreEvent(Swiftlet::CoreEvent& event);
    bool ShowError(const Exception* e);
    bool AskQuestion(Swiftlet::CoreEvent& event);
    // A new view of viewClass for a question or report; null when it cannot be made.
    CWnd* CreateQuestionView(CRuntimeClass* viewClass);
    // Makes view the active one and shows the task window at once, in front.
    void ShowUserView(CTaskFrameFormView* view);
    // The job ran before the panel had its window: the views take up the phase the job is
    // in (the find phase now, the copy phase at the next event that carries its status).
    void CatchUp();
    void CatchUpWithCopy(const Swiftlet::CoreEvent& event);

    CFileCopyFormViewBase* m_detailedView = nullptr;
    CFileCopyFormViewBase* m_compactView = nullptr;
    Swiftlet::CoreEventHandlerPost* m_handler = nullptr;
    // Closing was asked for: a cancel that came before the engine gave its cancel event
    // is carried out when it does, and a question or error that comes after it is
    // answered with cancel instead of waiting for a view nobody will close.
    bool m_closeRequested = false;
    int m_move = 0;  // the job's move flag, as the error view reads it
    // Started without a window, until the window exists.
    Swiftlet::CoreEventHandlerDeferred* m_deferred = nullptr;
    // The views still wait for the copy phase's status to begin it.
    bool m_copyCatchUp = false;
};

// Makes view the panel's only visible view (null: none) and lets the panel, the list and
// the task window take its size.
void ActivateView(CTaskFrameWnd* panel, CView* view);
// A question or message view has the user's answer: it goes to the engine, the panel
// returns to its progress view and the answering view is destroyed.
void AnswerQuestion(CTaskFrameWnd* panel, CTaskFrameFormView* view);
