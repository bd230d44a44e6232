#include "ipc/MultiUICommand.h"

#include <gtest/gtest.h>

#include <mutex>

#include "tests/support/PipeTestSupport.h"

using namespace PipeTest;
using namespace Swiftlet::MultiUICommand;

namespace {

// Plays the window that receives jobs: records each one and answers with `take`.
class JobRecorder : public DesignPatterns::TObserver<ServerCopyFileCommandParam> {
public:
    using DesignPatterns::TObserver<ServerCopyFileCommandParam>::Update;
    void Update(ServerCopyFileCommandParam* param) override {
        std::lock_guard<std::mutex> hold(lock);
        jobs.push_back(*param);
        param->result = take;
    }
    size_t Count() {
        std::lock_guard<std::mutex> hold(lock);
        return jobs.size();
    }

    std::mutex lock;
    std::vector<ServerCopyFileCommandParam> jobs;
    int32_t take = 1;
};

Bytes CopyRequestBytes(const std::vector<CString>& sources, const CString& destination, int32_t flags) {
    CDataConverter c;
    c.AppendInt32(kCopyFile);
    c.AppendStringList(sources);
    c.AppendString(destination);
    c.AppendInt32(flags);
    return ToBytes(c);
}

class HandOverServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        name = UniquePipeName(L"handover");
        server = std::make_unique<Server>(name);
        server->Jobs().Attach(&recorder);
        runner = std::make_unique<ServerRunner>(*server);
        ASSERT_TRUE(WaitForPipe(name));
        client = std::make_unique<RawClient>(name);
        ASSERT_TRUE(client->Open());
    }
    void TearDown() override {
        client.reset();
        runner.reset();
    }

    CString name;
    JobRecorder recorder;
    std::unique_ptr<Server> server;
    std::unique_ptr<ServerRunner> runner;
    std::unique_ptr<RawClient> client;
};

}  // namespace

TEST_F(HandOverServerTest, AnswersVersionUnknownAndTruncatedRequestsWithTheirStatus) {
    EXPECT_EQ(VersionReply(), client->Send(Words({1})));
    Bytes trailing = Words({1});
    trailing.push_back(0);
    EXPECT_EQ(Words({2}), client->Send(trailing));
    EXPECT_EQ(Words({2}), client->Send({2, 0}));
    EXPECT_EQ(Words({1}), client->Send(Words({3})));
    EXPECT_EQ(Words({1}), client->Send(Words({-1, 5})));
    EXPECT_EQ(0u, recorder.Count());
}

TEST_F(HandOverServerTest, WellFormedJobIsPublishedAndTheWindowsAnswerReturned) {
    const std::vector<CString> sources{L"C:\\a", L"Z:\\\x30b3\x30d4\x30fc\\b"};
    EXPECT_EQ(Words({0, 1}), client->Send(CopyRequestBytes(sources, L"Z:\\dest", 1)));
    ASSERT_EQ(1u, recorder.Count());
    EXPECT_EQ(sources, recorder.jobs[0].sources);
    EXPECT_EQ(CString(L"Z:\\dest"), recorder.jobs[0].destination);
    EXPECT_EQ(1, recorder.jobs[0].flags);

    // No sources and no destination is still a request: the window decides, and
    // refuses it.
    recorder.take = 0;
    EXPECT_EQ(Words({0, 0}), client->Send(Words({2, 0, 0, 0})));
    ASSERT_EQ(2u, recorder.Count());
    EXPECT_TRUE(recorder.jobs[1].sources.empty());
    EXPECT_TRUE(recorder.jobs[1].destination.IsEmpty());
}

TEST_F(HandOverServerTest, MalformedJobsAreRefusedUnpublishedAndTheServerGoesOn) {
    const Bytes good = CopyRequestBytes({L"a"}, L"c", 0);
    Bytes trailing = good;
    trailing.push_back(0);
    const Bytes noFlags(good.begin(), good.end() - 4);
    const Bytes flagsCut(good.begin(), good.end() - 1);
    struct Case { const char* what; Bytes bytes; };
    const Case cases[] = {
        {"byte after the flags", trailing},
        {"no flags", noFlags},
        {"flags cut short", flagsCut},
        {"no count", Words({2})},
        {"count cut short", {2, 0, 0, 0, 1, 0}},
        {"string runs past the message", Words({2, 1, 200, 0x00610061})},
        {"destination runs past the message", Words({2, 0, 8, 0x00610061})},
        {"odd byte count", Words({2, 1, 3, 0x00610061, 0, 0})},
        {"negative byte count", Words({2, 1, -4, 0, 0})},
        {"2^31 sources", Words({2, INT32_MIN, 0, 0})},
        {"2^31 - 1 sources of no bytes", Words({2, INT32_MAX, 0, 0, 0})},
        {"2 GiB source", Words({2, 1, 0x7FFFFFFE, 0x00610061, 0, 0})},
        {"2 GiB destination", Words({2, 0, 0x7FFFFFFE, 0})},
    };
    const uint64_t before = PeakCommittedBytes();
    for (const Case& c : cases) EXPECT_EQ(Words({2}), client->Send(c.bytes)) << c.what;
    EXPECT_LT(PeakCommittedBytes() - before, 64u << 20);
    EXPECT_EQ(0u, recorder.Count());

    // The same connection, and the next one, are still served.
    EXPECT_EQ(Words({0, 1}), client->Send(good));
    client->Close();
    RawClient next(name);
    ASSERT_TRUE(next.Connect(5000));
    EXPECT_EQ(Words({0, 1}), next.Send(good));
    EXPECT_EQ(2u, recorder.Count());
}

TEST(HandOverClient, SendsTheJobAndCountsOnlyAnExactAcceptance) {
    const CString name = UniquePipeName(L"handover-client");
    ScriptedServer server(name, {Words({0, 1}), Words({0, 0}), Words({0, 1, 0}), Words({2}), Words({0, 2}), {0, 0}});
    ServerRunner run(server);
    ASSERT_TRUE(WaitForPipe(name));
    Client client(name);
    ASSERT_TRUE(client.Open());
    const std::vector<CString> sources{L"x", L"\x65e5\x672c"};
    EXPECT_TRUE(client.CopyRequest(sources, L"d", 1));
    EXPECT_FALSE(client.CopyRequest(sources, L"d", 1)) << "not taken";
    EXPECT_FALSE(client.CopyRequest(sources, L"d", 1)) << "12 bytes";
    EXPECT_FALSE(client.CopyRequest(sources, L"d", 1)) << "malformed";
    EXPECT_FALSE(client.CopyRequest(sources, L"d", 1)) << "result 2";
    EXPECT_FALSE(client.CopyRequest(sources, L"d", 1)) << "2 bytes";
    const std::vector<Bytes> requests = server.Requests();
    ASSERT_EQ(6u, requests.size());
    EXPECT_EQ(CopyRequestBytes(sources, L"d", 1), requests[0]);
}

TEST_F(HandOverServerTest, PathWithANulCharacterIsRefused) {
    const CString withNul(std::wstring(L"Z:\\dest\0..\\elsewhere", 20));
    EXPECT_EQ(Words({2}), client->Send(CopyRequestBytes({L"Z:\\a", withNul}, L"Z:\\dest", 0))) << "in a source";
    EXPECT_EQ(Words({2}), client->Send(CopyRequestBytes({L"Z:\\a"}, withNul, 0))) << "in the destination";
    EXPECT_EQ(0u, recorder.Count());
    EXPECT_EQ(Words({0, 1}), client->Send(CopyRequestBytes({L"Z:\\a"}, L"Z:\\dest", 0)));
}

namespace {

// A window that takes every job, after `delay` ms or once `release` is signalled.
class SlowWindow : public DesignPatterns::TObserver<ServerCopyFileCommandParam> {
public:
    using DesignPatterns::TObserver<ServerCopyFileCommandParam>::Update;
    void Update(ServerCopyFileCommandParam* param) override {
        WaitForSingleObject(release, delay);
        param->result = 1;
    }
    DWORD delay = 0;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~SlowWindow() override { CloseHandle(release); }
};

}  // namespace

// The window builds the job before it answers. A client that gave up in the meantime
// would run the job itself while the window runs it too; so the answer to a copy
// request has a bound of its own, longer than the I/O bound.
TEST(HandOverClient, WaitsForTheWindowPastTheIoBoundButNotForever) {
    const CString name = UniquePipeName(L"slow-window");
    SlowWindow window;
    Server server(name);
    server.Jobs().Attach(&window);
    ServerRunner run(server);
    ASSERT_TRUE(WaitForPipe(name));
    Client client(name);
    ASSERT_TRUE(client.Open());
    client.SetIoTimeout(100);
    window.delay = 600;
    EXPECT_TRUE(client.CopyRequest({L"Z:\\a"}, L"Z:\\d", 0));
    EXPECT_EQ(100u, client.IoTimeout()) << "the longer bound is for that answer only";

    // A window that does not answer at all.
    window.delay = INFINITE;
    client.SetJobReplyTimeout(300);
    EXPECT_FALSE(client.CopyRequest({L"Z:\\a"}, L"Z:\\d", 0));
    SetEvent(window.release);
}
