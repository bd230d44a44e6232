#include "ui/FileCopyFormViewBase.h"

#include "control/CoreEventHandler.h"
#include "ui/TaskFrameWnd.h"
#include "ui/resource.h"

using Swiftlet::CoreEventHandlerPost;

IMPLEMENT_DYNAMIC(CFileCopyFormViewBase, CTaskFrameFormView)

BEGIN_MESSAGE_MAP(CFileCopyFormViewBase, CTaskFrameFormView)
    ON_COMMAND(IDCANCEL, OnCancelOperation)
    ON_BN_CLICKED(IDC_PAUSE, OnPauseOrResume)
END_MESSAGE_MAP()

CoreEventHandlerPost* CFileCopyFormViewBase::GetHandler() const {
    CTaskFrameWnd* frame = GetTaskFrame();
    return frame ? frame->GetHandler() : nullptr;
}

int CFileCopyFormViewBase::GetActionState() {
    const CoreEventHandlerPost* handler = GetHandler();
    const int state = handler ? handler->GetState() : Swiftlet::kHandlerInitial;
    return state == Swiftlet::kHandlerPauseRequested || state == Swiftlet::kHandlerPaused ? kActionPaused
                                                                                          : kActionRunning;
}

void CFileCopyFormViewBase::HandleCoreEvent(int eventCode) {
    const CoreEventHandlerPost* handler = GetHandler();
    if (!handler || handler->GetState() != Swiftlet::kHandlerRunning)
        return;
    switch (eventCode) {
    case Swiftlet::kEventFindBegin:
        OnFindBegin();
        break;
    case Swiftlet::kEventFindEnd:
        OnFindEnd();
        break;
    case Swiftlet::kEventCopyBegin:
        OnCopyBegin();
        break;
    case Swiftlet::kEventProgress:
    case Swiftlet::kEventReadProgress:
    case Swiftlet::kEventWriteProgress:
        OnProgress();
        break;
    default:
        break;
    }
}

void CFileCopyFormViewBase::HandleStateChanged() {
    const CoreEventHandlerPost* handler = GetHandler();
    if (!handler)
        return;
    switch (handler->GetState()) {
    case Swiftlet::kHandlerRunning:
        OnRunning();
        break;
    case Swiftlet::kHandlerCancelRequested:
        OnCancelRequested();
        break;
    case Swiftlet::kHandlerCancelled:
        OnCancelled();
        break;
    case Swiftlet::kHandlerPauseRequested:
        OnPauseRequested();
        break;
    case Swiftlet::kHandlerPaused:
        OnPaused();
        break;
    case Swiftlet::kHandlerResumeRequested:
        OnResumeRequested();
        break;
    default:
        break;
    }
    RefreshCaption();
    UpdateData(FALSE);
}

void CFileCopyFormViewBase::OnCancelOperation() {
    if (CoreEventHandlerPost* handler = GetHandler())
        handler->Cancel();
}

void CFileCopyFormViewBase::OnPauseOrResume() {
    CoreEventHandlerPost* handler = GetHandler();
    if (!handler)
        return;
    if (handler->GetState() == Swiftlet::kHandlerRunning)
        handler->Pause();
    else if (handler->GetState() == Swiftlet::kHandlerPaused)
        handler->Resume();
}
