#pragma once
// The job record the copy engine obeys, the interface of the builders that fill it, and
// what the builder learns about the destination before it chooses the tuning values.
#include <cstdint>
#include <vector>

#include "foundation/DataTarget.h"
#include "foundation/USBEnumerateEx.h"
#include "framework/CString.h"
#include "ipc/DiskCacheSettingData.h"

namespace Swiftlet {

// One copy or move job. A value: the job runner and the algorithm each hold a copy.
// The field order is also the order in which the elevation pipe transfers them.
class CopyOption {
public:
    CopyOption() = default;
    CopyOption(const CopyOption&) = default;
    CopyOption& operator=(const CopyOption&) = default;
    virtual ~CopyOption() = default;

    uint32_t algorithm = 0;              // 2: the multithreaded algorithm, the only one
    std::vector<CString> sources;        // full paths
    CString destination;                 // destination folder
    uint64_t bufferSize = 0;             // locked pool shared by reader and writer
    uint64_t readBlockSize = 0;          // largest single read
    uint64_t reserved1 = 0;
    uint64_t writeBlockSize = 0;         // largest single write
    uint64_t unbufferedWriteMinSize = 0; // files this large bypass the cache; ~0: never
    uint64_t reserved2 = 0;
    uint32_t reserved3 = 0;
    uint32_t reserved4 = 0;
    uint32_t reserved5 = 0;
    uint32_t foldersFirst = 0;           // 1: create every folder before the first file
    uint64_t readerWakeMinFree = 0;      // pool bytes free before the writer wakes the reader
    uint64_t writerWakeMinUsed = 0;      // pool bytes used before the reader wakes the writer
    uint32_t move = 0;                   // 1: move, 0: copy
    uint32_t retryCount = 0;             // attempts to delete a moved source
    uint32_t retryWaitMs = 0;            // pause between those attempts
    uint32_t askFolderConflicts = 0;     // 1: ask before merging into an existing folder
    uint32_t batchFileConflicts = 0;     // 1: decide all existing files at the end
    std::vector<CString> bufferedExtensions;  // always written through the cache
};

// Builds a job record; Create() → 1 when option describes a job that can run.
class ICreateCopyOption {
public:
    virtual ~ICreateCopyOption() = default;
    virtual int Create() = 0;

    CopyOption option;
};

// What the program knows about one path.
class CopyPathInfo {
public:
    virtual ~CopyPathInfo() = default;

    CString path;
    uint32_t isUsb = 0;   // 1: the path's drive is a volume of a USB device
    USB::CUSBEnumerateExData usb;  // that device; empty when isUsb is 0
};

// The destination: adds the disk cache and hot-plug properties the service reported.
class CopyPathToInfo : public CopyPathInfo {
public:
    DiskCacheSettingData cache;
};

// Fills a CopyPathInfo owned by someone else.
class CopyPathInfoCreator : public Data::Target<CopyPathInfo> {
public:
    explicit CopyPathInfoCreator(CopyPathInfo& info) : Data::Target<CopyPathInfo>(info) {}

    // Resets the path's own values (empty, not USB) and sets the path.
    void Begin(const CString& path);
    // Marks the path as USB with the first device, in list order, that holds a volume
    // with the path's drive letter (letters compared without regard to case).
    void ApplyUsbDevices(const USB::CUSBEnumerateExList& devices);
};

// The drive letter of a path: its first character when that is A-Z or a-z, else 0.
wchar_t DriveLetterOf(const CString& path);

}  // namespace Swiftlet
