#pragma once
// Enumeration of a file's data streams, through FindFirstStreamW/FindNextStreamW where the
// system has them, else by walking the file's backup stream headers.
#include <windows.h>

#include <vector>

#include "framework/CString.h"

namespace NTFSDataStream {

class StreamData {
public:
    StreamData() = default;
    StreamData(const CString& name, unsigned long long size) : name(name), size(size) {}
    virtual ~StreamData() = default;

    CString name;                 // as the system reports it: ":Zone.Identifier:$DATA"
    unsigned long long size = 0;  // bytes
};

using StreamList = std::vector<StreamData>;

// The unnamed data stream "::$DATA" (case-insensitive): the file's content, not a stream
// item of its own.
int IsUnnamedDataStream(const CString& name);

// Where stream records come from; the real sources call the system, tests feed records.
class IFindStreamSource {
public:
    virtual ~IFindStreamSource() = default;
    // 1 and the first record, or 0 with the system error (ERROR_HANDLE_EOF: no streams).
    virtual int First(WIN32_FIND_STREAM_DATA& data, DWORD& error) = 0;
    virtual int Next(WIN32_FIND_STREAM_DATA& data, DWORD& error) = 0;
};

class IBackupStreamSource {
public:
    virtual ~IBackupStreamSource() = default;
    // Reads up to size bytes of the backup stream; 0 on failure.
    virtual int Read(void* buffer, DWORD size, DWORD& read) = 0;
    // Skips bytes of the current stream body; 0 when nothing could be skipped.
    virtual int Seek(unsigned long long bytes) = 0;
};

int WalkFindStreams(IFindStreamSource& source, StreamList& list);
int WalkBackupStreams(IBackupStreamSource& source, StreamList& list);

// Binds FindFirstStreamW and FindNextStreamW once; later calls do nothing.
void BindStreamFunctions();
// 1 when both functions are bound.
int StreamFunctionsAvailable();

// The FindFirstStreamW form when both functions are bound, else the backup form.
int EnumerateStreams(CString path, StreamList& list);
// 1 when the walk ended with ERROR_HANDLE_EOF; 0 also when the functions are missing.
int EnumerateStreamsFindStream(CString path, StreamList& list);
// 1 when at least one record was found.
int EnumerateStreamsBackup(CString path, StreamList& list);

}  // namespace NTFSDataStream
