#pragma once
// The process-level object behind start-up: hands a job to the running instance, or
// makes this process the one that shows the user interface.
#include <vector>

#include "framework/CString.h"
#include "foundation/noncopyable.h"
#include "ipc/MultiUICommand.h"

namespace Swiftlet {

class ISwiftletCore : private noncopyable {
public:
    virtual ~ISwiftletCore() = default;
    // flag: the move flag (1 move, 0 copy). Returns nonzero when the job was handed
    // over or run.
    virtual int Execute(const std::vector<CString>& sources, const CString& destination, int* flag) = 0;
};

class SwiftletCore : public ISwiftletCore {
public:
    SwiftletCore();
    // On another pipe than the job hand-over pipe (tests).
    explicit SwiftletCore(const CString& handOverPipeName);
    ~SwiftletCore() override;
    int Execute(const std::vector<CString>& sources, const CString& destination, int* flag) override;

    // Gives the job to the running instance; 1 when it took it, else 0. The pipe is
    // closed in every case.
    int HandOver(const std::vector<CString>& sources, const CString& destination, int flag);

private:
    MultiUICommand::Client m_client;
};

// The one SwiftletCore of the process: set by start-up, cleared by clean-up.
ISwiftletCore* GetSwiftletCore();
void SetSwiftletCore(ISwiftletCore* core);

}  // namespace Swiftlet
