#include "service/ServiceCommandServer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ipc/ServiceCommandClient.h"
#include "tests/service/SimulatedDisk.h"
#include "tests/service/SimulatedVolumes.h"
#include "tests/support/PipeTestSupport.h"

using namespace PipeTest;
using namespace Swiftlet;

namespace {

Bytes CacheRequest(uint16_t letter) {
    CDataConverter c;
    c.AppendInt32(ServiceCommand::kDiskCache);
    c.AppendUInt16(letter);
    return ToBytes(c);
}

Bytes ZeroRecordReply() {
    Bytes b(60, 0);
    return b;
}

Bytes SimulatedRecordReply() {
    CDataConverter c;
    c.AppendInt32(0);
    c.AppendBytes(SimulatedDisk::kCacheInformation, 24);
    c.AppendBytes(SimulatedDisk::kCacheSetting, 12);
    c.AppendBytes(SimulatedDisk::kHotplugInformation, 8);
    c.AppendInt32(1);
    c.AppendInt32(1);
    c.AppendInt32(1);
    return ToBytes(c);
}

// A letter no drive uses here.
wchar_t UnusedDriveLetter() {
    const DWORD drives = GetLogicalDrives();
    for (int i = 25; i >= 0; --i)
        if (!(drives & (1u << i))) return static_cast<wchar_t>(L'A' + i);
    return 0;
}

}  // namespace

TEST(ServiceCommandServer, AnswersEachRequestShapeWithItsStatusAndNeverGuessesALetter) {
    const CString name = UniquePipeName(L"service");
    TestVolumes::SimulatedVolumes volumes;
    ServiceCommandServer server(name, &volumes);
    ServerRunner run(server);
    ASSERT_TRUE(WaitForPipe(name));
    RawClient client(name);
    ASSERT_TRUE(client.Open());

    EXPECT_EQ(VersionReply(), client.Send(Words({1})));
    EXPECT_EQ(Words({2}), client.Send({1, 0, 0, 0, 0})) << "5-byte version request";
    EXPECT_EQ(Words({2}), client.Send({2, 0, 0, 0, 'Z', 0, 0})) << "7-byte cache request";
    EXPECT_EQ(Words({2}), client.Send(Words({2}))) << "cache request without a letter";
    EXPECT_EQ(Words({2}), client.Send({2, 0, 0, 0, 'Z'})) << "half a letter";
    EXPECT_EQ(Words({1}), client.Send(Words({3})));
    EXPECT_EQ(Words({2}), client.Send({2, 0, 0})) << "truncated id";
    EXPECT_TRUE(volumes.opened.empty()) << "no volume is opened for a letter that was not sent whole";

    // A letter whose volume does not open: status 0 and 56 zero bytes.
    EXPECT_EQ(ZeroRecordReply(), client.Send(CacheRequest(L'Q')));
    ASSERT_EQ(1u, volumes.opened.size());
    EXPECT_EQ(L"\\\\.\\Q:", volumes.opened[0]);
}

// The service runs as SYSTEM and answers every interactive user's Swiftlet; the list
// comes from well-known SIDs, so it is the same in every language of Windows.
TEST(ServiceCommandServer, PipeAdmitsSystemAdministratorsAndInteractiveUsers) {
    TestVolumes::SimulatedVolumes volumes;
    ServiceCommandServer server(UniquePipeName(L"service-acl"), &volumes);
    ASSERT_TRUE(server.Create());
    std::vector<AceEntry> dacl;
    ASSERT_TRUE(ReadDacl(server.Handle(), dacl));
    const BYTE inherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    const BYTE inheritOnly = inherit | NO_PROPAGATE_INHERIT_ACE | INHERIT_ONLY_ACE;
    const std::vector<AceEntry> expected{
        {ACCESS_ALLOWED_ACE_TYPE, inheritOnly, 0x1F01FF, L"S-1-3-0"},  // creator owner
        {ACCESS_ALLOWED_ACE_TYPE, inherit, 0x1F01FF, L"S-1-5-18"},     // SYSTEM
        {ACCESS_ALLOWED_ACE_TYPE, inherit, 0x1F01FF, L"S-1-5-32-544"}, // Administrators
        {ACCESS_ALLOWED_ACE_TYPE, inherit, 0x1301FF, L"S-1-5-4"},      // INTERACTIVE
    };
    EXPECT_EQ(expected, dacl);
}

TEST(ServiceCommandServer, SendsTheRecordAsTheDeviceAnsweredIt) {
    const CString name = UniquePipeName(L"service-record");
    SimulatedDisk::Devices devices;
    ServiceCommandServer server(name, &devices);
    ServerRunner run(server);
    ASSERT_TRUE(WaitForPipe(name));
    RawClient client(name);
    ASSERT_TRUE(client.Open());
    EXPECT_EQ(SimulatedRecordReply(), client.Send(CacheRequest(L'Z')));
    EXPECT_EQ(SimulatedRecordReply(), client.Send(CacheRequest(L'z')));
    // The real system for any other letter; one that names no drive gives zeros.
    const wchar_t unused = UnusedDriveLetter();
    ASSERT_NE(0, unused);
    EXPECT_EQ(ZeroRecordReply(), client.Send(CacheRequest(unused)));
    EXPECT_EQ(ZeroRecordReply(), client.Send(CacheRequest(L'1')));
}

TEST(ServiceCommandServerThread, ServesUntilStoppedAndEndsWithoutTermination) {
    const CString name = UniquePipeName(L"service-thread");
    SimulatedDisk::Devices devices;
    ServiceCommandServerThread* thread = ServiceCommandServerThread::Start(&devices, name);
    ASSERT_NE(nullptr, thread);
    ASSERT_TRUE(WaitForPipe(name));
    DiskCacheSettingData data;
    QueryDiskCacheSetting(name, L'Z', data);
    EXPECT_EQ(0, std::memcmp(data.hotplugInformation, SimulatedDisk::kHotplugInformation, 8));
    thread->Stop();
    DWORD code = 0;
    GetExitCodeThread(thread->m_hThread, &code);
    EXPECT_NE(0xFFFFFFFFu, code);
    EXPECT_FALSE(WaitNamedPipeW(name, 0));
    delete thread;
}
