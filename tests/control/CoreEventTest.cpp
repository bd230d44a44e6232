#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "control/CoreEvent.h"
#include "control/CoreEventHandler.h"
#include "tests/control/JobWindowThread.h"

using namespace Swiftlet;

namespace {

// Runs f on a thread of its own, as the copy engine would, and returns its result.
template <class F>
auto OnEngineThread(F f) {
    decltype(f()) result{};
    std::thread engine([&] { result = f(); });
    engine.join();
    return result;
}

// A job window and its handler attached to a fresh channel.
struct Job {
    Job() : handler(ui.Window()) { channel.Attach(&handler); }
    ~Job() { channel.Detach(&handler); }

    JobWindowThread ui;
    CoreEventHandlerPost handler;
    CoreEvent channel;
};

WIN32_FILE_ATTRIBUTE_DATA Attributes(DWORD attributes) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    data.dwFileAttributes = attributes;
    return data;
}

constexpr DWORD kFile = FILE_ATTRIBUTE_NORMAL;
constexpr DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY;

int AskRetryFor(CoreEvent& channel, DWORD error) {
    WindowsFileException inner(error, L"Z:\\");
    CopyExceptionRetryFile question(nullptr, L"Z:\\", WIN32_FILE_ATTRIBUTE_DATA{}, 0, 1);
    question.error = &inner;
    return OnEngineThread([&] { return channel.AskRetry(&question); });
}

int AskOverwriteOf(CoreEvent& channel, DWORD source, DWORD existing) {
    CopyExceptionOverwrite question(L"C:\\s", Attributes(source), L"D:\\d", Attributes(existing));
    return OnEngineThread([&] { return channel.AskOverwrite(&question); });
}

int AskEncryptedOf(CoreEvent& channel, DWORD attributes) {
    CopyExceptionEncrypted question(L"C:\\e", Attributes(attributes | FILE_ATTRIBUTE_ENCRYPTED));
    return OnEngineThread([&] { return channel.AskEncrypted(&question); });
}

}  // namespace

TEST(CoreEventAnswers, RetryIsRememberedPerErrorCodeButRetryItselfNever) {
    Job job;
    // Retry with the all-items box checked: asked again at the next error.
    job.ui.SetResponder(AnswerWith(kAnswerRetry, 1));
    EXPECT_EQ(kAnswerRetry, AskRetryFor(job.channel, ERROR_SHARING_VIOLATION));
    EXPECT_EQ(1, job.ui.QuestionCount());

    job.ui.SetResponder(AnswerWith(kAnswerSkip, 1));
    EXPECT_EQ(kAnswerSkip, AskRetryFor(job.channel, ERROR_SHARING_VIOLATION));
    EXPECT_EQ(2, job.ui.QuestionCount());

    // Same error: skipped without a question. Another error: still asked.
    job.ui.SetResponder(AnswerWith(kAnswerCancel, 0));
    EXPECT_EQ(kAnswerSkip, AskRetryFor(job.channel, ERROR_SHARING_VIOLATION));
    EXPECT_EQ(2, job.ui.QuestionCount());
    EXPECT_EQ(kAnswerCancel, AskRetryFor(job.channel, ERROR_ACCESS_DENIED));
    EXPECT_EQ(3, job.ui.QuestionCount());
    // Answered without the box: not remembered.
    EXPECT_EQ(kAnswerCancel, AskRetryFor(job.channel, ERROR_ACCESS_DENIED));
    EXPECT_EQ(4, job.ui.QuestionCount());

    // The question is cleared once answered.
    EXPECT_EQ(nullptr, job.channel.status.exception);
    EXPECT_EQ(0, job.channel.answer);
    EXPECT_EQ(0, job.channel.applyToAll);
}

TEST(CoreEventAnswers, OverwriteIsRememberedPerCombinationOfFileAndFolder) {
    Job job;
    job.ui.SetResponder(AnswerWith(kAnswerOverwrite, 1));
    EXPECT_EQ(kAnswerOverwrite, AskOverwriteOf(job.channel, kFile, kFile));
    job.ui.SetResponder(AnswerWith(kAnswerSkip, 0));
    EXPECT_EQ(kAnswerOverwrite, AskOverwriteOf(job.channel, kFile, kFile));
    EXPECT_EQ(1, job.ui.QuestionCount());

    // Every other combination is still asked.
    EXPECT_EQ(kAnswerSkip, AskOverwriteOf(job.channel, kFolder, kFile));
    EXPECT_EQ(kAnswerSkip, AskOverwriteOf(job.channel, kFile, kFolder));
    EXPECT_EQ(kAnswerSkip, AskOverwriteOf(job.channel, kFolder, kFolder));
    EXPECT_EQ(4, job.ui.QuestionCount());

    job.ui.SetResponder(AnswerWith(kAnswerSkip, 1));
    EXPECT_EQ(kAnswerSkip, AskOverwriteOf(job.channel, kFile, kFolder));
    EXPECT_EQ(kAnswerSkip, AskOverwriteOf(job.channel, kFile, kFolder));
    EXPECT_EQ(5, job.ui.QuestionCount());
    EXPECT_EQ(kAnswerSkip, job.channel.fileOverFolderAnswer.load());
    EXPECT_EQ(0, job.channel.folderOverFileAnswer.load());
}

TEST(CoreEventAnswers, EncryptedIsRememberedForFilesAndFoldersApart) {
    Job job;
    job.ui.SetResponder(AnswerWith(kAnswerWithoutEncryption, 1));
    EXPECT_EQ(kAnswerWithoutEncryption, AskEncryptedOf(job.channel, kFile));
    job.ui.SetResponder(AnswerWith(kAnswerCancel, 1));
    EXPECT_EQ(kAnswerWithoutEncryption, AskEncryptedOf(job.channel, kFile));
    EXPECT_EQ(1, job.ui.QuestionCount());
    EXPECT_EQ(kAnswerCancel, AskEncryptedOf(job.channel, kFolder));
    EXPECT_EQ(2, job.ui.QuestionCount());
}

TEST(CoreEventAnswers, QuestionShowsItsExceptionWhileTheEngineWaits) {
    Job job;
    const Exception* seen = nullptr;
    int seenType = 0;
    job.ui.SetResponder([&](CoreEventHandlerPost&, CoreEvent& event) {
        seen = event.status.exception;
        const CopyException* copy = AsCopyException(event.status.exception);
        seenType = copy != nullptr ? copy->type : 0;
        event.answer = kAnswerSkip;
        return true;
    });
    CopyExceptionOverwrite question(L"C:\\s", Attributes(kFile), L"D:\\d", Attributes(kFile));
    EXPECT_EQ(kAnswerSkip, OnEngineThread([&] { return job.channel.AskOverwrite(&question); }));
    EXPECT_EQ(&question, seen);
    EXPECT_EQ(kCopyOverwrite, seenType);
    EXPECT_EQ(nullptr, job.channel.status.exception);
}

TEST(CoreEventAnswers, OverwriteFilesHandsBackTheSelectionOnlyForAnswerEight) {
    Job job;
    job.ui.SetResponder([](CoreEventHandlerPost&, CoreEvent& event) {
        SelectionMap chosen;
        chosen[L"C:\\Data\\A.TXT"] = kAnswerOverwrite;
        chosen[L"C:\\Data\\b.txt"] = kAnswerKeepBoth;
        event.SetSelection(chosen);
        event.answer = kAnswerSelection;
        return true;
    });
    CopyExceptionOverwriteFiles batch;
    batch.files.emplace_back(L"C:\\Data\\a.txt", L"D:\\Data\\a.txt");
    SelectionMap selection;
    EXPECT_EQ(kAnswerSelection, OnEngineThread([&] { return job.channel.AskOverwriteFiles(&batch, &selection); }));
    ASSERT_EQ(2u, selection.size());
    EXPECT_EQ(kAnswerOverwrite, selection[L"c:\\data\\a.txt"]);  // keys ignore case
    EXPECT_TRUE(job.channel.selection.empty());

    // Another answer leaves the caller's map alone, and nothing is remembered.
    job.ui.SetResponder([](CoreEventHandlerPost&, CoreEvent& event) {
        SelectionMap chosen;
        chosen[L"x"] = 5;
        event.SetSelection(chosen);
        event.answer = kAnswerKeepBoth;
        event.applyToAll = 1;
        return true;
    });
    SelectionMap untouched;
    EXPECT_EQ(kAnswerKeepBoth, OnEngineThread([&] { return job.channel.AskOverwriteFiles(&batch, &untouched); }));
    EXPECT_TRUE(untouched.empty());
    EXPECT_EQ(kAnswerKeepBoth, OnEngineThread([&] { return job.channel.AskOverwriteFiles(&batch, &untouched); }));
    EXPECT_EQ(3, job.ui.QuestionCount());
}

TEST(CoreEventAnswers, ReplayShowsTheSnapshotAndReturnsItsAnswer) {
    Job job;
    CoreDisplayStatus snapshot;
    snapshot.bytes.written = 4096;
    snapshot.writeDestinationPath = L"D:\\x\\f.bin";
    snapshot.writeLaps.emplace_back(100, 4096);
    CopyExceptionOverwrite question(L"C:\\s", Attributes(kFile), L"D:\\d", Attributes(kFile));
    snapshot.exception = &question;

    unsigned long long seenBytes = 0;
    CString seenPath;
    const Exception* seenException = nullptr;
    int code = 0;
    job.ui.SetResponder([&](CoreEventHandlerPost&, CoreEvent& event) {
        code = event.eventCode;
        seenBytes = event.status.bytes.written;
        seenPath = event.status.writeDestinationPath;
        seenException = event.status.exception;
        event.answer = kAnswerSkip;
        event.applyToAll = 1;
        return true;
    });
    int forAll = -1;
    SelectionMap selection;
    EXPECT_EQ(kAnswerSkip, OnEngineThread([&] {
                  return job.channel.Replay(kEventQuestion, &snapshot, &forAll, &selection);
              }));
    EXPECT_EQ(kEventQuestion, code);
    EXPECT_EQ(4096u, seenBytes);
    EXPECT_EQ(CString(L"D:\\x\\f.bin"), seenPath);
    EXPECT_EQ(&question, seenException);
    EXPECT_EQ(1, forAll);
    EXPECT_EQ(1u, job.channel.status.writeLaps.size());
    EXPECT_EQ(nullptr, job.channel.status.exception);  // the snapshot keeps its exception

    // A retry answer is never reused, so its apply-to-all flag is not handed back.
    job.ui.SetResponder(AnswerWith(kAnswerRetry, 1));
    EXPECT_EQ(kAnswerRetry, OnEngineThread([&] {
                  return job.channel.Replay(kEventQuestion, &snapshot, &forAll, &selection);
              }));
    EXPECT_EQ(0, forAll);

    // Progress replays reach the window as they are.
    job.ui.SetResponder(nullptr);
    EXPECT_EQ(0, OnEngineThread([&] { return job.channel.Replay(kEventWriteProgress, &snapshot, &forAll, nullptr); }));
    EXPECT_EQ(kEventWriteProgress, job.ui.Codes().back());
}

TEST(CoreEventAnswers, ErrorIsShownThenForgottenAndAnOwnedOneIsDeleted) {
    struct Counted : CopyException {
        explicit Counted(int* alive) : CopyException(kCopyPrepareFailed), alive(alive) { ++*alive; }
        ~Counted() override { --*alive; }
        int* alive;
    };
    Job job;
    int alive = 0;
    job.channel.status.exception = new Counted(&alive);
    job.channel.status.ownsException = 1;

    const Exception* seen = nullptr;
    job.ui.SetResponder([&](CoreEventHandlerPost&, CoreEvent& event) {
        seen = event.status.exception;
        return true;
    });
    CopyException failure(kCopyBufferPoolFailed);
    OnEngineThread([&] {
        job.channel.OnError(&failure);
        return 0;
    });
    EXPECT_EQ(&failure, seen);
    EXPECT_EQ(0, alive);
    EXPECT_EQ(nullptr, job.channel.status.exception);
    EXPECT_EQ(0, job.channel.status.ownsException);
    EXPECT_EQ(std::vector<int>{kEventError}, job.ui.Codes());
}

namespace {

std::atomic<DWORD> g_now{1000};
DWORD WINAPI FakeTickCount() { return g_now.load(); }

class FakeCursor : public ICoreProgressCursor {
public:
    int GetCursorState() const override { return state; }
    CoreDisplayCursor GetDisplayCursor() const override {
        CoreDisplayCursor c;
        c.state = state;
        c.bytesDone = c.weightedBytesDone = done;
        c.folder = L"C:\\src";
        c.sourcePath = L"C:\\src\\f";
        return c;
    }
    int state = 1;
    unsigned long long done = 0;
};

// Counts deliveries by code, on the raising thread.
class CodeCounter : public DesignPatterns::IObserver {
public:
    void Update(DesignPatterns::IObservable* observable) override {
        auto* e = static_cast<CoreEvent*>(observable);
        codes.push_back(e->eventCode);
        written.push_back(e->status.bytes.written);
    }
    std::vector<int> codes;
    std::vector<unsigned long long> written;
};

}  // namespace

TEST(CoreEventProgress, OneUpdatePerHundredMillisecondsPerSlot) {
    g_now = 1000;
    CoreEvent channel(&FakeTickCount);
    CodeCounter counter;
    channel.Attach(&counter);
    FakeCursor reader, writer;

    // Write progress every 50 ms: every other one gets through.
    for (int i = 0; i < 5; ++i) {
        writer.done = static_cast<unsigned long long>(i + 1) * 10;
        channel.OnWriteProgress(&writer, 0, 0, 0);
        g_now += 50;
    }
    EXPECT_EQ((std::vector<unsigned long long>{10, 30, 50}), counter.written);

    // The slots are throttled apart: read progress is not held back by write progress.
    g_now += 10;
    channel.OnWriteProgress(&writer, 0, 0, 0);
    channel.OnReadProgress(&reader, 0, 0, 0);
    channel.OnProgress(&reader, &writer, 0, 0, 0, 0);
    channel.OnProgress(&reader, &writer, 0, 0, 0, 0);
    EXPECT_EQ((std::vector<int>{3001, 3001, 3001, 3000, 2101}), counter.codes);
}

TEST(CoreEventProgress, AFinishedSideIsNeverDropped) {
    g_now = 5000;
    CoreEvent channel(&FakeTickCount);
    CodeCounter counter;
    channel.Attach(&counter);
    FakeCursor reader, writer;
    channel.OnWriteProgress(&writer, 0, 0, 0);
    writer.state = 2;
    writer.done = 99;
    channel.OnWriteProgress(&writer, 0, 0, 0);
    channel.OnWriteProgress(&writer, 0, 0, 0);
    channel.OnProgress(&reader, &writer, 0, 0, 0, 0);
    channel.OnProgress(&reader, &writer, 0, 0, 0, 0);
    EXPECT_EQ((std::vector<int>{3001, 3001, 3001, 2101, 2101}), counter.codes);
    EXPECT_EQ(99u, counter.written.back());

    // The reader's own slot follows the reader's state.
    channel.OnReadProgress(&reader, 0, 0, 0);
    channel.OnReadProgress(&reader, 0, 0, 0);
    EXPECT_EQ(6u, counter.codes.size());
}

TEST(CoreEventProgress, ProgressFillsTheDisplayRecord) {
    g_now = 9000;
    CoreEvent channel(&FakeTickCount);
    FakeCursor reader, writer;
    reader.done = 3000;
    writer.done = 1000;
    channel.OnProgress(&reader, &writer, 7000, 2000, 24, 12);
    EXPECT_EQ(7000u, channel.status.totalElapsedMs);
    EXPECT_EQ(2000u, channel.status.copyElapsedMs);
    EXPECT_EQ(3024u, channel.status.bytes.read);
    EXPECT_EQ(1012u, channel.status.bytes.written);
    EXPECT_EQ(CString(L"C:\\src\\f"), channel.status.readPath);
    ASSERT_EQ(1u, channel.status.writeTotals.size());
    EXPECT_EQ(2000u, channel.status.writeTotals[0].milliseconds);
}

TEST(CoreEventChannel, EngineThreadsNeverDeliverAtTheSameTime) {
    struct Overlap : DesignPatterns::IObserver {
        void Update(DesignPatterns::IObservable*) override {
            if (inside.fetch_add(1) != 0) {
                overlapped = true;
            }
            SwitchToThread();
            ++delivered;
            inside.fetch_sub(1);
        }
        std::atomic<int> inside{0};
        std::atomic<bool> overlapped{false};
        std::atomic<int> delivered{0};
    };
    CoreEvent channel;
    Overlap observer;
    channel.Attach(&observer);
    auto raise = [&] {
        for (int i = 0; i < 300; ++i) {
            channel.OnCopyPaused();
            channel.OnCopyResumed();
        }
    };
    std::thread reader(raise), writer(raise);
    reader.join();
    writer.join();
    EXPECT_FALSE(observer.overlapped.load());
    EXPECT_EQ(1200, observer.delivered.load());
}

TEST(CoreEventChannel, FindAndCopyBeginHandOverTheEnginesEvents) {
    struct Totals : ICoreCopyTotals {
        void GetCopyTotals(unsigned long long* b, unsigned long long* w, unsigned long long* i) const override {
            *b = 100;
            *w = 612;
            *i = 3;
        }
    };
    CoreEvent channel;
    HANDLE cancel = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE run = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    CoreEventFindStatus find;
    find.SetFrom(L"C:\\src");
    channel.OnFindBegin(cancel, run, &find);
    EXPECT_EQ(kEventFindBegin, channel.eventCode);
    EXPECT_EQ(&find, channel.findStatus);
    EXPECT_EQ(cancel, channel.cancelEvent);
    channel.OnFindEnd();
    EXPECT_EQ(nullptr, channel.findStatus);
    EXPECT_EQ(nullptr, channel.runEvent);

    Totals totals;
    channel.OnCopyBegin(&totals, cancel, run);
    EXPECT_EQ(run, channel.runEvent);
    EXPECT_EQ(100u, channel.status.bytes.total);
    EXPECT_EQ(612u, channel.status.weightedBytes.total);
    EXPECT_EQ(3u, channel.status.items.total);

    channel.Raise(kEventCoreEnd);
    EXPECT_EQ(kEventCoreEnd, channel.eventCode);
    CloseHandle(cancel);
    CloseHandle(run);
}
