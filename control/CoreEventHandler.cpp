#include "control/CoreEventHandler.h"

namespace Swiftlet {

namespace {

// How often an engine thread waiting for the window's answer checks that the window
// still exists.
constexpr DWORD kWindowCheckMs = 200;

}  // namespace

void CoreEventHandlerBase::Update(DesignPatterns::IObservable* observable) {
    ++busy;
    try {
        auto* coreEvent = dynamic_cast<CoreEvent*>(observable);
        if (coreEvent != nullptr) {
            event = coreEvent;
            Apply(*coreEvent);
            Dispatch();
        }
    } catch (...) {
        // A failing handler must not stop the job's thread.
    }
    event = nullptr;
    --busy;  // the handler may be gone after this
}

bool CoreEventHandlerBase::MoveTo(int newState) {
    if (state.exchange(newState) == newState) {
        return false;
    }
    StateChanged();
    return true;
}

void CoreEventHandlerBase::Apply(const CoreEvent& e) {
    switch (e.eventCode) {
    case kEventAlgorithmStart:
    case kEventFindResumed:
    case kEventCopyResumed:
        MoveTo(kHandlerRunning);
        break;
    case kEventFindPaused:
    case kEventCopyPaused:
        MoveTo(kHandlerPaused);
        break;
    case kEventError: {
        const CopyException* copy = AsCopyException(e.status.exception);
        if (copy != nullptr && copy->type == kCopyCancelled) {
            MoveTo(kHandlerCancelled);
        }
        break;
    }
    case kEventFindBegin: {
        std::lock_guard<std::mutex> guard(handleLock);
        phase = kPhaseEnumerating;
        value = e.findStatus;
        TakeEvents(&e);
        break;
    }
    case kEventFindEnd: {
        std::lock_guard<std::mutex> guard(handleLock);
        phase = kPhaseEnumerated;
        value = nullptr;
        TakeEvents(nullptr);
        break;
    }
    case kEventCopyBegin: {
        std::lock_guard<std::mutex> guard(handleLock);
        phase = kPhaseCopying;
        TakeEvents(&e);
        break;
    }
    case kEventAlgorithmEnd: {
        std::lock_guard<std::mutex> guard(handleLock);
        phase = kPhaseFinished;
        value = nullptr;
        TakeEvents(nullptr);
        break;
    }
    default:
        break;
    }
}

void CoreEventHandlerBase::TakeEvents(const CoreEvent* e) {
    cancelEvent = e ? e->cancelEvent : nullptr;
    runEvent = e ? e->runEvent : nullptr;
    cancelSignal = e ? e->cancelSignal : nullptr;
    runSignal = e ? e->runSignal : nullptr;
}

// The engine's workers skip their kernel checks while the object's count stands still:
// a change made on the bare handle would go unnoticed while they run.
void CoreEventHandlerBase::SetCancel() {
    if (cancelSignal != nullptr)
        cancelSignal->Set();
    else if (cancelEvent != nullptr)
        SetEvent(cancelEvent);
}

void CoreEventHandlerBase::SetRun() {
    if (runSignal != nullptr)
        runSignal->Set();
    else if (runEvent != nullptr)
        SetEvent(runEvent);
}

void CoreEventHandlerBase::ResetRun() {
    if (runSignal != nullptr)
        runSignal->Reset();
    else if (runEvent != nullptr)
        ResetEvent(runEvent);
}

// The state is reported before the engine is signalled, and never under handleLock:
// reporting sends a message to the user interface, which may itself be in a control.
void CoreEventHandlerBase::Cancel() {
    {
        std::lock_guard<std::mutex> guard(handleLock);
        if (cancelEvent == nullptr) {
            return;
        }
    }
    MoveTo(kHandlerCancelRequested);
    std::lock_guard<std::mutex> guard(handleLock);
    SetCancel();
}

bool CoreEventHandlerBase::Pause() {
    {
        std::lock_guard<std::mutex> guard(handleLock);
        if (runEvent == nullptr) {
            return false;
        }
    }
    int expected = kHandlerRunning;
    if (!state.compare_exchange_strong(expected, kHandlerPauseRequested)) {
        return false;
    }
    StateChanged();
    std::lock_guard<std::mutex> guard(handleLock);
    ResetRun();
    return true;
}

bool CoreEventHandlerBase::Resume() {
    {
        std::lock_guard<std::mutex> guard(handleLock);
        if (runEvent == nullptr) {
            return false;
        }
    }
    int expected = kHandlerPaused;
    if (!state.compare_exchange_strong(expected, kHandlerResumeRequested)) {
        return false;
    }
    StateChanged();
    {
        std::lock_guard<std::mutex> guard(handleLock);
        SetRun();
    }
    // The engine may have taken up the work already (its resumed event moves the state
    // on to running before this line): the resume still happened. Only a cancel that
    // came in between makes it moot.
    const int now = state.load();
    return now != kHandlerCancelRequested && now != kHandlerCancelled;
}

CoreEventHandlerPost::CoreEventHandlerPost(HWND window, UINT postMessage, UINT sendMessage)
    : window(window), postMessage(postMessage), sendMessage(sendMessage) {
    answerEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (answerEvent == nullptr) {
        throw InitError(GetLastError());
    }
}

CoreEventHandlerPost::~CoreEventHandlerPost() {
    CloseAndWait();
    if (answerEvent != nullptr) {
        CloseHandle(answerEvent);
    }
}

void CoreEventHandlerPost::CloseAndWait() {
    closing = 1;
    if (answerEvent != nullptr) {
        SetEvent(answerEvent);
    }
    // An engine thread still inside Update must leave before the handler goes. It may be
    // sending a state change to this very thread, so sent messages are handled meanwhile.
    while (busy.load() != 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void CoreEventHandlerPost::Dispatch() {
    if (answerEvent == nullptr || closing.load() != 0) {
        return;
    }
    ResetEvent(answerEvent);
    if (!IsWindow(window) ||
        !PostMessageW(window, postMessage, reinterpret_cast<WPARAM>(static_cast<CoreEventHandlerPost*>(this)), 0)) {
        return;
    }
    // A window destroyed before it handled the message never answers: the engine then
    // goes on unanswered (a question counts as cancelled) instead of waiting forever.
    while (WaitForSingleObject(answerEvent, kWindowCheckMs) == WAIT_TIMEOUT) {
        if (closing.load() != 0 || !IsWindow(window)) {
            return;
        }
    }
}

void CoreEventHandlerPost::StateChanged() {
    if (closing.load() == 0 && IsWindow(window)) {
        SendMessageW(window, sendMessage, reinterpret_cast<WPARAM>(static_cast<CoreEventHandlerPost*>(this)), 0);
    }
}

}  // namespace Swiftlet
