#include "tests/support/CopyJob.h"

#include "control/CopyCore.h"
#include "engine/CreateCopyOptionCmdLine.h"

namespace TestFiles {

Swiftlet::CopyOption JobOption(const std::vector<CString>& sources, const CString& destination, int move) {
    Swiftlet::CopyOption option;
    Swiftlet::CreateCopyOptionCmdLine::SetFixedValues(option, sources, destination, move);
    // Every write unbuffered, so that tests drive the aligned path; short retry pauses.
    option.unbufferedWriteMinSize = 0;
    option.foldersFirst = 1;
    option.retryCount = 3;
    option.retryWaitMs = 10;
    return option;
}

int RunJob(const Swiftlet::CopyOption& option, Swiftlet::CoreEventScriptHandler& handler) {
    Swiftlet::CopyCore core;
    core.option = option;
    core.handler = &handler;
    core.Run();
    for (const Swiftlet::CoreEventRecord& record : handler.Records())
        if (record.code == 2002)
            return 0;
    return 1;
}

std::vector<Swiftlet::CoreEventRecord> Questions(const Swiftlet::CoreEventScriptHandler& handler) {
    std::vector<Swiftlet::CoreEventRecord> out;
    for (const Swiftlet::CoreEventRecord& record : handler.Records())
        if (record.code == Swiftlet::kEventQuestion)
            out.push_back(record);
    return out;
}

int ErrorType(const Swiftlet::CoreEventScriptHandler& handler) {
    for (const Swiftlet::CoreEventRecord& record : handler.Records())
        if (record.code == Swiftlet::kEventError)
            return record.copyType;
    return 0;
}

}  // namespace TestFiles
