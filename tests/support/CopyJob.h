#pragma once
// Runs copy jobs on real files for tests: job records like the ones the command line
// builds, run on a copy core with a scripted observer.
#include <windows.h>

#include <vector>

#include "engine/CopyOption.h"
#include "framework/CString.h"
#include "tests/support/CoreEventScript.h"
#include "tests/support/TestFiles.h"

namespace TestFiles {

// The tuning a job gets from the command line, with short retry pauses.
Swiftlet::CopyOption JobOption(const std::vector<CString>& sources, const CString& destination, int move = 0);

// Runs the job on a copy core (path check, events 1000/1001) on this thread; answers
// come from handler. Returns the core's result: 1 when the job ran without error.
int RunJob(const Swiftlet::CopyOption& option, Swiftlet::CoreEventScriptHandler& handler);

// The questions a job asked, in order.
std::vector<Swiftlet::CoreEventRecord> Questions(const Swiftlet::CoreEventScriptHandler& handler);
// The CopyException type of the first error a job reported; 0 when there was none.
int ErrorType(const Swiftlet::CoreEventScriptHandler& handler);

}  // namespace TestFiles
