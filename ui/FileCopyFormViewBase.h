#pragma once
// What the progress views of a panel have in common: they receive every engine event
// and every state change of their operation (the hidden one too, so that switching the
// view mode shows an up-to-date view), and they are where the user pauses, resumes and
// cancels the operation. The common part shows the from/to line with its folder links,
// the large percentage caption and the pause and cancel buttons.
#include "framework/CGdiObject.h"
#include "ui/BitmapButtons.h"
#include "ui/ShellOpenLinkCtrl.h"
#include "ui/TaskFrameFormView.h"

namespace Swiftlet {
class CoreDisplayStatus;
class CoreEventHandlerPost;
}

class CFileCopyFormViewBase : public CTaskFrameFormView {
    DECLARE_DYNAMIC(CFileCopyFormViewBase)
public:
    // Paused while a pause is asked for or in force, else running.
    int GetActionState() override;
    CString GetCaptionText() override { return m_caption; }
    // Button images, the large caption font, an empty from/to line.
    void OnInitialUpdate() override;

    // An engine event of the operation (codes 2050, 2051, 2100, 2101, 3000, 3001), while
    // the engine waits for the panel. Acts only while the operation runs: events that
    // come while it pauses or is being cancelled leave the view as it is.
    void HandleCoreEvent(int eventCode);
    // The operation's state changed: the state's operation, then the caption and the
    // controls are refreshed.
    void HandleStateChanged();

    int GetPercentage() const { return m_percentage; }

    // The from/to line names its folders by the shell's display names. While the task
    // window is hidden nobody reads it, and asking the shell would map it (and COM) for a
    // job that may end unseen: the line waits, and the task window has it made right
    // before it shows (CFileCopyDlg calls this through the panel).
    void ShowPendingFromTo();

protected:
    explicit CFileCopyFormViewBase(UINT templateId) noexcept : CTaskFrameFormView(templateId) {}
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* dx) override;

    // The events, in the order a job raises them.
    virtual void OnFindBegin();
    virtual void OnFindEnd();
    virtual void OnCopyBegin();
    virtual void OnProgress();
    // The states of the operation's handler.
    virtual void OnCancelRequested();
    virtual void OnPauseRequested();
    virtual void OnResumeRequested();
    virtual void OnCancelled() {}
    virtual void OnPaused();
    virtual void OnRunning();
    // Each tick of the find-phase timer while the sources are still being counted.
    virtual void OnFindTick() {}

    // The handler of the view's operation; null outside a panel.
    Swiftlet::CoreEventHandlerPost* GetHandler() const;
    // The status of the event being delivered; null outside one.
    const Swiftlet::CoreDisplayStatus* GetStatus() const;
    int GetState() const;

    // The caption of the copy phase or of the find phase, as control 1037 shows it; the
    // task window takes it as its own when this is its only operation.
    void RefreshCopyCaption();
    void RefreshFindCaption();
    void RefreshCaption();
    // The from/to line, rebuilt only when the folders changed.
    void RefreshFindFromTo();
    void RefreshCopyFromTo();
    // The percentage of the event being delivered.
    int ComputePercentage() const;

    // The cancel button (and closing the view): the engine is told through its cancel
    // event. The pause button: pauses a running operation, resumes a paused one.
    afx_msg void OnCancelOperation();
    afx_msg void OnPauseOrResume();
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnDestroy();

    CBitmapCancelButton m_cancel;
    CBitmapPauseButton m_pause;  // status 0 shows pause, 1 resume
    CShellOpenLinkCtrl m_fromTo;
    CString m_caption;  // control 1037
    CFont m_captionFont;
    CString m_lastFrom;  // the folders the from/to line shows
    CString m_lastTo;
    // The line waiting for the task window to show; empty when none waits.
    CString m_pendingLine;
    CString m_pendingFrom;
    CString m_pendingTo;
    int m_percentage = 0;
    UINT_PTR m_findTimer = 0;

private:
    void SetCaption(const CString& caption);
    // line holds "%s" where the two folders' labels go; both folders must be known.
    void SetFromTo(const CString& line, const CString& from, const CString& to);
    // Enables each button whose engine handle is known.
    void EnableButtons();
    void StopFindTimer();
    // The buttons as the operation's state wants them.
    void ApplyButtonStates();
};
