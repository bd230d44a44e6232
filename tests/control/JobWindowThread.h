#pragma once
// Plays the user interface of one job: a hidden window on a thread of its own with a
// message loop. Events posted by a CoreEventHandlerPost are handed to a responder on
// that thread, which reads the event and writes the answer; state changes sent by the
// handler are recorded.
#include <windows.h>

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "control/CoreEventHandler.h"

class JobWindowThread {
public:
    // Runs on the window's thread for every posted event. Returning false leaves the
    // engine waiting (the responder may release it later or destroy the window).
    using Responder = std::function<bool(Swiftlet::CoreEventHandlerPost& handler, Swiftlet::CoreEvent& event)>;

    JobWindowThread();
    ~JobWindowThread();
    JobWindowThread(const JobWindowThread&) = delete;
    JobWindowThread& operator=(const JobWindowThread&) = delete;

    HWND Window() const { return window; }
    void SetResponder(Responder r);
    // Destroys the window on its own thread and waits until it is gone.
    void DestroyWindowNow();

    // Event codes seen by the window, in order.
    std::vector<int> Codes();
    // Handler states reported through the sent message, in order.
    std::vector<int> States();
    int QuestionCount();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(HANDLE ready);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    std::thread thread;
    HWND window = nullptr;
    DWORD threadId = 0;
    std::mutex lock;
    Responder responder;
    std::vector<int> codes;
    std::vector<int> states;
};

// Answers every question with answer and applyToAll.
JobWindowThread::Responder AnswerWith(int answer, int applyToAll = 0);
