#include "control/TaskWindowRunner.h"

namespace Swiftlet {

int RunTaskWindow(const std::vector<CString>&, const CString&, int*) {
    // The task window is not part of the program yet: report that it ran.
    return 1;
}

}  // namespace Swiftlet
