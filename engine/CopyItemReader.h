#pragma once
// The reading half of the copy pipeline: opens one file or stream at a time, queues its
// BY_HANDLE_FILE_INFORMATION as a header record and then its content block by block, in
// blocks of the shared pool. It never waits: when the pool has no room it says so and
// the caller waits for the writer.
#include <windows.h>

#include <cstdint>

#include "engine/CopyBufferManager.h"
#include "foundation/noncopyable.h"
#include "framework/CString.h"

namespace Swiftlet {

class CopyItemReader : private noncopyable {
public:
    using Block = ICopyBufferManager::Block;

    CopyItemReader();
    virtual ~CopyItemReader();

    // Throws CopyException type 1 for a null manager; with *makeEvent 1 creates the event
    // of overlapped reads (WindowsException on failure).
    virtual int Init(ICopyBufferManager* manager, int* makeEvent, uint64_t* blockSize);
    virtual int Uninit();
    // Opens path and queues its header under the key name. *noBuffer 1: the pool had no
    // room for the header and nothing was opened. Throws WindowsFileException for a
    // source that cannot be opened or inspected, CopyExceptionEncrypted for an encrypted
    // source when checkEncrypted is 1.
    virtual void Open(const CString& path, const CString& name, int* synchronous, int* checkEncrypted,
                      int* noBuffer);
    // Reads and queues the next block; *bytesQueued is what this call announced (0 while
    // an overlapped read is pending). *noBuffer 1: no room in the pool, nothing changed.
    virtual void ReadNext(uint32_t* bytesQueued, int* noBuffer);
    virtual void WaitPending(uint32_t* bytes);
    virtual void Close();
    // Gives the item up: drops its queued records and blocks, and closes it.
    virtual void Abort();
    virtual void AllocateBlock(Block* out, int* noBuffer);
    virtual void ReadSync(Block* block, uint32_t* bytes);
    virtual void ReadOverlapped(Block* block, uint32_t* bytes);
    virtual void QueueBlock(Block* block, uint32_t* bytes);

    const CString& GetPath() const { return m_path; }
    const CString& GetName() const { return m_name; }
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    uint64_t GetFileSize() const { return m_fileSize; }
    uint64_t GetOffset() const { return m_offset; }
    bool IsPending() const { return m_pending != 0; }

private:
    static constexpr uint64_t kPositionUnknown = ~0ull;

    void FreeBlock(void* address);
    // The header of the open file: its own information, with the volume serial number
    // asked only for the first file of each volume root and reused for the others.
    bool QueryHeader(HANDLE handle, const CString& path, BY_HANDLE_FILE_INFORMATION* info);

    ICopyBufferManager* m_manager = nullptr;
    uint64_t m_blockSize = 0;
    CString m_path;
    CString m_name;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    uint64_t m_fileSize = 0;
    uint32_t m_synchronous = 0;
    OVERLAPPED m_overlapped{};
    uint32_t m_pending = 0;
    Block m_pendingBlock{};
    uint64_t m_offset = 0;
    // Where the file pointer stands after the last synchronous read: the next read moves
    // it only when it is elsewhere.
    uint64_t m_position = kPositionUnknown;
    CString m_serialRoot;  // the volume root whose serial number is known, if any
    DWORD m_serial = 0;
};

}  // namespace Swiftlet
