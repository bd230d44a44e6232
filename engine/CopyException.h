#pragma once
// Conditions of the copy flow that need the user or end the job. Thrown by value and
// caught by reference like the Windows exceptions; the question kinds are also built on
// the stack and handed to a decision event without being thrown.
#include <windows.h>

#include <utility>
#include <vector>

#include "foundation/Exception.h"
#include "framework/CString.h"

namespace Swiftlet {

// The kinds of copy failure, the value of CopyException::type.
enum CopyExceptionType : int {
    kCopyNothingToDo = 1,        // nothing left after normalising, unknown item, no buffers
    kCopyPrepareFailed = 2,      // the job's preparation failed
    kCopyBufferPoolFailed = 3,   // the buffer pool could not be created
    kCopyNothingFound = 4,       // enumeration found no item to copy
    kCopyCancelled = 5,          // the user cancelled
    kCopyStopForElevation = 6,   // stop quietly, the job continues with administrator rights
    kCopyElevatedNoStatus = 7,   // the elevated process did not deliver its status
    kCopyItemsLeftUndone = 8,    // the workers ended with items neither written nor left out
    kCopyNotFreeSpace = 10,
    kCopyDestinationInSource = 11,
    kCopyEncrypted = 12,
    kCopyOverwrite = 13,
    kCopyRetryFile = 14,
    kCopyOverwriteFiles = 15,
    // Unexpected results of waits on the engine's events.
    kCopyReaderWaitFailed = 1002,
    kCopyWriterWaitFailed = 1003,
    kCopyReaderPauseWaitFailed = 1102,
    kCopyWriterPauseWaitFailed = 1103,
};

// Decision answers written by whoever shows a question.
enum CopyAnswer : int {
    kAnswerRetry = 1,  // retry, or proceed
    kAnswerSkip = 2,
    kAnswerCancel = 3,
    kAnswerWithoutEncryption = 4,
    kAnswerOverwrite = 5,
    kAnswerElevate = 6,    // stop and continue with administrator rights
    kAnswerKeepBoth = 7,   // copy under a new name (a batch of existing files only)
    kAnswerSelection = 8,  // apply the user's per-file selection (a batch only)
};

class CopyException : public Exception {
public:
    CopyException() = default;
    explicit CopyException(int type) : type(type) {}
    ~CopyException() override = default;

    int type = 0;
};

// Not enough room at the destination.
class CopyExceptionNotFreeSpace : public CopyException {
public:
    explicit CopyExceptionNotFreeSpace(unsigned long long missing)
        : CopyException(kCopyNotFreeSpace), missing(missing) {}
    ~CopyExceptionNotFreeSpace() override = default;

    unsigned long long missing = 0;  // bytes the destination lacks
};

// An encrypted source would arrive unencrypted.
class CopyExceptionEncrypted : public CopyException {
public:
    CopyExceptionEncrypted(const CString& path, const WIN32_FILE_ATTRIBUTE_DATA& data)
        : CopyException(kCopyEncrypted), path(path), data(data) {}
    ~CopyExceptionEncrypted() override = default;

    CString path;
    WIN32_FILE_ATTRIBUTE_DATA data{};
};

// The destination item already exists.
class CopyExceptionOverwrite : public CopyException {
public:
    CopyExceptionOverwrite(const CString& sourcePath, const WIN32_FILE_ATTRIBUTE_DATA& sourceData,
                           const CString& destinationPath, const WIN32_FILE_ATTRIBUTE_DATA& destinationData)
        : CopyException(kCopyOverwrite),
          sourcePath(sourcePath),
          sourceData(sourceData),
          destinationPath(destinationPath),
          destinationData(destinationData) {}
    ~CopyExceptionOverwrite() override = default;

    CString sourcePath;
    WIN32_FILE_ATTRIBUTE_DATA sourceData{};
    CString destinationPath;
    WIN32_FILE_ATTRIBUTE_DATA destinationData{};
};

// A file error the user may retry, with what the question shows of the item.
class CopyExceptionRetryFile : public CopyException {
public:
    // Describes error, which must outlive this object. Reads the attribute data of the
    // item (of its folder when the item cannot be read; not of a drive root) and whether
    // the process already runs with administrator rights.
    explicit CopyExceptionRetryFile(const WindowsFileException& error);
    // Takes every field as given, as a receiver rebuilding the question does; the object
    // owns error (which may be null) and deletes it.
    CopyExceptionRetryFile(WindowsFileException* ownedError, const CString& path,
                           const WIN32_FILE_ATTRIBUTE_DATA& data, int dataValid, int isElevated);
    // A copy of an owning object owns a copy of the inner exception, so that each of the
    // two deletes its own.
    CopyExceptionRetryFile(const CopyExceptionRetryFile& other);
    CopyExceptionRetryFile& operator=(const CopyExceptionRetryFile& other);
    ~CopyExceptionRetryFile() override;

    int ownsError = 0;  // 1 when error is deleted with this object
    const WindowsFileException* error = nullptr;
    CString path;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    int dataValid = 0;
    int isElevated = 0;

private:
    void AssignFrom(const CopyExceptionRetryFile& other);
    void ReleaseError();
};

// Several destination files already exist; decided together at the end of the pass.
class CopyExceptionOverwriteFiles : public CopyException {
public:
    CopyExceptionOverwriteFiles() : CopyException(kCopyOverwriteFiles) {}
    ~CopyExceptionOverwriteFiles() override = default;

    CString sourceFolder;
    CString destinationFolder;
    std::vector<std::pair<CString, CString>> files;  // (source path, destination path)
};

// Checked downcast of a caught exception; null when it is of another kind.
const CopyException* AsCopyException(const Exception* e);

// 1 when the running process has administrator rights: always on systems before
// Windows Vista, which know no elevation; otherwise the token's elevation, 0 when the
// token cannot be read.
int IsProcessElevated(DWORD osMajorVersion);

// "C:\" (also "\\?\C:\"): a drive root, whose attributes are not shown.
bool IsDriveRootPath(const CString& path);

}  // namespace Swiftlet
