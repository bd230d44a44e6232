#include "console/ConsoleVerifier.h"

#include <cstring>

#include "console/resource.h"
#include "foundation/Paths.h"

namespace Swiftlet {

namespace {

// One read of each side; a multiple of every sector size, as reads past the cache need.
constexpr DWORD kChunk = 1 << 20;

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle(handle) {}
    ~FileHandle() {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle; }
    void reset(HANDLE other) {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
        handle = other;
    }
    bool valid() const { return handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle;
};

HANDLE OpenForReading(const CString& path, DWORD flags) {
    return CreateFileW(ToLongPath(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN | flags, nullptr);
}

CString Loaded(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

// Reads up to kChunk bytes; false on an error.
bool ReadChunk(HANDLE file, BYTE* buffer, DWORD* got) {
    *got = 0;
    return ReadFile(file, buffer, kChunk, got, nullptr) != 0;
}

bool DeleteSourceFile(const CString& path) {
    const CString longPath = ToLongPath(path);
    const DWORD attributes = GetFileAttributesW(longPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(longPath, attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileW(longPath) != 0;
}

bool RemoveSourceFolder(const CString& path) { return RemoveDirectoryW(ToLongPath(path)) != 0; }

}  // namespace

ConsoleVerifier::ConsoleVerifier(HANDLE stop) : stop(stop) {
    buffers = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * kChunk, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

ConsoleVerifier::~ConsoleVerifier() {
    if (buffers)
        VirtualFree(buffers, 0, MEM_RELEASE);
}

bool ConsoleVerifier::Stopped() const { return stop != nullptr && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0; }

void ConsoleVerifier::SetCurrent(const CString& path) {
    AcquireSRWLockExclusive(&currentLock);
    current = path;
    ReleaseSRWLockExclusive(&currentLock);
}

CString ConsoleVerifier::Current() const {
    AcquireSRWLockShared(&currentLock);
    CString copy = current;
    ReleaseSRWLockShared(&currentLock);
    return copy;
}

int ConsoleVerifier::Compare(const CString& source, const CString& destination, CString* reason) {
    if (!buffers) {
        *reason = GetSystemErrorMessage(ERROR_NOT_ENOUGH_MEMORY);
        return kCompareDifferent;
    }
    FileHandle original(OpenForReading(source, 0));
    if (!original.valid()) {
        *reason = GetSystemErrorMessage(GetLastError());
        return kCompareDifferent;
    }
    FileHandle copy(OpenForReading(destination, FILE_FLAG_NO_BUFFERING));
    if (!copy.valid())
        copy.reset(OpenForReading(destination, 0));  // a file system that takes no reads past its cache
    if (!copy.valid()) {
        *reason = GetSystemErrorMessage(GetLastError());
        return kCompareDifferent;
    }
    LARGE_INTEGER originalSize{}, copySize{};
    if (!GetFileSizeEx(original.get(), &originalSize) || !GetFileSizeEx(copy.get(), &copySize) ||
        originalSize.QuadPart != copySize.QuadPart) {
        *reason = Loaded(IDS_CONSOLE_MISMATCH);
        return kCompareDifferent;
    }
    BYTE* a = buffers;
    BYTE* b = buffers + kChunk;
    for (;;) {
        if (Stopped())
            return kCompareStopped;
        DWORD gotA = 0, gotB = 0;
        if (!ReadChunk(original.get(), a, &gotA) || !ReadChunk(copy.get(), b, &gotB)) {
            *reason = GetSystemErrorMessage(GetLastError());
            return kCompareDifferent;
        }
        if (gotA != gotB || std::memcmp(a, b, gotA) != 0) {
            *reason = Loaded(IDS_CONSOLE_MISMATCH);
            return kCompareDifferent;
        }
        if (gotA == 0)
            return kCompareEqual;
        bytesDone += gotA;
    }
}

int ConsoleVerifier::VerifyAll(const ConsoleJobOutcome& outcome, bool keptSources, std::vector<char>* equal,
                               std::vector<ConsoleProblem>* problems) {
    equal->assign(outcome.files.size(), 0);
    for (const ConsoleCopiedFile& file : outcome.files)
        bytesTotal += file.size;
    itemsTotal = outcome.files.size();
    std::vector<CString> reasons(outcome.files.size());
    for (size_t i = 0; i < outcome.files.size(); ++i) {
        const ConsoleCopiedFile& file = outcome.files[i];
        SetCurrent(file.destination);
        const int result = Compare(file.source, file.destination, &reasons[i]);
        if (result == kCompareStopped)
            return kCompareStopped;
        (*equal)[i] = result == kCompareEqual ? 1 : 0;
        ++itemsDone;
        ++filesCompared;
        bytesCompared += file.size;
    }
    // A file stands or falls with its streams.
    for (size_t i = 0; i < outcome.files.size(); ++i) {
        const int owner = outcome.files[i].fileIndex;
        if (owner >= 0 && !(*equal)[i])
            (*equal)[static_cast<size_t>(owner)] = 0;
    }
    for (size_t i = 0; i < outcome.files.size(); ++i) {
        if ((*equal)[i])
            continue;
        ++mismatches;
        // A file whose own bytes were equal failed with one of its streams.
        CString text = reasons[i].IsEmpty() ? Loaded(IDS_CONSOLE_MISMATCH) : reasons[i];
        if (keptSources)
            text += L" " + Loaded(IDS_CONSOLE_SOURCE_KEPT);
        problems->push_back({outcome.files[i].destination, text});
    }
    return kCompareEqual;
}

DWORD ConsoleVerifier::Retry(uint32_t retryCount, uint32_t retryWaitMs, DWORD stopOn,
                             bool (*attempt)(const CString&), const CString& path) {
    DWORD error = ERROR_SUCCESS;
    for (uint32_t i = 0; i <= retryCount; ++i) {
        if (i > 0)
            Sleep(retryWaitMs);
        if (attempt(path))
            return ERROR_SUCCESS;
        error = GetLastError();
        if (error == stopOn)
            break;
    }
    return error;
}

int ConsoleVerifier::RemoveSources(const ConsoleJobOutcome& outcome, const std::vector<char>& equal,
                                   uint32_t retryCount, uint32_t retryWaitMs, std::vector<ConsoleProblem>* problems) {
    itemsDone = 0;
    itemsTotal = outcome.files.size() + outcome.folders.size();
    for (size_t i = 0; i < outcome.files.size(); ++i) {
        const ConsoleCopiedFile& file = outcome.files[i];
        if (file.fileIndex >= 0)
            continue;  // a stream goes with its file
        if (Stopped())
            return kCompareStopped;
        ++itemsDone;
        if (i >= equal.size() || !equal[i])
            continue;
        SetCurrent(file.source);
        const DWORD error = Retry(retryCount, retryWaitMs, ERROR_SUCCESS, &DeleteSourceFile, file.source);
        if (error != ERROR_SUCCESS)
            problems->push_back({file.source, GetSystemErrorMessage(error)});
    }
    // Deepest first; a folder that still holds something (an item that was skipped or did
    // not compare equal) stays, as the engine leaves it.
    for (auto it = outcome.folders.rbegin(); it != outcome.folders.rend(); ++it) {
        if (Stopped())
            return kCompareStopped;
        ++itemsDone;
        SetCurrent(it->first);
        const DWORD error = Retry(retryCount, retryWaitMs, ERROR_DIR_NOT_EMPTY, &RemoveSourceFolder, it->first);
        if (error != ERROR_SUCCESS && error != ERROR_DIR_NOT_EMPTY)
            problems->push_back({it->first, GetSystemErrorMessage(error)});
    }
    return kCompareEqual;
}

}  // namespace Swiftlet
