#pragma once
// The memory the reader and writer threads of a job share: one locked, aligned pool
// and one queue of records that say what each block of the pool holds, in the order
// the reader filled them.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <memory_resource>

#include "foundation/BufferManager.h"
#include "foundation/VirtualAllocater.h"
#include "foundation/noncopyable.h"
#include "framework/CString.h"

namespace Swiftlet {

class ICopyBufferManager : private noncopyable {
public:
    using Block = BufferBlock;

    // What one block of the pool holds.
    class FileBufferQueueData {
    public:
        // The header block of an item: the source's BY_HANDLE_FILE_INFORMATION.
        static constexpr int64_t kHeaderOffset = -1;
        static constexpr uint64_t kHeaderLength = sizeof(BY_HANDLE_FILE_INFORMATION);

        FileBufferQueueData() = default;
        FileBufferQueueData(const CString& key, int64_t offset, void* address, uint64_t length)
            : key(key), offset(offset), address(address), length(length) {}
        FileBufferQueueData(const FileBufferQueueData&) = default;
        FileBufferQueueData& operator=(const FileBufferQueueData&) = default;
        FileBufferQueueData(FileBufferQueueData&&) = default;
        FileBufferQueueData& operator=(FileBufferQueueData&&) = default;
        virtual ~FileBufferQueueData() = default;

        CString key;          // full source path; a stream's path includes its name
        int64_t offset = 0;   // file offset of the first byte, or kHeaderOffset
        void* address = nullptr;
        uint64_t length = 0;  // valid bytes in the block
    };

    virtual ~ICopyBufferManager() = default;
    // 1 when the pool of *size bytes with *alignment was made (0: no rounding).
    virtual int Create(uint64_t* size, uint32_t* alignment) = 0;
    // Drops the queue and the pool; the result of releasing the memory.
    virtual int Release() = 0;
    // A block from the pool, or null when the pool has no room for it right now.
    virtual void* Allocate(uint64_t* size, int* zeroFill, int* allowPartial, Block* out) = 0;
    virtual int Free(void** address) = 0;
    virtual void PushBack(const FileBufferQueueData& data) = 0;
    // 0 when the queue is empty.
    virtual int PopFront(FileBufferQueueData& out) = 0;
    virtual void PushFront(const FileBufferQueueData& data) = 0;
    // Removes every record of key (without regard to case) and frees its block.
    virtual void Discard(const wchar_t* key) = 0;
    virtual uint32_t GetAlignment() = 0;
    virtual uint64_t GetSize() = 0;
    virtual uint64_t GetUsed() = 0;
    virtual uint64_t GetPeakUsed() = 0;
    virtual uint64_t GetFree() = 0;
    virtual uint64_t GetQueueLength() = 0;
    virtual uint64_t GetBlockCount() = 0;
};

// The pool and the queue without any locking.
class CopyBufferManager : public ICopyBufferManager {
public:
    CopyBufferManager();
    ~CopyBufferManager() override;

    int Create(uint64_t* size, uint32_t* alignment) override;
    int Release() override;
    void* Allocate(uint64_t* size, int* zeroFill, int* allowPartial, Block* out) override;
    int Free(void** address) override;
    void PushBack(const FileBufferQueueData& data) override;
    int PopFront(FileBufferQueueData& out) override;
    void PushFront(const FileBufferQueueData& data) override;
    void Discard(const wchar_t* key) override;
    uint32_t GetAlignment() override;
    uint64_t GetSize() override;
    uint64_t GetUsed() override;
    uint64_t GetPeakUsed() override;
    uint64_t GetFree() override;
    uint64_t GetQueueLength() override;
    uint64_t GetBlockCount() override;

private:
    VirtualAllocater m_allocater;
    BufferManager m_buffers;
    // Record storage is recycled: queueing a block allocates nothing once warm.
    std::pmr::unsynchronized_pool_resource m_queuePool;
    std::pmr::deque<FileBufferQueueData> m_queue;
    uint64_t m_peakUsed = 0;
};

}  // namespace Swiftlet
