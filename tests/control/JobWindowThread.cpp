#include "tests/control/JobWindowThread.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kClassName[] = L"SwiftletTestJobWindow";
constexpr UINT kDestroyMessage = WM_APP + 20;

void RegisterOnce() {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        return RegisterClassW(&wc);
    }();
    (void)atom;
}

}  // namespace

JobWindowThread::JobWindowThread() {
    RegisterOnce();
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread = std::thread([this, ready] { Run(ready); });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
}

JobWindowThread::~JobWindowThread() {
    DestroyWindowNow();
    PostThreadMessageW(threadId, WM_QUIT, 0, 0);
    thread.join();
}

void JobWindowThread::Run(HANDLE ready) {
    threadId = GetCurrentThreadId();
    window = CreateWindowExW(0, kClassName, L"job", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (window != nullptr) {
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
    }
    SetEvent(ready);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kDestroyMessage) {
            if (window != nullptr) {
                DestroyWindow(window);
            }
            SetEvent(reinterpret_cast<HANDLE>(msg.wParam));
            continue;
        }
        DispatchMessageW(&msg);
    }
}

void JobWindowThread::DestroyWindowNow() {
    if (window == nullptr || !IsWindow(window)) {
        return;
    }
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    PostThreadMessageW(threadId, kDestroyMessage, reinterpret_cast<WPARAM>(done), 0);
    WaitForSingleObject(done, INFINITE);
    CloseHandle(done);
}

LRESULT CALLBACK JobWindowThread::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<JobWindowThread*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && (message == WM_APP + 1 || message == WM_APP + 4)) {
        return self->Handle(message, wParam, lParam);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT JobWindowThread::Handle(UINT message, WPARAM wParam, LPARAM) {
    auto* handler = reinterpret_cast<Swiftlet::CoreEventHandlerPost*>(wParam);
    if (message == WM_APP + 4) {
        std::lock_guard<std::mutex> guard(lock);
        states.push_back(handler->GetState());
        return 0;
    }
    Responder respond;
    {
        std::lock_guard<std::mutex> guard(lock);
        // The engine waits, so the event may be read without a lock.
        codes.push_back(handler->event->eventCode);
        respond = responder;
    }
    bool release = true;
    if (respond) {
        release = respond(*handler, *handler->event);
    }
    if (release) {
        SetEvent(handler->answerEvent);
    }
    return 0;
}

void JobWindowThread::SetResponder(Responder r) {
    std::lock_guard<std::mutex> guard(lock);
    responder = std::move(r);
}

std::vector<int> JobWindowThread::Codes() {
    std::lock_guard<std::mutex> guard(lock);
    return codes;
}

std::vector<int> JobWindowThread::States() {
    std::lock_guard<std::mutex> guard(lock);
    return states;
}

int JobWindowThread::QuestionCount() {
    std::lock_guard<std::mutex> guard(lock);
    int n = 0;
    for (int code : codes) {
        n += code == Swiftlet::kEventQuestion ? 1 : 0;
    }
    return n;
}

JobWindowThread::Responder AnswerWith(int answer, int applyToAll) {
    return [answer, applyToAll](Swiftlet::CoreEventHandlerPost&, Swiftlet::CoreEvent& event) {
        if (event.eventCode == Swiftlet::kEventQuestion) {
            event.answer = answer;
            event.applyToAll = applyToAll;
        }
        return true;
    };
}
