// Who can reach Swiftlet's pipes: the access list each server gives its pipe, a name
// that somebody else holds, what a client lets the server do with its identity, and the
// hand-over client's look at the process that serves its pipe.
#include <gtest/gtest.h>

#include "ipc/MultiUICommand.h"
#include "ipc/PipePeers.h"
#include "tests/ipc/PlayedPeers.h"
#include "tests/support/PipeTestSupport.h"

using namespace PipeTest;

namespace {

constexpr ACCESS_MASK kFullControl = 0x1F01FF;

// Answers every request with the impersonation level the server got for its client,
// or -1 when it could not impersonate it.
class ImpersonationProbe : public PipeCommandServer {
public:
    using PipeCommandServer::PipeCommandServer;
    void OnCommand(const std::vector<BYTE>&) override {
        int32_t level = -1;
        if (ImpersonateNamedPipeClient(m_pipe)) {
            HANDLE token = nullptr;
            if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
                SECURITY_IMPERSONATION_LEVEL got{};
                DWORD size = 0;
                if (GetTokenInformation(token, TokenImpersonationLevel, &got, sizeof got, &size)) level = got;
                CloseHandle(token);
            }
            RevertToSelf();
        }
        WriteStatus(level);
    }
};

}  // namespace

TEST(PipeAccess, HandOverPipeAdmitsOnlyThisUserAndSystem) {
    Swiftlet::MultiUICommand::Server server(UniquePipeName(L"acl-handover"));
    ASSERT_TRUE(server.Create());
    std::vector<AceEntry> dacl;
    ASSERT_TRUE(ReadDacl(server.Handle(), dacl));
    const std::vector<AceEntry> expected{
        {ACCESS_ALLOWED_ACE_TYPE, 0, kFullControl, CurrentUserSidString()},
        {ACCESS_ALLOWED_ACE_TYPE, 0, kFullControl, L"S-1-5-18"},
    };
    EXPECT_EQ(expected, dacl);
    ASSERT_FALSE(CurrentUserSidString().empty());
    EXPECT_NE(std::wstring(L"S-1-5-18"), CurrentUserSidString());
}

// Whoever created a pipe of the name first, with whatever access list and instance
// count, keeps it: our server does not add an instance to it, and says so.
TEST(PipeAccess, ServerNeverJoinsAPipeSomebodyElseCreated) {
    const CString name = UniquePipeName(L"squatted");
    SECURITY_DESCRIPTOR open{};
    InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE);  // everybody, everything
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &open, FALSE};
    HANDLE squatter = CreateNamedPipeW(name, PIPE_ACCESS_DUPLEX, 0, PIPE_UNLIMITED_INSTANCES, 1024, 1024, 0,
                                       &attributes);
    ASSERT_NE(INVALID_HANDLE_VALUE, squatter);
    Swiftlet::MultiUICommand::Server server(name);
    EXPECT_FALSE(server.Create());
    EXPECT_EQ(-1, server.Run());
    CloseHandle(squatter);

    // Once the name is free again the server has it.
    Swiftlet::MultiUICommand::Server later(name);
    EXPECT_TRUE(later.Create());
}

// A server may learn who its client is, but never act in its name: whoever creates a
// pipe name first cannot borrow the rights of the Swiftlet that connects.
TEST(PipeAccess, ClientLetsTheServerIdentifyItOnly) {
    if (RunningUnderWine()) GTEST_SKIP() << "Wine gives every pipe server full impersonation";
    const CString name = UniquePipeName(L"identify");
    ImpersonationProbe server(name, kPipeChunkSize);
    ServerRunner run(server);
    ASSERT_TRUE(WaitForPipe(name));
    RawClient client(name);
    ASSERT_TRUE(client.Open());
    EXPECT_EQ(Words({SecurityIdentification}), client.Send(Words({1})));
}

TEST(PipeAccess, ServerOfThisUserInThisSessionIsTheOnlyOneTrusted) {
    const CString name = UniquePipeName(L"peers");
    ScriptedServer server(name, {VersionReply()});
    ServerRunner run(server);
    ASSERT_TRUE(WaitForPipe(name));
    RawClient client(name);
    ASSERT_TRUE(client.Open());

    // The system's own answers: here the server is this very process.
    SystemPipePeers system;
    DWORD serverId = 0;
    ASSERT_TRUE(system.ServerProcessId(client.Handle(), serverId));
    EXPECT_EQ(GetCurrentProcessId(), serverId);
    EXPECT_TRUE(IsServerOfThisUser(client.Handle(), system));

    // Played: the same pipe, served by processes this machine cannot have.
    auto trusted = [&](void (*play)(PlayedPeers&)) {
        PlayedPeers peers;
        play(peers);
        return IsServerOfThisUser(client.Handle(), peers);
    };
    EXPECT_TRUE(trusted([](PlayedPeers&) {}));
    EXPECT_FALSE(trusted([](PlayedPeers& p) { p.serverUser = PlayedPeers::System(); })) << "a service";
    EXPECT_FALSE(trusted([](PlayedPeers& p) { p.serverSession += 1; })) << "this user, another session";
    EXPECT_FALSE(trusted([](PlayedPeers& p) { p.serverUser.reset(); })) << "the server's token cannot be read";
    EXPECT_FALSE(trusted([](PlayedPeers& p) { p.serverKnown = false; })) << "no server process id (before Vista)";
    EXPECT_FALSE(IsServerOfThisUser(INVALID_HANDLE_VALUE, system)) << "no pipe";
}
