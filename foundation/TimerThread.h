#pragma once
// A user-interface thread that notifies its observers once per period, on itself.
// Create it suspended from its run-time class, set period, attach the observers, resume.
#include <windows.h>

#include "foundation/Observer.h"
#include "framework/CWinThread.h"

namespace Timer {

class TimerThread : public CWinThread, public DesignPatterns::Observable {
    DECLARE_DYNCREATE(TimerThread)
public:
    // Thread message the timer posts on every tick; wParam is the timer's identifier.
    static constexpr UINT kTickMessage = WM_APP + 1;

    TimerThread() = default;
    ~TimerThread() override = default;

    // Starts the timer. Without a timer (SetTimer failed) the thread runs without ticks.
    BOOL InitInstance() override;
    int ExitInstance() override;
    // Turns the tick message into a notification of the observers.
    BOOL PreTranslateMessage(MSG* msg) override;

    unsigned int period = 0;  // milliseconds
    UINT_PTR timerId = 0;     // 0 while no timer exists

private:
    void NotifyEach();
    static void CALLBACK OnTimer(HWND window, UINT message, UINT_PTR id, DWORD time);
};

}  // namespace Timer
