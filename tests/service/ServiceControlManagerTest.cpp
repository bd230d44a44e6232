// The service under Wine's service control manager: installed, started, queried,
// stopped and deleted with sc.exe, as an administrator would on Windows. Every test that
// touches the service pipe or runs the service program holds FixedPipeLock::kService.
#include <gtest/gtest.h>

#include <cstring>

#include "ipc/PipeNames.h"
#include "ipc/ServiceCommandClient.h"
#include "service/DiskCacheQuery.h"
#include "service/ServiceHost.h"
#include "tests/service/SimulatedDisk.h"
#include "tests/support/PipeTestSupport.h"
#include "tests/support/TestFiles.h"

using namespace PipeTest;
using namespace Swiftlet;

namespace {

// Runs sc.exe with arguments; its exit code, and what it printed in output.
int Sc(const CString& arguments, std::string* output = nullptr) {
    TestFiles::TempDir dir(L"sc");
    const CString outPath = dir / L"out.txt";
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE out = CreateFileW(outPath, GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = out;
    si.hStdInput = nullptr;
    PROCESS_INFORMATION pi{};
    CString line = L"sc.exe " + arguments;
    const BOOL started = CreateProcessW(nullptr, line.GetBuffer(line.GetLength() + 1), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &si, &pi);
    line.ReleaseBuffer();
    CloseHandle(out);
    if (!started) return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (output) TestFiles::ReadBytes(outPath, *output);
    return static_cast<int>(code);
}

// Polls sc query until the state named appears; the last output either way.
bool WaitForState(const CString& service, const char* state, std::string& output) {
    const DWORD start = GetTickCount();
    do {
        Sc(L"query " + service, &output);
        if (output.find(state) != std::string::npos) return true;
        Sleep(100);
    } while (GetTickCount() - start < 30000);
    return false;
}

SERVICE_STATUS QueryStatus(const CString& service) {
    SERVICE_STATUS status{};
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE handle = manager ? OpenServiceW(manager, service, SERVICE_QUERY_STATUS) : nullptr;
    if (handle) QueryServiceStatus(handle, &status);
    if (handle) CloseServiceHandle(handle);
    if (manager) CloseServiceHandle(manager);
    return status;
}

// Installs a program of the build folder as a service and removes it again, whatever
// an earlier run left behind.
class InstalledService {
public:
    InstalledService(const CString& name, const wchar_t* program) : m_name(name) {
        Remove();
        created = Sc(L"create " + name + L" binPath= " + Quote(TestFiles::ExeFolder() + L"\\" + program));
    }
    ~InstalledService() { Remove(); }
    void Remove() {
        std::string out;
        if (Sc(L"stop " + m_name) == 0) WaitForState(m_name, "STOPPED", out);
        Sc(L"delete " + m_name);
    }
    int created;

private:
    CString m_name;
};

Bytes CacheRequest(wchar_t letter) {
    CDataConverter c;
    c.AppendInt32(ServiceCommand::kDiskCache);
    c.AppendUInt16(static_cast<uint16_t>(letter));
    return ToBytes(c);
}

Bytes RecordReply(const DiskCacheRecord& record) {
    CDataConverter c;
    c.AppendInt32(0);
    c.AppendBytes(&record, sizeof record);
    return ToBytes(c);
}

// The record a job's destination probe gets for drive Z: (where the build folder lies),
// through the same client call, from whatever serves the service pipe. What the job
// builder makes of a record is the engine tests' business.
DiskCacheSettingData ProbedRecord() {
    DiskCacheSettingData d;
    QueryDiskCacheSetting(L'Z', d);
    return d;
}

Bytes RecordBytes(const DiskCacheSettingData& d) {
    CDataConverter c;
    c.AppendInt32(0);
    c.AppendBytes(d.cacheInformation, 24);
    c.AppendBytes(d.cacheSetting, 12);
    c.AppendBytes(d.hotplugInformation, 8);
    c.AppendInt32(d.cacheInformationValid);
    c.AppendInt32(d.cacheSettingValid);
    c.AppendInt32(d.hotplugInformationValid);
    return ToBytes(c);
}

}  // namespace

TEST(ServiceControlManager, ServiceInstallsStartsAnswersAndStops) {
    FixedPipeLock lock(FixedPipeLock::kService);
    ASSERT_TRUE(lock.Held());
    const CString service = Service::kServiceName;
    InstalledService installed(service, L"SwiftletSrv.exe");
    ASSERT_EQ(0, installed.created);

    ASSERT_EQ(0, Sc(L"start " + service));
    std::string out;
    ASSERT_TRUE(WaitForState(service, "RUNNING", out)) << out;
    SERVICE_STATUS status = QueryStatus(service);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), status.dwCurrentState);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_ACCEPT_STOP), status.dwControlsAccepted);
    EXPECT_EQ(0u, status.dwWin32ExitCode);
    EXPECT_EQ(0u, status.dwCheckPoint);

    const CString pipe = PipeNames::ServicePipeName();
    ASSERT_TRUE(WaitForPipe(pipe));
    {
        RawClient client(pipe);
        ASSERT_TRUE(client.Connect(5000));
        EXPECT_EQ(VersionReply(), client.Send(Words({1})));
        EXPECT_EQ(Words({2}), client.Send({1, 0, 0, 0, 0})) << "5-byte version request";
        EXPECT_EQ(Words({2}), client.Send({2, 0, 0, 0, 'Z', 0, 0})) << "7-byte cache request";
        EXPECT_EQ(Words({2}), client.Send(Words({2}))) << "no letter";
        EXPECT_EQ(Words({2}), client.Send({2, 0, 0, 0, 'Z'})) << "half a letter";
        EXPECT_EQ(Words({1}), client.Send(Words({3})));
        const wchar_t unused = [] {
            const DWORD drives = GetLogicalDrives();
            for (int i = 25; i >= 0; --i)
                if (!(drives & (1u << i))) return static_cast<wchar_t>(L'A' + i);
            return L'\0';
        }();
        EXPECT_EQ(Bytes(60, 0), client.Send(CacheRequest(unused))) << "a letter with no drive";
        // Real volumes: what the service reads is what this process reads itself.
        EXPECT_EQ(RecordReply(QueryDiskCache(L'Z')), client.Send(CacheRequest(L'Z')));
        EXPECT_EQ(RecordReply(QueryDiskCache(L'C')), client.Send(CacheRequest(L'C')));
    }
    // A job's destination probe asks the service for its destination's disk.
    EXPECT_EQ(RecordReply(QueryDiskCache(L'Z')), RecordBytes(ProbedRecord()));

    ASSERT_EQ(0, Sc(L"stop " + service));
    ASSERT_TRUE(WaitForState(service, "STOPPED", out)) << out;
    status = QueryStatus(service);
    EXPECT_EQ(0u, status.dwWin32ExitCode);
    EXPECT_EQ(0u, status.dwCheckPoint);
    EXPECT_FALSE(WaitNamedPipeW(pipe, 0)) << "the service pipe goes with the service";
    EXPECT_EQ(0, Sc(L"delete " + service));
}

TEST(ServiceControlManager, ProbeOfZGetsTheRecordTheServiceRead) {
    FixedPipeLock lock(FixedPipeLock::kService);
    ASSERT_TRUE(lock.Held());
    const CString service = L"SwiftletSrvSimulated";
    InstalledService installed(service, L"SimulatedDiskService.exe");
    ASSERT_EQ(0, installed.created);
    ASSERT_EQ(0, Sc(L"start " + service));
    std::string out;
    ASSERT_TRUE(WaitForState(service, "RUNNING", out)) << out;
    ASSERT_TRUE(WaitForPipe(PipeNames::ServicePipeName()));

    const DiskCacheSettingData d = ProbedRecord();
    EXPECT_EQ(0, std::memcmp(d.cacheInformation, SimulatedDisk::kCacheInformation, 24));
    EXPECT_EQ(0, std::memcmp(d.cacheSetting, SimulatedDisk::kCacheSetting, 12));
    EXPECT_EQ(0, std::memcmp(d.hotplugInformation, SimulatedDisk::kHotplugInformation, 8));
    EXPECT_EQ(1, d.cacheInformationValid);
    EXPECT_EQ(1, d.cacheSettingValid);
    EXPECT_EQ(1, d.hotplugInformationValid);
}

TEST(ServiceControlManager, WithoutTheServiceTheProbeGetsAZeroRecord) {
    FixedPipeLock lock(FixedPipeLock::kService);
    ASSERT_TRUE(lock.Held());
    ASSERT_FALSE(WaitNamedPipeW(PipeNames::ServicePipeName(), 0));
    const DiskCacheSettingData d = ProbedRecord();
    EXPECT_EQ(RecordBytes(DiskCacheSettingData()), RecordBytes(d));
}

TEST(ServiceControlManager, ProgramStartedOutsideTheServiceManagerEndsAtOnce) {
    FixedPipeLock lock(FixedPipeLock::kService);
    ASSERT_TRUE(lock.Held());
    EXPECT_EQ(0, TestFiles::RunProcess(Quote(TestFiles::ExeFolder() + L"\\SwiftletSrv.exe"), 30000));
}
