// The elevation pipe between a job's panel process and the elevated process that goes on
// with it: the server's replies byte by byte, and the client and its event forwarder
// against the real server on a real pipe.
#include <gtest/gtest.h>

#include "ipc/CopyAlgorithmMultiThreadElevate.h"
#include "ipc/CopyAlgorithmMultiThreadElevateClient.h"
#include "ipc/CopyElevateData.h"
#include "ipc/CoreEventElevateClientHandler.h"
#include "tests/ipc/PlayedPeers.h"
#include "tests/support/CoreEventScript.h"
#include "tests/support/PipeTestSupport.h"

using namespace Swiftlet;
using namespace PipeTest;

namespace {

bool IsSet(const CountedEvent& event) { return WaitForSingleObject(event.Handle(), 0) == WAIT_OBJECT_0; }

// The panel process's side of a job that stopped for administrator rights: its event
// channel with a scripted panel, its two events, its status and its clocks, and the
// elevation server serving them on a thread of its own.
class PanelSide {
public:
    PanelSide() {
        option.sources = {L"C:\\src"};
        option.destination = L"D:\\dst";
        option.batchFileConflicts = 1;
        cancel.Create(false, false);
        run.Create(true, true);
        events.Attach(&panel);
        CopyItemTree& tree = status.items.trees.emplace_back();
        auto root = tree.set_head(CopyItemData(L"C:\\", 0, CopyItemData::BaseFolder));
        auto src = tree.append_child(root, CopyItemData(L"src", 0, CopyItemData::Folder, CopyItemData::Written));
        tree.append_child(src, CopyItemData(L"a.bin", 4, CopyItemData::File, CopyItemData::Written));
        auto b = tree.append_child(src, CopyItemData(L"b.bin", 4, CopyItemData::File, CopyItemData::Passed));
        status.write.itemCursor = b;
        status.write.state = CopyStatusItemInfo::Failed;
        status.read.treeCursor = 1;
        status.read.state = CopyStatusItemInfo::Failed;
        totalWatch.Start();
        cancel.Set();  // as the worker that stopped first left it
        job.option = &option;
        job.events = &events;
        job.cancelEvent = &cancel;
        job.runEvent = &run;
        job.status = &status;
        job.totalWatch = &totalWatch;
        job.copyWatch = &copyWatch;
        server = std::make_unique<CopyAlgorithmMultiThreadElevate>(job);
        server->PrepareStatus();
        runner = std::make_unique<ServerRunner>(*server);
        EXPECT_TRUE(WaitForPipe(server->PipeName()));
    }
    ~PanelSide() {
        runner.reset();
        events.Detach(&panel);
    }

    CopyOption option;
    CoreEvent events;
    CoreEventScriptHandler panel;
    CountedEvent cancel, run;
    CopyStatus status;
    Stopwatch totalWatch, copyWatch;
    CopyElevateJob job;
    std::unique_ptr<CopyAlgorithmMultiThreadElevate> server;
    std::unique_ptr<ServerRunner> runner;
};

Bytes Replay(int32_t id, int32_t code, const CoreDisplayStatus& snapshot, bool extraByte = false) {
    CDataConverter c;
    c.AppendInt32(id);
    c.AppendInt32(code);
    ElevateData::EncodeSnapshot(c, snapshot);
    Bytes b = ToBytes(c);
    if (extraByte) b.push_back(0);
    return b;
}

}  // namespace

TEST(CopyElevateServer, RepliesAsTheChannelPrescribes) {
    PanelSide side;
    RawClient client(side.server->PipeName());
    ASSERT_TRUE(client.Open());
    EXPECT_FALSE(IsSet(side.cancel));  // the stop's own cancel is taken back

    EXPECT_EQ(Words({1}), client.Send(Bytes{1, 0}));
    EXPECT_EQ(Words({2}), client.Send(Words({7})));
    EXPECT_EQ(VersionReply(), client.Send(Bytes{1, 0, 0, 0, 9}));  // trailing bytes ignored

    Bytes reply = client.Send(Words({ElevateCommand::kJob}));
    CDataParser job(reply.data() + 4, reply.size() - 4);
    CopyOption option;
    ASSERT_TRUE(ElevateData::DecodeJob(job, option));
    EXPECT_EQ(L"D:\\dst", option.destination);

    // Both walks start where the writer stood; what was read but not written is read again.
    reply = client.Send(Words({ElevateCommand::kStatus}));
    CDataParser parser(reply.data() + 4, reply.size() - 4);
    CopyStatus status;
    ASSERT_TRUE(ElevateData::DecodeStatus(parser, status));
    EXPECT_EQ(L"b.bin", status.read.itemCursor->name);
    EXPECT_EQ(CopyStatusItemInfo::Running, status.read.state);
    EXPECT_EQ(CopyStatusItemInfo::Running, status.write.state);
    EXPECT_FALSE(status.read.itemCursor->HasFlags(CopyItemData::Passed));

    EXPECT_EQ(Words({0, 0}), client.Send(Words({ElevateCommand::kCancelQuery})));
    EXPECT_EQ(Words({0, 0}), client.Send(Words({ElevateCommand::kPauseQuery})));
    side.run.Reset();
    EXPECT_EQ(Words({0, 1}), client.Send(Words({ElevateCommand::kPauseQuery})));
    side.cancel.Set();
    EXPECT_EQ(Words({0, 1}), client.Send(Words({ElevateCommand::kCancelQuery})));
    EXPECT_TRUE(IsSet(side.cancel));  // a poll never takes the signal away
    side.cancel.Set();
    EXPECT_EQ(Words({0, 1}), client.Send(Words({ElevateCommand::kCancelQuery})));
}

TEST(CopyElevateServer, ReplaysReportsAndQuestionsOnTheJobsChannel) {
    PanelSide side;
    side.panel.Answer(kQuestionOverwrite, kAnswerOverwrite, -1, 1);
    RawClient client(side.server->PipeName());
    ASSERT_TRUE(client.Open());
    CoreDisplayStatus snapshot;
    snapshot.totalElapsedMs = 999999999;
    snapshot.bytes.written = 4096;
    snapshot.writeDestinationPath = L"D:\\dst\\src\\b.bin";

    // One byte after the snapshot: refused, and the panel sees nothing.
    EXPECT_EQ(Words({1}), client.Send(Replay(ElevateCommand::kEvent, kEventWriteProgress, snapshot, true)));
    EXPECT_EQ(0, side.panel.Count(kEventWriteProgress));
    // The end of the job is the panel process's own to tell.
    EXPECT_EQ(Words({1}), client.Send(Replay(ElevateCommand::kEvent, kEventCoreEnd, snapshot)));
    EXPECT_EQ(Words({1}), client.Send(Replay(ElevateCommand::kEvent, kEventQuestion, snapshot)));
    EXPECT_EQ(Words({1}), client.Send(Replay(ElevateCommand::kQuestion, kEventWriteProgress, snapshot)));
    EXPECT_TRUE(side.panel.Codes().empty());

    EXPECT_EQ(Words({0}), client.Send(Replay(ElevateCommand::kEvent, kEventWriteProgress, snapshot)));
    ASSERT_EQ(1, side.panel.Count(kEventWriteProgress));
    EXPECT_EQ(4096u, side.panel.Records().back().bytesWritten);
    EXPECT_LT(side.events.status.totalElapsedMs, 999999999u);  // this process's clock

    // Answered with overwrite for all, no selection: 0, 5, 1 and an empty list.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    CopyExceptionOverwrite question(L"C:\\src\\b.bin", data, L"D:\\dst\\src\\b.bin", data);
    snapshot.exception = &question;
    const Bytes request = Replay(ElevateCommand::kQuestion, kEventQuestion, snapshot);
    snapshot.exception = nullptr;
    EXPECT_EQ(Words({0, kAnswerOverwrite, 1, 0}), client.Send(request));
    const std::vector<CoreEventRecord> questions = side.panel.Records();
    ASSERT_EQ(kEventQuestion, questions.back().code);
    EXPECT_EQ(L"D:\\dst\\src\\b.bin", questions.back().path);
}

TEST(CopyElevateClient, FetchesTheJobAndForwardsEventsQuestionsAndControls) {
    PanelSide side;
    SelectionMap chosen;
    chosen[L"C:\\src\\b.bin"] = kAnswerKeepBoth;
    side.panel.AnswerSelection(chosen);
    side.panel.Answer(kQuestionOverwrite, kAnswerSkip);

    CopyAlgorithmMultiThreadElevateClient client(side.server->PipeName());
    ASSERT_TRUE(client.Open());
    ASSERT_TRUE(client.IsCompatible());
    CreateCopyOptionElevateClient job(&client);
    ASSERT_EQ(1, job.Create());
    EXPECT_EQ(1u, job.option.batchFileConflicts);
    CopyStatus status;
    ASSERT_TRUE(client.GetStatus(status));
    EXPECT_EQ(L"b.bin", status.write.itemCursor->name);

    // The elevated process's own channel, with the forwarder as its only observer; the
    // polls are made by hand here, the timer is slower than any test.
    CoreEvent events;
    CoreEventElevateClientHandler forwarder(&client, 3600 * 1000);
    events.Attach(&forwarder);
    CountedEvent cancel, run;
    ASSERT_TRUE(cancel.Create(false, false));
    ASSERT_TRUE(run.Create(true, true));
    events.OnAlgorithmStart();
    events.OnCopyBegin(&status, cancel, run);
    EXPECT_EQ((std::vector<int>{kEventAlgorithmStart}), side.panel.Codes());

    // Pause in the panel: the next poll pauses here, and the pause is shown there.
    ASSERT_EQ(kHandlerRunning, forwarder.GetState());
    side.run.Reset();
    forwarder.Poll();
    EXPECT_FALSE(IsSet(run));
    events.OnCopyPaused();
    EXPECT_EQ(kHandlerPaused, forwarder.GetState());
    EXPECT_EQ(1, side.panel.Count(kEventCopyPaused));
    side.run.Set();
    forwarder.Poll();
    EXPECT_TRUE(IsSet(run));
    events.OnCopyResumed();
    EXPECT_EQ(1, side.panel.Count(kEventCopyResumed));

    // Questions asked here are answered there, selections included.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    CopyExceptionOverwrite one(L"C:\\src\\b.bin", data, L"D:\\dst\\src\\b.bin", data);
    EXPECT_EQ(kAnswerSkip, events.AskOverwrite(&one));
    CopyExceptionOverwriteFiles many;
    many.files = {{L"C:\\src\\b.bin", L"D:\\dst\\src\\b.bin"}};
    SelectionMap received;
    EXPECT_EQ(kAnswerSelection, events.AskOverwriteFiles(&many, &received));
    EXPECT_EQ(chosen, received);

    // Cancel in the panel reaches this process's cancel event at the next poll.
    side.cancel.Set();
    forwarder.Poll();
    EXPECT_TRUE(IsSet(cancel));
    EXPECT_EQ(kHandlerCancelRequested, forwarder.GetState());
    events.Detach(&forwarder);
}

TEST(CopyElevateClient, PauseChosenBeforeTheCopyBeginsHoldsFromTheFirstItem) {
    PanelSide side;
    CopyAlgorithmMultiThreadElevateClient client(side.server->PipeName());
    ASSERT_TRUE(client.Open());
    CoreEvent events;
    CoreEventElevateClientHandler forwarder(&client, 3600 * 1000);
    events.Attach(&forwarder);
    CountedEvent cancel, run;
    ASSERT_TRUE(cancel.Create(false, false));
    ASSERT_TRUE(run.Create(true, true));
    events.OnAlgorithmStart();
    side.run.Reset();
    CopyStatus status;
    events.OnCopyBegin(&status, cancel, run);
    EXPECT_FALSE(IsSet(run));
    EXPECT_EQ(kHandlerPauseRequested, forwarder.GetState());
    events.Detach(&forwarder);
}

TEST(CopyElevateClient, TimerPollsCarryACancelWithoutAnyEvent) {
    PanelSide side;
    CopyAlgorithmMultiThreadElevateClient client(side.server->PipeName());
    ASSERT_TRUE(client.Open());
    CoreEvent events;
    CoreEventElevateClientHandler forwarder(&client);
    events.Attach(&forwarder);
    CountedEvent cancel, run;
    ASSERT_TRUE(cancel.Create(false, false));
    ASSERT_TRUE(run.Create(true, true));
    CopyStatus status;
    events.OnCopyBegin(&status, cancel, run);
    side.cancel.Set();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(cancel.Handle(), 60000));
    events.Detach(&forwarder);
}

TEST(CopyElevateClient, RefusesRepliesThatAreNotExactlyWhatWasAsked) {
    const CString name = UniquePipeName(L"elevate-bad");
    ScriptedServer server(name, {Words({0, 1, 7}), Words({0, 2}), Words({0, 0, 0}), Words({0}), Words({1})});
    ServerRunner runner(server);
    ASSERT_TRUE(WaitForPipe(name));
    CopyAlgorithmMultiThreadElevateClient client(name);
    ASSERT_TRUE(client.Open());
    int flag = 5;
    EXPECT_FALSE(client.IsCancelled(flag));  // 12 bytes
    EXPECT_FALSE(client.IsPaused(flag));     // neither 0 nor 1
    CoreDisplayStatus snapshot;
    EXPECT_FALSE(client.ReportEvent(kEventWriteProgress, snapshot));  // 12 bytes
    int answer = 9, forAll = 9;
    SelectionMap selection;
    EXPECT_FALSE(client.Ask(kEventQuestion, snapshot, answer, forAll, selection));  // no answer
    EXPECT_EQ(5, flag);
    EXPECT_EQ(9, answer);
    CopyOption option;
    EXPECT_FALSE(client.GetJob(option));  // status 1
}

TEST(CopyElevateClient, TakesJobsOnlyFromItsOwnProgramOfItsOwnUser) {
    HANDLE pipe = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // any handle: the peers are played
    PlayedPeers peers;
    EXPECT_TRUE(IsServerOwnProgram(pipe, peers));
    peers.serverImage = CString(L"C:\\Users\\x\\Downloads\\Swiftlet.exe");
    EXPECT_FALSE(IsServerOwnProgram(pipe, peers));
    peers.serverImage.reset();
    EXPECT_FALSE(IsServerOwnProgram(pipe, peers));
    PlayedPeers other;
    other.serverUser = PlayedPeers::System();
    EXPECT_FALSE(IsServerOwnProgram(pipe, other));
    CloseHandle(pipe);
}

TEST(CopyElevateClient, ElevatedSwiftletRunsNoJobForAPipeServerThatIsNotSwiftlet) {
    const CString name = UniquePipeName(L"elevate-stranger");
    CopyOption option;
    option.algorithm = 2;
    option.sources = {L"C:\\windows\\win.ini"};
    option.destination = L"C:\\stranger";
    CDataConverter jobReply;
    jobReply.AppendInt32(0);
    ElevateData::EncodeJob(jobReply, option);
    ScriptedServer server(name, {VersionReply(), ToBytes(jobReply)});
    ServerRunner runner(server);
    ASSERT_TRUE(WaitForPipe(name));
    ChildProcess swiftlet(L"Swiftlet.exe", L"/p " + name);
    ASSERT_TRUE(swiftlet.Started());
    EXPECT_EQ(0, swiftlet.Wait());
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"C:\\stranger"));
}
