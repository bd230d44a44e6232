#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

#include "control/CoreEvent.h"
#include "control/CoreEventHandler.h"
#include "tests/control/JobWindowThread.h"

using namespace Swiftlet;

namespace {

bool IsSignalled(HANDLE event) {
    return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

// The algorithm's two events: cancel auto-reset unsignalled, run auto-reset signalled.
struct EngineEvents {
    EngineEvents()
        : cancel(CreateEventW(nullptr, FALSE, FALSE, nullptr)), run(CreateEventW(nullptr, FALSE, TRUE, nullptr)) {}
    ~EngineEvents() {
        CloseHandle(cancel);
        CloseHandle(run);
    }
    HANDLE cancel;
    HANDLE run;
};

}  // namespace

TEST(CoreEventHandlerPost, FollowsTheJobThroughItsPhasesAndStates) {
    JobWindowThread ui;
    CoreEventHandlerPost handler(ui.Window());
    CoreEvent channel;
    channel.Attach(&handler);
    EngineEvents engine;
    CoreEventFindStatus find;

    struct Seen {
        int state, phase;
        HANDLE cancel;
        CoreEventFindStatus* value;
    };
    std::vector<Seen> seen;
    ui.SetResponder([&](CoreEventHandlerPost& h, CoreEvent&) {
        seen.push_back({h.GetState(), h.GetPhase(), h.cancelEvent, h.value});
        return true;
    });

    std::thread job([&] {
        channel.OnCoreStart();
        channel.OnAlgorithmStart();
        channel.OnFindBegin(engine.cancel, engine.run, &find);
        channel.OnFindPaused();
        channel.OnFindResumed();
        channel.OnFindEnd();
        channel.OnCopyBegin(nullptr, engine.cancel, engine.run);
        channel.OnCopyPaused();
        channel.OnCopyResumed();
        channel.OnAlgorithmEnd(10, 5);
        channel.OnCoreEnd();
    });
    job.join();

    EXPECT_EQ((std::vector<int>{1000, 2000, 2050, 2052, 2053, 2051, 2100, 4000, 4001, 2001, 1001}), ui.Codes());
    ASSERT_EQ(11u, seen.size());
    EXPECT_EQ(0, seen[0].state);
    EXPECT_EQ(1, seen[1].state);
    EXPECT_EQ(kPhaseEnumerating, seen[2].phase);
    EXPECT_EQ(engine.cancel, seen[2].cancel);
    EXPECT_EQ(&find, seen[2].value);
    EXPECT_EQ(kHandlerPaused, seen[3].state);
    EXPECT_EQ(kHandlerRunning, seen[4].state);
    EXPECT_EQ(kPhaseEnumerated, seen[5].phase);
    EXPECT_EQ(nullptr, seen[5].cancel);
    EXPECT_EQ(nullptr, seen[5].value);
    EXPECT_EQ(kPhaseCopying, seen[6].phase);
    EXPECT_EQ(engine.cancel, seen[6].cancel);
    EXPECT_EQ(kHandlerPaused, seen[7].state);
    EXPECT_EQ(kHandlerRunning, seen[8].state);
    EXPECT_EQ(kPhaseFinished, seen[9].phase);
    EXPECT_EQ(nullptr, seen[9].cancel);
    // Each change of state was sent to the window once, before the event was posted.
    EXPECT_EQ((std::vector<int>{1, 5, 1, 5, 1}), ui.States());
    EXPECT_EQ(nullptr, handler.event);
}

TEST(CoreEventHandlerPost, ACancelErrorMarksTheJobCancelled) {
    JobWindowThread ui;
    CoreEventHandlerPost handler(ui.Window());
    CoreEvent channel;
    channel.Attach(&handler);
    std::thread job([&] {
        CopyException prepare(kCopyPrepareFailed);
        channel.OnError(&prepare);
        CopyException cancelled(kCopyCancelled);
        channel.OnError(&cancelled);
        channel.OnError(&cancelled);
        channel.OnError(nullptr);
    });
    job.join();
    EXPECT_EQ(kHandlerCancelled, handler.GetState());
    EXPECT_EQ(std::vector<int>{kHandlerCancelled}, ui.States());
    EXPECT_EQ(4u, ui.Codes().size());
}

// The engine may run again before Resume returns (its resumed event lands at once): the
// resume still succeeded. Only a cancel that comes in between makes it moot.
TEST(CoreEventHandler, ResumeHoldsWhenTheEngineRunsAgainBeforeItReturns) {
    class Racing : public CoreEventHandler {
    public:
        // Runs once, right after the state became "resume requested".
        std::function<void()> onResumeRequested;
        void StateChanged() override {
            if (GetState() == kHandlerResumeRequested && onResumeRequested) {
                auto act = std::move(onResumeRequested);
                onResumeRequested = nullptr;
                act();
            }
        }
    } handler;
    CoreEvent channel;
    channel.Attach(&handler);
    EngineEvents engine;
    auto onEngineThread = [](const std::function<void()>& step) { std::thread(step).join(); };
    onEngineThread([&] {
        channel.OnAlgorithmStart();
        channel.OnCopyBegin(nullptr, engine.cancel, engine.run);
    });

    ASSERT_TRUE(handler.Pause());
    onEngineThread([&] { channel.OnCopyPaused(); });
    handler.onResumeRequested = [&] { onEngineThread([&] { channel.OnCopyResumed(); }); };
    EXPECT_TRUE(handler.Resume());
    EXPECT_EQ(kHandlerRunning, handler.GetState());
    EXPECT_TRUE(IsSignalled(engine.run));

    ASSERT_TRUE(handler.Pause());
    onEngineThread([&] { channel.OnCopyPaused(); });
    handler.onResumeRequested = [&] { handler.Cancel(); };
    EXPECT_FALSE(handler.Resume());
    EXPECT_EQ(kHandlerCancelRequested, handler.GetState());
}

TEST(CoreEventHandlerPost, ControlsSignalTheEngineOnlyWhenTheyApply) {
    JobWindowThread ui;
    CoreEventHandlerPost handler(ui.Window());
    CoreEvent channel;
    channel.Attach(&handler);
    EngineEvents engine;

    // Before the engine handed over its events nothing can be controlled.
    handler.Cancel();
    EXPECT_FALSE(handler.Pause());
    EXPECT_EQ(kHandlerInitial, handler.GetState());

    std::thread([&] {
        channel.OnAlgorithmStart();
        channel.OnCopyBegin(nullptr, engine.cancel, engine.run);
    }).join();
    EXPECT_FALSE(handler.Resume());  // not paused

    // Pause: the run event is taken away; the engine's paused event completes it.
    ASSERT_TRUE(handler.Pause());
    EXPECT_EQ(kHandlerPauseRequested, handler.GetState());
    EXPECT_FALSE(IsSignalled(engine.run));
    EXPECT_FALSE(handler.Pause());
    std::thread([&] { channel.OnCopyPaused(); }).join();
    EXPECT_EQ(kHandlerPaused, handler.GetState());

    EXPECT_TRUE(handler.Resume());
    EXPECT_EQ(kHandlerResumeRequested, handler.GetState());
    EXPECT_TRUE(IsSignalled(engine.run));
    std::thread([&] { channel.OnCopyResumed(); }).join();
    EXPECT_EQ(kHandlerRunning, handler.GetState());

    // Cancel signals every time, but reports the request once.
    handler.Cancel();
    EXPECT_TRUE(IsSignalled(engine.cancel));
    handler.Cancel();
    EXPECT_TRUE(IsSignalled(engine.cancel));
    EXPECT_EQ(kHandlerCancelRequested, handler.GetState());
    EXPECT_EQ((std::vector<int>{1, 4, 5, 6, 1, 2}), ui.States());

    // After the algorithm ended its events are forgotten: they may be closed already.
    std::thread([&] { channel.OnAlgorithmEnd(1, 1); }).join();
    handler.Cancel();
    EXPECT_FALSE(IsSignalled(engine.cancel));
}

TEST(CoreEventHandlerPost, ClosingTheWindowDuringAQuestionReleasesTheEngineUnanswered) {
    JobWindowThread ui;
    CoreEventHandlerPost handler(ui.Window());
    CoreEvent channel;
    channel.Attach(&handler);
    // The window goes away instead of answering.
    ui.SetResponder([](CoreEventHandlerPost& h, CoreEvent&) {
        DestroyWindow(h.window);
        return false;
    });
    CopyExceptionOverwrite question(L"C:\\s", WIN32_FILE_ATTRIBUTE_DATA{}, L"D:\\d", WIN32_FILE_ATTRIBUTE_DATA{});
    int answer = -1;
    std::thread([&] { answer = channel.AskOverwrite(&question); }).join();
    EXPECT_EQ(0, answer);  // no answer: the engine cancels the job
    EXPECT_FALSE(IsWindow(ui.Window()));

    // Later events do not wait for the missing window, and questions stay unanswered.
    int later = -1;
    std::thread([&] {
        channel.OnCopyPaused();
        later = channel.AskOverwrite(&question);
    }).join();
    EXPECT_EQ(0, later);
}

TEST(CoreEventHandlerPost, DestroyingTheHandlerReleasesAWaitingEngine) {
    JobWindowThread ui;
    auto handler = std::make_unique<CoreEventHandlerPost>(ui.Window());
    CoreEvent channel;
    channel.Attach(handler.get());
    HANDLE asked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ui.SetResponder([asked](CoreEventHandlerPost&, CoreEvent&) {
        SetEvent(asked);
        return false;  // never answers
    });
    WindowsFileException inner(ERROR_ACCESS_DENIED, L"Z:\\");
    CopyExceptionRetryFile question(inner);
    int answer = -1;
    std::thread job([&] { answer = channel.AskRetry(&question); });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(asked, 10000));
    channel.Detach(handler.get());  // the job's thread raises nothing more
    handler.reset();
    job.join();
    EXPECT_EQ(0, answer);
    CloseHandle(asked);
}

TEST(CoreEventHandlerPost, AHandlerThatThrowsDoesNotStopTheEngine) {
    struct Throwing : CoreEventHandler {
        void Dispatch() override {
            ++calls;
            throw CopyException(kCopyNothingToDo);
        }
        int calls = 0;
    };
    CoreEvent channel;
    Throwing handler;
    channel.Attach(&handler);
    std::thread([&] {
        channel.OnAlgorithmStart();
        channel.OnCoreEnd();
    }).join();
    EXPECT_EQ(2, handler.calls);
    EXPECT_EQ(nullptr, handler.event);
    EXPECT_EQ(kHandlerRunning, handler.GetState());
}
