#include "control/SwiftletCore.h"

#include "control/TaskWindowRunner.h"
#include "ipc/PipeNames.h"

namespace Swiftlet {

namespace {
ISwiftletCore* g_core = nullptr;
// A busy hand-over pipe is serving another later instance; it is free again soon.
constexpr DWORD kBusyPipeTimeoutMs = 5000;
}  // namespace

ISwiftletCore* GetSwiftletCore() { return g_core; }
void SetSwiftletCore(ISwiftletCore* core) { g_core = core; }

SwiftletCore::SwiftletCore() : m_client(PipeNames::JobHandOverPipeName(), kPipeChunkSize) {}
SwiftletCore::SwiftletCore(const CString& handOverPipeName) : m_client(handOverPipeName, kPipeChunkSize) {}
SwiftletCore::~SwiftletCore() = default;

int SwiftletCore::HandOver(const std::vector<CString>& sources, const CString& destination, int flag) {
    int handed = 0;
    try {
        bool open = m_client.Open();
        if (!open) {
            // No UI instance listens: become one at once, without waiting.
            if (GetLastError() == ERROR_FILE_NOT_FOUND) return 0;
            open = m_client.Connect(kBusyPipeTimeoutMs);
        }
        if (open && m_client.IsPeerCompatible() && m_client.CopyRequest(sources, destination, flag)) handed = 1;
    } catch (...) {
        // A failed hand-over never loses the job: the caller runs it here.
        handed = 0;
    }
    m_client.Close();
    return handed;
}

int SwiftletCore::Execute(const std::vector<CString>& sources, const CString& destination, int* flag) {
    const int flagValue = flag ? *flag : 0;
    if (HandOver(sources, destination, flagValue) == 1) return 1;
    return RunTaskWindow(sources, destination, flag);
}

}  // namespace Swiftlet
