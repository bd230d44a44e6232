#pragma once
// Makes this process the UI instance: runs the task window with the job as its first
// operation until the last operation has ended.
#include <vector>

#include "framework/CString.h"

namespace Swiftlet {

// flag: the move flag (1 move, 0 copy). 1 when the window ran, 0 when the job could
// not be created.
int RunTaskWindow(const std::vector<CString>& sources, const CString& destination, int* flag);

}  // namespace Swiftlet
