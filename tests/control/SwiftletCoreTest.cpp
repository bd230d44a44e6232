#include "control/SwiftletCore.h"

#include <gtest/gtest.h>

#include <memory>

#include "ipc/PipeNames.h"
#include "tests/ipc/PlayedPeers.h"
#include "tests/support/PipeTestSupport.h"
#include "tests/support/TestFiles.h"

using namespace PipeTest;
using Swiftlet::SwiftletCore;

namespace {

// What the process would have run itself.
struct LocalRuns {
    struct Job {
        std::vector<CString> sources;
        CString destination;
        int flag;
    };
    std::vector<Job> jobs;

    SwiftletCore::LocalRunner Runner() {
        return [this](const std::vector<CString>& s, const CString& d, int* f) {
            jobs.push_back({s, d, f ? *f : -1});
            return 1;
        };
    }
};

// A UI instance in a process of its own (HandOverHost.exe) that takes jobs for
// destinations under its accept prefix.
class HostProcess {
public:
    HostProcess(const CString& pipe, const CString& log, const CString& acceptPrefix) : m_log(log) {
        m_quitName.Format(L"SwiftletTestHostQuit-%lu-%lu", GetCurrentProcessId(), GetTickCount());
        m_quit = CreateEventW(nullptr, TRUE, FALSE, m_quitName);
        m_process = std::make_unique<ChildProcess>(
            L"HandOverHost.exe", Quote(pipe) + L" " + Quote(log) + L" " + Quote(acceptPrefix) + L" " + m_quitName);
    }
    ~HostProcess() {
        Quit();
        CloseHandle(m_quit);
    }
    bool Ready(const CString& pipe) { return m_process->Started() && WaitForPipe(pipe); }
    // Stops the host and returns its log.
    CString Quit() {
        SetEvent(m_quit);
        m_exitCode = m_process->Wait(30000);
        return ReadUtf8File(m_log);
    }
    int ExitCode() const { return m_exitCode; }
    DWORD ProcessId() const { return m_process->Id(); }

private:
    CString m_log;
    CString m_quitName;
    HANDLE m_quit = nullptr;
    std::unique_ptr<ChildProcess> m_process;
    int m_exitCode = -1;
};

}  // namespace

TEST(SwiftletCore, WithNoInstanceRunningTheJobRunsHereAtOnce) {
    LocalRuns local;
    SwiftletCore core(UniquePipeName(L"core-none"), local.Runner());
    int move = 1;
    EXPECT_EQ(1, core.Execute({L"Z:\\a", L"Z:\\b"}, L"Z:\\c", &move));
    ASSERT_EQ(1u, local.jobs.size());
    EXPECT_EQ((std::vector<CString>{L"Z:\\a", L"Z:\\b"}), local.jobs[0].sources);
    EXPECT_EQ(CString(L"Z:\\c"), local.jobs[0].destination);
    EXPECT_EQ(1, local.jobs[0].flag);
}

TEST(SwiftletCore, RelativePathsAreMadeFullAgainstThisProcesssFolder) {
    TestFiles::TempDir dir(L"core-relative");
    wchar_t previous[MAX_PATH * 2];
    GetCurrentDirectoryW(MAX_PATH * 2, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.Path()));
    LocalRuns local;
    SwiftletCore core(UniquePipeName(L"core-relative"), local.Runner());
    int copy = 0;
    EXPECT_EQ(1, core.Execute({L"a.txt", L"sub\\..\\b", L"Z:\\abs"}, L"out", &copy));
    SetCurrentDirectoryW(previous);
    ASSERT_EQ(1u, local.jobs.size());
    EXPECT_EQ((std::vector<CString>{dir / L"a.txt", dir / L"b", L"Z:\\abs"}), local.jobs[0].sources);
    EXPECT_EQ(dir / L"out", local.jobs[0].destination);
}

TEST(SwiftletCore, RunningInstanceInAnotherProcessTakesTheJob) {
    TestFiles::TempDir dir(L"core-host");
    const CString pipe = UniquePipeName(L"core-host");
    const CString destination = dir / L"\x30b3\x30d4\x30fc\x5148";
    HostProcess host(pipe, dir / L"host.log", dir.Path());
    ASSERT_TRUE(host.Ready(pipe));

    LocalRuns local;
    SwiftletCore core(pipe, local.Runner());
    int move = 1;
    EXPECT_EQ(1, core.Execute({L"Z:\\a", L"Z:\\\x65e5\x672c"}, destination, &move));
    int copy = 0;
    EXPECT_EQ(1, core.Execute({L"Z:\\x"}, destination, &copy));
    EXPECT_TRUE(local.jobs.empty());

    // A job the instance refuses comes back and runs here, unchanged.
    EXPECT_EQ(1, core.Execute({L"Z:\\y"}, L"Z:\\elsewhere", &copy));
    ASSERT_EQ(1u, local.jobs.size());
    EXPECT_EQ(CString(L"Z:\\elsewhere"), local.jobs[0].destination);

    const CString log = host.Quit();
    EXPECT_EQ(0, host.ExitCode());
    EXPECT_EQ(L"job 1 1 " + destination + L" <- Z:\\a|Z:\\\x65e5\x672c\n" +
                  L"job 0 1 " + destination + L" <- Z:\\x\n" +
                  L"job 0 0 Z:\\elsewhere <- Z:\\y\n" +
                  L"stopped 0 0\n",
              log);
}

TEST(SwiftletCore, IncompatibleInstanceNeverSeesTheJob) {
    const CString pipe = UniquePipeName(L"core-version");
    ScriptedServer server(pipe, {Words({0, 1, 0, 0, 2}), Words({0, 1})});
    ServerRunner run(server);
    ASSERT_TRUE(WaitForPipe(pipe));
    LocalRuns local;
    SwiftletCore core(pipe, local.Runner());
    int copy = 0;
    EXPECT_EQ(1, core.Execute({L"Z:\\a"}, L"Z:\\c", &copy));
    EXPECT_EQ(1u, local.jobs.size());
    const std::vector<Bytes> requests = server.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(Words({1}), requests[0]);
}

TEST(SwiftletCore, InstanceThatBreaksOffAfterTheVersionLeavesTheJobHere) {
    const CString pipe = UniquePipeName(L"core-broken");
    // Answers the version, then the connection ends on the copy request.
    class BreakingServer : public PipeCommandServer {
    public:
        using PipeCommandServer::PipeCommandServer;
        void OnCommand(const std::vector<BYTE>& message) override {
            if (message.size() == 4) {
                WriteVersionReply();
                return;
            }
            throw 1;
        }
    } server(pipe, kPipeChunkSize);
    ServerRunner run(server);
    ASSERT_TRUE(WaitForPipe(pipe));
    LocalRuns local;
    SwiftletCore core(pipe, local.Runner());
    int copy = 0;
    EXPECT_EQ(1, core.Execute({L"Z:\\a"}, L"Z:\\c", &copy));
    EXPECT_EQ(1u, local.jobs.size());
}

TEST(SwiftletCore, BusyInstanceIsWaitedForUpToFiveSeconds) {
    TestFiles::TempDir dir(L"core-busy");
    const CString pipe = UniquePipeName(L"core-busy");
    HostProcess host(pipe, dir / L"host.log", dir.Path());
    ASSERT_TRUE(host.Ready(pipe));
    LocalRuns local;
    SwiftletCore core(pipe, local.Runner());
    int copy = 0;
    {
        // Freed after a moment: the job still gets there.
        RawClient holder(pipe);
        ASSERT_TRUE(holder.Open());
        std::thread release([&] {
            Sleep(500);
            holder.Close();
        });
        EXPECT_EQ(1, core.Execute({L"Z:\\a"}, dir / L"d", &copy));
        release.join();
        EXPECT_TRUE(local.jobs.empty());
    }
    {
        // Busy throughout (another start keeps talking to the instance): after five
        // seconds this process runs the job itself.
        BusyClient holder(pipe);
        ASSERT_TRUE(holder.Connected());
        const DWORD start = GetTickCount();
        EXPECT_EQ(1, core.Execute({L"Z:\\b"}, dir / L"d", &copy));
        EXPECT_GE(GetTickCount() - start, SwiftletCore::kBusyPipeTimeoutMs - 50);
        ASSERT_EQ(1u, local.jobs.size());
        EXPECT_EQ(CString(L"Z:\\b"), local.jobs[0].sources[0]);
    }
    const CString log = host.Quit();
    EXPECT_EQ(L"job 0 1 " + (dir / L"d") + L" <- Z:\\a\nstopped 0 0\n", log);
}

TEST(SwiftletCore, RunningInstanceInAnotherProcessIsKnownAsThisUsers) {
    TestFiles::TempDir dir(L"core-peer");
    const CString pipe = UniquePipeName(L"core-peer");
    HostProcess host(pipe, dir / L"host.log", dir.Path());
    ASSERT_TRUE(host.Ready(pipe));
    Swiftlet::MultiUICommand::Client client(pipe);
    ASSERT_TRUE(client.Connect(20000));
    SystemPipePeers system;
    DWORD server = 0;
    ASSERT_TRUE(system.ServerProcessId(client.Handle(), server));
    EXPECT_EQ(host.ProcessId(), server);
    EXPECT_TRUE(client.IsServerOfThisUser());
}

// Another user's process may own the pipe (it created the name first) and answer like
// an instance: the job is not offered to it, not even the version is asked, and it runs
// here. This machine has one user in one session; the other processes are played.
TEST(SwiftletCore, InstanceOfAnotherUserOrSessionNeverSeesTheJob) {
    const CString pipe = UniquePipeName(L"core-stranger");
    ScriptedServer server(pipe, {VersionReply(), Words({0, 1})});
    ServerRunner run(server);
    ASSERT_TRUE(WaitForPipe(pipe));
    LocalRuns local;
    int copy = 0;
    {
        PlayedPeers service;
        service.serverUser = PlayedPeers::System();
        SwiftletCore core(pipe, local.Runner(), &service);
        EXPECT_EQ(1, core.Execute({L"Z:\\a"}, L"Z:\\c", &copy));
    }
    {
        PlayedPeers otherSession;
        otherSession.serverSession += 1;
        SwiftletCore core(pipe, local.Runner(), &otherSession);
        EXPECT_EQ(1, core.Execute({L"Z:\\b"}, L"Z:\\c", &copy));
    }
    EXPECT_EQ(2u, local.jobs.size());
    EXPECT_TRUE(server.Requests().empty());

    PlayedPeers same;
    SwiftletCore core(pipe, local.Runner(), &same);
    EXPECT_EQ(1, core.Execute({L"Z:\\c"}, L"Z:\\c", &copy));
    EXPECT_EQ(2u, local.jobs.size()) << "handed over";
    EXPECT_EQ(2u, server.Requests().size());
}

// ---- Two Swiftlet.exe processes on the real job hand-over pipe ------------------------
// The pipe's name is fixed, so the tests that use it hold FixedPipeLock::kHandOver.

namespace {

// Starts Swiftlet.exe with arguments and waits for it; false when it did not end.
bool RunSwiftlet(const CString& arguments) {
    ChildProcess swiftlet(L"Swiftlet.exe", arguments);
    return swiftlet.Started() && swiftlet.Wait(60000) != -1;
}

}  // namespace

TEST(HandOverBetweenProcesses, LaterStartHandsItsJobToTheRunningInstanceAndExits) {
    FixedPipeLock lock(FixedPipeLock::kHandOver);
    ASSERT_TRUE(lock.Held());
    TestFiles::TempDir dir(L"two-processes");
    const CString pipe = Swiftlet::PipeNames::JobHandOverPipeName();
    HostProcess host(pipe, dir / L"host.log", dir.Path());
    ASSERT_TRUE(host.Ready(pipe));
    const CString destination = dir / L"\x30b3\x30d4\x30fc\x5148";
    ASSERT_TRUE(TestFiles::WriteBytes(dir / L"a", "a") && TestFiles::MakeFolders(destination));
    EXPECT_TRUE(RunSwiftlet(Quote(dir / L"a") + L" " + Quote(dir / L"b") + L" " + Quote(destination)));
    EXPECT_TRUE(RunSwiftlet(L"/M " + Quote(dir / L"c") + L" " + Quote(destination)));
    EXPECT_EQ(L"job 0 1 " + destination + L" <- " + (dir / L"a") + L"|" + (dir / L"b") + L"\n" +
                  L"job 1 1 " + destination + L" <- " + (dir / L"c") + L"\n" + L"stopped 0 0\n",
              host.Quit());
    EXPECT_FALSE(TestFiles::Exists(destination + L"\\a")) << "the job ran in the instance, not also here";
}

TEST(HandOverBetweenProcesses, LaterStartRunsItsOwnJobWhenTheInstanceIsBusyOrIncompatible) {
    FixedPipeLock lock(FixedPipeLock::kHandOver);
    ASSERT_TRUE(lock.Held());
    TestFiles::TempDir dir(L"two-processes-own");
    const CString pipe = Swiftlet::PipeNames::JobHandOverPipeName();
    ASSERT_TRUE(TestFiles::WriteBytes(dir / L"a", "job one"));
    ASSERT_TRUE(TestFiles::WriteBytes(dir / L"b", "job two"));
    ASSERT_TRUE(TestFiles::MakeFolders(dir / L"busy") && TestFiles::MakeFolders(dir / L"incompatible"));
    std::string copied;
    {
        // The only pipe instance stays taken for longer than the later start waits.
        ScriptedServer server(pipe, {VersionReply(), Words({0, 1})});
        server.SetIoTimeout(INFINITE);  // the holder below only holds
        ServerRunner run(server);
        ASSERT_TRUE(WaitForPipe(pipe));
        RawClient holder(pipe);
        ASSERT_TRUE(holder.Open());
        const DWORD start = GetTickCount();
        EXPECT_TRUE(RunSwiftlet(Quote(dir / L"a") + L" " + Quote(dir / L"busy")));
        EXPECT_GE(GetTickCount() - start, SwiftletCore::kBusyPipeTimeoutMs - 50);
        EXPECT_TRUE(server.Requests().empty());
        EXPECT_TRUE(TestFiles::ReadBytes(dir / L"busy\\a", copied) && copied == "job one");
    }
    {
        ScriptedServer server(pipe, {Words({0, 1, 0, 0, 2}), Words({0, 1})});
        ServerRunner run(server);
        ASSERT_TRUE(WaitForPipe(pipe));
        EXPECT_TRUE(RunSwiftlet(L"/m " + Quote(dir / L"b") + L" " + Quote(dir / L"incompatible")));
        const std::vector<Bytes> requests = server.Requests();
        ASSERT_EQ(1u, requests.size()) << "the job itself is never offered";
        EXPECT_EQ(Words({1}), requests[0]);
        EXPECT_TRUE(TestFiles::ReadBytes(dir / L"incompatible\\b", copied) && copied == "job two");
        EXPECT_FALSE(TestFiles::Exists(dir / L"b")) << "moved";
    }
}
