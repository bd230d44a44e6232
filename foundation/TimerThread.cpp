#include "foundation/TimerThread.h"

namespace Timer {

IMPLEMENT_DYNCREATE(TimerThread, CWinThread)

namespace {

constexpr UINT_PTR kTimerEventId = 256;

}  // namespace

BOOL TimerThread::InitInstance() {
    if (timerId == 0) {
        timerId = SetTimer(nullptr, kTimerEventId, period, &TimerThread::OnTimer);
    }
    return TRUE;
}

int TimerThread::ExitInstance() {
    // A thread timer belongs to the thread that made it.
    if (timerId != 0) {
        KillTimer(nullptr, timerId);
        timerId = 0;
    }
    return CWinThread::ExitInstance();
}

void CALLBACK TimerThread::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    ::PostThreadMessageW(GetCurrentThreadId(), kTickMessage, id, 0);
}

BOOL TimerThread::PreTranslateMessage(MSG* msg) {
    if (msg->hwnd != nullptr || msg->message != kTickMessage) {
        return CWinThread::PreTranslateMessage(msg);
    }
    if (timerId != 0 && msg->wParam == timerId) {
        NotifyEach();
    }
    return TRUE;
}

void TimerThread::NotifyEach() {
    // Like Notify, but one failing observer neither ends the thread nor keeps the tick
    // from the observers after it.
    for (size_t i = 0; i < observers.size();) {
        DesignPatterns::IObserver* observer = observers[i];
        try {
            observer->Update(this);
        } catch (...) {
        }
        if (i < observers.size() && observers[i] == observer) {
            ++i;
        }
    }
}

}  // namespace Timer
