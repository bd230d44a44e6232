#include "control/SwiftletCore.h"

#include "foundation/Paths.h"
#include "ipc/PipeNames.h"

namespace Swiftlet {

namespace {
ISwiftletCore* g_core = nullptr;
}  // namespace

ISwiftletCore* GetSwiftletCore() { return g_core; }
void SetSwiftletCore(ISwiftletCore* core) { g_core = core; }

namespace {

// The full form of a path given relative to the current folder; kept as it is when the
// system cannot make one.
CString FullPath(const CString& path) {
    const CString full = GetFullPath(path);
    return full.IsEmpty() ? path : full;
}

}  // namespace

SwiftletCore::SwiftletCore(LocalRunner runLocally)
    : SwiftletCore(PipeNames::JobHandOverPipeName(), std::move(runLocally)) {}

SwiftletCore::SwiftletCore(const CString& handOverPipeName, LocalRunner runLocally, IPipePeers* peers)
    : m_client(handOverPipeName, kPipeChunkSize, peers), m_runLocally(std::move(runLocally)) {}

SwiftletCore::~SwiftletCore() = default;

int SwiftletCore::HandOver(const std::vector<CString>& sources, const CString& destination, int flag) {
    int handed = 0;
    try {
        bool open = m_client.Open();
        if (!open) {
            // Nobody listens: become the UI instance at once, without waiting.
            if (GetLastError() == ERROR_FILE_NOT_FOUND) return 0;
            open = m_client.Connect(kBusyPipeTimeoutMs);
        }
        if (open && m_client.IsServerOfThisUser() && m_client.IsPeerCompatible() &&
            m_client.CopyRequest(sources, destination, flag))
            handed = 1;
    } catch (...) {
        // A failed hand-over never loses the job: the caller runs it here.
        handed = 0;
    }
    m_client.Close();
    return handed;
}

int SwiftletCore::Execute(const std::vector<CString>& sources, const CString& destination, int* flag) {
    std::vector<CString> fullSources;
    for (const CString& source : sources) fullSources.push_back(FullPath(source));
    const CString fullDestination = FullPath(destination);
    const int flagValue = flag ? *flag : 0;
    if (HandOver(fullSources, fullDestination, flagValue) == 1) return 1;
    return m_runLocally ? m_runLocally(fullSources, fullDestination, flag) : 0;
}

}  // namespace Swiftlet
