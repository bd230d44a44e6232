#pragma once
// Builds the job record from a list of sources, a destination and a move flag (the
// command line, a job handed over by a later instance, or the shell extension), and
// chooses the tuning values from what the destination drive is.
#include <memory>
#include <vector>

#include "engine/CopyDestinationProbe.h"
#include "engine/CopyOption.h"
#include "foundation/OSVersion.h"

namespace Swiftlet {

class CreateCopyOptionCmdLine : public ICreateCopyOption {
public:
    // The three inputs must outlive the builder until Create() returns. Asks the running
    // system about the destination.
    CreateCopyOptionCmdLine(const std::vector<CString>* sources, const CString* destination,
                            const int* move);
    // Asks probe instead (it must outlive the builder).
    CreateCopyOptionCmdLine(const std::vector<CString>* sources, const CString* destination,
                            const int* move, ICopyDestinationProbe& probe);

    int Create() override;

    // The values every job from the command line gets, before the destination probe and
    // its rules: sources, destination, pool and block sizes, wake thresholds (by the
    // same-root test), retries, conflict handling, buffered extensions.
    static void SetFixedValues(CopyOption& option, const std::vector<CString>& sources,
                               const CString& destination, int move);

    const CopyPathToInfo& DestinationInfo() const { return destinationInfo; }

    // The running system, read at construction; its major version picks the cache rule.
    COSVersion osVersion;

private:
    void ProbeDestination();
    void ApplyCacheRule();
    void ApplyFolderOrderRule();

    const std::vector<CString>* sources;
    const CString* destination;
    const int* move;
    CopyPathToInfo destinationInfo;

    std::unique_ptr<ICopyDestinationProbe> ownProbe;
    ICopyDestinationProbe* probe;
};

}  // namespace Swiftlet
