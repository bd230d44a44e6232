#include "control/SwiftletCore.h"

namespace Swiftlet {

namespace {
ISwiftletCore* g_core = nullptr;
}

ISwiftletCore* GetSwiftletCore() { return g_core; }
void SetSwiftletCore(ISwiftletCore* core) { g_core = core; }

SwiftletCore::SwiftletCore() = default;
SwiftletCore::~SwiftletCore() = default;

int SwiftletCore::Execute(const std::vector<CString>&, const CString&, int*) {
    // No hand-over and no task window yet.
    return 0;
}

}  // namespace Swiftlet
