#pragma once
// The only observer of a job that runs in an elevated process: it forwards the job's
// events to the user-interface process, which shows them in the job's panel, brings back
// the user's answers to questions, and once a second asks whether the user paused,
// resumed or cancelled the job there.
#include "control/CoreEventHandler.h"
#include "foundation/TimerThread.h"

namespace Swiftlet {

class CopyAlgorithmMultiThreadElevateClient;

class CoreEventElevateClientHandler : public CoreEventHandlerBase {
public:
    static constexpr unsigned int kPollPeriodMs = 1000;

    // Starts the polling timer thread; throws WindowsException when it cannot. client
    // must outlive the handler.
    explicit CoreEventElevateClientHandler(CopyAlgorithmMultiThreadElevateClient* client,
                                           unsigned int pollPeriodMs = kPollPeriodMs);
    // Stops the timer thread and waits until it has left the handler.
    ~CoreEventElevateClientHandler() override;

    // The job's events, and the timer's ticks.
    void Update(DesignPatterns::IObservable* observable) override;
    void Dispatch() override;

    // One round of the two polls (also the timer's tick).
    void Poll();

private:
    CopyAlgorithmMultiThreadElevateClient* m_client;
    Timer::TimerThread* m_timer = nullptr;
};

}  // namespace Swiftlet
