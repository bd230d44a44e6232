#pragma once
// The job runner of the console program: the program's own CopyCore, which also keeps,
// once the algorithm has run, what its item trees say was written completely and what
// was skipped. The summary counts from it, and verification reads back exactly the
// files that were written, under the names they were written with.
#include <cstdint>
#include <vector>

#include "console/ConsoleQuestion.h"
#include "control/CopyCore.h"
#include "framework/CString.h"

namespace Swiftlet {

// A file or a named stream written completely.
struct ConsoleCopiedFile {
    CString source;
    CString destination;
    uint64_t size = 0;
    int fileIndex = -1;  // a stream: the index of its file in the list; a file: -1
};

struct ConsoleJobOutcome {
    int ran = 0;  // the algorithm ran, so the lists below are known
    std::vector<ConsoleCopiedFile> files;  // files and streams, in tree order
    // Folders written or merged, in tree order (a folder before its content): source and
    // destination.
    std::vector<std::pair<CString, CString>> folders;
    // Items left out, the topmost of each skipped subtree: source and destination paths.
    std::vector<std::pair<CString, CString>> skipped;
    // The move's deletions of source files that did not happen (source paths).
    std::vector<CString> sourcesKept;
    std::vector<CString> treeSources;  // the source each tree was built from
    uint64_t items = 0;  // files written and folders created
    uint64_t bytes = 0;  // bytes of the files and streams written
};

class ConsoleCopyCore : public CopyCore {
public:
    // After Run: what the job did.
    ConsoleJobOutcome outcome;

    // What a finished algorithm's trees say (also used directly by tests).
    static ConsoleJobOutcome Collect(const CopyStatus& status);

protected:
    void AlgorithmEnded(const CopyAlgorithmMultiThread& algorithm) override;
};

}  // namespace Swiftlet
