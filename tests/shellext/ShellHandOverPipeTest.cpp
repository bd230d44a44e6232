// The shell hand-over pipe on both ends: the extension's server with a client played
// here, and the real program's client (Swiftlet.exe /FCP) against a server played here.
#include <gtest/gtest.h>

#include "ipc/RunCopyCommand.h"
#include "shellext/RunCopyServer.h"
#include "tests/support/PipeTestSupport.h"
#include "tests/support/PlayedUiInstance.h"
#include "tests/support/PrintCString.h"
#include "tests/support/TestFiles.h"

using namespace PipeTest;
using ShellEx::RunCopyServer;

namespace {

// The server with the program's start played: the "started program" is a process the
// test names (this one, by default), so that the test's own thread can be the client.
class PlayedStartServer : public RunCopyServer {
public:
    PlayedStartServer(const CString& name, const std::vector<CString>* sources, const CString* destination,
                      const int32_t* flags, DWORD programId = GetCurrentProcessId())
        : RunCopyServer(name, kPipeChunkSize, &program, sources, destination, flags), m_programId(programId) {}

    bool started = false;

protected:
    bool StartProgram() override {
        started = true;
        m_started.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, GetCurrentProcessId());
        m_startedProcessId = m_programId;
        return m_started.hProcess != nullptr;
    }

private:
    CString program = L"C:\\played\\Swiftlet.exe";
    DWORD m_programId;
};

Bytes ListReply(const std::vector<CString>& list) {
    CDataConverter reply;
    reply.AppendInt32(0);
    reply.AppendStringList(list);
    return ToBytes(reply);
}

Bytes TextReply(const CString& text) {
    CDataConverter reply;
    reply.AppendInt32(0);
    reply.AppendString(text);
    return ToBytes(reply);
}

Bytes Plus(Bytes bytes, std::initializer_list<BYTE> more) {
    bytes.insert(bytes.end(), more);
    return bytes;
}

const std::vector<CString> kDrop = {L"C:\\src\\b.txt", L"C:\\src\\a.txt", L"C:\\src\\日本語.txt"};

}  // namespace

TEST(RunCopyServer, AnswersTheDropAndRefusesMalformedRequests) {
    const CString destination = L"Z:\\dst";
    const int32_t move = 1;
    PlayedStartServer server(UniquePipeName(L"shx"), &kDrop, &destination, &move);
    ServerRunner runner(server);
    ASSERT_TRUE(WaitForPipe(server.PipeName()));
    RawClient client(server.PipeName());
    ASSERT_TRUE(client.Open());

    EXPECT_EQ(VersionReply(), client.Send(Words({1})));
    // Three files, in the order of the drop.
    EXPECT_EQ(ListReply(kDrop), client.Send(Words({2})));
    EXPECT_EQ(TextReply(destination), client.Send(Words({3})));
    EXPECT_EQ(Words({0, 1}), client.Send(Words({4})));
    // A byte after the id, a request shorter than an id, ids nobody knows.
    EXPECT_EQ(Words({2}), client.Send(Plus(Words({2}), {0})));
    EXPECT_EQ(Words({2}), client.Send(Plus(Words({1}), {0})));
    EXPECT_EQ(Words({1}), client.Send(Bytes{2, 0, 0}));
    EXPECT_EQ(Words({2}), client.Send(Words({5})));
    EXPECT_EQ(Words({2}), client.Send(Words({0})));
    client.Close();
    // The program closing the pipe ends the exchange: one client, then the server is done.
    EXPECT_EQ(0, runner.Join());
    EXPECT_FALSE(server.IsOpen());
}

TEST(RunCopyServer, OnlyTheStartedProgramIsAnswered) {
    const CString destination = L"Z:\\dst";
    const int32_t copy = 0;
    // The program "started" is another process than the one that connects.
    PlayedStartServer server(UniquePipeName(L"shx"), &kDrop, &destination, &copy, GetCurrentProcessId() + 4);
    ServerRunner runner(server);
    ASSERT_TRUE(WaitForPipe(server.PipeName()));
    RawClient client(server.PipeName());
    ASSERT_TRUE(client.Open());
    EXPECT_TRUE(client.Send(Words({2})).empty());
    EXPECT_EQ(0, runner.Join());
}

TEST(RunCopyServer, WaitEndsWhenNoProgramComes) {
    const std::vector<CString> sources = {L"C:\\a"};
    const CString destination = L"C:\\b";
    const int32_t copy = 0;
    {
        // A program that ends without connecting: the wait on its process ends Accept.
        const CString hostname = L"C:\\windows\\system32\\hostname.exe";
        RunCopyServer server(UniquePipeName(L"shx"), kPipeChunkSize, &hostname, &sources, &destination, &copy);
        EXPECT_EQ(0, server.Run());
        EXPECT_NE(0u, server.StartedProcessId());
        EXPECT_FALSE(server.IsOpen());
    }
    {
        // A program that neither connects nor ends is given up after the connect time-out.
        PlayedStartServer server(UniquePipeName(L"shx"), &sources, &destination, &copy);
        server.SetConnectTimeout(200);
        EXPECT_EQ(0, server.Run());
        EXPECT_TRUE(server.started);
    }
    {
        // A program that cannot be started: nothing is waited for.
        const CString missing = L"C:\\no such folder\\Swiftlet.exe";
        RunCopyServer server(UniquePipeName(L"shx"), kPipeChunkSize, &missing, &sources, &destination, &copy);
        EXPECT_EQ(-1, server.Run());
        EXPECT_FALSE(server.IsOpen());
    }
    {
        // A pipe of the name that exists already is never joined, and nothing starts.
        const CString name = UniquePipeName(L"shx");
        ScriptedServer squatter(name);
        ServerRunner squatting(squatter);
        ASSERT_TRUE(WaitForPipe(name));
        PlayedStartServer server(name, &sources, &destination, &copy);
        EXPECT_EQ(-1, server.Run());
        EXPECT_FALSE(server.started);
    }
    {
        // Without the drop there is nothing to hand over.
        PlayedStartServer server(UniquePipeName(L"shx"), &sources, nullptr, &copy);
        EXPECT_EQ(-1, server.Run());
        EXPECT_FALSE(server.started);
    }
}

TEST(RunCopyClientDecode, OnlyCompleteRepliesAreAccepted) {
    using namespace Swiftlet::RunCopyCommand;
    auto decodeList = [](const Bytes& reply, std::vector<CString>& list) {
        CDataParser parser(reply.data() + 4, reply.size() - 4);
        return DecodeFileList(parser, list);
    };
    std::vector<CString> list;
    ASSERT_TRUE(decodeList(ListReply(kDrop), list));
    EXPECT_EQ(kDrop, list);
    EXPECT_TRUE(decodeList(Words({0, 0}), list));
    EXPECT_TRUE(list.empty());

    Bytes shortByOne = ListReply(kDrop);
    shortByOne.pop_back();
    std::vector<CString> untouched = {L"keep"};
    EXPECT_FALSE(decodeList(shortByOne, untouched));
    EXPECT_FALSE(decodeList(Plus(ListReply(kDrop), {0}), untouched));
    EXPECT_FALSE(decodeList(Words({0}), untouched));
    EXPECT_FALSE(decodeList(ListReply({L"C:\\a", L""}), untouched)) << "an empty path reads as the current folder";
    EXPECT_FALSE(decodeList(ListReply({CString(L"C:\\a\0b", 6)}), untouched));
    // A string without its own byte count is not one.
    EXPECT_FALSE(decodeList(Plus(Words({0, 2, 2, 'a'}), {'b', 0}), untouched));
    EXPECT_FALSE(decodeList(Words({0, 2, 2}), untouched));
    EXPECT_EQ(std::vector<CString>{L"keep"}, untouched);

    auto decodeText = [](const Bytes& reply, CString& text) {
        CDataParser parser(reply.data() + 4, reply.size() - 4);
        return DecodeDestination(parser, text);
    };
    CString text = L"old";
    EXPECT_TRUE(decodeText(Words({0}), text));
    EXPECT_TRUE(text.IsEmpty()) << "a bare status reads as no destination";
    EXPECT_TRUE(decodeText(TextReply(L"Z:\\dst"), text));
    EXPECT_EQ(CString(L"Z:\\dst"), text);
    EXPECT_FALSE(decodeText(Plus(TextReply(L"Z:\\x"), {0}), text));
    EXPECT_FALSE(decodeText(Plus(Words({0}), {1, 0}), text));
    Bytes odd = TextReply(L"Z:\\x");
    odd[4] = 3;
    EXPECT_FALSE(decodeText(odd, text));
    EXPECT_EQ(CString(L"Z:\\dst"), text);

    auto decodeFlags = [](const Bytes& reply, int32_t& flags) {
        CDataParser parser(reply.data() + 4, reply.size() - 4);
        return DecodeFlags(parser, flags);
    };
    int32_t flags = -1;
    EXPECT_TRUE(decodeFlags(Words({0, 1}), flags));
    EXPECT_EQ(1, flags);
    EXPECT_FALSE(decodeFlags(Words({0, 1, 0}), flags));
    EXPECT_FALSE(decodeFlags(Words({0}), flags));
    EXPECT_FALSE(decodeFlags(Words({0, 7}), flags)) << "neither copy nor move";
    EXPECT_EQ(1, flags);
}

namespace {

// Runs Swiftlet.exe /FCP against a server that answers with the replies; returns the
// jobs the played UI instance received.
std::vector<PlayedUiInstance::Job> RunProgramAgainst(std::vector<Bytes> replies, std::vector<Bytes>* requests = nullptr) {
    PlayedUiInstance instance;
    const CString name = UniquePipeName(L"shx-prog");
    ScriptedServer server(name, std::move(replies));
    ServerRunner runner(server);
    EXPECT_TRUE(WaitForPipe(name));
    const CString exe = Quote(TestFiles::ExeFolder() + L"\\Swiftlet.exe");
    EXPECT_EQ(0, TestFiles::RunProcess(exe + L" /FCP " + name, 120000));
    if (requests) *requests = server.Requests();
    return instance.Jobs();
}

}  // namespace

TEST(ShellHandOverProgram, FetchesTheDropAndHandsItOnAsAJob) {
    PipeTest::FixedPipeLock lock(PipeTest::FixedPipeLock::kHandOver);
    ASSERT_TRUE(lock.Held());
    std::vector<Bytes> requests;
    const auto jobs =
        RunProgramAgainst({VersionReply(), ListReply(kDrop), TextReply(L"Z:\\dst"), Words({0, 1})}, &requests);
    ASSERT_EQ(1u, jobs.size());
    EXPECT_EQ(kDrop, jobs[0].sources);
    EXPECT_EQ(CString(L"Z:\\dst"), jobs[0].destination);
    EXPECT_EQ(1, jobs[0].flags) << "the move arrives as the job's move flag";
    // Each request is the id alone, in this order.
    EXPECT_EQ((std::vector<Bytes>{Words({1}), Words({2}), Words({3}), Words({4})}), requests);
}

TEST(ShellHandOverProgram, BadRepliesEndTheProgramWithoutAJob) {
    PipeTest::FixedPipeLock lock(PipeTest::FixedPipeLock::kHandOver);
    ASSERT_TRUE(lock.Held());
    Bytes listShortByOne = ListReply(kDrop);
    listShortByOne.pop_back();
    const Bytes list = ListReply(kDrop), destination = TextReply(L"Z:\\dst"), flags = Words({0, 0});
    const std::vector<std::pair<const char*, std::vector<Bytes>>> cases = {
        {"a version reply with an extra byte", {Plus(VersionReply(), {0}), list, destination, flags}},
        {"an extra byte after the list", {VersionReply(), Plus(list, {0}), destination, flags}},
        {"a list one byte short", {VersionReply(), listShortByOne, destination, flags}},
        {"a bare-status destination", {VersionReply(), list, Words({0}), flags}},
        {"an empty list", {VersionReply(), Words({0, 0}), destination, flags}},
        {"a failure status for the flags", {VersionReply(), list, destination, Words({2})}},
        {"a flag that is neither copy nor move", {VersionReply(), list, destination, Words({0, 2})}},
        {"a 3-byte reply", {VersionReply(), Bytes{0, 0, 0}, destination, flags}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.first);
        EXPECT_TRUE(RunProgramAgainst(test.second).empty());
    }
}
