#include "control/TaskWindowRunner.h"

#include "engine/CreateCopyOptionCmdLine.h"

namespace Swiftlet {

int RunTaskWindow(const std::vector<CString>& sources, const CString& destination, int* flag) {
    // Until the task window runs jobs, the first job is built and nothing more.
    int move = flag ? *flag : 0;
    CreateCopyOptionCmdLine builder(&sources, &destination, &move);
    builder.Create();
    return 1;
}

}  // namespace Swiftlet
