#pragma once
// Observers of a job's event channel. The base keeps the job's run state and phase and
// the algorithm's cancel and run events, and gives the user interface its cancel, pause
// and resume controls; CoreEventHandlerPost hands each event to a window and blocks the
// engine thread until the window has dealt with it.
#include <windows.h>

#include <mutex>

#include "control/CoreEvent.h"
#include "foundation/Observer.h"

namespace Swiftlet {

// Handler states.
enum CoreHandlerState : int {
    kHandlerInitial = 0,
    kHandlerRunning = 1,
    kHandlerCancelRequested = 2,
    kHandlerCancelled = 3,
    kHandlerPauseRequested = 4,
    kHandlerPaused = 5,
    kHandlerResumeRequested = 6,
};

// Handler phases.
enum CoreHandlerPhase : int {
    kPhaseInitial = 0,
    kPhaseEnumerating = 1,
    kPhaseEnumerated = 2,
    kPhaseCopying = 10,
    kPhaseFinished = 20,
};

class CoreEventHandlerBase : public DesignPatterns::IObserver {
public:
    CoreEventHandlerBase() = default;
    ~CoreEventHandlerBase() override = default;
    CoreEventHandlerBase(const CoreEventHandlerBase&) = delete;
    CoreEventHandlerBase& operator=(const CoreEventHandlerBase&) = delete;

    // Applies the event's code to state and phase, then Dispatch. Nothing escapes to the
    // raising engine thread.
    void Update(DesignPatterns::IObservable* observable) override;
    virtual void Dispatch() {}
    // Called whenever state changes, on the engine thread or on the controlling thread.
    virtual void StateChanged() {}

    // Controls, called by the user interface. Each changes the state, reports it, then
    // signals the engine.
    // Cancel: when a cancel event is known; signals it even when cancel was asked before.
    void Cancel();
    // Pause: only while running. Returns whether the pause was asked.
    bool Pause();
    // Resume: only while paused. Returns whether the resume was asked and no cancel came
    // in between (the engine may be running again already when it returns).
    bool Resume();

    int GetState() const { return state.load(); }
    int GetPhase() const { return phase.load(); }

    CoreEvent* event = nullptr;  // the event being delivered; valid only during Update
    CoreEventFindStatus* value = nullptr;  // the enumeration's display record, 2050 to 2051
    HANDLE cancelEvent = nullptr;
    HANDLE runEvent = nullptr;
    // The engine's objects behind the two handles, when it handed them over; the controls
    // signal through them (see CountedEvent), else on the bare handles.
    CountedEvent* cancelSignal = nullptr;
    CountedEvent* runSignal = nullptr;
    std::atomic<int> state{kHandlerInitial};
    std::atomic<int> phase{kPhaseInitial};

protected:
    // Engine threads inside Update; a handler that goes away waits for them to leave.
    std::atomic<int> busy{0};

private:
    void Apply(const CoreEvent& e);
    bool MoveTo(int newState);
    // Takes the engine's events from e, or forgets them (e null). Under handleLock.
    void TakeEvents(const CoreEvent* e);
    // Signal the engine, under handleLock; nothing when the events are gone.
    void SetCancel();
    void SetRun();
    void ResetRun();

    // Guards the two engine handles against the controls: the engine forgets them (and
    // later closes them) while the user interface may be about to signal one.
    std::mutex handleLock;
};

class CoreEventHandler : public CoreEventHandlerBase {};

class CoreEventHandlerPost : public CoreEventHandler {
public:
    // The answer event could not be created.
    class InitError : public WindowsException {
    public:
        explicit InitError(DWORD error) : WindowsException(error) {}
    };

    // Events are posted to window as postMessage and state changes sent as sendMessage,
    // both with the handler's address as wParam. Throws InitError.
    CoreEventHandlerPost(HWND window, UINT postMessage = WM_APP + 1, UINT sendMessage = WM_APP + 4);
    // Releases an engine thread that still waits for an answer, and waits until it has
    // left the handler.
    ~CoreEventHandlerPost() override;

    // Posts the event to the window and waits until the window signals answerEvent; at
    // once when the window is gone. A window destroyed while the engine waits releases
    // it unanswered.
    void Dispatch() override;
    void StateChanged() override;

    // The window calls this when it has dealt with the event (after writing the answer of
    // a question).
    void Answer() { SetEvent(answerEvent); }

    HWND window = nullptr;
    UINT postMessage = WM_APP + 1;
    UINT sendMessage = WM_APP + 4;
    HANDLE answerEvent = nullptr;

protected:
    // Releases an engine thread waiting for an answer and waits until every engine thread
    // has left the handler; from then on nothing is delivered. The destructor's first step.
    void CloseAndWait();

private:
    std::atomic<int> closing{0};
};

}  // namespace Swiftlet
