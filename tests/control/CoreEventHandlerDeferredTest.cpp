// The handler of a job that starts before its window: nothing is delivered and nothing
// waits until a window is needed, a question waits for it, and from Attach on every event
// goes to the window.
#include <gtest/gtest.h>

#include <thread>

#include "control/CoreEvent.h"
#include "control/CoreEventHandlerDeferred.h"
#include "tests/control/JobWindowThread.h"

using namespace Swiftlet;

namespace {

bool IsSignalled(HANDLE event, DWORD waitMs = 0) { return WaitForSingleObject(event, waitMs) == WAIT_OBJECT_0; }

CoreEventHandlerDeferred* MakeHandler() { return new CoreEventHandlerDeferred(WM_APP + 1, WM_APP + 4); }

struct Engine {
    Engine() : cancel(CreateEventW(nullptr, TRUE, FALSE, nullptr)), run(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}
    ~Engine() {
        CloseHandle(cancel);
        CloseHandle(run);
    }
    HANDLE cancel;
    HANDLE run;
};

// A job's channel with the deferred handler, and the window that comes for it, which
// skips every question.
class CoreEventHandlerDeferredWindow : public ::testing::Test {
protected:
    CoreEventHandlerDeferredWindow() : handler(MakeHandler()) {
        ui.SetResponder(AnswerWith(kAnswerSkip));
        channel.Attach(handler.get());
    }
    ~CoreEventHandlerDeferredWindow() override { channel.Detach(handler.get()); }

    JobWindowThread ui;
    std::unique_ptr<CoreEventHandlerDeferred> handler;
    CoreEvent channel;
    Engine engine;
};

}  // namespace

// A job that needs no window runs through without waiting: its state and phase are kept,
// its end is signalled, and no window is wanted any more after it.
TEST(CoreEventHandlerDeferred, AJobWithoutQuestionsRunsThroughWithoutAWindow) {
    std::unique_ptr<CoreEventHandlerDeferred> handler(MakeHandler());
    CoreEvent channel;
    channel.Attach(handler.get());
    Engine engine;
    CoreEventFindStatus find;
    std::thread([&] {
        channel.OnCoreStart();
        channel.OnAlgorithmStart();
        channel.OnFindBegin(engine.cancel, engine.run, &find);
        EXPECT_EQ(kPhaseEnumerating, handler->GetPhase());
        EXPECT_EQ(&find, handler->value);
        channel.OnFindEnd();
        channel.OnCopyBegin(nullptr, engine.cancel, engine.run);
        EXPECT_FALSE(IsSignalled(handler->EndedEvent()));
        channel.OnAlgorithmEnd(3, 2);
        channel.OnCoreEnd();
    }).join();
    EXPECT_TRUE(IsSignalled(handler->EndedEvent()));
    EXPECT_FALSE(IsSignalled(handler->WindowNeededEvent()));
    EXPECT_EQ(kHandlerRunning, handler->GetState());
    EXPECT_EQ(kPhaseFinished, handler->GetPhase());
    EXPECT_FALSE(handler->PrepareWindow());
    EXPECT_FALSE(handler->IsAttached());
    channel.Detach(handler.get());
}

// A question asks for the window and waits for it; the window then gets the question and
// everything after it, state changes included, and its answer reaches the engine.
TEST_F(CoreEventHandlerDeferredWindow, AQuestionWaitsForTheWindowAndIsAnsweredThere) {
    CopyExceptionOverwrite question(L"C:\\s", WIN32_FILE_ATTRIBUTE_DATA{}, L"D:\\d", WIN32_FILE_ATTRIBUTE_DATA{});
    int answer = -1;
    std::thread job([&] {
        channel.OnCoreStart();
        channel.OnAlgorithmStart();
        channel.OnCopyBegin(nullptr, engine.cancel, engine.run);
        answer = channel.AskOverwrite(&question);
        channel.OnCopyPaused();
        channel.OnCoreEnd();
    });
    ASSERT_TRUE(IsSignalled(handler->WindowNeededEvent(), 10000));
    EXPECT_EQ(-1, answer) << "the engine waits for the window";
    EXPECT_TRUE(handler->PrepareWindow());
    handler->Attach(ui.Window());
    job.join();
    EXPECT_EQ(kAnswerSkip, answer);
    EXPECT_EQ((std::vector<int>{kEventQuestion, kEventCopyPaused, kEventCoreEnd}), ui.Codes());
    EXPECT_EQ(std::vector<int>{kHandlerPaused}, ui.States());
    EXPECT_FALSE(IsSignalled(handler->EndedEvent())) << "the window saw the end";
}

// Once the controlling thread has chosen to make the window (the job took long), every
// event waits for it, so that the window misses none of what follows.
TEST_F(CoreEventHandlerDeferredWindow, AfterTheWindowIsPromisedEveryEventWaitsForIt) {
    channel.OnAlgorithmStart();
    ASSERT_TRUE(handler->PrepareWindow());
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread job([&] {
        channel.OnCopyBegin(nullptr, engine.cancel, engine.run);
        channel.OnCoreEnd();
        SetEvent(done);
    });
    EXPECT_FALSE(IsSignalled(done, 200)) << "the copy's begin waits for the window";
    EXPECT_EQ(kPhaseCopying, handler->GetPhase()) << "its state is taken meanwhile";
    handler->Attach(ui.Window());
    job.join();
    EXPECT_EQ((std::vector<int>{kEventCopyBegin, kEventCoreEnd}), ui.Codes());
    EXPECT_FALSE(IsSignalled(handler->EndedEvent()));
    CloseHandle(done);
}

// A window that never comes (its making failed, the program ends) leaves no engine thread
// waiting: the question goes unanswered, which cancels, and the handler can go.
TEST(CoreEventHandlerDeferred, AWindowThatNeverComesReleasesTheEngineUnanswered) {
    std::unique_ptr<CoreEventHandlerDeferred> handler(MakeHandler());
    CoreEvent channel;
    channel.Attach(handler.get());
    WindowsFileException inner(ERROR_ACCESS_DENIED, L"Z:\\");
    CopyExceptionRetryFile question(inner);
    int answer = -1;
    std::thread job([&] { answer = channel.AskRetry(&question); });
    ASSERT_TRUE(IsSignalled(handler->WindowNeededEvent(), 10000));
    handler->Abandon();
    job.join();
    EXPECT_EQ(0, answer);
    int later = -1;
    std::thread([&] { later = channel.AskRetry(&question); }).join();
    EXPECT_EQ(0, later);
    channel.Detach(handler.get());
    handler.reset();
}
