#include "ipc/ServiceCommandClient.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/PipeTestSupport.h"

using namespace PipeTest;
using namespace Swiftlet;

namespace {

// Status 0 followed by `size` bytes counting up from 1.
Bytes Reply(size_t size) {
    Bytes b = Words({0});
    for (size_t i = 0; i < size; ++i) b.push_back(static_cast<BYTE>(i + 1));
    return b;
}

bool IsZero(const void* p, size_t n) {
    const BYTE* b = static_cast<const BYTE*>(p);
    for (size_t i = 0; i < n; ++i)
        if (b[i]) return false;
    return true;
}

int32_t WordAt(const Bytes& reply, size_t offset) {
    int32_t v = 0;
    std::memcpy(&v, reply.data() + 4 + offset, 4);
    return v;
}

}  // namespace

TEST(DiskCacheRecordDecoder, FillsFieldByFieldAndKeepsWhatItDecoded) {
    {
        const Bytes full = Reply(56);
        CDataParser p(full.data() + 4, 56);
        DiskCacheSettingData d;
        EXPECT_TRUE(DecodeDiskCacheRecord(p, d));
        EXPECT_EQ(0, std::memcmp(d.cacheInformation, full.data() + 4, 24));
        EXPECT_EQ(0, std::memcmp(d.cacheSetting, full.data() + 28, 12));
        EXPECT_EQ(0, std::memcmp(d.hotplugInformation, full.data() + 40, 8));
        EXPECT_EQ(WordAt(full, 44), d.cacheInformationValid);
        EXPECT_EQ(WordAt(full, 48), d.cacheSettingValid);
        EXPECT_EQ(WordAt(full, 52), d.hotplugInformationValid) << "flags are copied as sent";
    }
    {
        const Bytes part = Reply(30);
        CDataParser p(part.data() + 4, 30);
        DiskCacheSettingData d;
        EXPECT_FALSE(DecodeDiskCacheRecord(p, d));
        EXPECT_EQ(0, std::memcmp(d.cacheInformation, part.data() + 4, 24));
        EXPECT_TRUE(IsZero(d.cacheSetting, 12));
        EXPECT_TRUE(IsZero(d.hotplugInformation, 8));
        EXPECT_EQ(0, d.cacheInformationValid);
    }
    {
        const Bytes tooShort = Reply(23);
        CDataParser p(tooShort.data() + 4, 23);
        DiskCacheSettingData d;
        EXPECT_FALSE(DecodeDiskCacheRecord(p, d));
        EXPECT_TRUE(IsZero(d.cacheInformation, 24));
    }
    {
        const Bytes longer = Reply(57);
        CDataParser p(longer.data() + 4, 57);
        DiskCacheSettingData d;
        EXPECT_FALSE(DecodeDiskCacheRecord(p, d)) << "a byte after the third flag";
        EXPECT_EQ(WordAt(longer, 52), d.hotplugInformationValid) << "but everything was decoded";
    }
}

TEST(ServiceCommandClient, AsksOnlyACompatibleServiceAndOnlyForALetter) {
    {
        const CString name = UniquePipeName(L"svc-client");
        ScriptedServer server(name, {VersionReply(), Reply(56)});
        ServerRunner run(server);
        ASSERT_TRUE(WaitForPipe(name));
        DiskCacheSettingData d;
        QueryDiskCacheSetting(name, L'z', d);
        EXPECT_EQ(0x04030201u, d.cacheInformation[0]);
        const std::vector<Bytes> requests = server.Requests();
        ASSERT_EQ(2u, requests.size());
        EXPECT_EQ(Words({1}), requests[0]);
        EXPECT_EQ((Bytes{2, 0, 0, 0, 'z', 0}), requests[1]);
    }
    {
        const CString name = UniquePipeName(L"svc-old");
        ScriptedServer server(name, {Words({0, 1, 0, 0, 2}), Reply(56)});
        ServerRunner run(server);
        ASSERT_TRUE(WaitForPipe(name));
        DiskCacheSettingData d;
        QueryDiskCacheSetting(name, L'C', d);
        EXPECT_TRUE(IsZero(d.cacheInformation, 24));
        EXPECT_EQ(1u, server.Requests().size()) << "no cache query after a version mismatch";
    }
    {
        const CString name = UniquePipeName(L"svc-refuses");
        ScriptedServer server(name, {VersionReply(), Words({2})});
        ServerRunner run(server);
        ASSERT_TRUE(WaitForPipe(name));
        DiskCacheSettingData d;
        QueryDiskCacheSetting(name, L'C', d);
        EXPECT_TRUE(IsZero(d.cacheInformation, 24));
        EXPECT_EQ(0, d.hotplugInformationValid);
    }
    {
        // A UNC path or a relative one has no letter: nothing is sent.
        const CString name = UniquePipeName(L"svc-unc");
        ScriptedServer server(name, {VersionReply(), Reply(56)});
        ServerRunner run(server);
        ASSERT_TRUE(WaitForPipe(name));
        DiskCacheSettingData d;
        for (wchar_t notALetter : {L'\\', L'1', L'\0', static_cast<wchar_t>(0x3042)}) QueryDiskCacheSetting(name, notALetter, d);
        EXPECT_TRUE(server.Requests().empty());
    }
}

TEST(ServiceCommandClient, NoServiceMeansAZeroRecordAfterAboutASecond) {
    DiskCacheSettingData d;
    const DWORD start = GetTickCount();
    QueryDiskCacheSetting(UniquePipeName(L"svc-none"), L'C', d);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, ServiceCommandClient::kConnectTimeoutMs - 20);
    EXPECT_TRUE(IsZero(&d.cacheInformation, 24 + 12 + 8));
    EXPECT_EQ(0, d.cacheInformationValid + d.cacheSettingValid + d.hotplugInformationValid);
}

namespace {

// Answers the version, then holds every other request until released.
class HungService : public PipeCommandServer {
public:
    using PipeCommandServer::PipeCommandServer;
    ~HungService() override { CloseHandle(release); }
    void OnCommand(const std::vector<BYTE>& message) override {
        if (message.size() == 4) {
            WriteVersionReply();
            return;
        }
        WaitForSingleObject(release, 60000);
    }
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

}  // namespace

// A service that stops answering in the middle of a query holds the job's start up no
// longer than the query's window: the query returns while the service still hangs.
TEST(ServiceCommandClient, HungServiceHoldsTheQueryOnlyForItsWindow) {
    const CString name = UniquePipeName(L"svc-hung");
    HungService service(name, kPipeChunkSize);
    ServerRunner run(service);
    ASSERT_TRUE(WaitForPipe(name));
    DiskCacheSettingData d;
    const DWORD start = GetTickCount();
    QueryDiskCacheSetting(name, L'C', d, 400);
    EXPECT_GE(GetTickCount() - start, 380u);
    EXPECT_TRUE(IsZero(&d.cacheInformation, 24 + 12 + 8));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(service.release, 0)) << "still hanging";
    SetEvent(service.release);
}
