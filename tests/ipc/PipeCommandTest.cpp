#include "ipc/PipeCommand.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/PipeTestSupport.h"

using namespace PipeTest;

namespace {

Bytes Pattern(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<BYTE>(i * 7 + 3);
    return b;
}

// Echoes each request back as the reply.
class EchoServer : public PipeCommandServer {
public:
    explicit EchoServer(const CString& name) : PipeCommandServer(name, kPipeChunkSize) {}
    void OnCommand(const std::vector<BYTE>& message) override {
        ++served;
        Write(message.data(), static_cast<DWORD>(message.size()));
    }
    std::atomic<int> served{0};
};

}  // namespace

TEST(DataConverter, FieldsAreLittleEndianPackedAndStringsCarryTheirByteCount) {
    CDataConverter c;
    c.AppendInt32(-2);
    c.AppendUInt16(0x1234);
    c.AppendUInt64(0x0102030405060708ull);
    c.AppendString(L"a\x3042");
    c.AppendString(L"");
    c.AppendStringList({L"x", L"yz"});
    const BYTE expected[] = {0xFE, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 8, 7, 6, 5, 4, 3, 2, 1,
                             4, 0, 0, 0, 'a', 0, 0x42, 0x30, 0, 0, 0, 0,
                             2, 0, 0, 0, 2, 0, 0, 0, 'x', 0, 4, 0, 0, 0, 'y', 0, 'z', 0};
    ASSERT_EQ(sizeof expected, c.Size());
    EXPECT_EQ(0, std::memcmp(expected, c.Data(), sizeof expected));

    // The same bytes read back, with the text at an odd offset (after the uint16).
    CDataParser p(c.Data(), c.Size());
    int32_t i = 0;
    uint16_t u16 = 0;
    uint64_t u64 = 0;
    CString s1, s2;
    std::vector<CString> list;
    ASSERT_TRUE(p.ReadInt32(i) && p.ReadUInt16(u16) && p.ReadUInt64(u64));
    ASSERT_TRUE(p.ReadString(s1) && p.ReadString(s2) && p.ReadStringList(list));
    EXPECT_EQ(-2, i);
    EXPECT_EQ(0x1234, u16);
    EXPECT_EQ(0x0102030405060708ull, u64);
    EXPECT_EQ(CString(L"a\x3042"), s1);
    EXPECT_TRUE(s2.IsEmpty());
    EXPECT_EQ((std::vector<CString>{L"x", L"yz"}), list);
    EXPECT_EQ(0u, p.Remaining());
}

// The system would read a path only up to a NUL: "C:\dst\0..." means "C:\dst".
TEST(DataParser, PathsHoldingANulAreRefusedWithoutConsumingAnything) {
    const CString withNul(std::wstring(L"C:\\a\0b", 6));
    CDataConverter c;
    c.AppendStringList({L"C:\\x", withNul});
    c.AppendString(withNul);
    c.AppendString(L"C:\\ok");

    CDataParser p(c.Data(), c.Size());
    std::vector<CString> list{L"kept"};
    EXPECT_FALSE(p.ReadPathList(list));
    EXPECT_EQ(1u, list.size());
    EXPECT_EQ(c.Size(), p.Remaining());
    ASSERT_TRUE(p.ReadStringList(list)) << "as plain strings they are well formed";
    EXPECT_EQ(withNul, list[2]);

    CString path(L"kept");
    const uint64_t before = p.Remaining();
    EXPECT_FALSE(p.ReadPath(path));
    EXPECT_EQ(CString(L"kept"), path);
    EXPECT_EQ(before, p.Remaining());
    ASSERT_TRUE(p.ReadString(path));
    EXPECT_TRUE(p.ReadPath(path));
    EXPECT_EQ(CString(L"C:\\ok"), path);
}

TEST(DataParser, ShortOrImpossibleFieldsConsumeNothingAndLeaveTheTargetAlone) {
    const BYTE three[] = {1, 2, 3};
    CDataParser p(three, sizeof three);
    int32_t i = 77;
    EXPECT_FALSE(p.ReadInt32(i));
    EXPECT_EQ(77, i);
    EXPECT_EQ(3u, p.Remaining());

    struct Case { const char* what; Bytes bytes; };
    const Case strings[] = {
        {"count past the end", Words({6, 0x00610061})},
        {"negative count", Words({-2, 0})},
        {"odd count", Words({3, 0x00610061})},
        {"2 GiB count", Words({0x7FFFFFFE, 0})},
        {"count cut short", {2, 0}},
    };
    for (const Case& c : strings) {
        CDataParser sp(c.bytes.data(), c.bytes.size());
        CString s(L"kept");
        EXPECT_FALSE(sp.ReadString(s)) << c.what;
        EXPECT_EQ(CString(L"kept"), s) << c.what;
        EXPECT_EQ(c.bytes.size(), sp.Remaining()) << c.what;
    }

    // Lists whose count cannot be true: nothing is read, nothing is reserved.
    const Case lists[] = {
        {"2^31", Words({INT32_MIN, 0, 0})},
        {"2^31 - 1", Words({INT32_MAX, 0, 0})},
        {"second string missing", Words({2, 0})},
    };
    for (const Case& c : lists) {
        const uint64_t before = PeakCommittedBytes();
        CDataParser lp(c.bytes.data(), c.bytes.size());
        std::vector<CString> list{L"kept"};
        EXPECT_FALSE(lp.ReadStringList(list)) << c.what;
        EXPECT_EQ(1u, list.size()) << c.what;
        EXPECT_EQ(c.bytes.size(), lp.Remaining()) << c.what;
        EXPECT_LT(PeakCommittedBytes() - before, 64u << 20) << c.what;
    }
}

TEST(PipeCommand, MessagesOfAnySizeArriveWholeInBothDirections) {
    const CString name = UniquePipeName(L"sizes");
    EchoServer server(name);
    ServerRunner run(server);
    ASSERT_TRUE(WaitForPipe(name));
    RawClient client(name);
    ASSERT_TRUE(client.Open());
    // Around the chunk size and the pipe's buffer (both 1024), and well past them.
    for (size_t size : {size_t{1}, size_t{1023}, size_t{1024}, size_t{1025}, size_t{2048}, size_t{5000},
                        size_t{70000}}) {
        const Bytes message = Pattern(size);
        EXPECT_EQ(message, client.Send(message)) << size;
    }
    EXPECT_EQ(7, server.served.load());
}

TEST(PipeCommand, ClientThatLeavesWithoutSendingDoesNotStopTheServer) {
    const CString name = UniquePipeName(L"silent");
    EchoServer server(name);
    ServerRunner run(server);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(WaitForPipe(name));
        PipeCommandClient silent(name, kPipeChunkSize);
        ASSERT_TRUE(silent.Connect(5000));
        silent.Close();
    }
    RawClient client(name);
    ASSERT_TRUE(client.Connect(5000));
    EXPECT_EQ(Words({42}), client.Send(Words({42})));
    EXPECT_EQ(1, server.served.load());
}

// Between two clients the server never looks absent: a client that comes while the
// last one is still being seen off finds the channel busy and waits for it. A missing
// pipe would tell it that nobody serves the channel (a later Swiftlet would then open a
// window of its own beside the running one).
TEST(PipeCommand, ServerBetweenClientsIsBusyNeverAbsent) {
    const CString name = UniquePipeName(L"between");
    EchoServer server(name);
    ServerRunner run(server);
    ASSERT_TRUE(WaitForPipe(name));
    int absent = 0;
    for (int i = 0; i < 100; ++i) {
        // Knock without pause while the server sees the last client off.
        RawClient client(name);
        const DWORD start = GetTickCount();
        while (!client.Open() && GetLastError() == ERROR_PIPE_BUSY && GetTickCount() - start < 5000) {
        }
        if (!client.IsOpen()) {
            ++absent;
            continue;
        }
        ASSERT_EQ(Words({i}), client.Send(Words({i}))) << i;
    }
    EXPECT_EQ(0, absent);
}

TEST(PipeCommand, StopEndsRunWhetherWaitingForAClientOrForItsRequest) {
    {
        const CString name = UniquePipeName(L"stop-idle");
        EchoServer server(name);
        ServerRunner run(server);
        ASSERT_TRUE(WaitForPipe(name));
        EXPECT_EQ(0, run.Stop());
        EXPECT_FALSE(WaitNamedPipeW(name, 0));
    }
    {
        // A client that connects and then says nothing holds the server in Read.
        const CString name = UniquePipeName(L"stop-read");
        EchoServer server(name);
        ServerRunner run(server);
        ASSERT_TRUE(WaitForPipe(name));
        RawClient client(name);
        ASSERT_TRUE(client.Open());
        EXPECT_EQ(Words({1}), client.Send(Words({1})));
        EXPECT_EQ(0, run.Stop());
        // The connection is gone with the server's pipe.
        EXPECT_TRUE(client.Send(Words({2})).empty());
    }
    {
        // Stopped before Run ever waited: the signalled stop ends the first wait.
        const CString name = UniquePipeName(L"stop-early");
        EchoServer server(name);
        server.RequestStop();
        EXPECT_EQ(0, server.Run());
    }
}

TEST(PipeCommand, SecondServerOnAPipeInUseReturnsMinusOne) {
    const CString name = UniquePipeName(L"taken");
    EchoServer first(name);
    ServerRunner run(first);
    ASSERT_TRUE(WaitForPipe(name));
    EchoServer second(name);
    EXPECT_EQ(-1, second.Run());
    // The first one still serves.
    RawClient client(name);
    ASSERT_TRUE(client.Connect(5000));
    EXPECT_EQ(Words({5}), client.Send(Words({5})));
}

TEST(PipeCommand, ConnectWaitsForABusyPipeAndGivesUpOnAMissingOne) {
    const CString name = UniquePipeName(L"busy");
    EchoServer server(name);
    ServerRunner run(server);
    ASSERT_TRUE(WaitForPipe(name));
    RawClient holder(name);
    ASSERT_TRUE(holder.Open());

    RawClient waiting(name);
    EXPECT_FALSE(waiting.Open());
    EXPECT_EQ(static_cast<DWORD>(ERROR_PIPE_BUSY), GetLastError());
    std::thread release([&] {
        Sleep(300);
        holder.Close();
    });
    EXPECT_TRUE(waiting.Connect(5000));
    release.join();
    EXPECT_EQ(Words({3}), waiting.Send(Words({3})));

    RawClient nobody(UniquePipeName(L"missing"));
    const DWORD start = GetTickCount();
    EXPECT_FALSE(nobody.Connect(300));
    EXPECT_GE(GetTickCount() - start, 290u);
    EXPECT_FALSE(nobody.IsOpen());
}

TEST(PipeCommand, VersionReplyIsAcceptedOnlyWhenExactlyOurs) {
    const CString name = UniquePipeName(L"version");
    Bytes longer = VersionReply();
    longer.push_back(0);
    ScriptedServer server(name, {VersionReply(), longer, Words({0, 1, 0, 0, 2}), Words({0, 2, 0, 0, 1}),
                                 Words({2}), Words({1, 1, 0, 0, 1})});
    ServerRunner run(server);
    ASSERT_TRUE(WaitForPipe(name));
    PipeCommandClient client(name, kPipeChunkSize);
    ASSERT_TRUE(client.Open());
    EXPECT_TRUE(client.IsPeerCompatible());
    EXPECT_FALSE(client.IsPeerCompatible()) << "21 bytes";
    EXPECT_FALSE(client.IsPeerCompatible()) << "second value differs";
    EXPECT_FALSE(client.IsPeerCompatible()) << "first value differs";
    EXPECT_FALSE(client.IsPeerCompatible()) << "status only";
    EXPECT_FALSE(client.IsPeerCompatible()) << "non-zero status";
    for (const Bytes& request : server.Requests()) EXPECT_EQ(Words({1}), request);
}

// A client that connects and then says nothing would hold the only pipe instance for
// good; after the I/O bound the server drops it and serves whoever waits.
TEST(PipeCommand, SilentClientIsDroppedAfterTheBoundAndTheNextOneServed) {
    const CString name = UniquePipeName(L"dropped");
    EchoServer server(name);
    server.SetIoTimeout(200);
    ServerRunner run(server);
    ASSERT_TRUE(WaitForPipe(name));
    RawClient silent(name);
    ASSERT_TRUE(silent.Open());

    RawClient next(name);
    ASSERT_TRUE(next.Connect(30000)) << "the silent client still holds the pipe";
    EXPECT_EQ(Words({7}), next.Send(Words({7})));
    EXPECT_TRUE(silent.IsOpen());
    EXPECT_TRUE(silent.Send(Words({8})).empty()) << "its connection is gone";
    EXPECT_EQ(1, server.served.load());
}

// The client's side of the same: a server that takes a request and never answers, or
// never even reads, is given up after the bound.
TEST(PipeCommand, ClientGivesUpOnAServerThatStopsTalking) {
    const CString name = UniquePipeName(L"stalled");
    HANDLE stalled = CreateNamedPipeW(name, PIPE_ACCESS_DUPLEX, 0, 1, 1024, 1024, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, stalled);
    PipeCommandClient client(name, kPipeChunkSize);
    ASSERT_TRUE(client.Open());
    client.SetIoTimeout(200);

    const DWORD start = GetTickCount();
    Bytes reply;
    EXPECT_FALSE(client.Read(reply)) << "no answer";
    EXPECT_TRUE(reply.empty());
    EXPECT_GE(GetTickCount() - start, 180u);
    const Bytes large = Pattern(70000);  // far more than the pipe's buffer
    EXPECT_FALSE(client.Write(large.data(), static_cast<DWORD>(large.size()))) << "nobody reads";

    // A window for the whole exchange ends a wait sooner than the bound.
    client.SetIoTimeout(INFINITE);
    client.SetDeadline(GetTickCount(), 200);
    EXPECT_FALSE(client.Read(reply));
    CloseHandle(stalled);
}
