#pragma once
// What the progress views of a panel have in common: they receive every engine event
// and every state change of their operation (the hidden one too, so that switching the
// view mode shows an up-to-date view), and they are where the user pauses, resumes and
// cancels the operation.
#include "ui/TaskFrameFormView.h"

namespace Swiftlet {
class CoreEventHandlerPost;
}

class CFileCopyFormViewBase : public CTaskFrameFormView {
    DECLARE_DYNAMIC(CFileCopyFormViewBase)
public:
    // Paused while a pause is asked for or in force, else running.
    int GetActionState() override;

    // An engine event of the operation (codes 2050, 2051, 2100, 2101, 3000, 3001), while
    // the engine waits for the panel. Acts only while the operation runs: events that
    // come while it pauses or is being cancelled leave the view as it is.
    void HandleCoreEvent(int eventCode);
    // The operation's state changed: the state's operation, then the caption and the
    // controls are refreshed.
    void HandleStateChanged();

protected:
    explicit CFileCopyFormViewBase(UINT templateId) noexcept : CTaskFrameFormView(templateId) {}
    DECLARE_MESSAGE_MAP()

    // The events, in the order a job raises them.
    virtual void OnFindBegin() {}
    virtual void OnFindEnd() {}
    virtual void OnCopyBegin() {}
    virtual void OnProgress() {}
    // The states of the operation's handler.
    virtual void OnCancelRequested() {}
    virtual void OnPauseRequested() {}
    virtual void OnResumeRequested() {}
    virtual void OnCancelled() {}
    virtual void OnPaused() {}
    virtual void OnRunning() {}
    // Recomputes the caption text after a state change.
    virtual void RefreshCaption() {}

    // The handler of the view's operation; null outside a panel.
    Swiftlet::CoreEventHandlerPost* GetHandler() const;

    // The cancel button (and closing the view): the engine is told through its cancel
    // event. The pause button: pauses a running operation, resumes a paused one.
    afx_msg void OnCancelOperation();
    afx_msg void OnPauseOrResume();
};
